#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "polygons/poly_test_util.h"
#include "primitives/circle_profile.h"
#include "primitives/span_test_util.h"
#include "quorvel.h"
#include "support/canvas.h"

using namespace qrvtest;

namespace {

constexpr uint32_t kRed = 0xFFFF0000;

class Shapes : public ::testing::Test {
protected:
    SettingsGuard guard;
    Canvas canvas{32, 24, 4};
    void SetUp() override {
        QRV_Init_Lib();
        canvas.Select();
    }
    std::vector<std::string> Draw(void (*draw)()) {
        canvas.Clear(0);
        draw();
        return Picture(canvas);
    }
};

TEST(CircleProfile, TableEndsAndExtents) {
    QRV_Init_Lib();
    EXPECT_EQ(qrv::CircleProfile[0], 16383);
    EXPECT_EQ(qrv::CircleProfile[16383], 0);
    EXPECT_EQ(qrv::CircleProfile[16384], 0);
    EXPECT_EQ(qrv::CircleProfile[8191], 14188);  // sqrt(16384^2 - 8192^2) truncated
    for (int32_t b : {1, 2, 10, 999, 16384}) EXPECT_EQ(qrv::ProfileExtent(0, 7, b), b - 1);
    EXPECT_EQ(qrv::ProfileExtent(7, 7, 100), 0);
    // Radii far past the table's range neither wrap the index nor overflow.
    EXPECT_EQ(qrv::ProfileExtent(1 << 30, 1 << 30, 1 << 30), 0);
    EXPECT_EQ(qrv::ProfileExtent(0, 1 << 30, 1 << 30), (1 << 30) - (1 << 16));
}

TEST_F(Shapes, FilledAndOutlinedBoxes) {
    QRV_Box(10, 10, 20, 15, kRed, 2);
    for (int y = 0; y < 24; ++y) EXPECT_EQ(RowExtent(canvas, y), y >= 10 && y < 15 ? "10..19" : "") << y;
    const auto filled = Picture(canvas);
    canvas.Clear(0);
    QRV_Box(20, 15, 10, 10, kRed, 2);
    EXPECT_EQ(Picture(canvas), filled);

    canvas.Clear(0);
    QRV_Box(10, 10, 20, 15, kRed, 3);  // outline wins
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 32; ++x) {
            const bool edge = (y == 10 || y == 15) ? x >= 10 && x <= 20 : y > 10 && y < 15 && (x == 10 || x == 20);
            EXPECT_EQ(canvas.Get(x, y), edge ? 0xFFFF0000u : 0u) << x << "," << y;
        }
    }
    const auto outline = Picture(canvas);
    // In a blending mode every outline pixel is combined exactly once, over
    // the same columns as in replace.
    canvas.Clear(0);
    QRV_Box(10, 10, 20, 15, kRed, 1024 | 1);
    EXPECT_EQ(Picture(canvas), outline);
    EXPECT_EQ(canvas.Get(20, 10), 0xFFFF0000u);
    canvas.Clear(0);
    QRV_Box(10, 10, 20, 15, kRed, 0);
    EXPECT_EQ(RowExtent(canvas, 12), "");
}

TEST_F(Shapes, OutlinesHaveNoGaps) {
    QRV_Box(2, 2, 6, 4, kRed, 1);  // three rows: the middle row keeps its sides
    EXPECT_EQ(RowExtent(canvas, 3), "2..6");
    EXPECT_EQ(canvas.Get(4, 3), 0u);
    canvas.Clear(0);
    QRV_SetBufferViewPort(5, 0, 6, 24);  // clipped to one column: the corners stay
    QRV_Box(0, 2, 10, 6, kRed, 1);
    EXPECT_EQ(Picture(canvas)[2][5], '#');
    EXPECT_EQ(Picture(canvas)[6][5], '#');
    EXPECT_EQ(Picture(canvas)[4][5], '.');
    canvas.Select();
    canvas.Clear(0);
    QRV_Box(3, 5, 9, 5, kRed, 1);  // one row
    QRV_Box(12, 1, 12, 4, kRed, 1);  // one column
    EXPECT_EQ(RowExtent(canvas, 5), "3..9");
    for (int y = 1; y <= 4; ++y) EXPECT_EQ(RowExtent(canvas, y), "12..12") << y;
}

