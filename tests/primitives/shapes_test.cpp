#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "polygons/poly_test_util.h"
#include "primitives/circle_profile.h"
#include "primitives/draw_test_util.h"

using namespace qrvtest;

namespace {

constexpr uint32_t kRed = 0xFFFF0000;

TEST(CircleProfile, TableEndsAndExtents) {
    EXPECT_EQ(qrv::CircleProfile[0], 16383);
    EXPECT_EQ(qrv::CircleProfile[16383], 0);
    EXPECT_EQ(qrv::CircleProfile[16384], 0);
    // Radii far past the table's range neither wrap the index nor overflow.
    EXPECT_EQ(qrv::ProfileExtent(1 << 30, 1 << 30, 1 << 30), 0);
    EXPECT_EQ(qrv::ProfileExtent(0, 1 << 30, 1 << 30), (1 << 30) - (1 << 16));
}

// Every pixel of the 32 x 24 canvas after one box in a viewport: lit exactly
// in the listed rectangles (inclusive corners). A filled box is half-open, an
// outline closed with its corners drawn once, so that a blending mode combines
// each pixel once; clipped, an outline keeps its corners and sides.
TEST(Boxes, FillOutlineAndClipping) {
    struct Rect { int x0, y0, x1, y1; };
    struct Case { int view[4], x1, y1, x2, y2, flags; std::vector<Rect> lit; };
    const Case cases[] = {
        {{0, 0, 32, 24}, 10, 10, 20, 15, 2, {{10, 10, 19, 14}}},
        {{0, 0, 32, 24}, 20, 15, 10, 10, 2, {{10, 10, 19, 14}}},
        {{0, 0, 32, 24}, 10, 10, 20, 15, 3, {{10, 10, 20, 10}, {10, 15, 20, 15}, {10, 11, 10, 14}, {20, 11, 20, 14}}},
        {{0, 0, 32, 24}, 20, 15, 10, 10, 1024 | 1, {{10, 10, 20, 10}, {10, 15, 20, 15}, {10, 11, 10, 14}, {20, 11, 20, 14}}},
        {{0, 0, 32, 24}, 10, 10, 20, 15, 0, {}},
        {{0, 0, 32, 24}, 2, 2, 6, 4, 1, {{2, 2, 6, 2}, {2, 4, 6, 4}, {2, 3, 2, 3}, {6, 3, 6, 3}}},
        {{0, 0, 32, 24}, 3, 5, 9, 5, 1, {{3, 5, 9, 5}}},
        {{0, 0, 32, 24}, 12, 1, 12, 4, 1, {{12, 1, 12, 4}}},
        {{5, 0, 6, 24}, 0, 2, 10, 6, 1, {{5, 2, 5, 2}, {5, 6, 5, 6}}},
        {{4, 3, 20, 15}, -5, -5, 40, 40, 1, {}},
        {{4, 3, 20, 15}, -5, 8, 40, 8, 2, {}},
        {{4, 3, 20, 15}, 0, 0, 10, 10, 1, {{4, 10, 10, 10}, {10, 3, 10, 9}}},
        {{4, 3, 20, 15}, 0, 0, 10, 10, 2, {{4, 3, 9, 9}}},
        {{4, 3, 20, 15}, 10, 10, 30, 30, 1, {{10, 10, 19, 10}, {10, 11, 10, 14}}},
        {{4, 3, 20, 15}, 10, 10, 30, 30, 2, {{10, 10, 19, 14}}},
    };
    for (const Case& k : cases) {
        Selected c(32, 24, 4);
        QRV_SetBufferViewPort(k.view[0], k.view[1], k.view[2], k.view[3]);
        QRV_Box(k.x1, k.y1, k.x2, k.y2, kRed, k.flags);
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 32; ++x) {
                bool lit = false;
                for (const Rect& r : k.lit) lit = lit || (x >= r.x0 && x <= r.x1 && y >= r.y0 && y <= r.y1);
                ASSERT_EQ(c.Get(x, y), lit ? kRed : 0u) << "box " << k.x1 << "," << k.y1 << " flags " << k.flags
                                                        << " at " << x << "," << y;
            }
        EXPECT_TRUE(c.GuardsIntact());
    }
}

