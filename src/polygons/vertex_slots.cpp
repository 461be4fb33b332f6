// The vertex slots and the outline queries of the edge walk.
#include <cstdint>

#include "polygons/edge_walk.h"

namespace qrv {

int32_t PolyX[kPolySlots];
int32_t PolyY[kPolySlots];
int32_t PolyU[kPolySlots];
int32_t PolyV[kPolySlots];
uint32_t PolyRGB[kPolySlots];
VertexBounds PolyBounds;

namespace {

int32_t Wrap(int32_t index, int32_t count) {
    if (index < 0) return count - 1;
    if (index >= count) return 0;
    return index;
}

int32_t TopRunEnd(const int32_t* ys, int32_t index, int32_t y, int32_t count, int32_t step) {
    int32_t end = index;
    for (int32_t steps = 0; steps < count; ++steps) {
        const int32_t next = Wrap(end + step, count);
        if (ys[next] != y) break;
        end = next;
    }
    return end;
}

}  // namespace

int32_t FindPolyTop(const int32_t* xs, const int32_t* ys, int32_t count, VertexBounds& bounds) {
    bounds = {xs[0], ys[0], xs[0], ys[0]};
    int32_t top = 0;
    for (int32_t i = 1; i < count; ++i) {
        if (ys[i] < bounds.minY) {
            bounds.minY = ys[i];
            top = i;
        }
        if (ys[i] > bounds.maxY) bounds.maxY = ys[i];
        if (xs[i] < bounds.minX) bounds.minX = xs[i];
        if (xs[i] > bounds.maxX) bounds.maxX = xs[i];
    }
    return top;
}

int32_t TopRunEndBackward(const int32_t* ys, int32_t index, int32_t y, int32_t count) {
    return TopRunEnd(ys, index, y, count, -1);
}

int32_t TopRunEndForward(const int32_t* ys, int32_t index, int32_t y, int32_t count) {
    return TopRunEnd(ys, index, y, count, 1);
}

int32_t NextChainVertex(const int32_t* ys, int32_t y, int32_t index, int32_t step, int32_t count) {
    if (ys[index] != y) return index;
    for (int32_t steps = 0; steps < count; ++steps) {
        index = Wrap(index + step, count);
        if (ys[index] != y) break;
    }
    return index;
}

int32_t IsClockwise(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    return (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0) > 0 ? 1 : 0;
}

int32_t LeftChainStep(const int32_t* xs, const int32_t* ys, int32_t count) {
    if (count < 3) return 1;
    // In 64 bits: with 16-bit coordinates the products reach 2^32, and a
    // wrapped turn would send both chains the wrong way round.
    const int64_t turn = (int64_t{xs[1]} - xs[0]) * (int64_t{ys[2]} - ys[0]) -
                         (int64_t{xs[2]} - xs[0]) * (int64_t{ys[1]} - ys[0]);
    if (turn != 0) return turn > 0 ? -1 : 1;
    // A redundant vertex among the first three: the signed area decides.
    int64_t area = 0;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t j = Wrap(i + 1, count);
        area += int64_t{xs[i]} * ys[j] - int64_t{xs[j]} * ys[i];
    }
    return area > 0 ? -1 : 1;
}

bool PolyWalkable(const int32_t* xs, const int32_t* ys, int32_t count) {
    if (count < 2 || count > kPolySlots) return false;
    for (int32_t i = 0; i < count; ++i) {
        if (xs[i] < INT16_MIN || xs[i] > INT16_MAX || ys[i] < INT16_MIN || ys[i] > INT16_MAX) return false;
    }
    return true;
}

bool BeginPolyWalk(int32_t count, const Viewport& view, PolyWalkSetup& setup) {
    if (!PolyWalkable(PolyX, PolyY, count)) return false;
    setup.top = FindPolyTop(PolyX, PolyY, count, PolyBounds);
    const VertexBounds& b = PolyBounds;
    if (b.maxY < view.top || b.minY >= view.bottom || b.minX >= view.right || b.maxX < view.left) return false;
    setup.clipX = b.minX < view.left || b.maxX >= view.right;
    setup.spans = SpanBufferFor(SpanRowsFor(view, b.minY, b.maxY));
    return setup.spans.records != nullptr;
}

}  // namespace qrv
