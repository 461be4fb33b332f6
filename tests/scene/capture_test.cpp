#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "quorvel.h"
#include "support/canvas.h"

namespace {

constexpr uint32_t kMarker = 0x5EC0DE5Eu;

// Expected record words by byte offset; every other word keeps the marker.
using Point = std::pair<int32_t, int32_t>;
struct Words {
    std::map<int, uint32_t> at;
    Words& Set(int offset, int64_t v) { return at[offset] = static_cast<uint32_t>(v), *this; }
    Words& Box(int32_t l, int32_t t, int32_t r, int32_t b) { return Set(36, l).Set(40, t).Set(44, r).Set(48, b); }
    // Vertices from 0 on: the draw point (stored twice), colours, texture coordinates.
    Words& Points(const std::vector<Point>& p, int first = 0) {
        for (int i = first; i < first + int(p.size()); ++i) {
            const auto [x, y] = p[i - first];
            Set(60 + 40 * i, x).Set(64 + 40 * i, y).Set(72 + 40 * i, x).Set(76 + 40 * i, y);
        }
        return *this;
    }
    Words& Colours(const std::vector<uint32_t>& c) {
        for (int i = 0; i < int(c.size()); ++i) Set(84 + 40 * i, c[i]);
        return *this;
    }
    Words& UVs(const std::vector<Point>& uv) {
        for (int i = 0; i < int(uv.size()); ++i) Set(92 + 40 * i, uv[i].first).Set(96 + 40 * i, uv[i].second);
        return *this;
    }
};

// In-use flag and kind in word 0, the vertex count, and the mode unless < 0.
Words Head(int kind, int count, int32_t mode) {
    Words w;
    w.Set(0, 1u | uint32_t(kind) << 16).Set(52, count);
    if (mode >= 0) w.Set(16, mode);
    return w;
}

struct WriterCase {
    std::string name;
    std::function<const void*(QrvSceneRecord*)> call;  // the writer's result, or rec for writers without one
    long resultOffset;                                 // from rec
    Words words;
    bool nullSafe = true;  // false where the case itself would address through rec
};

std::vector<WriterCase> WriterCases() {
    using R = QrvSceneRecord*;
    const int32_t kX = INT32_MIN;
    const std::vector<Point> tri = {{1, 9}, {8, 2}, {-4, 5}}, quad = {{0, 0}, {9, 1}, {8, 7}, {-1, 6}};
    return {
        {"SpriteNC", [](R r) { return Scene_Write_Capture_SpriteNC(r, 7, -3, 4, 9); }, 0,
         Head(1, 1, -1).Set(12, 7).Set(4, 9).Points({{-3, 4}})},
        {"Image", [](R r) { return Scene_Write_Capture_Image(r, 64, 5, 10, 20, 6, 3, 4); }, 0,
         Head(11, 1, 64).Set(12, 5).Set(4, 6).Box(10, 20, 13, 24).Points({{10, 20}})},
        {"ImageBB", [](R r) { return Scene_Write_Capture_ImageBB(r, 2, 8, 5, 1, 2, 6, 3, 4); }, 0,
         Head(12, 1, 2).Set(8, 8).Set(12, 5).Set(4, 6).Box(1, 2, 4, 6).Points({{1, 2}})},
        {"Map", [](R r) { return Scene_Write_Capture_Map(r, 2, 8, 5, 1, 2, 6, 3, 4); }, 0,
         Head(50, 1, 2).Set(8, 8).Set(12, 5).Set(4, 6).Box(1, 2, 4, 6).Points({{1, 2}})},
        {"Image_AlphaBlend", [](R r) { return Scene_Write_Capture_Image_AlphaBlend(r, 16, 5, 1, 2, 6, 128, 3, 4); },
         0, Head(15, 1, 16).Set(12, 5).Set(4, 6).Set(56, 128).Box(1, 2, 4, 6).Points({{1, 2}})},
        {"Shape", [](R r) { return Scene_Write_Capture_Shape(r, 2, 5, 1, 2, 6, 11, 12, 13, 0xFF102030); }, 0,
         Head(8, 1, 2).Set(12, 5).Set(4, 6).Set(24, 11).Set(28, 12).Set(32, 13).Points({{1, 2}}).Colours({0xFF102030})},
        {"Text", [](R r) { return Scene_Write_Capture_Text(r, 2, 8, 77, 78, 1, 2, 6, 40, 10, 0xAB); }, 100,
         Head(20, 1, 2).Set(8, 8).Set(4, 6).Box(1, 2, 41, 12).Points({{1, 2}}).Colours({0xAB})},
        {"Dot floors", [](R r) { return Scene_Write_Capture_Dot(r, 2, -0.5f, 2.7f, 9.f, 0xCD), r; }, 0,
         Head(2, 1, 2).Box(-1, 2, 0, 3).Points({{-1, 2}}).Colours({0xCD})},
        {"Dot out of range", [](R r) { return Scene_Write_Capture_Dot(r, 2, NAN, 3e9f, 0.f, 1), r; }, 0,
         Head(2, 1, 2).Box(kX, kX, kX + 1, kX + 1).Points({{kX, kX}}).Colours({1})},
        {"Line", [](R r) { return Scene_Write_Capture_Line(r, 2, 1, 2, 30, 40, 6, 0xEF); }, 140,
         Head(7, 2, 2).Set(4, 6).Points({{1, 2}, {30, 40}}).Colours({0xEF})},
        {"Box sorts", [](R r) { return Scene_Write_Capture_Box(r, 66, 10, 20, 5, 8, 99, 0x12); }, 100,
         Head(3, 2, 66).Box(5, 8, 10, 20).Points({{5, 8}, {10, 20}}).Colours({0x12})},
        {"ShadeBox", [](R r) { return Scene_Write_Capture_ShadeBox(r, 2, 10, 8, 5, 20, 0, 0xA0, 0xA1, 0xA2, 0xA3); },
         180,
         Head(4, 4, 2).Box(5, 8, 10, 20).Points({{5, 8}, {10, 8}, {10, 20}, {5, 20}})
             .Colours({0xA0, 0xA1, 0xA2, 0xA3})},
        {"Circle", [](R r) { return Scene_Write_Capture_Circle(r, 2, 10, 20, 6, 3, 0x33); }, 100,
         Head(5, 2, 2).Set(4, 6).Box(7, 17, 13, 23).Points({{10, 20}, {13, 23}}).Colours({0x33})},
        {"Ellipse", [](R r) { return Scene_Write_Capture_Ellipse(r, 2, 10, 20, 6, 4, 2, 0x44); }, 100,
         Head(6, 2, 2).Set(4, 6).Box(6, 18, 14, 22).Points({{10, 20}, {14, 22}}).Colours({0x44})},
        {"GouraudStripH", [](R r) { return Scene_Write_Capture_GouraudStripH(r, 2, 30, 0x55, 3, 0x66, 7, 0); }, 100,
         Head(40, 2, 2).Box(3, 7, 30, 8).Points({{30, 7}, {3, 7}}).Colours({0x55, 0x66})},
        // The second vertex is stored one column to the right.
        {"GouraudStripV", [](R r) { return Scene_Write_Capture_GouraudStripV(r, 2, 30, 0x55, 3, 0x66, 7, 0); }, 100,
         Head(41, 2, 2).Box(7, 3, 8, 30).Points({{7, 30}, {8, 3}}).Colours({0x55, 0x66})},
        {"TextureStripH", [](R r) { return Scene_Write_Capture_TextureStripH(r, 2, 3, 1, 2, 30, 3, 4, 7, 0, 9); },
         100, Head(42, 2, 2).Set(12, 9).Box(3, 7, 30, 8).Points({{3, 7}, {30, 7}}).UVs({{1, 2}, {3, 4}})},
        {"TextureStripV", [](R r) { return Scene_Write_Capture_TextureStripV(r, 2, 30, 1, 2, 3, 3, 4, 7, 0, 9); },
         100, Head(43, 2, 2).Set(12, 9).Box(7, 3, 8, 30).Points({{7, 30}, {7, 3}}).UVs({{1, 2}, {3, 4}})},
        // Polygon boxes only with flag 2, and then without the exclusive + 1.
        {"Tri flag 1", [](R r) { return Scene_Write_Capture_Tri(r, 2, 1, 9, 8, 2, -4, 5, 0, 7, 1), r; }, 0,
         Head(25, 3, 2).Points(tri).Colours({7, 7, 7})},
        {"Tri flag 2", [](R r) { return Scene_Write_Capture_Tri(r, 2, 1, 9, 8, 2, -4, 5, 0, 7, 2), r; }, 0,
         Head(25, 3, 2).Points(tri).Colours({7, 7, 7}).Box(-4, 2, 8, 9)},
        {"TriG", [](R r) { return Scene_Write_Capture_TriG(r, 2, 1, 9, 0x70, 8, 2, 0x71, -4, 5, 0x72, 0, 2), r; }, 0,
         Head(26, 3, 2).Points(tri).Box(-4, 2, 8, 9).Colours({0x70, 0x71, 0x72})},
        {"TriT",
         [](R r) { return Scene_Write_Capture_TriT(r, 2, 1, 9, 10, 11, 8, 2, 12, 13, -4, 5, 14, 15, 0, 9, 0), r; },
         0, Head(27, 3, 2).Set(12, 9).Points(tri).UVs({{10, 11}, {12, 13}, {14, 15}})},
        {"Quad", [](R r) { return Scene_Write_Capture_Quad(r, 2, 0, 0, 9, 1, 8, 7, -1, 6, 0, 8, 2), r; }, 0,
         Head(30, 4, 2).Points(quad).Colours({8, 8, 8, 8}).Box(-1, 0, 9, 7)},
        {"QuadG",
         [](R r) { return Scene_Write_Capture_QuadG(r, 2, 0, 0, 0x90, 9, 1, 0x91, 8, 7, 0x92, -1, 6, 0x93, 0, 0), r; },
         0, Head(31, 4, 2).Points(quad).Colours({0x90, 0x91, 0x92, 0x93})},
        // A textured quad shares the triangle's kind; the count tells them apart.
        {"QuadT",
         [](R r) {
             return Scene_Write_Capture_QuadT(r, 2, 0, 0, 0, 1, 9, 1, 2, 3, 8, 7, 4, 5, -1, 6, 6, 7, 0, 9, 2), r;
         },
         0, Head(27, 4, 2).Set(12, 9).Points(quad).UVs({{0, 1}, {2, 3}, {4, 5}, {6, 7}}).Box(-1, 0, 9, 7)},
        {"Poke_Bounding_Box sorts", [](R r) { return Scene_Poke_Bounding_Box(r, 10, 8, 5, 20); }, 0,
         Words().Box(5, 8, 10, 20)},
        {"SceneVert_iXYcombined", [](R r) { return SceneVert_iXYcombined(&r->vertex[1], -7, 8); }, 100,
         Words().Points({{-7, 8}}, 1), false},
        {"SceneVert_iXYZ family does nothing",
         [](R r) {
             SceneVert_iXYZ(&r->vertex[0], 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12);
             SceneVert_iTransXYZ(&r->vertex[0], 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12);
             SceneVert_iXYZUV(&r->vertex[0], 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14);
             return r;
         },
         0, {}, false},
    };
}

// Each call writes exactly its words and returns the stated address; given
// a null record it writes nothing and returns 0.
TEST(SceneCapture, WritersStoreTheirWordsAndNothingElse) {
    for (const WriterCase& c : WriterCases()) {
        QrvSceneRecord rec;
        uint32_t* words = reinterpret_cast<uint32_t*>(&rec);
        for (size_t i = 0; i < sizeof rec / 4; ++i) words[i] = kMarker;
        const char* result = static_cast<const char*>(c.call(&rec));
        EXPECT_EQ(result - reinterpret_cast<const char*>(&rec), c.resultOffset) << c.name;
        for (size_t i = 0; i < sizeof rec / 4; ++i) {
            const auto it = c.words.at.find(int(4 * i));
            EXPECT_EQ(words[i], it == c.words.at.end() ? kMarker : it->second) << c.name << " at byte " << 4 * i;
        }
        if (c.nullSafe) {
            EXPECT_EQ(c.call(nullptr), nullptr) << c.name;
        }
    }
    EXPECT_EQ(SceneVert_iXYcombined(nullptr, 1, 2), nullptr);
    Scene_Poke_Edge_Vectors(nullptr, 1.f, 2.f, 3.f, 4.f);
    EXPECT_EQ(Scene_Render_Check_Object_Visible(nullptr, 0, 0), 0);
}

TEST(SceneCapture, EdgeVectors) {
    const float isqrt2 = float(1.0 / double(float(std::sqrt(2.0))));  // by the single-precision length
    const float cases[][10] = {
        {0, 0, 3, 4, /**/ 3, 4, -0.8f, 0.6f, 0.8f, -0.6f},
        {2, 2, 2, -3, /**/ 0, -5, 1, 0, -1, 0},
        {1.5f, 1.5f, 1.5f, 1.5f, /**/ 0, 0, 0, 0, 0, 0},  // zero length: no division
        {0, 0, 1, 1, /**/ 1, 1, -isqrt2, isqrt2, isqrt2, -isqrt2},
    };
    for (const auto& c : cases) {
        float out[7];
        out[6] = 123.f;
        Scene_Poke_Edge_Vectors(out, c[0], c[1], c[2], c[3]);
        for (int i = 0; i < 6; ++i) EXPECT_EQ(out[i], c[4 + i]) << c[0] << "," << c[1] << " word " << i;
        EXPECT_EQ(out[6], 123.f);
    }
}

// The box moved by (viewport left - camX, viewport top - camY) must overlap
// the viewport (10, 20) - (50, 60), the box's right and bottom exclusive.
TEST(SceneCapture, ObjectVisibility) {
    const int32_t cases[][7] = {
        {0, 0, 5, 5, 10, 20, 0},      // at the captured place, outside
        {10, 20, 11, 21, 10, 20, 1},  // one pixel at the top-left corner
        {0, 0, 1, 1, 0, 0, 1},        // moved onto the corner
        {-1, 0, 0, 1, 0, 0, 0},       // ends where the viewport starts
        {40, 40, 41, 41, 0, 0, 0},    // starts where it ends
        {39, 39, 40, 40, 0, 0, 1},
        {-1000, -1000, 1000, 1000, 500, -500, 1},
        // Far-off cameras do not wrap the box into view.
        {INT32_MAX - 50, 0, INT32_MAX, 5, INT32_MIN, 0, 0},
        {INT32_MIN, 0, INT32_MIN + 60, 5, INT32_MAX, 0, 0},
    };
    qrvtest::Canvas canvas(64, 64, 4);
    canvas.Select();
    QRV_SetBufferViewPort(10, 20, 50, 60);
    for (const auto& c : cases) {
        QrvSceneRecord rec{};
        Scene_Poke_Bounding_Box(&rec, c[0], c[1], c[2], c[3]);
        EXPECT_EQ(Scene_Render_Check_Object_Visible(&rec, c[4], c[5]), c[6]) << c[0] << "," << c[1] << " cam " << c[4];
    }
}

}  // namespace
