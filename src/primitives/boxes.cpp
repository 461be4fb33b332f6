// Boxes: outlined, filled, and filled with four-corner shading.
#include <algorithm>

#include "frame/colour.h"
#include "frame/state.h"
#include "polygons/gouraud_spans.h"
#include "primitives/ink_modes.h"
#include "primitives/span_writer.h"
#include "quorvel.h"

namespace qrv {
namespace {

struct Box {
    int32_t left, top, right, bottom;
};

Box SortedBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

bool Misses(const Box& b, const Viewport& v) {
    return b.left >= v.right || b.right < v.left || b.top >= v.bottom || b.bottom < v.top;
}

// The closed rectangle's edges as clipped lines, corners once. An edge is
// drawn down to a single pixel, so degenerate boxes draw their line twice.
void OutlineBox(const Box& b, const Viewport& v, uint32_t colour, int32_t mode) {
    const int32_t xa = std::max(b.left, v.left);
    const int32_t xb = std::min(b.right, v.right - 1);
    if (xa <= xb) {
        if (b.top >= v.top) QRV_WriteLine(xa, b.top, xb, b.top, colour, mode);
        if (b.bottom >= v.top && b.bottom < v.bottom) QRV_WriteLine(xa, b.bottom, xb, b.bottom, colour, mode);
    }
    // 64-bit, so that a bottom of INT32_MIN cannot wrap into a tall edge.
    const int64_t rowA = std::max<int64_t>(int64_t{b.top} + 1, v.top);
    const int64_t rowB = std::min<int64_t>(int64_t{b.bottom} - 1, int64_t{v.bottom} - 1);
    if (rowA <= rowB) {
        const int32_t ya = static_cast<int32_t>(rowA), yb = static_cast<int32_t>(rowB);
        if (b.left >= v.left && b.left < v.right) QRV_WriteLine(b.left, ya, b.left, yb, colour, mode);
        if (b.right >= v.left && b.right < v.right) QRV_WriteLine(b.right, ya, b.right, yb, colour, mode);
    }
}

// The half-open box, one span per visible row.
void FillBox(const Box& b, const Viewport& v, uint32_t colour, int32_t mode) {
    const int32_t x0 = std::max(b.left, v.left), x1 = std::min(b.right, v.right);
    const int32_t y0 = std::max(b.top, v.top), y1 = std::min(b.bottom, v.bottom);
    if (x0 >= x1 || y0 >= y1) return;
    SpanWriter spans = SpanBufferFor(SpanRowsFor(v, y0, y1));
    if (spans.records == nullptr) return;
    for (int32_t y = y0; y < y1; ++y) {
        SpanRecord* r = spans.Next();
        if (r == nullptr) break;
        r->y = y;
        r->xLeft = x0;
        r->xRight = x1;
    }
    FillSpans(spans.records, spans.count, ForBuffer(colour, g.dest.format), mode);
}

int32_t Channel(uint32_t colour, int i) { return static_cast<int32_t>((colour >> (16 - 8 * i)) & 0xFF); }

// Three 12.20 channels packed as 0x00RRGGBB from their integer parts.
uint32_t Pack1220(const int32_t c[3]) {
    uint32_t packed = 0;
    for (int i = 0; i < 3; ++i) packed |= ((static_cast<uint32_t>(c[i]) >> 20) & 0xFF) << (16 - 8 * i);
    return packed;
}

void ShadeBox(Box b, const Viewport& v, const uint32_t corner[4], int32_t mode) {
    const int64_t width = int64_t{b.right} - b.left, height = int64_t{b.bottom} - b.top;
    if (width < 1 || height < 1) return;
    // Left edge from top-left to bottom-left, right edge from top-right to
    // bottom-right, each channel in 12.20.
    int32_t leftEdge[3], rightEdge[3], leftStep[3], rightStep[3];
    for (int i = 0; i < 3; ++i) {
        leftEdge[i] = Channel(corner[0], i) << 20;
        rightEdge[i] = Channel(corner[1], i) << 20;
        leftStep[i] = static_cast<int32_t>(((Channel(corner[3], i) << 20) - leftEdge[i]) / height);
        rightStep[i] = static_cast<int32_t>(((Channel(corner[2], i) << 20) - rightEdge[i]) / height);
    }
    int64_t rightReach = width;
    if (b.right >= v.right) {
        b.right = v.right;
        rightReach = int64_t{v.right} - b.left;
    }
    int64_t leftSkip = 0;
    if (b.left < v.left) {
        leftSkip = int64_t{v.left} - b.left;
        b.left = v.left;
    }
    if (b.top < v.top) {
        const int64_t rows = int64_t{v.top} - b.top;
        for (int i = 0; i < 3; ++i) {
            leftEdge[i] += static_cast<int32_t>(rows * leftStep[i]);
            rightEdge[i] += static_cast<int32_t>(rows * rightStep[i]);
        }
        b.top = v.top;
    }
    b.bottom = std::min(b.bottom, v.bottom);
    if (b.top >= b.bottom) return;

    SpanWriter spans = SpanBufferFor(SpanRowsFor(v, b.top, b.bottom));
    if (spans.records == nullptr) return;
    for (int32_t y = b.top; y < b.bottom; ++y) {
        SpanRecord* r = spans.Next();
        if (r == nullptr) break;
        int32_t start[3], end[3];
        for (int i = 0; i < 3; ++i) {
            const int64_t across = int64_t{rightEdge[i]} - leftEdge[i];
            start[i] = static_cast<int32_t>(leftEdge[i] + leftSkip * across / width);
            end[i] = static_cast<int32_t>(leftEdge[i] + rightReach * across / width);
            leftEdge[i] += leftStep[i];
            rightEdge[i] += rightStep[i];
        }
        r->y = y;
        r->xLeft = b.left;
        r->xRight = b.right;
        r->leftAttr[0] = static_cast<int32_t>(Pack1220(start));
        r->rightAttr[0] = static_cast<int32_t>(Pack1220(end));
    }
    DrawGouraudSpans(spans.records, spans.count, 0, mode);
}

}  // namespace
}  // namespace qrv

using namespace qrv;

extern "C" {

QRV_API void QRV_CALL QRV_Box(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour, int32_t flags) {
    const Box b = SortedBox(x1, y1, x2, y2);
    const Viewport v = View();
    if (Misses(b, v)) return;
    if (flags & 1) {
        OutlineBox(b, v, colour, ShapeMode(flags, 1));
    } else if (flags & 2) {
        FillBox(b, v, colour, ShapeMode(flags, 2));
    }
}

QRV_API void QRV_CALL QRV_ShadeBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t c0, uint32_t c1,
                                   uint32_t c2, uint32_t c3, int32_t flags) {
    const Box b = SortedBox(x1, y1, x2, y2);
    const Viewport v = View();
    if (Misses(b, v)) return;
    const uint32_t corners[4] = {c0, c1, c2, c3};
    ShadeBox(b, v, corners, ShapeMode(flags, 2));
}

}  // extern "C"
