// Circles and ellipses, outlined and filled, shaped by the circle profile.
#include <algorithm>
#include <type_traits>

#include "frame/colour.h"
#include "frame/state.h"
#include "primitives/circle_profile.h"
#include "primitives/ink_modes.h"
#include "primitives/pixel_format.h"
#include "primitives/pixels.h"
#include "primitives/span_writer.h"
#include "quorvel.h"

namespace qrv {
namespace {

// Calls fn(i), in increasing order and once each, for the steps i in
// first .. last whose position up + i or down - i lies in lo .. hi - 1: a
// clipped shape only visits the steps that can reach the viewport, however
// large its radius.
template <class Fn>
void ForVisibleSteps(int32_t first, int32_t last, int64_t up, int64_t down, int32_t lo, int32_t hi, Fn&& fn) {
    int64_t a0 = std::max<int64_t>(first, lo - up), a1 = std::min<int64_t>(last, hi - 1 - up);
    int64_t b0 = std::max<int64_t>(first, down - (hi - 1)), b1 = std::min<int64_t>(last, down - lo);
    if (a0 > a1) a0 = b0, a1 = b1;
    if (b0 > b1) b0 = a0, b1 = a1;
    if (a0 > b0) std::swap(a0, b0), std::swap(a1, b1);
    if (b0 <= a1 + 1) {
        for (int64_t i = a0; i <= std::max(a1, b1); ++i) fn(static_cast<int32_t>(i));
        return;
    }
    for (int64_t i = a0; i <= a1; ++i) fn(static_cast<int32_t>(i));
    for (int64_t i = b0; i <= b1; ++i) fn(static_cast<int32_t>(i));
}

bool Visible(const Viewport& v, int64_t x, int64_t y) {
    return x >= v.left && x < v.right && y >= v.top && y < v.bottom;
}

// The outline as two passes with four-way symmetry: one point pair per row
// of the vertical radius, one per column of the horizontal radius. With
// Clip, only the steps that reach the viewport are visited and plot, which
// still decides for each point, gets 64-bit positions: a point past the
// 32-bit range must not wrap back into the viewport.
template <bool Clip, class Plot>
void OutlinePoints(int32_t cx, int32_t cy, int32_t rx, int32_t ry, const Viewport& v, Plot&& plot) {
    using Coord = std::conditional_t<Clip, int64_t, int32_t>;
    const Coord x = cx, y = cy;
    auto row = [&](int32_t i) {
        const Coord hw = ProfileExtent(i, ry, rx);
        plot(x - hw, y - i), plot(x + hw, y - i);
        plot(x - hw, y + i), plot(x + hw, y + i);
    };
    auto column = [&](int32_t j) {
        const Coord hh = ProfileExtent(j, rx, ry);
        plot(x - j, y - hh), plot(x + j, y - hh);
        plot(x - j, y + hh), plot(x + j, y + hh);
    };
    if constexpr (!Clip) {
        for (int32_t i = 0; i < ry; ++i) row(i);
        for (int32_t j = 0; j < rx; ++j) column(j);
        return;
    }
    ForVisibleSteps(0, ry - 1, cy, cy, v.top, v.bottom, row);
    ForVisibleSteps(0, rx - 1, cx, cx, v.left, v.right, column);
}

void OpenEllipseFX(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint32_t colour, int32_t flags, int32_t noclip) {
    const int32_t mode = flags & 0xFFF0;
    if (mode == 0 || rx < 1 || ry < 1) return;
    const Viewport v = View();
    // Unclipped plotting is only safe for an outline that the viewport holds.
    if (noclip != 0 && ClassifyShape(cx, cy, rx, ry, v) == kShapeInside) {
        const uint32_t c = ForBuffer(colour, g.dest.format);
        OutlinePoints<false>(cx, cy, rx, ry, v, [&](int32_t x, int32_t y) { QRV_DrawPixel(x, y, c, mode); });
    } else {
        OutlinePoints<true>(cx, cy, rx, ry, v, [&](int64_t x, int64_t y) {
            if (Visible(v, x, y)) QRV_Dot(static_cast<int32_t>(x), static_cast<int32_t>(y), colour, mode);
        });
    }
}

void OpenEllipse(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint32_t colour, int32_t flags) {
    const Viewport v = View();
    const ShapeClass cls = ClassifyShape(cx, cy, rx, ry, v);
    if (cls == kShapeOutside) return;
    if ((flags & 0xFFF0) != 0) {
        OpenEllipseFX(cx, cy, rx, ry, colour, flags, cls);
        return;
    }
    if (rx < 1 || ry < 1) return;
    const uint32_t c = ForBuffer(colour, g.dest.format);
    WithFormat(g.dest.format, [&]<class F>() {
        if (cls == kShapeInside) {
            OutlinePoints<false>(cx, cy, rx, ry, v,
                                 [&](int32_t x, int32_t y) { F::Store(PixelAddress(x, y, F::kBytes), c); });
        } else {
            OutlinePoints<true>(cx, cy, rx, ry, v, [&](int64_t x, int64_t y) {
                if (Visible(v, x, y))
                    F::Store(PixelAddress(static_cast<int32_t>(x), static_cast<int32_t>(y), F::kBytes), c);
            });
        }
    });
}

void AddSpan(SpanWriter& spans, int32_t y, int32_t x0, int32_t x1) {
    if (SpanRecord* r = spans.Next()) {
        r->y = y;
        r->xLeft = x0;
        r->xRight = x1;
    }
}

// Rows cy + i and cy - i + 1 for i = 1 .. ry - 1, each of half-width h(i),
// clipped to the viewport. cy is 64-bit so that the unclipped filler's cy - 1
// cannot wrap.
void FilledEllipse(int32_t cx, int64_t cy, int32_t rx, int32_t ry, uint32_t c, int32_t flags) {
    if (rx < 1 || ry < 2) return;
    const Viewport v = View();
    SpanWriter spans = SpanBufferFor(SpanRowsFor(v, cy - ry + 2, cy + ry));
    if (spans.records == nullptr) return;
    ForVisibleSteps(1, ry - 1, cy, cy + 1, v.top, v.bottom, [&](int32_t i) {
        const int32_t hw = ProfileExtent(i, ry, rx);
        const int64_t x0 = int64_t{cx} - hw, x1 = int64_t{cx} + hw;
        if (x0 >= v.right || x1 <= v.left) return;
        const int32_t left = static_cast<int32_t>(std::max<int64_t>(x0, v.left));
        const int32_t right = static_cast<int32_t>(std::min<int64_t>(x1, v.right));
        const int64_t below = cy + i, above = cy - i + 1;
        if (below >= v.top && below < v.bottom) AddSpan(spans, static_cast<int32_t>(below), left, right);
        if (above >= v.top && above < v.bottom) AddSpan(spans, static_cast<int32_t>(above), left, right);
    });
    if (spans.count > 0) FillSpans(spans.records, spans.count, c, ShapeMode(flags, 2));
}

// Rows cy - k and cy + k - 1 of half-width h(k) for k = 1 .. ry - 1, top to
// bottom, without per-row tests. An ellipse the viewport does not hold goes
// through the clipped filler, which covers the same pixels inside it.
void FilledEllipseNC(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint32_t c, int32_t flags) {
    if (rx < 1 || ry < 1) return;
    const Viewport v = View();
    const bool fits = int64_t{cy} - ry + 1 >= v.top && int64_t{cy} + ry - 2 < v.bottom &&
                      int64_t{cx} - rx + 1 >= v.left && int64_t{cx} + rx - 2 < v.right;
    if (!fits) {
        FilledEllipse(cx, int64_t{cy} - 1, rx, ry, c, flags);
        return;
    }
    SpanWriter spans = SpanBufferFor(std::max(2 * ry, SpanRowsFor(v, v.top, v.bottom)));
    if (spans.records == nullptr) return;
    for (int32_t k = ry - 1; k >= 1; --k) {
        const int32_t hw = ProfileExtent(k, ry, rx);
        AddSpan(spans, cy - k, cx - hw, cx + hw);
    }
    for (int32_t k = 1; k < ry; ++k) {
        const int32_t hw = ProfileExtent(k, ry, rx);
        AddSpan(spans, cy + k - 1, cx - hw, cx + hw);
    }
    if (spans.count > 0) FillSpans(spans.records, spans.count, c, ShapeMode(flags, 2));
}

void Ellipse(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint32_t colour, int32_t flags) {
    if (flags & 1) {
        OpenEllipse(cx, cy, rx, ry, colour, flags);
        return;
    }
    const ShapeClass cls = ClassifyShape(cx, cy, rx, ry, View());
    if (cls == kShapeOutside) return;
    const uint32_t c = ForBuffer(colour, g.dest.format);
    if (flags == 0) flags = 2;
    if (cls == kShapeClipped) {
        FilledEllipse(cx, int64_t{cy} - 1, rx, ry, c, flags);
    } else {
        FilledEllipseNC(cx, cy, rx, ry, c, flags);
    }
}

}  // namespace
}  // namespace qrv

