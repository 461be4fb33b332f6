// Straight lines: the general line, the mode line, the plotter line and the
// 32-bit line. None clips (but for two cases of the 32-bit line).
#include <cstddef>
#include <cstdlib>

#include "frame/colour.h"
#include "frame/state.h"
#include "primitives/ink_modes.h"
#include "primitives/pixels.h"
#include "primitives/spans.h"
#include "quorvel.h"

namespace qrv {
namespace {

// a / b truncated toward zero, as a wrapping 32-bit result; b != 0. Going
// through 64 bits keeps INT32_MIN / -1 from trapping.
constexpr int32_t Quotient(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<int64_t>(a) / static_cast<int64_t>(b));
}

constexpr int32_t Shl(int32_t v, int n) { return static_cast<int32_t>(static_cast<uint32_t>(v) << n); }

constexpr int32_t Abs(int32_t v) { return v < 0 ? static_cast<int32_t>(0u - static_cast<uint32_t>(v)) : v; }

// A line of more than INT32_MAX pixels along either axis lies in no buffer,
// and its 32-bit deltas and pixel counts would wrap: such a line draws nothing.
constexpr bool DeltasFit(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const int64_t dx = int64_t{x2} - x1, dy = int64_t{y2} - y1;
    return dx > -INT32_MAX && dx < INT32_MAX && dy > -INT32_MAX && dy < INT32_MAX;
}

// Steps one pixel at a time along the major axis from (x1, y1), with a
// kFrac-bit accumulator on the minor axis that starts half a pixel in, so the
// minor coordinate rounds. Steep lines (|dy| >= dx) take the caller's slope;
// plot(x, y) writes each pixel, both ends included.
template <int kFrac, class Plot>
void StepLine(int32_t x1, int32_t y1, int32_t dx, int32_t dy, int32_t steepSlope, Plot plot) {
    constexpr int32_t kHalf = 1 << (kFrac - 1);
    const int32_t ady = Abs(dy);
    if (ady >= dx) {
        const int32_t step = dy < 0 ? -1 : 1;
        int32_t acc = Shl(x1, kFrac) | kHalf;
        int32_t y = y1;
        for (uint32_t k = 0; k <= static_cast<uint32_t>(ady); ++k, y += step, acc += steepSlope) plot(acc >> kFrac, y);
    } else {
        const int32_t slope = Quotient(Shl(dy, kFrac), dx);
        int32_t acc = Shl(y1, kFrac) | kHalf;
        int32_t x = x1;
        for (uint32_t k = 0; k <= static_cast<uint32_t>(dx); ++k, ++x, acc += slope) plot(x, acc >> kFrac);
    }
}

// The replace line of the general routine: 16.16 steps, dx >= 0.
template <class F>
void ReplaceLine(int32_t xs, int32_t ys, int32_t dx, int32_t dy, uint32_t c) {
    const int32_t ady = Abs(dy);
    const int32_t steepSlope = ady == 0 ? 0 : Quotient(Shl(dx, 16), ady);
    // The buffer is copied so that the stores cannot make it reload per pixel.
    const Buffer dest = g.dest;
    StepLine<16>(xs, ys, dx, dy, steepSlope, [dest, c](int32_t x, int32_t y) {
        F::Store(RowAddress(dest, y) + static_cast<ptrdiff_t>(x) * F::kBytes, c);
    });
}

// The mode line: 18.14 steps, each pixel written by plot(x, y).
template <class Plot>
void ModeLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, Plot plot) {
    if (!DeltasFit(x1, y1, x2, y2)) return;
    const int32_t dx = x2 - x1, dy = y2 - y1;
    const int32_t steepSlope = dy == 0 ? 0 : Quotient(Shl(dy >= 0 ? dx : -dx, 14), dy);
    StepLine<14>(x1, y1, dx, dy, steepSlope, plot);
}

inline void Store32(int32_t x, int32_t y, uint32_t c) { Format32::Store(PixelAddress(x, y, 4), c); }

// The plotter line with the plotter's combine inlined, for the pairs that the
// plotter table holds: the same pixels without a call per pixel.
using PlotterLineFn = void (*)(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t c);

template <Ink I, class F>
void PlotterLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t c) {
    const uint32_t alpha = static_cast<uint32_t>(g.inkAlpha);
    const Buffer dest = g.dest;
    ModeLine(x1, y1, x2, y2, [dest, c, alpha](int32_t x, int32_t y) {
        CombinePixel<I, F>(RowAddress(dest, y) + static_cast<ptrdiff_t>(x) * F::kBytes, c, alpha);
    });
}

