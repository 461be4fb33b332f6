#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "polygons/edge_walk.h"
#include "polygons/poly_test_util.h"
#include "primitives/span_test_util.h"
#include "quorvel.h"
#include "support/canvas.h"

using namespace qrvtest;

namespace {

struct View {
    int32_t left, top, right, bottom;
};

// One replay kind: capture a random shape, replay it, and draw the same shape
// directly at the position the camera maps it to.
struct ReplayKind {
    std::string name;
    std::function<void(QrvSceneRecord*, std::mt19937&, int32_t mode)> capture;
    std::function<void(const QrvSceneRecord*, int32_t camX, int32_t camY)> replay;
    std::function<void(const QrvSceneRecord&, int32_t dx, int32_t dy)> direct;
};

// The texture of the textured kinds, in the destination's format.
struct Texture {
    std::vector<uint8_t> pixels;
    QrvSurfaceDesc desc{};
    void* tpd = nullptr;

    void Fill(std::mt19937& rng, int format) {
        const int bpp = BytesPerPixel(format);
        pixels.resize(16 * 16 * bpp);
        for (uint8_t& b : pixels) b = static_cast<uint8_t>(rng());
        desc = {format, pixels.data(), 16 * bpp, 0, 16, 16, 0, 0, 0, 16, 16};
    }
};
Texture texture;

int32_t Texel(std::mt19937& rng) { return static_cast<int32_t>(rng() % 16); }
int32_t Texel1616(std::mt19937& rng) { return static_cast<int32_t>(rng() % (16 << 16)); }

int32_t Coord(std::mt19937& rng) { return static_cast<int32_t>(rng() % 80) - 20; }
uint32_t Argb(std::mt19937& rng) { return rng() | 0x01010101u; }
int32_t Small(std::mt19937& rng) { return static_cast<int32_t>(rng() % 14) - 2; }

const QrvSceneVertex& V(const QrvSceneRecord& r, int i) { return r.vertex[i]; }

std::vector<ReplayKind> Kinds() {
    return {
        {"Box",
         [](QrvSceneRecord* r, std::mt19937& g, int32_t m) {
             Scene_Write_Capture_Box(r, m, Coord(g), Coord(g), Coord(g), Coord(g), 0, Argb(g));
         },
         Scene_Render_Captured_Box,
         [](const QrvSceneRecord& r, int32_t dx, int32_t dy) {
             QRV_Box(V(r, 0).drawX + dx, V(r, 0).drawY + dy, V(r, 1).drawX + dx, V(r, 1).drawY + dy, V(r, 0).colour,
                     r.mode);
         }},
        {"ShadeBox",
         [](QrvSceneRecord* r, std::mt19937& g, int32_t m) {
             Scene_Write_Capture_ShadeBox(r, m, Coord(g), Coord(g), Coord(g), Coord(g), 0, Argb(g), Argb(g), Argb(g),
                                          Argb(g));
         },
         Scene_Render_Captured_ShadeBox,
         [](const QrvSceneRecord& r, int32_t dx, int32_t dy) {
             QRV_ShadeBox(V(r, 0).drawX + dx, V(r, 0).drawY + dy, V(r, 2).drawX + dx, V(r, 2).drawY + dy,
                          V(r, 0).colour, V(r, 1).colour, V(r, 2).colour, V(r, 3).colour, r.mode);
         }},
        {"Circle",
         [](QrvSceneRecord* r, std::mt19937& g, int32_t m) {
             Scene_Write_Capture_Circle(r, m, Coord(g), Coord(g), 0, Small(g), Argb(g));
         },
         Scene_Render_Captured_Circle,
         [](const QrvSceneRecord& r, int32_t dx, int32_t dy) {
             QRV_Circle(V(r, 0).drawX + dx, V(r, 0).drawY + dy, std::abs(V(r, 1).drawX - V(r, 0).drawX),
                        V(r, 0).colour, r.mode);
         }},
        {"Ellipse",
         [](QrvSceneRecord* r, std::mt19937& g, int32_t m) {
             Scene_Write_Capture_Ellipse(r, m, Coord(g), Coord(g), 0, Small(g), Small(g), Argb(g));
         },
         Scene_Render_Captured_Ellipse,
         [](const QrvSceneRecord& r, int32_t dx, int32_t dy) {
             QRV_Ellipse(V(r, 0).drawX + dx, V(r, 0).drawY + dy, std::abs(V(r, 1).drawX - V(r, 0).drawX),
                         std::abs(V(r, 1).drawY - V(r, 0).drawY), V(r, 0).colour, r.mode);
         }},
        {"GouraudStripH",
         [](QrvSceneRecord* r, std::mt19937& g, int32_t m) {
             Scene_Write_Capture_GouraudStripH(r, m, Coord(g), Argb(g), Coord(g), Argb(g), Coord(g), 0);
         },
         Scene_Render_Captured_GouraudStripH,
         [](const QrvSceneRecord& r, int32_t dx, int32_t dy) {
             QRV_HoriGouraudStrip(V(r, 0).drawX + dx, V(r, 0).colour, V(r, 1).drawX + dx, V(r, 1).colour,
                                  V(r, 0).drawY + dy);
         }},
        {"GouraudStripV",
         [](QrvSceneRecord* r, std::mt19937& g, int32_t m) {
             Scene_Write_Capture_GouraudStripV(r, m, Coord(g), Argb(g), Coord(g), Argb(g), Coord(g), 0);
         },
         Scene_Render_Captured_GouraudStripV,
         [](const QrvSceneRecord& r, int32_t dx, int32_t dy) {
             QRV_VertGouraudStrip(V(r, 0).drawY + dy, V(r, 0).colour, V(r, 1).drawY + dy, V(r, 1).colour,
                                  V(r, 0).drawX + dx);
         }},
        {"Polygon",
         [](QrvSceneRecord* r, std::mt19937& g, int32_t m) {
             if (g() & 1)
                 Scene_Write_Capture_Tri(r, m, Coord(g), Coord(g), Coord(g), Coord(g), Coord(g), Coord(g), 0, Argb(g),
                                         2);
             else
                 Scene_Write_Capture_Quad(r, m, Coord(g), Coord(g), Coord(g), Coord(g), Coord(g), Coord(g), Coord(g),
                                          Coord(g), 0, Argb(g), 1);
         },
         Scene_Render_Captured_Polygon,
         [](const QrvSceneRecord& r, int32_t dx, int32_t dy) {
             auto x = [&](int i) { return V(r, i).drawX + dx; };
             auto y = [&](int i) { return V(r, i).drawY + dy; };
             if (r.vertexCount == 3)
                 QRV_Tri(x(0), y(0), x(1), y(1), x(2), y(2), V(r, 0).colour, r.mode);
             else
                 QRV_Quad(x(0), y(0), x(1), y(1), x(2), y(2), x(3), y(3), V(r, 0).colour, r.mode);
         }},
        {"PolygonG",
         [](QrvSceneRecord* r, std::mt19937& g, int32_t m) {
             if (g() & 1)
                 Scene_Write_Capture_TriG(r, m, Coord(g), Coord(g), Argb(g), Coord(g), Coord(g), Argb(g), Coord(g),
                                          Coord(g), Argb(g), 0, 2);
             else
                 Scene_Write_Capture_QuadG(r, m, Coord(g), Coord(g), Argb(g), Coord(g), Coord(g), Argb(g), Coord(g),
                                           Coord(g), Argb(g), Coord(g), Coord(g), Argb(g), 0, 0);
         },
         Scene_Render_Captured_PolygonG,
         [](const QrvSceneRecord& r, int32_t dx, int32_t dy) {
             auto x = [&](int i) { return V(r, i).drawX + dx; };
             auto y = [&](int i) { return V(r, i).drawY + dy; };
             auto k = [&](int i) { return V(r, i).colour; };
             if (r.vertexCount == 3)
                 QRV_TriG(x(0), y(0), k(0), x(1), y(1), k(1), x(2), y(2), k(2), r.mode);
             else
                 QRV_QuadG(x(0), y(0), k(0), x(1), y(1), k(1), x(2), y(2), k(2), x(3), y(3), k(3), r.mode);
         }},
        {"TextureStripH",
         [](QrvSceneRecord* r, std::mt19937& g, int32_t m) {
             Scene_Write_Capture_TextureStripH(r, m, Coord(g), Texel1616(g), Texel1616(g), Coord(g), Texel1616(g),
                                               Texel1616(g), Coord(g), 0, 0);
         },
         [](const QrvSceneRecord* r, int32_t x, int32_t y) {
             Scene_Render_Captured_TextureStripH(r, x, y, &texture.desc);
         },
         [](const QrvSceneRecord& r, int32_t dx, int32_t dy) {
             QRV_HoriTextureStrip(&texture.desc, V(r, 0).drawX + dx, V(r, 0).u, V(r, 0).v, V(r, 1).drawX + dx,
                                  V(r, 1).u, V(r, 1).v, V(r, 0).drawY + dy);
         }},
        {"TextureStripV",
         [](QrvSceneRecord* r, std::mt19937& g, int32_t m) {
             Scene_Write_Capture_TextureStripV(r, m, Coord(g), Texel1616(g), Texel1616(g), Coord(g), Texel1616(g),
                                               Texel1616(g), Coord(g), 0, 0);
         },
         [](const QrvSceneRecord* r, int32_t x, int32_t y) {
             Scene_Render_Captured_TextureStripV(r, x, y, &texture.desc);
         },
         [](const QrvSceneRecord& r, int32_t dx, int32_t dy) {
             QRV_VertTextureStrip(&texture.desc, V(r, 0).drawY + dy, V(r, 0).u, V(r, 0).v, V(r, 1).drawY + dy,
                                  V(r, 1).u, V(r, 1).v, V(r, 0).drawX + dx);
         }},
        {"PolygonT",
         [](QrvSceneRecord* r, std::mt19937& g, int32_t m) {
             if (g() & 1)
                 Scene_Write_Capture_TriT(r, m, Coord(g), Coord(g), Texel(g), Texel(g), Coord(g), Coord(g), Texel(g),
                                          Texel(g), Coord(g), Coord(g), Texel(g), Texel(g), 0, 0, 2);
             else
                 Scene_Write_Capture_QuadT(r, m, Coord(g), Coord(g), Texel(g), Texel(g), Coord(g), Coord(g), Texel(g),
                                           Texel(g), Coord(g), Coord(g), Texel(g), Texel(g), Coord(g), Coord(g),
                                           Texel(g), Texel(g), 0, 0, 0);
         },
         [](const QrvSceneRecord* r, int32_t x, int32_t y) {
             Scene_Render_Captured_PolygonT(r, x, y, &texture.desc, texture.tpd);
         },
         [](const QrvSceneRecord& r, int32_t dx, int32_t dy) {
             auto x = [&](int i) { return V(r, i).drawX + dx; };
             auto y = [&](int i) { return V(r, i).drawY + dy; };
             auto u = [&](int i) { return V(r, i).u; };
             auto v = [&](int i) { return V(r, i).v; };
             if (r.vertexCount == 3)
                 QRV_TriT(&texture.desc, x(0), y(0), u(0), v(0), x(1), y(1), u(1), v(1), x(2), y(2), u(2), v(2),
                          texture.tpd);
             else
                 QRV_QuadT(&texture.desc, x(0), y(0), u(0), v(0), x(1), y(1), u(1), v(1), x(2), y(2), u(2), v(2), x(3),
                           y(3), u(3), v(3), texture.tpd);
         }},
    };
}

int32_t RandomMode(std::mt19937& rng) {
    const int32_t style = static_cast<int32_t>(rng() % 4);  // none, outline, filled, both
    const int32_t mode = rng() % 3 == 0 ? 0 : kAllModes[rng() % std::size(kAllModes)];
    return (mode & 0xFFF0) | style;
}

class SceneReplay : public ::testing::Test {
protected:
    SettingsGuard guard;
    void SetUp() override {
        QRV_Init_Lib();
        texture.tpd = TPD_Alloc();
    }
    void TearDown() override { TPD_Free(texture.tpd); }
};

// Whatever the camera, viewport, format and mode, a replay writes exactly
// the pixels of the direct call at the mapped position: culling near every
// viewport edge never hides a pixel the drawing routine would write.
TEST_F(SceneReplay, DrawsWhatTheDirectCallDraws) {
    std::mt19937 rng(812);
    for (const ReplayKind& kind : Kinds()) {
        for (int trial = 0; trial < 600; ++trial) {
            const int format = kAllFormats[trial % 5];
            Canvas replayed(48, 40, format), direct(48, 40, format);
            replayed.Randomise(rng);
            direct.storage = replayed.storage;
            texture.Fill(rng, format);
            const View v{static_cast<int32_t>(rng() % 20), static_cast<int32_t>(rng() % 16),
                         static_cast<int32_t>(20 + rng() % 29), static_cast<int32_t>(16 + rng() % 25)};
            QRV_SetInkAlpha(static_cast<int32_t>(rng() % 256));
            QRV_SetMMXState(static_cast<int32_t>(rng() & 1));
            QrvSceneRecord rec{};
            kind.capture(&rec, rng, RandomMode(rng));
            // Cameras around the viewport origin, so that shapes land on every edge.
            const int32_t camX = v.left + static_cast<int32_t>(rng() % 41) - 20;
            const int32_t camY = v.top + static_cast<int32_t>(rng() % 41) - 20;

            QRV_SetBuffer(replayed.Base(), replayed.pitch, format);
            QRV_SetBufferViewPort(v.left, v.top, v.right, v.bottom);
            kind.replay(&rec, camX, camY);
            QRV_SetBuffer(direct.Base(), direct.pitch, format);
            kind.direct(rec, v.left - camX, v.top - camY);

            ASSERT_EQ(replayed.storage, direct.storage) << kind.name << " trial " << trial << " format " << format;
        }
    }
}

// A camera at the viewport origin draws the record where it was captured.
TEST_F(SceneReplay, CameraAtViewportOriginKeepsCapturedPlace) {
    Canvas c(32, 32, 4);
    c.Select();
    QRV_SetBufferViewPort(4, 6, 30, 30);
    QrvSceneRecord rec{};
    Scene_Write_Capture_Box(&rec, 2, 10, 12, 14, 15, 0, 0xFF00FF00);
    Scene_Render_Captured_Box(&rec, 4, 6);
    EXPECT_EQ(RowExtent(c, 12), "10..13");
    EXPECT_EQ(RowExtent(c, 14), "10..13");
    EXPECT_EQ(RowExtent(c, 15), "");
}

// Records whose mapped points would wrap in 32 bits onto the viewport, radii
// past the 32-bit range and counts above the eight vertex slots draw nothing.
TEST_F(SceneReplay, UnreachableRecordsDrawNothing) {
    Canvas c(32, 32, 4);
    c.Select();
    const auto before = c.Snapshot();
    std::mt19937 rng(5);
    texture.Fill(rng, 4);
    for (const ReplayKind& kind : Kinds()) {
        // x - INT32_MAX is below the 32-bit range; wrapped it would be x + 1.
        QrvSceneRecord rec{};
        Scene_Write_Capture_QuadG(&rec, 2, INT32_MIN + 1, 2, ~0u, INT32_MIN + 20, 2, ~0u, INT32_MIN + 20, 20, ~0u,
                                  INT32_MIN + 1, 20, ~0u, 0, 0);
        for (QrvSceneVertex& v : rec.vertex) v.u = v.v = 1 << 16;
        kind.replay(&rec, INT32_MAX, 0);
        kind.replay(nullptr, 0, 0);
    }
    QrvSceneRecord round{};
    Scene_Write_Capture_Ellipse(&round, 2, INT32_MIN + 5, 10, 0, 0, 0, ~0u);
    round.vertex[1].drawX = round.vertex[1].drawY = INT32_MAX;  // 32-bit differences would wrap to 6
    Scene_Render_Captured_Circle(&round, INT32_MIN, 0);
    Scene_Render_Captured_Ellipse(&round, INT32_MIN, 0);

    struct Long {
        QrvSceneRecord rec;
        QrvSceneVertex more[5];
    } poly{};
    Scene_Write_Capture_Quad(&poly.rec, 2, 1, 1, 20, 1, 20, 20, 1, 20, 0, ~0u, 0);
    poly.rec.vertexCount = 9;
    Scene_Render_Captured_Polygon(&poly.rec, 0, 0);
    Scene_Render_Captured_PolygonG(&poly.rec, 0, 0);
    EXPECT_EQ(c.storage, before);
}

// Polygon replays read as many vertices as the count says, up to the eight
// slots, from a record the host made long enough.
TEST_F(SceneReplay, LongPolygonRecords) {
    struct Long {
        QrvSceneRecord rec;
        QrvSceneVertex more[4];
    } poly{};
    const int32_t xs[8] = {10, 20, 26, 26, 20, 10, 4, 4}, ys[8] = {2, 2, 8, 18, 24, 24, 18, 8};
    const int32_t camX = 3, camY = -2;
    poly.rec.mode = 2;
    poly.rec.vertexCount = 8;
    for (int i = 0; i < 8; ++i) {
        QrvSceneVertex* vx = i < 4 ? &poly.rec.vertex[i] : &poly.more[i - 4];
        SceneVert_iXYcombined(vx, xs[i], ys[i]);
        vx->colour = 0xFF000000u | 0x3Fu << (i % 3 * 8);
    }
    Canvas replayed(32, 32, 4), direct(32, 32, 4);
    replayed.Select();
    Scene_Render_Captured_PolygonG(&poly.rec, camX, camY);
    direct.Select();
    for (int i = 0; i < 8; ++i) {
        qrv::PolyX[i] = xs[i] - camX;
        qrv::PolyY[i] = ys[i] - camY;
        qrv::PolyRGB[i] = 0xFF000000u | 0x3Fu << (i % 3 * 8);
    }
    QRV_DrawGouraudPoly(8, 2);
    EXPECT_EQ(RowExtent(replayed, 14), "1..22");
    EXPECT_EQ(replayed.storage, direct.storage);
}

}  // namespace
