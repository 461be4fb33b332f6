#include <gtest/gtest.h>

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

constexpr uint32_t kWhite = 0xFFFFFFFF;

TEST(VertexSlots, OutlineQueries) {
    const int32_t xs[8] = {5, 9, 3, 7, 1, 0, 0, 0};
    const int32_t ys[8] = {4, 2, 2, 8, 6, 0, 0, 0};
    qrv::VertexBounds b{};
    EXPECT_EQ(qrv::FindPolyTop(xs, ys, 5, b), 1);  // the first of the two topmost
    EXPECT_TRUE(b.minX == 1 && b.minY == 2 && b.maxX == 9 && b.maxY == 8);
    EXPECT_EQ(qrv::TopRunEndBackward(ys, 1, 2, 5), 1);
    EXPECT_EQ(qrv::TopRunEndForward(ys, 1, 2, 5), 2);
    EXPECT_EQ(qrv::TopRunEndBackward(ys, 2, 2, 5), 1);
    EXPECT_EQ(qrv::NextChainVertex(ys, 2, 1, 1, 5), 3);
    EXPECT_EQ(qrv::NextChainVertex(ys, 2, 2, -1, 5), 0);
    EXPECT_EQ(qrv::NextChainVertex(ys, 5, 0, 1, 5), 0);  // not on the row: stays

    // Everything on one row: the walks come back round to where they started.
    const int32_t flat[8] = {3, 3, 3, 3};
    EXPECT_EQ(qrv::TopRunEndBackward(flat, 0, 3, 4), 0);
    EXPECT_EQ(qrv::NextChainVertex(flat, 3, 2, 1, 4), 2);

    EXPECT_EQ(qrv::IsClockwise(0, 0, 10, 0, 0, 10), 1);  // clockwise on screen, y down
    EXPECT_EQ(qrv::IsClockwise(0, 0, 0, 10, 10, 0), 0);
}

class FlatPolygon : public ::testing::Test {
protected:
    Canvas canvas{16, 12, 4};
    void SetUp() override {
        QRV_Init_Lib();
        canvas.Select();
    }
};

TEST_F(FlatPolygon, TopRowDrawnBottomRowNot) {
    QRV_Tri(2, 1, 10, 1, 2, 9, kWhite, 2);
    for (int y = 0; y < canvas.height; ++y) {
        const std::string want = y >= 1 && y <= 8 ? "2.." + std::to_string(10 - y) : "";
        EXPECT_EQ(RowExtent(canvas, y), want) << "row " << y;
    }
    EXPECT_EQ(canvas.Get(2, 1), 0xFFFFFFFFu);
}

TEST_F(FlatPolygon, ApexRowIsEmptyAndSpansFloorBothEnds) {
    QRV_Tri(5, 0, 10, 10, 0, 10, kWhite, 2);
    EXPECT_EQ(RowExtent(canvas, 0), "");
    EXPECT_EQ(RowExtent(canvas, 1), "4..4");
    EXPECT_EQ(RowExtent(canvas, 2), "4..5");
    EXPECT_EQ(RowExtent(canvas, 9), "0..8");
    EXPECT_EQ(RowExtent(canvas, 10), "");
}

TEST_F(FlatPolygon, FlatTopInAnySlotOrderAndWinding) {
    const int32_t quad[4][2] = {{2, 2}, {12, 2}, {12, 6}, {2, 6}};
    std::vector<std::string> first;
    for (int rotate = 0; rotate < 4; ++rotate) {
        for (int reverse = 0; reverse < 2; ++reverse) {
            canvas.Clear(0);
            int32_t v[4][2];
            for (int i = 0; i < 4; ++i) {
                const int k = (reverse ? 4 - i : i) + rotate;
                v[i][0] = quad[k % 4][0];
                v[i][1] = quad[k % 4][1];
            }
            QRV_Quad(v[0][0], v[0][1], v[1][0], v[1][1], v[2][0], v[2][1], v[3][0], v[3][1], kWhite, 2);
            for (int y = 0; y < canvas.height; ++y)
                EXPECT_EQ(RowExtent(canvas, y), y >= 2 && y < 6 ? "2..11" : "") << rotate << reverse << " row " << y;
        }
    }
}

TEST_F(FlatPolygon, RedundantVertexAmongFirstThreeKeepsTheOutline) {
    // Slots 0, 1, 2 lie on one line; the whole outline's winding decides.
    for (int reverse = 0; reverse < 2; ++reverse) {
        canvas.Clear(0);
        const int32_t xs[5] = {0, 5, 10, 10, 0}, ys[5] = {0, 0, 0, 10, 10};
        for (int i = 0; i < 5; ++i) {
            const int k = reverse ? (4 - i + 3) % 5 : i;  // reversed, slots 0..2 still collinear
            qrv::PolyX[i] = xs[k];
            qrv::PolyY[i] = ys[k];
            qrv::PolyRGB[i] = 0x808080;
        }
        QRV_DrawGouraudPoly(5, 2);
        for (int y = 0; y < canvas.height; ++y)
            EXPECT_EQ(RowExtent(canvas, y), y < 10 ? "0..9" : "") << "reverse " << reverse << " row " << y;
    }
}