// Equal corners shade as a flat box. The gradient never reaches its end
// colour, and clipped on the left and top it continues where it would be.
TEST(Boxes, Shaded) {
    Selected flat(32, 24, 4);
    QRV_Box(3, 2, 20, 9, 0x123456, 2);
    Selected canvas(32, 24, 4);
    QRV_ShadeBox(3, 2, 20, 9, 0x123456, 0x123456, 0x123456, 0x123456, 0);
    EXPECT_TRUE(canvas.storage == flat.storage);

    canvas.Clear(0xFF);
    QRV_ShadeBox(0, 0, 10, 4, 0x000000, 0xFFFFFF, 0xFFFFFF, 0x000000, 2);
    for (int y = 0; y < 4; ++y)
        EXPECT_TRUE(canvas.Get(0, y) == 0 && canvas.Get(9, y) == 0x00E5E5E5 && canvas.Get(10, y) == 0xFFFFFFFF) << y;
    const auto before = canvas.Snapshot();
    QRV_ShadeBox(20, 0, 20, 4, 0, 0, 0, 0, 2);  // zero width
    EXPECT_TRUE(canvas.storage == before);

    canvas.Clear(0);
    QRV_SetBufferViewPort(5, 2, 32, 24);
    QRV_ShadeBox(0, 0, 10, 10, 0x000000, 0xFF0000, 0xFF0000, 0x000000, 2);
    // Record start = 5/10 of red, then 5 steps of (0xFF << 16) / 5 per pixel.
    for (auto [x, y, want] : {std::tuple{5, 2, 0x007F0000u}, {4, 2, 0u}, {5, 1, 0u}, {5, 9, 0x007F0000u}, {10, 9, 0u}})
        EXPECT_EQ(canvas.Get(x, y), want) << x << "," << y;
}

TEST(Circles, FilledCircleRowsAndClipping) {
    Selected whole(200, 200, 1);
    QRV_Circle(100, 100, 10, kRed, 2);
    // Rows 91 to 108, the widest two 91..108, mirrored about the line between 99 and 100.
    EXPECT_EQ(RowExtent(whole, 90), "");
    EXPECT_NE(RowExtent(whole, 91), "");
    EXPECT_EQ(RowExtent(whole, 99), "91..108");
    for (int k = 0; k <= 10; ++k) EXPECT_EQ(RowExtent(whole, 100 - k), RowExtent(whole, 99 + k)) << k;

    // Cut by each viewport edge in turn: inside the viewport nothing changes.
    const int32_t views[][4] = {{0, 0, 105, 200}, {95, 0, 200, 200}, {0, 0, 200, 95}, {0, 104, 200, 200},
                                {90, 90, 110, 110}, {0, 0, 110, 200}};
    for (const auto& v : views) {
        Selected cut(200, 200, 1);
        QRV_SetBufferViewPort(v[0], v[1], v[2], v[3]);
        QRV_Circle(100, 100, 10, kRed, 2);
        for (int y = 85; y < 115; ++y)
            for (int x = 85; x < 115; ++x) {
                const bool inside = x >= v[0] && x < v[2] && y >= v[1] && y < v[3];
                ASSERT_EQ(cut.Get(x, y), inside ? whole.Get(x, y) : 0u) << x << "," << y;
            }
    }
}

TEST(Circles, FilledEllipseEntryPointsAgree) {
    for (int shift : {0, 17}) {  // fitting, then reaching past the viewport
        Selected a(40, 30, 2);
        QRV_FilledEllipseNC(20 + shift, 15, 9, 6, 0x7FFF, 2);
        Selected b(40, 30, 2);
        QRV_FilledEllipse(20 + shift, 14, 9, 6, 0x7FFF, 2);
        EXPECT_TRUE(a.storage == b.storage) << shift;
        EXPECT_TRUE(a.GuardsIntact());
        EXPECT_EQ(RowExtent(a, 10), shift ? "33..39" : "16..23");  // row cy - ry + 1, half-width h(5) = 4
    }
    Selected c(40, 30, 4);
    QRV_Circle(20, 15, 0, kRed, 2);
    QRV_FilledEllipse(20, 15, 5, 1, kRed, 2);
    QRV_FilledEllipseNC(20, 15, 0, 5, kRed, 2);
    QRV_Ellipse(20, 15, 8, 0, kRed, 1);
    for (int y = 0; y < 30; ++y) EXPECT_EQ(RowExtent(c, y), "") << y;
}

