#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <string>

#include "quorvel.h"
#include "support/canvas.h"

namespace {

constexpr uint32_t kMarker = 0x5EC0DE5Eu;
constexpr int kRecordWords = 220 / 4;

// A record of marker words, read back word by word at byte offsets.
struct Record {
    QrvSceneRecord rec;
    Record() {
        uint32_t* w = Words();
        for (int i = 0; i < kRecordWords; ++i) w[i] = kMarker;
    }
    uint32_t* Words() { return reinterpret_cast<uint32_t*>(&rec); }
    uintptr_t Offset(const void* p) const {
        return static_cast<uintptr_t>(static_cast<const char*>(p) - reinterpret_cast<const char*>(&rec));
    }
};

using Words = std::map<int, uint32_t>;  // byte offset -> expected word

// Word 0 holds the in-use flag and the kind.
Words Head(int kind, int count) { return {{0, 1u | uint32_t(kind) << 16}, {52, uint32_t(count)}}; }
Words& Mode(Words& w, int32_t mode) { return w[16] = uint32_t(mode), w; }
Words& Box(Words& w, int32_t l, int32_t t, int32_t r, int32_t b) {
    w[36] = uint32_t(l), w[40] = uint32_t(t), w[44] = uint32_t(r), w[48] = uint32_t(b);
    return w;
}
Words& Vert(Words& w, int i, int32_t x, int32_t y) {
    const int o = 60 + 40 * i;
    w[o] = w[o + 12] = uint32_t(x);
    w[o + 4] = w[o + 16] = uint32_t(y);
    return w;
}
Words& Colour(Words& w, int i, uint32_t c) { return w[60 + 40 * i + 24] = c, w; }
Words& UV(Words& w, int i, int32_t u, int32_t v) {
    w[60 + 40 * i + 32] = uint32_t(u), w[60 + 40 * i + 36] = uint32_t(v);
    return w;
}

struct WriterCase {
    std::string name;
    // Calls the writer on rec; returns its result, or rec itself for writers
    // without one (so that the expected offset is 0).
    std::function<void*(QrvSceneRecord*)> call;
    long returnOffset;  // byte offset of the result from rec
    Words words;
};

std::vector<WriterCase> WriterCases() {
    std::vector<WriterCase> cases;
    auto add = [&](std::string name, std::function<void*(QrvSceneRecord*)> call, long ret, Words w) {
        cases.push_back({std::move(name), std::move(call), ret, std::move(w)});
    };
    Words w;

    w = Head(1, 1), w[12] = 7, w[4] = 9, Vert(w, 0, -3, 4);
    add("SpriteNC", [](QrvSceneRecord* r) { return (void*)Scene_Write_Capture_SpriteNC(r, 7, -3, 4, 9); }, 0, w);

    w = Head(11, 1), Mode(w, 64), w[12] = 5, w[4] = 6, Box(w, 10, 20, 13, 24), Vert(w, 0, 10, 20);
    add("Image", [](QrvSceneRecord* r) { return (void*)Scene_Write_Capture_Image(r, 64, 5, 10, 20, 6, 3, 4); }, 0, w);

    w = Head(12, 1), Mode(w, 2), w[8] = 8, w[12] = 5, w[4] = 6, Box(w, 1, 2, 4, 6), Vert(w, 0, 1, 2);
    add("ImageBB", [](QrvSceneRecord* r) { return (void*)Scene_Write_Capture_ImageBB(r, 2, 8, 5, 1, 2, 6, 3, 4); }, 0,
        w);

    w = Head(50, 1), Mode(w, 2), w[8] = 8, w[12] = 5, w[4] = 6, Box(w, 1, 2, 4, 6), Vert(w, 0, 1, 2);
    add("Map", [](QrvSceneRecord* r) { return (void*)Scene_Write_Capture_Map(r, 2, 8, 5, 1, 2, 6, 3, 4); }, 0, w);

    w = Head(15, 1), Mode(w, 16), w[12] = 5, w[4] = 6, w[56] = 128, Box(w, 1, 2, 4, 6), Vert(w, 0, 1, 2);
    add("Image_AlphaBlend",
        [](QrvSceneRecord* r) { return (void*)Scene_Write_Capture_Image_AlphaBlend(r, 16, 5, 1, 2, 6, 128, 3, 4); }, 0,
        w);

    w = Head(8, 1), Mode(w, 2), w[12] = 5, w[4] = 6, w[24] = 11, w[28] = 12, w[32] = 13, Vert(w, 0, 1, 2);
    Colour(w, 0, 0xFF102030);
    add("Shape",
        [](QrvSceneRecord* r) { return (void*)Scene_Write_Capture_Shape(r, 2, 5, 1, 2, 6, 11, 12, 13, 0xFF102030); },
        0, w);

    w = Head(20, 1), Mode(w, 2), w[8] = 8, w[4] = 6, Box(w, 1, 2, 41, 12), Vert(w, 0, 1, 2), Colour(w, 0, 0xAB);
    add("Text",
        [](QrvSceneRecord* r) { return (void*)Scene_Write_Capture_Text(r, 2, 8, 77, 78, 1, 2, 6, 40, 10, 0xAB); },
        100, w);

    w = Head(2, 1), Mode(w, 2), Box(w, -1, 2, 0, 3), Vert(w, 0, -1, 2), Colour(w, 0, 0xCD);
    add("Dot floors", [](QrvSceneRecord* r) { return Scene_Write_Capture_Dot(r, 2, -0.5f, 2.7f, 9.f, 0xCD), r; }, 0,
        w);

    w = Head(2, 1), Mode(w, 2), Box(w, INT32_MIN, INT32_MIN, INT32_MIN + 1, INT32_MIN + 1);
    Vert(w, 0, INT32_MIN, INT32_MIN), Colour(w, 0, 1);
    add("Dot out of range",
        [](QrvSceneRecord* r) { return Scene_Write_Capture_Dot(r, 2, NAN, 3e9f, 0.f, 1), r; }, 0, w);

    w = Head(7, 2), Mode(w, 2), w[4] = 6, Vert(w, 0, 1, 2), Colour(w, 0, 0xEF), Vert(w, 1, 30, 40);
    add("Line", [](QrvSceneRecord* r) { return (void*)Scene_Write_Capture_Line(r, 2, 1, 2, 30, 40, 6, 0xEF); }, 140,
        w);

    w = Head(3, 2), Mode(w, 66), Box(w, 5, 8, 10, 20), Vert(w, 0, 5, 8), Colour(w, 0, 0x12), Vert(w, 1, 10, 20);
    add("Box sorts", [](QrvSceneRecord* r) { return (void*)Scene_Write_Capture_Box(r, 66, 10, 20, 5, 8, 99, 0x12); },
        100, w);

    w = Head(4, 4), Mode(w, 2), Box(w, 5, 8, 10, 20);
    Vert(w, 0, 5, 8), Colour(w, 0, 0xA0), Vert(w, 1, 10, 8), Colour(w, 1, 0xA1);
    Vert(w, 2, 10, 20), Colour(w, 2, 0xA2), Vert(w, 3, 5, 20), Colour(w, 3, 0xA3);
    add("ShadeBox",
        [](QrvSceneRecord* r) {
            return (void*)Scene_Write_Capture_ShadeBox(r, 2, 10, 8, 5, 20, 0, 0xA0, 0xA1, 0xA2, 0xA3);
        },
        180, w);

    w = Head(5, 2), Mode(w, 2), w[4] = 6, Box(w, 7, 17, 13, 23), Vert(w, 0, 10, 20), Colour(w, 0, 0x33);
    Vert(w, 1, 13, 23);
    add("Circle", [](QrvSceneRecord* r) { return (void*)Scene_Write_Capture_Circle(r, 2, 10, 20, 6, 3, 0x33); }, 100,
        w);

    w = Head(6, 2), Mode(w, 2), w[4] = 6, Box(w, 6, 18, 14, 22), Vert(w, 0, 10, 20), Colour(w, 0, 0x44);
    Vert(w, 1, 14, 22);
    add("Ellipse", [](QrvSceneRecord* r) { return (void*)Scene_Write_Capture_Ellipse(r, 2, 10, 20, 6, 4, 2, 0x44); },
        100, w);

    w = Head(40, 2), Mode(w, 2), Box(w, 3, 7, 30, 8), Vert(w, 0, 30, 7), Colour(w, 0, 0x55), Vert(w, 1, 3, 7);
    Colour(w, 1, 0x66);
    add("GouraudStripH",
        [](QrvSceneRecord* r) { return (void*)Scene_Write_Capture_GouraudStripH(r, 2, 30, 0x55, 3, 0x66, 7, 0); },
        100, w);

    // The second vertex is stored one column to the right.
    w = Head(41, 2), Mode(w, 2), Box(w, 7, 3, 8, 30), Vert(w, 0, 7, 30), Colour(w, 0, 0x55), Vert(w, 1, 8, 3);
    Colour(w, 1, 0x66);
    add("GouraudStripV",
        [](QrvSceneRecord* r) { return (void*)Scene_Write_Capture_GouraudStripV(r, 2, 30, 0x55, 3, 0x66, 7, 0); },
        100, w);

    w = Head(42, 2), Mode(w, 2), w[12] = 9, Box(w, 3, 7, 30, 8), Vert(w, 0, 3, 7), UV(w, 0, 1, 2);
    Vert(w, 1, 30, 7), UV(w, 1, 3, 4);
    add("TextureStripH",
        [](QrvSceneRecord* r) { return (void*)Scene_Write_Capture_TextureStripH(r, 2, 3, 1, 2, 30, 3, 4, 7, 0, 9); },
        100, w);

    w = Head(43, 2), Mode(w, 2), w[12] = 9, Box(w, 7, 3, 8, 30), Vert(w, 0, 7, 30), UV(w, 0, 1, 2);
    Vert(w, 1, 7, 3), UV(w, 1, 3, 4);
    add("TextureStripV",
        [](QrvSceneRecord* r) { return (void*)Scene_Write_Capture_TextureStripV(r, 2, 30, 1, 2, 3, 3, 4, 7, 0, 9); },
        100, w);

    // Polygon boxes only with flag 2, and then without the exclusive + 1.
    w = Head(25, 3), Mode(w, 2), Vert(w, 0, 1, 9), Vert(w, 1, 8, 2), Vert(w, 2, -4, 5);
    for (int i = 0; i < 3; ++i) Colour(w, i, 0x77);
    add("Tri flag 1", [](QrvSceneRecord* r) { return Scene_Write_Capture_Tri(r, 2, 1, 9, 8, 2, -4, 5, 0, 0x77, 1), r; },
        0, w);
    Box(w, -4, 2, 8, 9);
    add("Tri flag 2", [](QrvSceneRecord* r) { return Scene_Write_Capture_Tri(r, 2, 1, 9, 8, 2, -4, 5, 0, 0x77, 2), r; },
        0, w);

    w = Head(26, 3), Mode(w, 2), Vert(w, 0, 1, 9), Vert(w, 1, 8, 2), Vert(w, 2, -4, 5), Box(w, -4, 2, 8, 9);
    Colour(w, 0, 0x70), Colour(w, 1, 0x71), Colour(w, 2, 0x72);
    add("TriG",
        [](QrvSceneRecord* r) {
            return Scene_Write_Capture_TriG(r, 2, 1, 9, 0x70, 8, 2, 0x71, -4, 5, 0x72, 0, 2), r;
        },
        0, w);

    w = Head(27, 3), Mode(w, 2), w[12] = 9, Vert(w, 0, 1, 9), Vert(w, 1, 8, 2), Vert(w, 2, -4, 5);
    UV(w, 0, 10, 11), UV(w, 1, 12, 13), UV(w, 2, 14, 15);
    add("TriT",
        [](QrvSceneRecord* r) {
            return Scene_Write_Capture_TriT(r, 2, 1, 9, 10, 11, 8, 2, 12, 13, -4, 5, 14, 15, 0, 9, 0), r;
        },
        0, w);

    w = Head(30, 4), Mode(w, 2), Vert(w, 0, 0, 0), Vert(w, 1, 9, 1), Vert(w, 2, 8, 7), Vert(w, 3, -1, 6);
    for (int i = 0; i < 4; ++i) Colour(w, i, 0x88);
    Box(w, -1, 0, 9, 7);
    add("Quad",
        [](QrvSceneRecord* r) { return Scene_Write_Capture_Quad(r, 2, 0, 0, 9, 1, 8, 7, -1, 6, 0, 0x88, 2), r; }, 0,
        w);

    w = Head(31, 4), Mode(w, 2), Vert(w, 0, 0, 0), Vert(w, 1, 9, 1), Vert(w, 2, 8, 7), Vert(w, 3, -1, 6);
    for (int i = 0; i < 4; ++i) Colour(w, i, 0x90 + i);
    add("QuadG",
        [](QrvSceneRecord* r) {
            return Scene_Write_Capture_QuadG(r, 2, 0, 0, 0x90, 9, 1, 0x91, 8, 7, 0x92, -1, 6, 0x93, 0, 0), r;
        },
        0, w);

    // A textured quad shares the triangle's kind; the count tells them apart.
    w = Head(27, 4), Mode(w, 2), w[12] = 9, Vert(w, 0, 0, 0), Vert(w, 1, 9, 1), Vert(w, 2, 8, 7), Vert(w, 3, -1, 6);
    for (int i = 0; i < 4; ++i) UV(w, i, 2 * i, 2 * i + 1);
    Box(w, -1, 0, 9, 7);
    add("QuadT",
        [](QrvSceneRecord* r) {
            return Scene_Write_Capture_QuadT(r, 2, 0, 0, 0, 1, 9, 1, 2, 3, 8, 7, 4, 5, -1, 6, 6, 7, 0, 9, 2), r;
        },
        0, w);

    w = Box(w = {}, 5, 8, 10, 20);
    add("Poke_Bounding_Box sorts",
        [](QrvSceneRecord* r) { return (void*)Scene_Poke_Bounding_Box(r, 10, 8, 5, 20); }, 0, w);

    w = {};
    Vert(w, 0, -7, 8);
    add("SceneVert_iXYcombined", [](QrvSceneRecord* r) { return (void*)SceneVert_iXYcombined(&r->vertex[0], -7, 8); },
        60, w);

    add("SceneVert_iXYZ family does nothing",
        [](QrvSceneRecord* r) {
            SceneVert_iXYZ(&r->vertex[0], 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12);
            SceneVert_iTransXYZ(&r->vertex[0], 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12);
            SceneVert_iXYZUV(&r->vertex[0], 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14);
            return (void*)r;
        },
        0, {});
    return cases;
}

// Each call writes exactly its words and returns the stated address; every
// other word keeps the marker.
TEST(SceneCapture, WritersStoreTheirWordsAndNothingElse) {
    for (const WriterCase& c : WriterCases()) {
        Record r;
        void* result = c.call(&r.rec);
        EXPECT_EQ(r.Offset(result), static_cast<uintptr_t>(c.returnOffset)) << c.name;
        for (int i = 0; i < kRecordWords; ++i) {
            const auto it = c.words.find(4 * i);
            const uint32_t want = it == c.words.end() ? kMarker : it->second;
            EXPECT_EQ(r.Words()[i], want) << c.name << " at byte " << 4 * i;
        }
    }
}

// Nothing is written through a null record and the results are 0.
TEST(SceneCapture, NullRecordsAreLeftAlone) {
    EXPECT_EQ(Scene_Write_Capture_SpriteNC(nullptr, 1, 2, 3, 4), nullptr);
    EXPECT_EQ(Scene_Write_Capture_Image(nullptr, 2, 1, 2, 3, 4, 5, 6), nullptr);
    EXPECT_EQ(Scene_Write_Capture_ImageBB(nullptr, 2, 1, 2, 3, 4, 5, 6, 7), nullptr);
    EXPECT_EQ(Scene_Write_Capture_Map(nullptr, 2, 1, 2, 3, 4, 5, 6, 7), nullptr);
    EXPECT_EQ(Scene_Write_Capture_Image_AlphaBlend(nullptr, 2, 1, 2, 3, 4, 5, 6, 7), nullptr);
    EXPECT_EQ(Scene_Write_Capture_Shape(nullptr, 2, 1, 2, 3, 4, 5, 6, 7, 8), nullptr);
    EXPECT_EQ(Scene_Write_Capture_Text(nullptr, 2, 1, 2, 3, 4, 5, 6, 7, 8, 9), nullptr);
    Scene_Write_Capture_Dot(nullptr, 2, 1.f, 2.f, 3.f, 4);
    EXPECT_EQ(Scene_Write_Capture_Line(nullptr, 2, 1, 2, 3, 4, 5, 6), nullptr);
    EXPECT_EQ(Scene_Write_Capture_Box(nullptr, 2, 1, 2, 3, 4, 5, 6), nullptr);
    EXPECT_EQ(Scene_Write_Capture_ShadeBox(nullptr, 2, 1, 2, 3, 4, 5, 6, 7, 8, 9), nullptr);
    EXPECT_EQ(Scene_Write_Capture_Circle(nullptr, 2, 1, 2, 3, 4, 5), nullptr);
    EXPECT_EQ(Scene_Write_Capture_Ellipse(nullptr, 2, 1, 2, 3, 4, 5, 6), nullptr);
    EXPECT_EQ(Scene_Write_Capture_GouraudStripH(nullptr, 2, 1, 2, 3, 4, 5, 6), nullptr);
    EXPECT_EQ(Scene_Write_Capture_GouraudStripV(nullptr, 2, 1, 2, 3, 4, 5, 6), nullptr);
    EXPECT_EQ(Scene_Write_Capture_TextureStripH(nullptr, 2, 1, 2, 3, 4, 5, 6, 7, 8, 9), nullptr);
    EXPECT_EQ(Scene_Write_Capture_TextureStripV(nullptr, 2, 1, 2, 3, 4, 5, 6, 7, 8, 9), nullptr);
    Scene_Write_Capture_Tri(nullptr, 2, 1, 2, 3, 4, 5, 6, 7, 8, 2);
    Scene_Write_Capture_TriG(nullptr, 2, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 2);
    Scene_Write_Capture_TriT(nullptr, 2, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 2);
    Scene_Write_Capture_Quad(nullptr, 2, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 2);
    Scene_Write_Capture_QuadG(nullptr, 2, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 2);
    Scene_Write_Capture_QuadT(nullptr, 2, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 2);
    EXPECT_EQ(Scene_Poke_Bounding_Box(nullptr, 1, 2, 3, 4), nullptr);
    Scene_Poke_Edge_Vectors(nullptr, 1.f, 2.f, 3.f, 4.f);
    EXPECT_EQ(SceneVert_iXYcombined(nullptr, 1, 2), nullptr);
    EXPECT_EQ(Scene_Render_Check_Object_Visible(nullptr, 0, 0), 0);
}

TEST(SceneCapture, EdgeVectors) {
    struct Case {
        float x1, y1, x2, y2;
        float want[6];
    };
    const Case cases[] = {
        {0, 0, 3, 4, {3, 4, -0.8f, 0.6f, 0.8f, -0.6f}},
        {2, 2, 2, -3, {0, -5, 1, 0, -1, 0}},
        {1.5f, 1.5f, 1.5f, 1.5f, {0, 0, 0, 0, 0, 0}},  // zero length: no division
        // 1 / sqrt(2): the single-precision length divides the difference.
        {0, 0, 1, 1, {1, 1, float(-1.0 / double(float(std::sqrt(2.0)))), float(1.0 / double(float(std::sqrt(2.0)))),
                      float(1.0 / double(float(std::sqrt(2.0)))), float(-1.0 / double(float(std::sqrt(2.0))))}},
    };
    for (const Case& c : cases) {
        float out[7];
        out[6] = 123.f;
        Scene_Poke_Edge_Vectors(out, c.x1, c.y1, c.x2, c.y2);
        for (int i = 0; i < 6; ++i) EXPECT_EQ(out[i], c.want[i]) << c.x1 << "," << c.y1 << " " << i;
        EXPECT_EQ(out[6], 123.f);
    }
}

// The box moved by (viewport left - camX, viewport top - camY) must overlap
// the viewport (10, 20) - (50, 60), the box's right and bottom exclusive.
TEST(SceneCapture, ObjectVisibility) {
    struct Case {
        int32_t l, t, r, b, camX, camY, want;
    };
    const Case cases[] = {
        {0, 0, 5, 5, 10, 20, 0},                       // at the captured place, outside
        {10, 20, 11, 21, 10, 20, 1},                   // one pixel at the top-left corner
        {0, 0, 1, 1, 0, 0, 1},                         // moved onto the corner
        {-1, 0, 0, 1, 0, 0, 0},                        // ends where the viewport starts
        {40, 40, 41, 41, 0, 0, 0},                     // starts where it ends
        {39, 39, 40, 40, 0, 0, 1},
        {-1000, -1000, 1000, 1000, 500, -500, 1},      // covers it
        // A far-off camera does not wrap the box into view.
        {INT32_MAX - 50, 0, INT32_MAX, 5, INT32_MIN, 0, 0},
        {INT32_MIN, 0, INT32_MIN + 60, 5, INT32_MAX, 0, 0},
    };
    qrvtest::Canvas canvas(64, 64, 4);
    canvas.Select();
    QRV_SetBufferViewPort(10, 20, 50, 60);
    for (const Case& c : cases) {
        QrvSceneRecord rec{};
        Scene_Poke_Bounding_Box(&rec, c.l, c.t, c.r, c.b);
        EXPECT_EQ(Scene_Render_Check_Object_Visible(&rec, c.camX, c.camY), c.want)
            << c.l << "," << c.t << "," << c.r << "," << c.b << " cam " << c.camX << "," << c.camY;
    }
}

}  // namespace