TEST_F(FlatPolygon, DegenerateAndRefusedInputDrawNothing) {
    QRV_Tri(1, 5, 8, 5, 14, 5, kWhite, 2);                        // all on one row
    QRV_Tri(40000, 1, 2, 8, 2, 1, kWhite, 2);                     // beyond 16-bit coordinates
    QRV_Tri(2, 1, 10, 1, 2, -40000, kWhite, 2);
    QRV_Quad(20, 0, 30, 0, 30, 5, 20, 5, kWhite, 2);              // right of the viewport
    QRV_Quad(0, -9, 5, -9, 5, 0, 0, 0, kWhite, 2);                // ends on the viewport's top row
    for (int i = 0; i < 8; ++i) qrv::PolyX[i] = i & 1 ? 10 : 2, qrv::PolyY[i] = i < 4 ? 1 : 8;
    QRV_DrawGouraudPoly(9, 2);                                    // more vertices than slots
    QRV_DrawGouraudPoly(-1, 2);
    QRV_DrawGouraudPoly(1, 2);
    for (int y = 0; y < canvas.height; ++y) EXPECT_EQ(RowExtent(canvas, y), "") << "row " << y;
}

TEST_F(FlatPolygon, StyleBitsAreIgnoredAndZeroMeansReplace) {
    SettingsGuard guard;
    for (int32_t mode : {0, 1, 2, 4, 8}) {
        canvas.Clear(0x11);
        QRV_Tri(2, 1, 10, 1, 2, 9, 0x00123456, mode);
        EXPECT_EQ(canvas.Get(3, 2), 0x00123456u) << mode;
    }
    QRV_SetInkAlpha(0);
    canvas.Clear(0x11);
    QRV_Tri(2, 1, 10, 1, 2, 9, 0x00123456, 0x10 | 2);
    EXPECT_EQ(canvas.Get(3, 2), 0x11111111u);
    QRV_SetInkAlpha(255);
    QRV_Tri(2, 1, 10, 1, 2, 9, 0x00123456, 0x10);
    EXPECT_EQ(canvas.Get(3, 2), 0x00123456u);
}

// Outlines may span the whole 16-bit coordinate range.
TEST_F(FlatPolygon, OutlinesAcrossTheWholeCoordinateRange) {
    // The right edge runs 32800 columns over 30000 rows, about 1.09 per row.
    QRV_Tri(-16392, -14994, 16408, 15006, -16392, 30000, kWhite, 2);
    EXPECT_EQ(RowExtent(canvas, 5), "0..5");
    EXPECT_EQ(RowExtent(canvas, 6), "0..6");
    EXPECT_EQ(RowExtent(canvas, 7), "0..7");
    EXPECT_EQ(RowExtent(canvas, 11), "0..12");
    // Sides of 60000: the winding of the first three vertices is still clockwise.
    canvas.Clear(0);
    QRV_Quad(-30000, -30000, 30000, -30000, 30000, 30000, -30000, 30000, kWhite, 2);
    for (int y = 0; y < canvas.height; ++y) EXPECT_EQ(RowExtent(canvas, y), "0..15") << "row " << y;
}

// Clipped rows take x / 65536 truncated toward zero, not the floor.
TEST_F(FlatPolygon, ClippedRowsTruncateTowardZero) {
    QRV_SetBuffer(canvas.At(8, 0), canvas.pitch, canvas.format);
    QRV_SetBufferViewPort(-8, 0, 8, 12);
    QRV_Tri(-10, 0, -2, 0, -4, 4, kWhite, 2);
    EXPECT_EQ(RowExtent(canvas, 0), "0..5");
    EXPECT_EQ(RowExtent(canvas, 1), "0..5");
    EXPECT_EQ(RowExtent(canvas, 2), "1..4");
    EXPECT_EQ(RowExtent(canvas, 3), "3..4");
    EXPECT_EQ(RowExtent(canvas, 4), "");
    EXPECT_TRUE(canvas.GuardsIntact());
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
        const int32_t vr = vl + 1 + static_cast<int32_t>(rng() % (40 - vl)), vb = vt + 1 + static_cast<int32_t>(rng() % (30 - vt));
        auto draw = [&]() {
            if (gouraud) {
                QRV_QuadG(v[0][0], v[0][1], 0x102030, v[1][0], v[1][1], 0xF0E0D0, v[2][0], v[2][1], 0x80FF10,
                          v[3][0], v[3][1], 0x204080, 2);
            } else if (quad) {
                QRV_Quad(v[0][0], v[0][1], v[1][0], v[1][1], v[2][0], v[2][1], v[3][0], v[3][1], kWhite, 2);
            } else {
                QRV_Tri(v[0][0], v[0][1], v[1][0], v[1][1], v[2][0], v[2][1], kWhite, 2);
            }
        };
        whole.Select();
        // Gouraud rows recompute their colours when clipped across, so they
        // are compared with a viewport that clips rows only.
        const int32_t cl = gouraud ? 0 : vl, cr = gouraud ? 40 : vr;
        draw();
        clipped.Select();
        QRV_SetBufferViewPort(cl, vt, cr, vb);
        draw();
        ASSERT_TRUE(clipped.GuardsIntact());
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                const bool inside = x >= cl && x < cr && y >= vt && y < vb;
                ASSERT_EQ(clipped.Get(x, y), inside ? whole.Get(x, y) : 0u)
                    << "trial " << trial << " at " << x << "," << y;
            }
    }
}

}  // namespace
