#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

#include "polygons/edge_walk.h"
#include "polygons/poly_test_util.h"
#include "primitives/span_test_util.h"
#include "quorvel.h"

using namespace qrvtest;

namespace {

// The texture and draw descriptor of the textured replays.
QrvSurfaceDesc* gTexture = nullptr;
void* gTpd = nullptr;

// A record's vertices at the position the camera maps them to.
struct Mapped {
    const QrvSceneRecord& r;
    int32_t dx, dy;
    int32_t X(int i) const { return r.vertex[i].drawX + dx; }
    int32_t Y(int i) const { return r.vertex[i].drawY + dy; }
    uint32_t K(int i) const { return r.vertex[i].colour; }
    int32_t U(int i) const { return r.vertex[i].u; }
    int32_t V(int i) const { return r.vertex[i].v; }
    int32_t Rx() const { return std::abs(X(1) - X(0)); }
    int32_t Ry() const { return std::abs(Y(1) - Y(0)); }
    bool Tri() const { return r.vertexCount == 3; }
};

struct ReplayKind {
    const char* name;
    std::function<void(const QrvSceneRecord*, int32_t camX, int32_t camY)> replay;
    std::function<void(const Mapped&)> direct;  // the drawing call the replay stands for
    int32_t uvRange;                            // texture coordinates below this
};

std::vector<ReplayKind> Kinds() {
    using M = const Mapped&;
    using R = const QrvSceneRecord*;
    const int32_t texels = 16, fixed = 16 << 16;
    return {
        {"Box", Scene_Render_Captured_Box,
         [](M m) { QRV_Box(m.X(0), m.Y(0), m.X(1), m.Y(1), m.K(0), m.r.mode); }, texels},
        {"ShadeBox", Scene_Render_Captured_ShadeBox,
         [](M m) { QRV_ShadeBox(m.X(0), m.Y(0), m.X(2), m.Y(2), m.K(0), m.K(1), m.K(2), m.K(3), m.r.mode); }, texels},
        {"Circle", Scene_Render_Captured_Circle,
         [](M m) { QRV_Circle(m.X(0), m.Y(0), m.Rx(), m.K(0), m.r.mode); }, texels},
        {"Ellipse", Scene_Render_Captured_Ellipse,
         [](M m) { QRV_Ellipse(m.X(0), m.Y(0), m.Rx(), m.Ry(), m.K(0), m.r.mode); }, texels},
        {"GouraudStripH", Scene_Render_Captured_GouraudStripH,
         [](M m) { QRV_HoriGouraudStrip(m.X(0), m.K(0), m.X(1), m.K(1), m.Y(0)); }, texels},
        {"GouraudStripV", Scene_Render_Captured_GouraudStripV,
         [](M m) { QRV_VertGouraudStrip(m.Y(0), m.K(0), m.Y(1), m.K(1), m.X(0)); }, texels},
        {"TextureStripH", [](R r, int32_t x, int32_t y) { Scene_Render_Captured_TextureStripH(r, x, y, gTexture); },
         [](M m) { QRV_HoriTextureStrip(gTexture, m.X(0), m.U(0), m.V(0), m.X(1), m.U(1), m.V(1), m.Y(0)); }, fixed},
        {"TextureStripV", [](R r, int32_t x, int32_t y) { Scene_Render_Captured_TextureStripV(r, x, y, gTexture); },
         [](M m) { QRV_VertTextureStrip(gTexture, m.Y(0), m.U(0), m.V(0), m.Y(1), m.U(1), m.V(1), m.X(0)); }, fixed},
        {"Polygon", Scene_Render_Captured_Polygon,
         [](M m) {
             if (m.Tri()) QRV_Tri(m.X(0), m.Y(0), m.X(1), m.Y(1), m.X(2), m.Y(2), m.K(0), m.r.mode);
             else QRV_Quad(m.X(0), m.Y(0), m.X(1), m.Y(1), m.X(2), m.Y(2), m.X(3), m.Y(3), m.K(0), m.r.mode);
         },
         texels},
        {"PolygonG", Scene_Render_Captured_PolygonG,
         [](M m) {
             if (m.Tri()) QRV_TriG(m.X(0), m.Y(0), m.K(0), m.X(1), m.Y(1), m.K(1), m.X(2), m.Y(2), m.K(2), m.r.mode);
             else QRV_QuadG(m.X(0), m.Y(0), m.K(0), m.X(1), m.Y(1), m.K(1), m.X(2), m.Y(2), m.K(2), m.X(3), m.Y(3),
                            m.K(3), m.r.mode);
         },
         texels},
        {"PolygonT", [](R r, int32_t x, int32_t y) { Scene_Render_Captured_PolygonT(r, x, y, gTexture, gTpd); },
         [](M m) {
             if (m.Tri())
                 QRV_TriT(gTexture, m.X(0), m.Y(0), m.U(0), m.V(0), m.X(1), m.Y(1), m.U(1), m.V(1), m.X(2), m.Y(2),
                          m.U(2), m.V(2), gTpd);
             else
                 QRV_QuadT(gTexture, m.X(0), m.Y(0), m.U(0), m.V(0), m.X(1), m.Y(1), m.U(1), m.V(1), m.X(2), m.Y(2),
                           m.U(2), m.V(2), m.X(3), m.Y(3), m.U(3), m.V(3), gTpd);
         },
         texels},
    };
}

class SceneReplay : public ::testing::Test {
protected:
    SettingsGuard guard;
    void SetUp() override {
        QRV_Init_Lib();
        gTpd = TPD_Alloc();
    }
    void TearDown() override { TPD_Free(gTpd); }
};

// Whatever the camera, viewport (empty ones included), format, mode, MMX state
// and kernel set, a replay writes exactly the pixels of the direct call at the
// mapped position: culling near every viewport edge never hides a pixel the
// drawing routine would write.
TEST_F(SceneReplay, DrawsWhatTheDirectCallDraws) {
    std::mt19937 rng(812);
    for (const ReplayKind& kind : Kinds())
        for (int trial = 0; trial < 600; ++trial) {
            const int format = kAllFormats[trial % 5];
            Canvas replayed(48, 40, format), direct(48, 40, format);
            Texture texture(16, 16, format);
            texture.canvas.Randomise(rng);
            gTexture = &texture;
            const ViewRect v = RandomDrawingSetup(rng, replayed);
            direct.storage = replayed.storage;
            // Three or four vertices around the canvas, any mode and style bits.
            QrvSceneRecord rec{};
            rec.vertexCount = 3 + static_cast<int32_t>(rng() % 2);
            const int32_t mode = rng() % 3 == 0 ? 0 : kAllModes[rng() % std::size(kAllModes)];
            rec.mode = (mode & 0xFFF0) | static_cast<int32_t>(rng() % 4);
            for (QrvSceneVertex& vx : rec.vertex) {
                SceneVert_iXYcombined(&vx, int32_t(rng() % 80) - 20, int32_t(rng() % 72) - 16);
                vx.colour = rng() | 0x01010101u;
                vx.u = static_cast<int32_t>(rng() % kind.uvRange);
                vx.v = static_cast<int32_t>(rng() % kind.uvRange);
            }
            // Cameras around the viewport origin, so that shapes land on every edge.
            const int32_t camX = v.left + static_cast<int32_t>(rng() % 41) - 20;
            const int32_t camY = v.top + static_cast<int32_t>(rng() % 41) - 20;
            kind.replay(&rec, camX, camY);
            QRV_SetBuffer(direct.Base(), direct.pitch, format);
            kind.direct(Mapped{rec, v.left - camX, v.top - camY});
            ASSERT_EQ(replayed.storage, direct.storage) << kind.name << " trial " << trial << " format " << format;
        }
}

// Records whose mapped points would wrap in 32 bits onto the viewport, radii
// past the 32-bit range, counts above the eight vertex slots and null records
// draw nothing.
TEST_F(SceneReplay, UnreachableRecordsDrawNothing) {
    Canvas c(32, 32, 4);
    c.Select();
    const auto before = c.Snapshot();
    Texture texture(16, 16, 4);
    std::mt19937 rng(5);
    texture.canvas.Randomise(rng);
    gTexture = &texture;
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

    struct {
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
    struct {
        QrvSceneRecord rec;
        QrvSceneVertex more[4];
    } poly{};
    const int32_t xs[8] = {10, 20, 26, 26, 20, 10, 4, 4}, ys[8] = {2, 2, 8, 18, 24, 24, 18, 8};
    const int32_t camX = 3, camY = -2;
    poly.rec.mode = 2;
    poly.rec.vertexCount = 8;
    Canvas replayed(32, 32, 4), direct(32, 32, 4);
    for (int i = 0; i < 8; ++i) {
        QrvSceneVertex* v = i < 4 ? &poly.rec.vertex[i] : &poly.more[i - 4];
        SceneVert_iXYcombined(v, xs[i], ys[i]);
        v->colour = qrv::PolyRGB[i] = 0xFF000000u | 0x3Fu << (i % 3 * 8);
        qrv::PolyX[i] = xs[i] - camX;
        qrv::PolyY[i] = ys[i] - camY;
    }
    direct.Select();
    QRV_DrawGouraudPoly(8, 2);
    replayed.Select();
    Scene_Render_Captured_PolygonG(&poly.rec, camX, camY);
    EXPECT_EQ(RowExtent(replayed, 14), "1..22");
    EXPECT_EQ(replayed.storage, direct.storage);
}

}  // namespace
