// The shared edge walk through flat polygons, and properties of every
// untextured polygon kind over random outlines, modes and viewports.
#include <gtest/gtest.h>

#include <random>
#include <utility>

#include "polygons/edge_walk.h"
#include "polygons/poly_test_util.h"

using namespace qrvtest;

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;

struct FlatPolygon : PolygonTest {
    Canvas canvas{16, 12, 4};
    void SetUp() override { PolygonTest::SetUp(), canvas.Select(); }
};
using PolygonProperty = PolygonTest;

// The top row is drawn and the bottom vertex's row is not; an apex row is
// empty, and both ends of a row take the floor of the edge.
TEST_F(FlatPolygon, TopRowDrawnBottomRowNot) {
    QRV_Tri(2, 1, 10, 1, 2, 9, kWhite, 2);
    ExpectRows(canvas, 1, {"2..9", "2..8", "2..7", "2..6", "2..5", "2..4", "2..3", "2..2"});
    EXPECT_EQ(canvas.Get(2, 1), kWhite);
    canvas.Clear(0);
    QRV_Tri(5, 0, 10, 10, 0, 10, kWhite, 2);
    ExpectRows(canvas, 1, {"4..4", "4..5", "3..5", "3..6", "2..6", "2..7", "1..7", "1..8", "0..8"});
}

TEST_F(FlatPolygon, FlatTopInAnySlotOrderAndWinding) {
    const int32_t quad[4][2] = {{2, 2}, {12, 2}, {12, 6}, {2, 6}};
    for (int turn = 0; turn < 8; ++turn) {  // four rotations, each in both windings
        int32_t v[4][2];
        for (int i = 0; i < 4; ++i) {
            const int k = ((turn & 1 ? 4 - i : i) + turn / 2) % 4;
            v[i][0] = quad[k][0], v[i][1] = quad[k][1];
        }
        canvas.Clear(0);
        QRV_Quad(v[0][0], v[0][1], v[1][0], v[1][1], v[2][0], v[2][1], v[3][0], v[3][1], kWhite, 2);
        ExpectRows(canvas, 2, {"2..11", "2..11", "2..11", "2..11"}, turn);
    }
}

TEST_F(FlatPolygon, RedundantVertexAmongFirstThreeKeepsTheOutline) {
    // Slots 0, 1, 2 lie on one line; the whole outline's winding decides.
    const int32_t xs[5] = {0, 5, 10, 10, 0}, ys[5] = {0, 0, 0, 10, 10};
    for (int reverse = 0; reverse < 2; ++reverse) {
        canvas.Clear(0);
        for (int i = 0; i < 5; ++i) {
            const int k = reverse ? (4 - i + 3) % 5 : i;  // reversed, slots 0..2 still collinear
            qrv::PolyX[i] = xs[k], qrv::PolyY[i] = ys[k], qrv::PolyRGB[i] = 0x808080;
        }
        QRV_DrawGouraudPoly(5, 2);
        ExpectRows(canvas, 0, std::vector<std::string>(10, "0..9"), reverse);
    }
}

TEST_F(FlatPolygon, DegenerateAndRefusedInputDrawNothing) {
    QRV_Tri(1, 5, 8, 5, 14, 5, kWhite, 2);            // all on one row
    QRV_Tri(40000, 1, 2, 8, 2, 1, kWhite, 2);         // beyond 16-bit coordinates
    QRV_Tri(2, 1, 10, 1, 2, -40000, kWhite, 2);
    QRV_Quad(20, 0, 30, 0, 30, 5, 20, 5, kWhite, 2);  // right of the viewport
    QRV_Quad(0, -9, 5, -9, 5, 0, 0, 0, kWhite, 2);    // ends on the viewport's top row
    for (int i = 0; i < 8; ++i) qrv::PolyX[i] = i & 1 ? 10 : 2, qrv::PolyY[i] = i < 4 ? 1 : 8;
    for (int32_t count : {9, -1, 1}) QRV_DrawGouraudPoly(count, 2);  // more vertices than slots, or too few
    ExpectRows(canvas, 0, {});
}

// Style bits below the mode are ignored and mode 0 replaces: with ink alpha 0,
// only the alpha mode leaves the canvas alone.
TEST_F(FlatPolygon, StyleBitsAreIgnoredAndZeroMeansReplace) {
    QRV_SetInkAlpha(0);
    for (int32_t mode : {0, 1, 2, 4, 8, 0x12}) {
        canvas.Clear(0x11);
        QRV_Tri(2, 1, 10, 1, 2, 9, 0x00123456, mode);
        EXPECT_EQ(canvas.Get(3, 2), mode == 0x12 ? 0x11111111u : 0x00123456u) << mode;
    }
}

