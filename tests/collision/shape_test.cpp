// The shape edge buffer: crossings kept sorted per row in host memory, edges
// buffered row by row, and the pairs turned into spans or strips.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "collision_test_util.h"
#include "quorvel.h"
#include "support/canvas.h"

namespace qrvtest {
namespace {

// A row table for 32 empty rows, the free offset at 12, and a node pool of 64
// nodes, all marker words.
struct ShapeBuffers {
    Words rows = Words(33, 0), pool = Words(3 * 64, kMarker);
    ShapeBuffers() {
        rows[0] = 12;
        Shape_Set_Buffers(rows.data(), pool.data());
    }
    ~ShapeBuffers() { Shape_Set_Buffers(nullptr, nullptr); }
    int32_t Word(int32_t offset, int word) const { return pool[offset / 4 + word]; }
    float X(int32_t offset) const {
        float x;
        std::memcpy(&x, &pool[offset / 4 + 2], 4);
        return x;
    }
    // Row y's crossings in list order.
    std::vector<float> Row(int y) const {
        std::vector<float> xs;
        for (int32_t n = rows[1 + y]; n != 0 && xs.size() < 64; n = Word(n, 0)) xs.push_back(X(n));
        return xs;
    }
};

using Shapes = CollisionTest;

TEST_F(Shapes, CrossingsStaySortedAfterEqualOnes) {
    ShapeBuffers s;
    for (float x : {5.0f, 3.0f, 5.0f, 7.0f}) Shape_AddVert(x, 2);
    EXPECT_EQ(s.rows[0], 12 + 4 * 12);
    EXPECT_EQ(s.rows[1 + 2], 24);  // 3.0 went to the head
    EXPECT_EQ(s.Row(2), (std::vector<float>{3, 5, 5, 7}));
    // The second 5.0 (offset 36) follows the first (offset 12).
    EXPECT_EQ(s.Word(12, 0), 36);
    EXPECT_EQ(s.Word(48, 0), 0);
    // Only the head that was displaced gets a back link.
    EXPECT_EQ(s.Word(12, 1), 24);
    for (int32_t node : {24, 36, 48}) EXPECT_EQ(s.Word(node, 1), kMarker);
    Shape_AddVert(1.0f, -1);  // no slot above row 0
    EXPECT_EQ(s.rows[0], 60);
}

TEST_F(Shapes, EdgesBufferOneCrossingPerRow) {
    // rows: the crossings buffered on rows 0..6.
    struct Case { const char* name; float x1, y1, x2, y2; int32_t top, bottom; std::vector<std::vector<float>> rows; };
    const Case cases[] = {
        // The first row's x is the top end's own, with no sub-row correction.
        {"down", 2, 1.5f, 6, 5.5f, 0, 32, {{}, {}, {2}, {3}, {4}, {5}, {}}},
        {"up", 6, 5.5f, 2, 1.5f, 0, 32, {{}, {}, {2}, {3}, {4}, {5}, {}}},
        {"clipped above and below", 2, 1.5f, 6, 5.5f, 3, 5, {{}, {}, {}, {3}, {4}, {}, {}}},
        {"less than a row tall", 1, 2.5f, 9, 3.2f, 0, 32, {{}, {}, {}, {1}, {}, {}, {}}},
        {"within one row", 1, 2.2f, 9, 2.8f, 0, 32, {{}, {}, {}, {}, {}, {}, {}}},
        {"horizontal", 1, 3, 9, 3, 0, 32, {{}, {}, {}, {}, {}, {}, {}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShapeBuffers s;
        Shape_BufferEdge(c.x1, c.y1, c.x2, c.y2, c.top, c.bottom);
        for (int y = 0; y < 7; ++y) EXPECT_EQ(s.Row(y), c.rows[y]) << "row " << y;
    }
}

TEST_F(Shapes, SpanBufferPairsCrossingsAndEmptiesTheRows) {
    ShapeBuffers s;
    // Row 1: two pairs, the second clamped at 20. Row 2: a pair of equal x and
    // one wholly left of the shape. Row 3: a crossing without its partner.
    for (float x : {2.5f, 6.9f, 15.0f, 30.0f}) Shape_AddVert(x, 1);
    for (float x : {4.0f, 4.0f, -9.0f, -1.0f}) Shape_AddVert(x, 2);
    Shape_AddVert(5.0f, 3);
    Shape_AddVert(-3.0f, 4), Shape_AddVert(8.0f, 4);
    const int32_t freeOffset = s.rows[0];
    SpanBuf buf;
    EXPECT_EQ(CreateSpanCollision_ShapeSpanBuffer(buf.Header(), 0, 1, 20, 5, s.rows.data(), 0), 3);
    EXPECT_EQ(buf.Head(3), (Words{3, 1, 5, 1, 2, 6, 1, 15, 20, 4, 0, 8}));
    EXPECT_TRUE(buf.UntouchedFrom(3));
    for (int y = 1; y < 5; ++y) EXPECT_EQ(s.rows[1 + y], 0);
    EXPECT_EQ(s.rows[0], freeOffset);

    EXPECT_EQ(CreateSpanCollision_ShapeSpanBuffer(buf.Header(), 0, 6, 20, 6, s.rows.data(), 0), 0);
    EXPECT_EQ(buf.Head(0), (Words{0, 6, 6}));
}

TEST_F(Shapes, DrawClampsToTheViewportAndEmptiesTheRows) {
    ShapeBuffers s;
    Canvas c(16, 8, QRV_FORMAT_32);
    c.Select();
    QRV_SetBufferViewPort(2, 1, 12, 6);
    Shape_BufferEdge(0, 0, 0, 8, 0, 8);     // left edge at x 0
    Shape_BufferEdge(20, 0, 4, 8, 0, 8);    // right edge from 20 to 6 over rows 0..7
    QRV_Draw_Shape_Span_Buffer(s.rows.data() + 1, 0, 0xFF123456, 1);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool inside = y >= 1 && y < 6 && x >= 2 && x < std::min(12, 20 - 2 * y);
            ASSERT_EQ(c.Get(x, y), inside ? 0xFF123456u : 0u) << x << "," << y;
        }
    for (int y = 1; y < 6; ++y) EXPECT_EQ(s.rows[1 + y], 0);
    EXPECT_NE(s.rows[1 + 0], 0);  // outside the viewport: left as it was
    EXPECT_TRUE(c.GuardsIntact());
}

// A damaged pool (links into themselves, past the free offset, or at odd
// offsets) ends the walk; nothing outside the pool is read.
TEST_F(Shapes, DamagedListsEndTheirRow) {
    ShapeBuffers s;
    Shape_AddVert(1.0f, 1), Shape_AddVert(9.0f, 1);
    Shape_AddVert(2.0f, 2), Shape_AddVert(8.0f, 2);
    s.pool[24 / 4] = 24;           // row 1's second node links to itself
    s.pool[48 / 4] = 1 << 30;      // row 2's second node links far past the pool
    s.rows[1 + 3] = 12 * 64 - 4;  // a head beyond the nodes handed out
    Shape_AddVert(5.0f, 1);       // goes between 1 and 9 of the looping row
    SpanBuf buf;
    EXPECT_EQ(CreateSpanCollision_ShapeSpanBuffer(buf.Header(), 0, 1, 20, 4, s.rows.data(), 0), 2);
    EXPECT_EQ(buf.Head(2), (Words{2, 1, 4, 1, 1, 5, 2, 2, 8}));
}

TEST_F(Shapes, NothingHappensBeforeTheBuffersAreSet) {
    Shape_Set_Buffers(nullptr, nullptr);
    Words rows(8, 0);
    rows[0] = 12;
    Shape_AddVert(1.0f, 1);
    Shape_BufferEdge(0, 0, 4, 4, 0, 8);
    SpanBuf buf;
    EXPECT_EQ(CreateSpanCollision_ShapeSpanBuffer(buf.Header(), 0, 0, 8, 4, rows.data(), 0), 0);
    EXPECT_TRUE(buf.UntouchedFrom(0) && buf.words[0] == kMarker);
    QRV_Draw_Shape_Span_Buffer(rows.data() + 1, 0, 0xFFFFFFFF, 1);
}

}  // namespace
}  // namespace qrvtest
