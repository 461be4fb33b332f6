// Span collision builders: the exact words of small shapes, each builder's
// record count, and the buffers refused input leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include "collision_test_util.h"
#include "quorvel.h"

namespace qrvtest {
namespace {

using SpanBuilders = CollisionTest;

QrvOcclusionEntry* Entries(Words& w) { return reinterpret_cast<QrvOcclusionEntry*>(w.data()); }
QrvSpanCollisionHeader* AsHeader(Words& w) { return reinterpret_cast<QrvSpanCollisionHeader*>(w.data()); }

TEST_F(SpanBuilders, ExactWordsOfSmallShapes) {
    // shape: 'R' rect, 'E' ellipse, 'L' line (their four arguments), 'P' polygon
    // (x, y pairs; count overrides their number when set).
    struct Case { const char* name; char shape; Words args, expected; int count = 0; };
    const Case cases[] = {
        {"rect, corners swapped", 'R', {10, 5, 2, 8}, {3, 5, 8, 5, 2, 10, 6, 2, 10, 7, 2, 10}},
        {"rect, no rows", 'R', {1, 4, 9, 4}, {0, 4, 4}},
        // Half-widths 7, 9, 9, 9, 7 from the profile at steps 2, 1, 0, 1, 2.
        {"ellipse", 'E', {20, 10, 9, 3}, {5, 7, 12, 7, 13, 27, 8, 11, 29, 9, 11, 29, 10, 11, 29, 11, 13, 27}},
        {"ellipse, ry 0", 'E', {20, 10, 9, 0}, {0, 10, 10}},
        {"horizontal line counts 2", 'L', {9, 4, 3, 4}, {2, 4, 4, 4, 3, 9}},
        {"vertical line runs from the second end", 'L', {4, 1, 4, 5},
         {4, 1, 5, 5, 4, 6, 4, 4, 6, 3, 4, 6, 2, 4, 6, 1, 4, 6}},
        {"steep line", 'L', {2, 4, 0, 0}, {4, 0, 4, 0, 0, 2, 1, 1, 3, 2, 1, 3, 3, 2, 4, 4, 2, 4}},
        // The last run's row is taken after the final step, and it ends three on.
        {"shallow line", 'L', {0, 0, 4, 2}, {3, 0, 2, 0, 0, 2, 1, 1, 4, 3, 3, 7}},
        // A last column that starts a run of its own gets no record.
        {"shallow line rising", 'L', {0, 4, 4, 2}, {2, 2, 4, 4, 0, 3, 3, 2, 5}},
        {"triangle", 'P', {0, 0, 4, 0, 0, 4}, {4, 0, 4, 0, 0, 4, 1, 0, 3, 2, 0, 2, 3, 0, 1}},
        // Negative columns truncate toward zero.
        {"triangle left of 0", 'P', {-4, 0, 0, 0, -4, 2}, {2, 0, 2, 0, -4, 0, 1, -4, -2}},
        {"polygon on one row", 'P', {0, 5, 3, 5, 6, 5}, {0, 5, 5}},
        {"polygon of one vertex", 'P', {3, 7}, {0, 7, 7}},
        {"nine vertices", 'P', {0, 0, 4, 0, 0, 4}, {0, 0, 0}, 9},
        {"polygon beyond 16 bits", 'P', {0, INT32_MIN, 4, 0, 0, INT32_MAX}, {0, 0, 0}},
        {"rect taller than the count word", 'R', {0, INT32_MIN, 1, INT32_MAX}, {0, 0, 0}},
        {"line taller than the count word", 'L', {0, INT32_MIN, 1, INT32_MAX}, {0, 0, 0}},
        {"ellipse taller than the count word", 'E', {0, 0, INT32_MAX, INT32_MAX}, {0, -INT32_MAX, -INT32_MAX}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SpanBuf buf;
        const Words& a = c.args;
        if (c.shape == 'R') CreateSpanCollision_Rect(buf.Header(), a[0], a[1], a[2], a[3]);
        if (c.shape == 'E') CreateSpanCollision_Ellipse(buf.Header(), a[0], a[1], a[2], a[3]);
        if (c.shape == 'L') CreateSpanCollision_Line(buf.Header(), a[0], a[1], a[2], a[3]);
        if (c.shape == 'P') {
            Vertices v;
            for (size_t i = 0; i < a.size() / 2; ++i) v.words[i] = a[2 * i], v.words[8 + i] = a[2 * i + 1];
            CreateSpanCollision_Polygon(v.words, c.count ? c.count : static_cast<int>(a.size() / 2), buf.Header());
        }
        const int records = static_cast<int>(c.expected.size() - 3) / 3;
        EXPECT_EQ(buf.Head(records), c.expected);
        EXPECT_TRUE(buf.UntouchedFrom(records));
    }
}

TEST_F(SpanBuilders, RectReturnsTheEndOfItsRecordsAndEllipseItsBuffer) {
    SpanBuf buf;
    EXPECT_EQ(reinterpret_cast<int32_t*>(CreateSpanCollision_Rect(buf.Header(), 0, 0, 5, 4)), &buf.words[3 + 3 * 4]);
    EXPECT_EQ(CreateSpanCollision_Ellipse(buf.Header(), 0, 0, 5, 4), buf.Header());
    EXPECT_EQ(CreateSpanCollision_Rect(nullptr, 0, 0, 5, 4), nullptr);
}

// A vertex list that is not a convex outline ends its walk where a chain turns
// upward; the headers then count only the rows written.
TEST_F(SpanBuilders, PolygonHeaderMatchesTheRowsWritten) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int32_t> coord(-40, 40), n(2, 8);
    int convex = 0;
    for (int iter = 0; iter < 2000; ++iter) {
        Vertices v;
        const int count = n(rng);
        for (int i = 0; i < count; ++i) v.words[i] = coord(rng), v.words[8 + i] = coord(rng);
        SpanBuf buf(100);
        CreateSpanCollision_Polygon(v.words, count, buf.Header());
        const QrvSpanCollisionHeader& h = *buf.Header();
        const int32_t minY = *std::min_element(v.words + 8, v.words + 8 + count);
        const int32_t maxY = *std::max_element(v.words + 8, v.words + 8 + count);
        ASSERT_EQ(h.top, minY);
        ASSERT_LE(h.count, maxY - minY);
        ASSERT_EQ(h.bottom, h.top + h.count);
        for (int k = 0; k < h.count; ++k) ASSERT_EQ(buf.words[3 + 3 * k], h.top + k);
        ASSERT_TRUE(buf.UntouchedFrom(h.count));
        convex += h.count == maxY - minY;
        // The textured buffer of the outline closes its list at its bottom row.
        TexturedBuf tex(100);
        QRV_SpanBufferCollisionPolygon(v.words, count, tex.Header(), 0);
        ASSERT_EQ(tex.Header()->top, h.top);
        ASSERT_EQ(tex.Header()->bottom, h.bottom);
        ASSERT_EQ(tex.Record(h.count), Words(7, 0));
    }
    EXPECT_GT(convex, 0);
}

// The column loop of a shallow line, step by step in 64 bits, against which
// the builder's run skipping is checked.
Words ShallowLineByColumns(int32_t xa, int32_t ya, int32_t xb, int32_t yb) {
    const int64_t step = (int64_t{yb} - ya) * 16384 / (int64_t{xb} - xa);
    int64_t y = int64_t{ya} * 16384 + 0x2000, row = y / 16384, runStart = xa;
    Words records;
    for (int64_t k = xa; k <= xb; ++k, y += step)
        if (y / 16384 != row) {
            records.insert(records.end(), {int32_t(row), int32_t(runStart), int32_t(k + 1)});
            row = y / 16384, runStart = k;
        }
    if (runStart < xb) records.insert(records.end(), {int32_t(y / 16384), int32_t(runStart), int32_t(xb + 3)});
    return records;
}

TEST_F(SpanBuilders, ShallowLinesMatchTheColumnLoop) {
    std::mt19937 rng(11);
    for (int iter = 0; iter < 2520; ++iter) {
        const int32_t range = iter < 2500 ? 200 : 1 << 20;  // beyond 2^17 as well
        std::uniform_int_distribution<int32_t> coord(-range, range);
        int32_t xa = coord(rng), ya = coord(rng), xb = coord(rng), yb = coord(rng);
        if (xa > xb) std::swap(xa, xb), std::swap(ya, yb);
        if (yb == ya || std::abs(int64_t{yb} - ya) >= int64_t{xb} - xa) continue;
        const Words expected = ShallowLineByColumns(xa, ya, xb, yb);
        SpanBuf buf(static_cast<int>(expected.size() / 3) + 1);
        CreateSpanCollision_Line(buf.Header(), xa, ya, xb, yb);
        ASSERT_EQ(buf.words[0], static_cast<int32_t>(expected.size() / 3)) << xa << "," << ya << " " << xb << "," << yb;
        ASSERT_EQ(Words(buf.words.begin() + 3, buf.words.begin() + 3 + expected.size()), expected);
    }
}

// Lines and occlusion maps at the ends of the 32-bit range keep to the records
// they claim (the sanitizer builds check the arithmetic).
TEST_F(SpanBuilders, EndsOfTheRange) {
    const int32_t lines[][4] = {{INT32_MAX - 3, INT32_MAX, INT32_MAX, INT32_MAX - 2},
                                {INT32_MIN, INT32_MIN + 2, INT32_MIN + 5, INT32_MIN},
                                {INT32_MIN, 0, INT32_MAX, 3},
                                {INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN + 4}};
    for (const auto& l : lines) {
        SpanBuf buf(8);
        CreateSpanCollision_Line(buf.Header(), l[0], l[1], l[2], l[3]);
        ASSERT_GE(buf.words[0], 0);
        ASSERT_LE(buf.words[0], 6);
        EXPECT_TRUE(buf.UntouchedFrom(buf.words[0] + 1));
        Words out(4 * 32, kMarker);
        EXPECT_EQ(out[4 * CreateOcclusionMapFromSpanCollision(buf.Header(), 7, 3, Entries(out))], kMarker);
    }
}

// Occlusion entries (kind, first cell, last cell, band) for 4 x 4 cells.
TEST_F(SpanBuilders, OcclusionBands) {
    auto rect = [](int top, int bottom, int left, int right) {
        Words w{bottom - top, top, bottom};
        for (int y = top; y < bottom; ++y) w.insert(w.end(), {y, left, right});
        return w;
    };
    struct Case { const char* name; Words buffer, expected; };
    const Case cases[] = {
        // The first band's inner extent starts at 0: partial only. The middle
        // band has full cells 1..2; the last band gets its whole extent.
        {"rows 2..9", rect(2, 10, 3, 13), {1, 0, 3, 0, 1, 0, 0, 1, 2, 1, 2, 1, 4, 3, 3, 1, 1, 0, 3, 2}},
        // A first row on a band boundary closes the first band at once.
        {"rows 4..11", rect(4, 12, 3, 13), {1, 0, 3, 1, 1, 0, 0, 1, 2, 1, 2, 1, 4, 3, 3, 1, 1, 0, 3, 2}},
        // Two spans on a boundary row open one band together.
        {"two spans on row 4", {2, 4, 6, 4, 0, 4, 4, 8, 12}, {1, 0, 1, 1, 1, 0, 3, 1}},
        {"one record", {1, 5, 6, 5, 9, 30}, {1, 2, 7, 1}},
        {"no records", {0, 5, 5}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Words buf = c.buffer, out(64, kMarker);
        const int32_t n = CreateOcclusionMapFromSpanCollision(AsHeader(buf), 4, 4, Entries(out));
        ASSERT_EQ(n * 4, static_cast<int32_t>(c.expected.size()));
        EXPECT_EQ(Words(out.begin(), out.begin() + 4 * n), c.expected);
        EXPECT_EQ(out[4 * n], kMarker);
    }
    // Cells of no width or height map nothing.
    Words buf = rect(2, 10, 3, 13), out(64, kMarker);
    EXPECT_EQ(CreateOcclusionMapFromSpanCollision(AsHeader(buf), 0, 4, Entries(out)), 0);
    EXPECT_EQ(CreateOcclusionMapFromSpanCollision(AsHeader(buf), 4, -1, Entries(out)), 0);
    EXPECT_EQ(out[0], kMarker);
}

}  // namespace
}  // namespace qrvtest
