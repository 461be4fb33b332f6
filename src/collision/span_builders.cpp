// Span collision buffers built from rectangles, ellipses, convex polygons on
// host vertex lists, and lines: one record (row, first column, end column) per
// span, written into memory the caller sized.
#include <cstddef>
#include <cstdint>

#include "collision/span_collision.h"
#include "polygons/edge_walk.h"
#include "primitives/circle_profile.h"
#include "quorvel.h"

namespace qrv {

static_assert(sizeof(QrvSpanCollisionHeader) == 12 && sizeof(QrvSpanCollisionRecord) == 12,
              "span collision buffers are 32-bit words");
static_assert(offsetof(QrvSpanCollisionRecord, right) == 8, "record layout");

namespace {

// Record counts must fit the count word, and the records the address space
// after the buffer: a count beyond either could only be written by wrapping.
bool RecordsFit(const void* buf, int64_t records) {
    if (records < 0 || records > INT32_MAX) return false;
    const uint64_t bytes = uint64_t(records) * sizeof(QrvSpanCollisionRecord) + sizeof(QrvSpanCollisionHeader);
    return bytes <= UINTPTR_MAX - reinterpret_cast<uintptr_t>(buf);
}

void Put(QrvSpanCollisionRecord& r, int32_t y, int32_t left, int32_t right) {
    r.y = y;
    r.left = left;
    r.right = right;
}

// Lines step in 18.14 fixed point, half a unit in; a value's integer part is
// its quotient by 16384 toward zero. Taken in 64 bits, so that lines longer
// than 2^17 keep their course instead of wrapping.
constexpr int64_t kLineOne = 16384;
constexpr int64_t LineFixed(int32_t v) { return int64_t{v} * kLineOne + 0x2000; }
constexpr int32_t LineWhole(int64_t f) { return static_cast<int32_t>(f / kLineOne); }

// How many steps from f (whose integer part is `whole`) stay on that integer
// part: the first step that leaves it is the result.
int64_t StepsWithin(int64_t f, int64_t step, int32_t whole) {
    const int64_t base = int64_t{whole} * kLineOne;
    const int64_t lo = whole > 0 ? base : base - (kLineOne - 1);
    const int64_t hi = whole < 0 ? base : base + (kLineOne - 1);
    if (step > 0) return (hi - f) / step + 1;
    if (step < 0) return (f - lo) / -step + 1;
    return INT64_MAX;
}

}  // namespace

QrvSpanCollisionRecord* BuildRectSpans(QrvSpanCollisionHeader* buf, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const int32_t left = x1 < x2 ? x1 : x2, right = x1 < x2 ? x2 : x1;
    const int32_t top = y1 < y2 ? y1 : y2, bottom = y1 < y2 ? y2 : y1;
    QrvSpanCollisionRecord* r = SpanRecords(buf);
    const int64_t rows = int64_t{bottom} - top;
    if (!RecordsFit(buf, rows)) {
        WriteSpanHeader(buf, 0, 0, 0);
        return r;
    }
    WriteSpanHeader(buf, static_cast<int32_t>(rows), top, bottom);
    for (int64_t i = 0; i < rows; ++i) Put(*r++, static_cast<int32_t>(top + i), left, right);
    return r;
}

void BuildEllipseSpans(QrvSpanCollisionHeader* buf, int32_t cx, int32_t cy, int32_t rx, int32_t ry) {
    const int32_t top = cy - ry;
    const int64_t rows = 2 * int64_t{ry} - 1;
    if (ry < 1 || !RecordsFit(buf, rows)) {
        WriteSpanHeader(buf, 0, top, top);
        return;
    }
    QrvSpanCollisionRecord* r = SpanRecords(buf);
    // Step i's profile index (i << 14) / ry, kept as quotient and remainder
    // so that no row divides. Each step's half-width serves its row in both
    // halves: the upper half runs from step ry - 1 back to step 1, the lower
    // from step 0 out, so the middle row comes once and the rim never.
    constexpr int32_t kIndexScale = 1 << 14;
    const int32_t whole = kIndexScale / ry, part = kIndexScale % ry;
    int32_t index = 0, rem = 0;
    const int64_t width = int64_t{static_cast<int32_t>(static_cast<uint32_t>(rx) + 1)};
    for (int32_t i = 0; i < ry; ++i) {
        const int32_t h = static_cast<int32_t>((CircleProfile[index] * width) >> 14);
        if (i > 0) Put(r[ry - 1 - i], top + (ry - 1 - i), cx - h, cx + h);
        Put(r[ry - 1 + i], top + (ry - 1 + i), cx - h, cx + h);
        index += whole;
        rem += part;
        if (rem >= ry) ++index, rem -= ry;
    }
    const int32_t y = static_cast<int32_t>(top + rows);
    WriteSpanHeader(buf, static_cast<int32_t>(rows), top, y);
}

void BuildPolygonSpans(const int32_t* vertices, int32_t count, QrvSpanCollisionHeader* buf) {
    const VertexList v = VerticesOf(vertices);
    if (count == 1) {
        WriteSpanHeader(buf, 0, v.ys[0], v.ys[0]);
        return;
    }
    if (!PolyWalkable(v.xs, v.ys, count)) {
        WriteSpanHeader(buf, 0, 0, 0);
        return;
    }
    VertexBounds b;
    const int32_t top = FindPolyTop(v.xs, v.ys, count, b);
    QrvSpanCollisionRecord* r = SpanRecords(buf);
    int32_t written = 0;
    // Bounded by the bottom vertex's row, so that an outline on one row writes
    // no record past the count the header gives.
    WalkEdges(v.xs, v.ys, count, top, Viewport{0, b.minY, 0, b.maxY}, NoAttrs{},
              [&](int32_t y, const EdgeChain<0>& left, const EdgeChain<0>& right) {
                  Put(r[written++], y, left.x / 65536, right.x / 65536);
              });
    // An outline that turns upward ends early; the header then claims only
    // the rows written, so that no reader takes stale words for spans.
    WriteSpanHeader(buf, written, b.minY, b.minY + written);
}

void BuildLineSpans(QrvSpanCollisionHeader* buf, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const bool firstIsA = x1 < x2;
    const int32_t xa = firstIsA ? x1 : x2, ya = firstIsA ? y1 : y2;
    const int32_t xb = firstIsA ? x2 : x1, yb = firstIsA ? y2 : y1;
    const int32_t top = ya < yb ? ya : yb, bottom = ya < yb ? yb : ya;
    const int64_t dx = int64_t{xb} - xa, dy = int64_t{yb} - ya;
    const int64_t rise = dy < 0 ? -dy : dy;
    QrvSpanCollisionRecord* r = SpanRecords(buf);

    if (dy == 0) {
        Put(r[0], ya, xa, xb);
        WriteSpanHeader(buf, 2, top, bottom);
        return;
    }
    // A steep line writes rise + 1 records, a shallow one at most rise + 2.
    if (!RecordsFit(buf, rise + 2)) {
        WriteSpanHeader(buf, 0, 0, 0);
        return;
    }
    if (rise >= dx) {
        const int64_t step = dx * kLineOne / rise;
        const int32_t rowStep = dy < 0 ? -1 : 1;
        int64_t x = LineFixed(xa);
        int32_t y = ya;
        for (int64_t k = 0; k <= rise; ++k, y += rowStep, x += step) {
            const int32_t col = LineWhole(x);
            Put(*r++, y, col, col + 2);
        }
        WriteSpanHeader(buf, static_cast<int32_t>(rise), top, bottom);
        return;
    }

    // Shallow: one run per row the line passes, each ending one column into
    // the next run. Whole runs are skipped at once rather than column by column.
    const int64_t step = dy * kLineOne / dx;
    int64_t y = LineFixed(ya);
    int32_t row = LineWhole(y);
    int64_t k = xa;
    int32_t runStart = xa;
    int32_t written = 0;
    for (;;) {
        const int64_t stay = StepsWithin(y, step, row);
        if (stay > int64_t{xb} - k) break;
        k += stay;
        y += stay * step;
        Put(r[written++], row, runStart, static_cast<int32_t>(k + 1));
        row = LineWhole(y);
        runStart = static_cast<int32_t>(k);
    }
    if (runStart < xb) {
        const int64_t yEnd = LineFixed(ya) + (dx + 1) * step;
        Put(r[written++], LineWhole(yEnd), runStart, xb + 3);
    }
    WriteSpanHeader(buf, written, top, bottom);
}

}  // namespace qrv