template <Ink I, class F>
struct MakePlotterLine {
    static constexpr PlotterLineFn Get() { return &PlotterLine<I, F>; }
};

constexpr auto kPlotterLines = BuildInkFormatTable<PlotterLineFn, MakePlotterLine>();

}  // namespace
}  // namespace qrv

using namespace qrv;

extern "C" {

QRV_API void QRV_CALL QRV_WriteDrawModeLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour,
                                            int32_t mode) {
    if (!IsFormat(g.dest.format) || InkIndex(mode) < 0) return;
    ModeLine(x1, y1, x2, y2, [&](int32_t x, int32_t y) { QRV_DrawPixel(x, y, colour, mode); });
}

QRV_API void QRV_CALL QRV_WriteLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t argb, int32_t mode) {
    const int32_t format = g.dest.format;
    const uint32_t c = ForBuffer(argb, format);
    const bool forward = x1 < x2;
    const int32_t xs = forward ? x1 : x2, ys = forward ? y1 : y2;
    const int32_t xe = forward ? x2 : x1, ye = forward ? y2 : y1;
    if (!DeltasFit(xs, ys, xe, ye)) return;
    const int32_t dx = xe - xs, dy = ye - ys;
    // Horizontal lines take the mode by the same rule as every other line, so
    // that a mode draws a line whatever its direction.
    const int32_t blend = mode & 0xFFF0;
    if (dy == 0) {
        // An end at INT32_MAX has no exclusive end in 32 bits; the strip then
        // draws nothing rather than wrap.
        DrawStrip(ys, xs, xe + 1, c, blend == 0 ? 2 : blend);
        return;
    }
    if (blend == 0) {
        WithFormat(format, [&]<class F>() { ReplaceLine<F>(xs, ys, dx, dy, c); });
        return;
    }
    if (PlotterFor(blend, format) != nullptr) {
        kPlotterLines[InkIndex(blend)][format](xs, ys, xe, ye, c);
    } else {
        QRV_WriteDrawModeLine(xs, ys, xe, ye, c, blend);
    }
}

QRV_API void QRV_CALL QRV_WriteLine_32Bit(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t c,
                                          int32_t /*ignored*/) {
    if (x1 == x2 && y1 == y2) {
        QRV_Dot(x1, y1, c, 1);
        return;
    }
    if (!DeltasFit(x1, y1, x2, y2)) return;
    if (y1 == y2) {
        const int32_t lo = x1 < x2 ? x1 : x2, hi = x1 < x2 ? x2 : x1;
        uint8_t* p = PixelAddress(lo, y1, 4);
        for (uint32_t k = 0; k <= static_cast<uint32_t>(hi - lo); ++k, p += 4) Format32::Store(p, c);
        return;
    }
    if (x1 == x2) {
        if (x1 < g.destDesc.viewLeft || x1 >= g.destDesc.viewRight) return;
        const int32_t lo = y1 < y2 ? y1 : y2, hi = y1 < y2 ? y2 : y1;
        for (uint32_t k = 0; k <= static_cast<uint32_t>(hi - lo); ++k) Store32(x1, lo + static_cast<int32_t>(k), c);
        return;
    }
    Store32(x1, y1, c);
    Store32(x2, y2, c);
    // The interior, k = 1 .. n - 1 along the major axis, starts without a
    // half-pixel offset: minor coordinates truncate.
    const auto interior = [](int32_t major0, int32_t minor0, int32_t majorLength, int32_t minorDelta, auto plot) {
        const int32_t slope = Quotient(Shl(minorDelta, 16), majorLength);
        int32_t acc = Shl(minor0, 16);
        for (int32_t k = 1; k < majorLength; ++k) {
            acc += slope;
            plot(major0 + k, acc >> 16);
        }
    };
    if (Abs(x2 - x1) <= Abs(y2 - y1)) {
        const bool down = y1 < y2;
        const int32_t xt = down ? x1 : x2, yt = down ? y1 : y2, xb = down ? x2 : x1, yb = down ? y2 : y1;
        interior(yt, xt, yb - yt, xb - xt, [c](int32_t y, int32_t x) { Store32(x, y, c); });
    } else {
        const bool right = x1 < x2;
        const int32_t xl = right ? x1 : x2, yl = right ? y1 : y2, xr = right ? x2 : x1, yr = right ? y2 : y1;
        interior(xl, yl, xr - xl, yr - yl, [c](int32_t x, int32_t y) { Store32(x, y, c); });
    }
}

}  // extern "C"