// Outlines may span the whole 16-bit coordinate range.
TEST_F(FlatPolygon, OutlinesAcrossTheWholeCoordinateRange) {
    // The right edge runs 32800 columns over 30000 rows, about 1.09 per row.
    QRV_Tri(-16392, -14994, 16408, 15006, -16392, 30000, kWhite, 2);
    for (const auto& [y, extent] : {std::pair{5, "0..5"}, {6, "0..6"}, {7, "0..7"}, {11, "0..12"}})
        EXPECT_EQ(RowExtent(canvas, y), extent) << y;
    // Sides of 60000: the winding of the first three vertices is still clockwise.
    canvas.Clear(0);
    QRV_Quad(-30000, -30000, 30000, -30000, 30000, 30000, -30000, 30000, kWhite, 2);
    ExpectRows(canvas, 0, std::vector<std::string>(12, "0..15"));
}

// Clipped rows take x / 65536 truncated toward zero, not the floor.
TEST_F(FlatPolygon, ClippedRowsTruncateTowardZero) {
    QRV_SetBuffer(canvas.At(8, 0), canvas.pitch, canvas.format);
    QRV_SetBufferViewPort(-8, 0, 8, 12);
    QRV_Tri(-10, 0, -2, 0, -4, 4, kWhite, 2);
    ExpectRows(canvas, 0, {"0..5", "0..5", "1..4", "3..4"});
    EXPECT_TRUE(canvas.GuardsIntact());
}

// Coordinates far outside the buffer and past 16 bits: nothing is written
// outside the viewport.
TEST_F(PolygonProperty, NothingOutsideTheViewport) {
    std::mt19937 rng(77);
    auto coord = [&](int range) -> int32_t {
        switch (rng() % 10) {
            case 0: return static_cast<int32_t>(rng());
            case 1: return static_cast<int32_t>(rng() % 65536) - 32768;
            default: return static_cast<int32_t>(rng() % (3 * range)) - range;
        }
    };
    auto x = [&] { return coord(40); };
    auto y = [&] { return coord(30); };
    for (int trial = 0; trial < 4000; ++trial) {
        Canvas c(40, 30, kAllFormats[trial % 5], 4);
        const ViewRect v = RandomDrawingSetup(rng, c);
        const int32_t mode = kAllModes[rng() % 11] | static_cast<int32_t>(rng() % 16);
        for (int i = 0; i < 8; ++i) qrv::PolyX[i] = x(), qrv::PolyY[i] = y(), qrv::PolyRGB[i] = rng();
        const auto before = c.Snapshot();
        switch (trial % 6) {
            case 0: QRV_Tri(x(), y(), x(), y(), x(), y(), rng(), mode); break;
            case 1: QRV_Quad(x(), y(), x(), y(), x(), y(), x(), y(), rng(), mode); break;
            case 2: QRV_DrawGouraudPoly(2 + static_cast<int32_t>(rng() % 8), mode); break;
            case 3: QRV_TriG(x(), y(), rng(), x(), y(), rng(), x(), y(), rng(), mode); break;
            case 4: QRV_HoriGouraudStrip(x(), rng(), x(), rng(), y()); break;
            default: QRV_VertGouraudStrip(y(), rng(), y(), rng(), x()); break;
        }
        ASSERT_TRUE(c.GuardsIntact()) << "trial " << trial;
        ASSERT_TRUE(UnchangedOutside(c, before, v.left, v.top, v.right, v.bottom)) << "trial " << trial;
    }
}

// Inside a viewport at non-negative coordinates, a clipped polygon covers
// exactly the pixels of the unclipped one that the viewport holds.
TEST_F(PolygonProperty, ClippedEqualsUnclippedInsideViewport) {
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
#define XY(i) v[i][0], v[i][1]
        auto draw = [&]() {
            if (gouraud) QRV_QuadG(XY(0), 0x102030, XY(1), 0xF0E0D0, XY(2), 0x80FF10, XY(3), 0x204080, 2);
            else if (quad) QRV_Quad(XY(0), XY(1), XY(2), XY(3), kWhite, 2);
            else QRV_Tri(XY(0), XY(1), XY(2), kWhite, 2);
        };
#undef XY
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