TEST(Circles, Outlines) {
    Selected c(100, 100, 3);
    QRV_OpenCircle(50, 50, 5, 0x00FF00, 1);
    EXPECT_EQ(RowExtent(c, 50), "46..54");  // half-width r - 1
    EXPECT_EQ(c.Get(50, 46), 0x00FF00u);
    for (int y = 40; y < 60; ++y)
        for (int x = 40; x < 60; ++x) {
            ASSERT_EQ(c.Get(x, y), c.Get(100 - x, 100 - y)) << x << "," << y;
            ASSERT_EQ(c.Get(x, y), c.Get(y, x)) << x << "," << y;
        }
    const auto replace = Picture(c);
    // The same points through the ellipse calls, in a mode, clipped or not.
    for (auto draw : {+[] { QRV_OpenEllipse(50, 50, 5, 5, 0x00FF00, 0); },
                      +[] { QRV_OpenEllipseFX(50, 50, 5, 5, 0x00FF00, 512, 1); }}) {
        Selected e(100, 100, 3);
        draw();
        EXPECT_EQ(Picture(e), replace);
    }
    // Xor combines the points the two passes share twice: no others appear.
    Selected x(100, 100, 3);
    QRV_OpenCircle(50, 50, 5, 0x00FF00, 1024 | 1);
    for (int y = 40; y < 60; ++y)
        for (int i = 40; i < 60; ++i) ASSERT_TRUE(replace[y][i] == '#' || x.Get(i, y) == 0) << i << "," << y;

    // Asked not to clip, an outline reaching past the viewport is still clipped.
    Selected u(40, 30, 4);
    QRV_SetBufferViewPort(10, 10, 30, 20);
    const auto before = u.Snapshot();
    QRV_OpenEllipseFX(20, 15, 30, 30, kRed, 64, 1);
    QRV_OpenEllipseFX(20, 15, 8, 4, kRed, 64, 1);
    EXPECT_TRUE(UnchangedOutside(u, before, 10, 10, 30, 20));
    EXPECT_EQ(u.Get(20, 12), 0x00FF0000u);  // top of the inner ellipse: h(0) = ry - 1
}

// Random shapes in random modes, formats and viewports, with coordinates and
// radii far outside the buffer: nothing is written outside the viewport.
TEST(ShapeGuardBand, NothingOutsideTheViewport) {
    SettingsGuard guard;
    std::mt19937 rng(2024);
    auto coord = [&](int range) -> int32_t {
        const uint32_t kind = rng() % 8;
        return kind == 0 ? int32_t(rng()) : kind == 1 ? int32_t(rng() % 200001) - 100000 : int32_t(rng() % (3 * range)) - range;
    };
    auto radius = [&]() -> int32_t {
        const uint32_t kind = rng() % 8;
        return kind == 0 ? int32_t(rng() % 300000) - 1000 : kind == 1 ? int32_t(rng() >> 1) : int32_t(rng() % 60) - 2;
    };
    for (int trial = 0; trial < 3000; ++trial) {
        const int format = kAllFormats[trial % 5];
        Canvas c(48, 36, format, 4);
        const ViewRect v = RandomDrawingSetup(rng, c);
        const int32_t flags = kAllModes[rng() % 11] | static_cast<int32_t>(rng() % 4);
        const uint32_t colour = rng();
        const auto before = c.Snapshot();
        const int32_t x = coord(48), y = coord(36);
        switch (trial % 9) {
            case 0: QRV_Box(x, y, coord(48), coord(36), colour, flags); break;
            case 1: QRV_ShadeBox(x, y, coord(48), coord(36), colour, rng(), rng(), rng(), flags); break;
            case 2: QRV_Circle(x, y, radius(), colour, flags); break;
            case 3: QRV_Ellipse(x, y, radius(), radius(), colour, flags); break;
            case 4: QRV_OpenCircle(x, y, radius(), colour, flags); break;
            case 5: QRV_OpenEllipse(x, y, radius(), radius(), colour, flags); break;
            case 6: QRV_OpenEllipseFX(x, y, radius(), radius(), colour, flags, static_cast<int32_t>(rng() % 3)); break;
            case 7: QRV_FilledEllipse(x, y, radius(), radius(), colour, flags); break;
            default: QRV_FilledEllipseNC(x, y, radius(), radius(), colour, flags); break;
        }
        ASSERT_TRUE(c.GuardsIntact()) << "trial " << trial;
        ASSERT_TRUE(UnchangedOutside(c, before, v.left, v.top, v.right, v.bottom)) << "trial " << trial;
    }
}

}  // namespace