using namespace qrv;

extern "C" {

QRV_API void QRV_CALL QRV_Circle(int32_t cx, int32_t cy, int32_t r, uint32_t colour, int32_t flags) {
    Ellipse(cx, cy, r, r, colour, flags);
}

QRV_API void QRV_CALL QRV_Ellipse(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint32_t colour, int32_t flags) {
    Ellipse(cx, cy, rx, ry, colour, flags);
}

// With equal radii the two passes plot exactly the eight symmetric points of
// each step, so the circle outline is the ellipse outline.
QRV_API void QRV_CALL QRV_OpenCircle(int32_t cx, int32_t cy, int32_t r, uint32_t colour, int32_t flags) {
    OpenEllipse(cx, cy, r, r, colour, flags);
}

QRV_API void QRV_CALL QRV_OpenEllipse(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint32_t colour,
                                      int32_t flags) {
    OpenEllipse(cx, cy, rx, ry, colour, flags);
}

QRV_API void QRV_CALL QRV_OpenEllipseFX(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint32_t colour,
                                        int32_t flags, int32_t noclip) {
    OpenEllipseFX(cx, cy, rx, ry, colour, flags, noclip);
}

QRV_API void QRV_CALL QRV_FilledEllipse(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint32_t colour,
                                        int32_t flags) {
    FilledEllipse(cx, cy, rx, ry, colour, flags);
}

QRV_API void QRV_CALL QRV_FilledEllipseNC(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint32_t colour,
                                          int32_t flags) {
    FilledEllipseNC(cx, cy, rx, ry, colour, flags);
}

}  // extern "C"

