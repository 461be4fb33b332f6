// The polygon vertex slots and the edge walk that every convex polygon kind
// shares: the outline becomes one row per scan line, each row carrying the
// x of both chains and whatever interpolants the kind asks its chains for.
#pragma once

#include <array>
#include <cstdint>

#include "frame/state.h"
#include "primitives/span_writer.h"

namespace qrv {

inline constexpr int kPolySlots = 8;

extern int32_t PolyX[kPolySlots];
extern int32_t PolyY[kPolySlots];
extern int32_t PolyU[kPolySlots];
extern int32_t PolyV[kPolySlots];
extern uint32_t PolyRGB[kPolySlots];

struct VertexBounds {
    int32_t minX;
    int32_t minY;
    int32_t maxX;
    int32_t maxY;
};

extern VertexBounds PolyBounds;

// Index of the first topmost vertex; fills bounds. With count < 2 the bounds
// are those of vertex 0.
int32_t FindPolyTop(const int32_t* xs, const int32_t* ys, int32_t count, VertexBounds& bounds);
// The outermost vertex, stepping backward (forward) from index, that still
// lies on row y.
int32_t TopRunEndBackward(const int32_t* ys, int32_t index, int32_t y, int32_t count);
int32_t TopRunEndForward(const int32_t* ys, int32_t index, int32_t y, int32_t count);
// The first vertex from index on, stepping by step, that is not on row y.
int32_t NextChainVertex(const int32_t* ys, int32_t y, int32_t index, int32_t step, int32_t count);
// 1 when vertices 0, 1, 2 turn clockwise on screen (y down), in wrapping
// 32-bit arithmetic; 0 otherwise, collinear included.
int32_t IsClockwise(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// The slot step of the left chain: -1 for a clockwise outline, +1 otherwise.
// Collinear first three vertices take the winding of the whole outline.
int32_t LeftChainStep(const int32_t* xs, const int32_t* ys, int32_t count);

// Vertex counts the walk accepts, and coordinates whose 16.16 edge values
// cannot overflow.
bool PolyWalkable(const int32_t* xs, const int32_t* ys, int32_t count);

// What a slot polygon needs before its walk: the top vertex (PolyBounds is
// filled), whether rows need horizontal clipping, and the span buffer.
struct PolyWalkSetup {
    int32_t top = 0;
    bool clipX = false;
    SpanWriter spans;
};

// False when the slot polygon of count vertices draws nothing: a count outside
// 2..8, a coordinate outside 16 bits, an outline that misses the viewport, or
// no span buffer.
bool BeginPolyWalk(int32_t count, const Viewport& view, PolyWalkSetup& setup);

// The columns of a row from the chains' 16.16 x values: the floor of each, or,
// on rows that need horizontal clipping, the values truncated toward zero.
struct RowColumns {
    int32_t left;
    int32_t right;
};

inline RowColumns RowColumnsOf(int32_t leftX, int32_t rightX, bool clipX) {
    if (!clipX) return {leftX >> 16, rightX >> 16};
    return {leftX / 65536, rightX / 65536};
}

// One side of the outline: the vertex it heads for, its 16.16 x and the
// interpolants it carries, each with its per-row slope.
template <int N>
struct EdgeChain {
    int32_t vertex = 0;
    int32_t step = 0;
    int32_t x = 0;
    int32_t dx = 0;
    std::array<int32_t, N> attr{};
    std::array<int32_t, N> dAttr{};

    void Advance(int32_t rows) {
        x += rows * dx;
#pragma GCC unroll 8
        for (int i = 0; i < N; ++i) attr[i] += rows * dAttr[i];
    }
};

// What a polygon kind's chains carry: Carry::kAttrs interpolants per chain.
// carry.Target(vertex, i) is interpolant i's 16.16 value at a vertex, which
// each edge aims at; carry.Start(chainVertex, topVertex, i) the value a chain
// starts with (most kinds start at the chain's first vertex, some at the top
// vertex for both chains). Unlike x, interpolants are not reset at later
// vertices: each edge aims them from where they are.
struct NoAttrs {
    static constexpr int kAttrs = 0;
    int32_t Target(int32_t, int) const { return 0; }
    int32_t Start(int32_t, int32_t, int) const { return 0; }
};

// The corners of an outline of four vertices whose edges run along the axes,
// each of nonzero length: a rectangle, however its vertices are ordered and
// wound. False for any other outline.
struct RectangleCorners {
    int32_t topLeft, topRight, bottomLeft, bottomRight;
};

inline bool AxisRectangle(const int32_t* xs, const int32_t* ys, RectangleCorners& c) {
    // Edge 0-1 runs across (or down), then the edges alternate.
    const bool across = ys[0] == ys[1];
    const bool closed = across ? (xs[1] == xs[2] && ys[2] == ys[3] && xs[3] == xs[0])
                               : (xs[0] == xs[1] && ys[1] == ys[2] && xs[2] == xs[3] && ys[3] == ys[0]);
    if (!closed || xs[0] == xs[2] || ys[0] == ys[2]) return false;
    // Vertex 2 is the corner opposite vertex 0; 1 and 3 are the other two.
    const int32_t left = xs[0] < xs[2] ? 0 : 2, right = 2 - left;
    const int32_t firstTop = ys[0] < ys[2] ? 0 : 2;
    const int32_t oddTop = ys[1] < ys[3] ? 1 : 3, oddLeft = xs[1] < xs[3] ? 1 : 3;
    // Of the four corners, the even pair gives one diagonal, the odd pair the other.
    if (firstTop == left) {
        c = {left, 4 - oddLeft, oddLeft, right};
    } else {
        c = {oddTop, right, left, 4 - oddTop};
    }
    return true;
}

// The walk: calls emit(y, left, right) for every row of the outline in
// xs/ys that lies between clip.top and clip.bottom, top row included and the
// bottom vertex's row excluded. The outline must be convex; a chain that turns
// upward ends the walk with the rows emitted so far.
// top is the index FindPolyTop gave for the outline.
template <class Carry, class Emit>
void WalkEdges(const int32_t* xs, const int32_t* ys, int32_t count, int32_t top, const Viewport& clip,
               const Carry& carry, Emit&& emit) {
    constexpr int N = Carry::kAttrs;
    int32_t y = ys[top];

    const int32_t p = TopRunEndBackward(ys, top, y, count);
    const int32_t n = TopRunEndForward(ys, top, y, count);
    EdgeChain<N> left, right;
    left.vertex = xs[p] > xs[n] ? n : p;
    right.vertex = xs[p] > xs[n] ? p : n;
    left.step = LeftChainStep(xs, ys, count);
    right.step = -left.step;
    for (int i = 0; i < N; ++i) {
        left.attr[i] = carry.Start(left.vertex, top, i);
        right.attr[i] = carry.Start(right.vertex, top, i);
    }

    // Restarts a chain at its vertex when the walk has reached that vertex's
    // row; gives the rows to the chain's next vertex, negative for upward.
    auto rowsToNext = [&](EdgeChain<N>& c) -> int32_t {
        if (ys[c.vertex] != y) return ys[c.vertex] - y;
        c.x = xs[c.vertex] << 16;
        c.vertex = NextChainVertex(ys, y, c.vertex, c.step, count);
        int32_t dy = ys[c.vertex] - y;
        if (dy < 0) return dy;
        if (dy == 0) dy = 1;
        // Two 16-bit columns lie up to 2^32 - 2^16 apart in 16.16, so the
        // difference is taken in 64 bits; a one-row step that still does not
        // fit wraps, and x then lands exactly on the vertex all the same.
        c.dx = static_cast<int32_t>(((int64_t{xs[c.vertex]} << 16) - c.x) / dy);
        for (int i = 0; i < N; ++i) c.dAttr[i] = (carry.Target(c.vertex, i) - c.attr[i]) / dy;
        return dy;
    };

    for (int32_t section = 0; section < count - 1; ++section) {
        const int32_t dyLeft = rowsToNext(left);
        if (dyLeft < 0) return;
        const int32_t dyRight = rowsToNext(right);
        if (dyRight < 0) return;
        int32_t h = dyLeft < dyRight ? dyLeft : dyRight;
        if (y + h < clip.top) {
            left.Advance(h);
            right.Advance(h);
            y += h;
        } else {
            if (y + h > clip.bottom) h = clip.bottom - y;
            int32_t k = 0;
            if (y < clip.top) {
                k = clip.top - y;
                left.Advance(k);
                right.Advance(k);
                y = clip.top;
            }
            for (int32_t row = k; row < h; ++row) {
                emit(y, left, right);
                left.Advance(1);
                right.Advance(1);
                ++y;
            }
        }
        if (y >= clip.bottom || left.vertex == right.vertex) return;
    }
}

}  // namespace qrv