TEST_F(Shapes, BoxesClipToEachViewportEdge) {
    QRV_SetBufferViewPort(4, 3, 20, 15);
    QRV_Box(-5, -5, 40, 40, kRed, 1);  // every edge outside: nothing
    QRV_Box(-5, 8, 40, 8, kRed, 2);    // zero height: nothing
    for (int y = 0; y < 24; ++y) EXPECT_EQ(RowExtent(canvas, y), "") << y;
    QRV_Box(0, 0, 10, 10, kRed, 1);    // left and top edges clipped away
    EXPECT_EQ(RowExtent(canvas, 3), "10..10");
    EXPECT_EQ(RowExtent(canvas, 10), "4..10");
    canvas.Clear(0);
    QRV_Box(10, 10, 30, 30, kRed, 2);
    EXPECT_EQ(RowExtent(canvas, 14), "10..19");
    EXPECT_EQ(RowExtent(canvas, 15), "");
    EXPECT_TRUE(canvas.GuardsIntact());
}

TEST_F(Shapes, ShadedBoxes) {
    Canvas flat(32, 24, 4);
    flat.Select();
    QRV_Box(3, 2, 20, 9, 0x123456, 2);
    canvas.Select();
    QRV_ShadeBox(3, 2, 20, 9, 0x123456, 0x123456, 0x123456, 0x123456, 0);
    EXPECT_TRUE(canvas.storage == flat.storage);

    canvas.Clear(0xFF);
    QRV_ShadeBox(0, 0, 10, 4, 0x000000, 0xFFFFFF, 0xFFFFFF, 0x000000, 2);
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(canvas.Get(0, y), 0u);
        EXPECT_EQ(canvas.Get(9, y), 0x00E5E5E5u);  // 9/10 of white: the end colour is never reached
        EXPECT_EQ(canvas.Get(10, y), 0xFFFFFFFFu);
    }
    QRV_ShadeBox(0, 0, 0, 4, 0, 0, 0, 0, 2);  // zero width
    EXPECT_EQ(canvas.Get(0, 5), 0xFFFFFFFFu);
}

TEST_F(Shapes, ShadedBoxClippedOnTheLeftContinuesItsGradient) {
    QRV_SetBufferViewPort(5, 2, 32, 24);
    QRV_ShadeBox(0, 0, 10, 10, 0x000000, 0xFF0000, 0xFF0000, 0x000000, 2);
    // Record start = 5/10 of red, then 5 steps of (0xFF << 16) / 5 per pixel.
    EXPECT_EQ(canvas.Get(5, 2), 0x007F0000u);
    EXPECT_EQ(canvas.Get(4, 2), 0u);
    EXPECT_EQ(canvas.Get(5, 1), 0u);
    EXPECT_EQ(canvas.Get(5, 9), 0x007F0000u);
    EXPECT_EQ(canvas.Get(10, 9), 0u);
}

