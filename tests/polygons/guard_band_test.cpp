#include <gtest/gtest.h>

#include <random>

#include "polygons/edge_walk.h"
#include "polygons/poly_test_util.h"
#include "primitives/span_test_util.h"
#include "quorvel.h"
#include "support/canvas.h"

using namespace qrvtest;

namespace {

// Random polygons and strips in random modes, formats and viewports, with
// coordinates far outside the buffer and past 16 bits: nothing is written
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
        const int format = kAllFormats[trial % 5];
        Canvas c(40, 30, format, 4);
        const ViewRect v = RandomDrawingSetup(rng, c);
        const int32_t mode = kAllModes[rng() % 11] | static_cast<int32_t>(rng() % 16);
        const int32_t count = 2 + static_cast<int32_t>(rng() % 8);
        for (int i = 0; i < 8; ++i) {
            qrv::PolyX[i] = coord(40);
            qrv::PolyY[i] = coord(30);
            qrv::PolyRGB[i] = rng();
        }
        const auto before = c.Snapshot();
        switch (trial % 6) {
            case 0:
                QRV_Tri(coord(40), coord(30), coord(40), coord(30), coord(40), coord(30), rng(), mode);
                break;
            case 1:
                QRV_Quad(coord(40), coord(30), coord(40), coord(30), coord(40), coord(30), coord(40), coord(30), rng(),
                         mode);
                break;
            case 2: QRV_DrawGouraudPoly(count, mode); break;
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

}  // namespace
