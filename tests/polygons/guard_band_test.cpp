// Properties of polygons and strips over random outlines, modes and viewports.
#include <gtest/gtest.h>

#include <random>

#include "polygons/edge_walk.h"
#include "polygons/poly_test_util.h"
#include "primitives/span_test_util.h"

using namespace qrvtest;

namespace {

// Coordinates far outside the buffer and past 16 bits: nothing is written
// outside the viewport.
TEST(PolygonGuardBand, NothingOutsideTheViewport) {
    QRV_Init_Lib();
    SettingsGuard guard;
    std::mt19937 rng(77);
    auto coord = [&](int range) -> int32_t {
        switch (rng() % 10) {
            case 0: return static_cast<int32_t>(rng());
            case 1: return static_cast<int32_t>(rng() % 65536) - 32768;
            default: return static_cast<int32_t>(rng() % (3 * range)) - range;
        }
    };
    for (int trial = 0; trial < 4000; ++trial) {
        Canvas c(40, 30, kAllFormats[trial % 5], 4);
        const ViewRect v = RandomDrawingSetup(rng, c);
        const int32_t mode = kAllModes[rng() % 11] | static_cast<int32_t>(rng() % 16);
        for (int i = 0; i < 8; ++i) qrv::PolyX[i] = coord(40), qrv::PolyY[i] = coord(30), qrv::PolyRGB[i] = rng();
        const auto before = c.Snapshot();
        switch (trial % 6) {
            case 0: QRV_Tri(coord(40), coord(30), coord(40), coord(30), coord(40), coord(30), rng(), mode); break;
            case 1:
                QRV_Quad(coord(40), coord(30), coord(40), coord(30), coord(40), coord(30), coord(40), coord(30), rng(),
                         mode);
                break;
            case 2: QRV_DrawGouraudPoly(2 + static_cast<int32_t>(rng() % 8), mode); break;
            case 3:
                QRV_TriG(coord(40), coord(30), rng(), coord(40), coord(30), rng(), coord(40), coord(30), rng(), mode);
                break;
            case 4: QRV_HoriGouraudStrip(coord(40), rng(), coord(40), rng(), coord(30)); break;
            default: QRV_VertGouraudStrip(coord(30), rng(), coord(30), rng(), coord(40)); break;
        }
        ASSERT_TRUE(c.GuardsIntact()) << "trial " << trial;
        ASSERT_TRUE(UnchangedOutside(c, before, v.left, v.top, v.right, v.bottom)) << "trial " << trial;
    }
}

// Inside a viewport at non-negative coordinates, a clipped polygon covers
// exactly the pixels of the unclipped one that the viewport holds.
TEST(PolygonClipping, ClippedEqualsUnclippedInsideViewport) {
    QRV_Init_Lib();
    std::mt19937 rng(17);
    for (int trial = 0; trial < 400; ++trial) {
        const int format = 1 + trial % 5;
        Canvas whole(40, 30, format), clipped(40, 30, format);
        int32_t v[4][2];
        for (auto& p : v) p[0] = static_cast<int32_t>(rng() % 40), p[1] = static_cast<int32_t>(rng() % 30);
        const bool quad = trial & 1, gouraud = trial & 2;
        const int32_t vl = static_cast<int32_t>(rng() % 20), vt = static_cast<int32_t>(rng() % 15);
        const int32_t vr = vl + 1 + static_cast<int32_t>(rng() % (40 - vl));
        const int32_t vb = vt + 1 + static_cast<int32_t>(rng() % (30 - vt));
        auto draw = [&]() {
            if (gouraud)
                QRV_QuadG(v[0][0], v[0][1], 0x102030, v[1][0], v[1][1], 0xF0E0D0, v[2][0], v[2][1], 0x80FF10,
                          v[3][0], v[3][1], 0x204080, 2);
            else if (quad)
                QRV_Quad(v[0][0], v[0][1], v[1][0], v[1][1], v[2][0], v[2][1], v[3][0], v[3][1], 0xFFFFFFFF, 2);
            else
                QRV_Tri(v[0][0], v[0][1], v[1][0], v[1][1], v[2][0], v[2][1], 0xFFFFFFFF, 2);
        };
        whole.Select();
        draw();
        // Gouraud rows recompute their colours when clipped across, so they
        // are compared with a viewport that clips rows only.
        const int32_t cl = gouraud ? 0 : vl, cr = gouraud ? 40 : vr;
        clipped.Select();
        QRV_SetBufferViewPort(cl, vt, cr, vb);
        draw();
        ASSERT_TRUE(clipped.GuardsIntact());
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                const bool inside = x >= cl && x < cr && y >= vt && y < vb;
                ASSERT_EQ(clipped.Get(x, y), inside ? whole.Get(x, y) : 0u) << trial << " at " << x << "," << y;
            }
    }
}

}  // namespace