TEST(Circles, FilledCircleRowsAndClipping) {
    QRV_Init_Lib();
    Canvas whole(200, 200, 1);
    whole.Select();
    QRV_Circle(100, 100, 10, kRed, 2);
    EXPECT_EQ(RowExtent(whole, 90), "");
    EXPECT_EQ(RowExtent(whole, 91), RowExtent(whole, 108));
    EXPECT_NE(RowExtent(whole, 91), "");
    EXPECT_EQ(RowExtent(whole, 99), "91..108");
    EXPECT_EQ(RowExtent(whole, 100), "91..108");
    EXPECT_EQ(RowExtent(whole, 109), "");
    for (int k = 1; k < 10; ++k) EXPECT_EQ(RowExtent(whole, 100 - k), RowExtent(whole, 99 + k)) << k;

    // Cut by each viewport edge in turn: inside the viewport nothing changes.
    const int32_t views[][4] = {{0, 0, 105, 200}, {95, 0, 200, 200}, {0, 0, 200, 95}, {0, 104, 200, 200},
                                {90, 90, 110, 110}, {0, 0, 110, 200}};
    for (const auto& v : views) {
        Canvas cut(200, 200, 1);
        cut.Select();
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
    QRV_Init_Lib();
    for (int shift : {0, 17}) {  // fitting, then reaching past the viewport
        Canvas a(40, 30, 2), b(40, 30, 2);
        a.Select();
        QRV_FilledEllipseNC(20 + shift, 15, 9, 6, 0x7FFF, 2);
        b.Select();
        QRV_FilledEllipse(20 + shift, 14, 9, 6, 0x7FFF, 2);
        EXPECT_TRUE(a.storage == b.storage) << shift;
        EXPECT_TRUE(a.GuardsIntact());
        EXPECT_EQ(RowExtent(a, 10), shift ? "33..39" : "16..23");  // row cy - ry + 1, half-width h(5) = 4
    }
    Canvas c(40, 30, 4);
    c.Select();
    QRV_Circle(20, 15, 0, kRed, 2);
    QRV_FilledEllipse(20, 15, 5, 1, kRed, 2);
    QRV_FilledEllipseNC(20, 15, 0, 5, kRed, 2);
    QRV_Ellipse(20, 15, 8, 0, kRed, 1);
    for (int y = 0; y < 30; ++y) EXPECT_EQ(RowExtent(c, y), "") << y;
}

TEST(Circles, Outlines) {
    QRV_Init_Lib();
    Canvas c(100, 100, 3);
    c.Select();
    QRV_OpenCircle(50, 50, 5, 0x00FF00, 1);
    EXPECT_EQ(c.Get(46, 50), 0x00FF00u);
    EXPECT_EQ(c.Get(54, 50), 0x00FF00u);
    EXPECT_EQ(c.Get(45, 50), 0u);
    EXPECT_EQ(c.Get(50, 46), 0x00FF00u);
    for (int y = 40; y < 60; ++y)
        for (int x = 40; x < 60; ++x) {
            ASSERT_EQ(c.Get(x, y), c.Get(100 - x, 100 - y)) << x << "," << y;
            ASSERT_EQ(c.Get(x, y), c.Get(y, x)) << x << "," << y;
        }
    const auto replace = Picture(c);
    // The same outline in a mode, clipped or not, and through the ellipse call.
    for (int32_t flags : {1024 | 1, 512}) {
        Canvas m(100, 100, 3);
        m.Select();
        if (flags & 1) {
            QRV_OpenCircle(50, 50, 5, 0x00FF00, flags);
        } else {
            QRV_OpenEllipseFX(50, 50, 5, 5, 0x00FF00, flags, 1);
        }
        // Xor combines the points the passes share twice; or does not care.
        for (int y = 40; y < 60; ++y) {
            for (int x = 40; x < 60; ++x) {
                if (replace[y][x] == '.') {
                    ASSERT_EQ(m.Get(x, y), 0u) << x << "," << y;
                }
            }
        }
        if (!(flags & 1)) {
            EXPECT_EQ(Picture(m), replace);
        }
    }
    Canvas e(100, 100, 3);
    e.Select();
    QRV_OpenEllipse(50, 50, 5, 5, 0x00FF00, 0);
    EXPECT_EQ(Picture(e), replace);
}

TEST(Circles, UnclippedOutlineOutsideTheViewportIsClipped) {
    QRV_Init_Lib();
    Canvas c(40, 30, 4);
    c.Select();
    QRV_SetBufferViewPort(10, 10, 30, 20);
    const auto before = c.Snapshot();
    QRV_OpenEllipseFX(20, 15, 30, 30, kRed, 64, 1);
    QRV_OpenEllipseFX(20, 15, 8, 4, kRed, 64, 1);
    EXPECT_TRUE(UnchangedOutside(c, before, 10, 10, 30, 20));
    EXPECT_EQ(c.Get(20, 12), 0x00FF0000u);  // top of the inner ellipse: h(0) = ry - 1
}

// Random shapes in random modes, formats and viewports, with coordinates and
// radii far outside the buffer: nothing is written outside the viewport.
TEST(ShapeGuardBand, NothingOutsideTheViewport) {
    QRV_Init_Lib();
    SettingsGuard guard;
    std::mt19937 rng(2024);
    auto coord = [&](int range) -> int32_t {
        switch (rng() % 8) {
            case 0: return static_cast<int32_t>(rng());
            case 1: return static_cast<int32_t>(rng() % 200001) - 100000;
            default: return static_cast<int32_t>(rng() % (3 * range)) - range;
        }
    };
    auto radius = [&]() -> int32_t {
        switch (rng() % 8) {
            case 0: return static_cast<int32_t>(rng() % 300000) - 1000;
            case 1: return static_cast<int32_t>(rng() >> 1);
            default: return static_cast<int32_t>(rng() % 60) - 2;
        }
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
