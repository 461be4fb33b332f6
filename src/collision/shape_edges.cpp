// The shape edge buffer: per-row sorted lists of edge crossings in host
// memory, filled edge by edge and turned into spans (or strips) in pairs.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "collision/span_collision.h"
#include "frame/colour.h"
#include "frame/numeric.h"
#include "frame/state.h"
#include "primitives/spans.h"
#include "quorvel.h"

namespace qrv {

static_assert(sizeof(QrvShapeNode) == 12 && offsetof(QrvShapeNode, x) == 8, "shape nodes are three 32-bit words");

namespace {

constexpr int32_t kNodeBytes = 12;

int32_t* shapeRows = nullptr;
uint8_t* shapePool = nullptr;

// Nodes sit at any byte offset the host chose, so they are read and written
// word by word.
int32_t LoadWord(int32_t offset, int word) {
    int32_t v;
    std::memcpy(&v, shapePool + offset + 4 * word, 4);
    return v;
}
void StoreWord(int32_t offset, int word, int32_t v) { std::memcpy(shapePool + offset + 4 * word, &v, 4); }
float LoadX(int32_t offset) {
    float v;
    std::memcpy(&v, shapePool + offset + 8, 4);
    return v;
}

// The nodes handed out so far lie between offset 1 and the free offset: a
// link outside that range is damage and ends its list, and a list can hold
// no more nodes than were handed out, so no walk runs for ever.
struct PoolExtent {
    int32_t free;
    bool Holds(int32_t offset) const { return offset > 0 && int64_t{offset} + kNodeBytes <= free; }
    int64_t MaxNodes() const { return free / kNodeBytes + 1; }
};

PoolExtent Extent() { return {shapeRows[0]}; }

bool Registered() { return shapeRows != nullptr && shapePool != nullptr; }

// False when no node can be taken (no buffers, or the free offset is spent).
bool AddCrossing(float x, int64_t row) {
    if (!Registered()) return false;
    const int32_t node = shapeRows[0];
    if (node <= 0 || node > INT32_MAX - kNodeBytes) return false;
    if (row < 0 || row > INT32_MAX - 1) return true;
    const PoolExtent pool = Extent();
    shapeRows[0] = node + kNodeBytes;

    int32_t* head = &shapeRows[1 + row];
    int32_t prev = 0;
    int32_t cur = *head;
    for (int64_t n = 0; pool.Holds(cur) && LoadX(cur) <= x && n < pool.MaxNodes(); ++n) {
        prev = cur;
        cur = LoadWord(cur, 0);
    }
    if (!pool.Holds(cur)) cur = 0;
    StoreWord(node, 0, cur);
    std::memcpy(shapePool + node + 8, &x, 4);
    if (prev == 0) {
        if (cur != 0) StoreWord(cur, 1, node);
        *head = node;
    } else {
        StoreWord(prev, 0, node);
    }
    return true;
}

// Calls span(xa, xb) for each pair of crossings on the row that overlaps
// left .. right, clamped to it and not empty; then empties the row.
template <class Span>
void TakeRowPairs(int32_t* head, int32_t left, int32_t right, Span&& span) {
    const PoolExtent pool = Extent();
    int32_t a = *head;
    for (int64_t n = 0; pool.Holds(a) && n < pool.MaxNodes(); n += 2) {
        const int32_t b = LoadWord(a, 0);
        if (!pool.Holds(b)) break;
        int32_t xa = TruncToInt32(LoadX(a));
        int32_t xb = TruncToInt32(LoadX(b));
        if (xa < right && xb >= left) {
            if (xa < left) xa = left;
            if (xb > right) xb = right;
            if (xa < xb) span(xa, xb);
        }
        a = LoadWord(b, 0);
    }
    *head = 0;
}

}  // namespace

void BufferShapeEdge(float x1, float y1, float x2, float y2, int32_t top, int32_t bottom) {
    const bool firstIsTop = y1 < y2;
    const float xt = firstIsTop ? x1 : x2, yt = firstIsTop ? y1 : y2;
    const float xb = firstIsTop ? x2 : x1, yb = firstIsTop ? y2 : y1;
    const float dy = yb - yt;
    if (dy == 0) return;
    const float slope = std::floor(dy) == 0 ? 0.0f : (xb - xt) / dy;
    int64_t first = TruncToInt32(std::ceil(yt));
    const int64_t end = TruncToInt32(std::ceil(yb));
    float x = xt;
    if (first < top) {
        x += static_cast<float>(top - first) * slope;
        first = top;
    }
    const int64_t stop = end < bottom ? end : bottom;
    for (int64_t row = first; row < stop; ++row) {
        if (!AddCrossing(x, row)) return;
        x += slope;
    }
}

}  // namespace qrv

using namespace qrv;

extern "C" {

QRV_API int32_t* QRV_CALL Shape_Set_Buffers(int32_t* rowTable, void* nodePool) {
    shapeRows = rowTable;
    shapePool = static_cast<uint8_t*>(nodePool);
    return rowTable;
}

QRV_API void QRV_CALL Shape_AddVert(float x, int32_t row) { AddCrossing(x, row); }

QRV_API void QRV_CALL Shape_BufferEdge(float x1, float y1, float x2, float y2, int32_t top, int32_t bottom) {
    if (Registered()) BufferShapeEdge(x1, y1, x2, y2, top, bottom);
}

QRV_API int32_t QRV_CALL CreateSpanCollision_ShapeSpanBuffer(QrvSpanCollisionHeader* buf, int32_t left, int32_t top,
                                                             int32_t right, int32_t bottom, int32_t* rowTable,
                                                             int32_t ignored) {
    (void)ignored;
    if (!Registered() || buf == nullptr || rowTable == nullptr) return 0;
    QrvSpanCollisionRecord* r = SpanRecords(buf);
    int32_t written = 0;
    // Rows above 0 have no slot in the table.
    for (int64_t y = top < 0 ? 0 : top; y < bottom; ++y) {
        TakeRowPairs(&rowTable[1 + y], left, right, [&](int32_t xa, int32_t xb) {
            QrvSpanCollisionRecord& rec = r[written++];
            rec.y = static_cast<int32_t>(y);
            rec.left = xa;
            rec.right = xb;
        });
    }
    WriteSpanHeader(buf, written, top, bottom);
    return written;
}

QRV_API void QRV_CALL QRV_Draw_Shape_Span_Buffer(int32_t* rowHeads, int32_t ignored, uint32_t colour, int32_t mode) {
    (void)ignored;
    if (!Registered() || rowHeads == nullptr) return;
    const Viewport view = View();
    const uint32_t c = ForBuffer(colour, g.dest.format);
    for (int64_t y = view.top < 0 ? 0 : view.top; y < view.bottom; ++y) {
        TakeRowPairs(&rowHeads[y], view.left, view.right,
                     [&](int32_t xa, int32_t xb) { DrawStrip(static_cast<int32_t>(y), xa, xb, c, mode); });
    }
}

}  // extern "C"