using namespace qrv;

extern "C" {

QRV_API QrvSpanCollisionRecord* QRV_CALL CreateSpanCollision_Rect(QrvSpanCollisionHeader* buf, int32_t x1, int32_t y1,
                                                                  int32_t x2, int32_t y2) {
    if (buf == nullptr) return nullptr;
    return BuildRectSpans(buf, x1, y1, x2, y2);
}

QRV_API QrvSpanCollisionHeader* QRV_CALL CreateSpanCollision_Ellipse(QrvSpanCollisionHeader* buf, int32_t cx,
                                                                     int32_t cy, int32_t rx, int32_t ry) {
    if (buf != nullptr) BuildEllipseSpans(buf, cx, cy, rx, ry);
    return buf;
}

QRV_API void QRV_CALL CreateSpanCollision_Polygon(const int32_t* vertices, int32_t count, QrvSpanCollisionHeader* buf) {
    if (buf == nullptr) return;
    if (vertices == nullptr) {
        WriteSpanHeader(buf, 0, 0, 0);
        return;
    }
    BuildPolygonSpans(vertices, count, buf);
}

QRV_API void QRV_CALL CreateSpanCollision_Line(QrvSpanCollisionHeader* buf, int32_t x1, int32_t y1, int32_t x2,
                                               int32_t y2) {
    if (buf != nullptr) BuildLineSpans(buf, x1, y1, x2, y2);
}

}  // extern "C"
