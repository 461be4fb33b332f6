// Gouraud span renderers per (draw mode, pixel format), with their packed
// twins, and the one-pixel gradient strips that share their colour stepping.
#include "polygons/gouraud_spans.h"

#include <cstddef>

#include "frame/colour.h"
#include "frame/state.h"
#include "primitives/ink_modes.h"
#include "primitives/packed.h"
#include "primitives/span_kernels.h"
#include "primitives/pixel_format.h"
#include "quorvel.h"

namespace qrv {
namespace {

// Three 16.16 channel accumulators and their per-pixel steps.
struct Gradient {
    int32_t acc[3];
    int32_t step[3];

    void Advance(int32_t pixels) {
#pragma GCC unroll 3
        for (int i = 0; i < 3; ++i) acc[i] += pixels * step[i];
    }
};

// From colour a at the first pixel towards colour b, reached after width
// pixels (which the gradient never draws).
Gradient GradientBetween(uint32_t a, uint32_t b, int64_t width) {
    Gradient gr;
#pragma GCC unroll 3
    for (int i = 0; i < 3; ++i) {
        const int32_t from = static_cast<int32_t>((a >> (16 - 8 * i)) & 0xFF);
        const int32_t to = static_cast<int32_t>((b >> (16 - 8 * i)) & 0xFF);
        gr.acc[i] = from << 16;
        // A difference of at most 255 << 16 over more than 2^31 pixels steps by 0.
        gr.step[i] = width <= INT32_MAX ? (to - from) * 65536 / static_cast<int32_t>(width) : 0;
    }
    return gr;
}

// The interpolated colour at a format's precision: each channel's 8-bit
// integer part cut to the field width and moved into the field.
template <class F>
inline uint32_t ReduceColour(const int32_t acc[3]) {
    uint32_t c = 0;
#pragma GCC unroll 3
    for (int i = 0; i < 3; ++i)
        c |= static_cast<uint32_t>((acc[i] >> (24 - F::kWidth[i])) << F::kShift[i]) & F::kMask[i];
    return c;
}

template <Ink I, class F>
void GradientRun(uint8_t* p, ptrdiff_t stride, int32_t n, Gradient gr) {
    for (int32_t k = 0; k < n; ++k, p += stride) {
        const uint32_t c = ReduceColour<F>(gr.acc);
        if constexpr (I == Ink::Replace) {
            F::Store(p, c);
        } else {
            F::Store(p, Combine<I, F>(F::Load(p), c, 0));
        }
        gr.Advance(1);
    }
}

#if defined(__SSE2__)
// ReduceColour on four pixels, one per 32-bit lane.
template <class F>
inline __m128i ReduceColourLanes(const __m128i acc[3]) {
    __m128i c = _mm_setzero_si128();
#pragma GCC unroll 3
    for (int i = 0; i < 3; ++i) {
        const __m128i field = _mm_sll_epi32(_mm_sra_epi32(acc[i], _mm_cvtsi32_si128(24 - F::kWidth[i])),
                                            _mm_cvtsi32_si128(F::kShift[i]));
        c = _mm_or_si128(c, _mm_and_si128(field, _mm_set1_epi32(static_cast<int32_t>(F::kMask[i]))));
    }
    return c;
}

// Sixteen bytes of pixels per step, their colours laid out as in memory and
// combined by the span filler's packed operation (plain-body alpha byte:
// cleared). The lanes hold the accumulators of consecutive pixels, so every
// pixel gets the value the scalar run gives it.
template <Ink I, class F>
void GradientRunPacked(uint8_t* p, int32_t n, Gradient gr) {
    constexpr int kPerVector = 16 / F::kBytes;
    __m128i acc[3], step4[3];
#pragma GCC unroll 3
    for (int i = 0; i < 3; ++i) {
        const int32_t a = gr.acc[i], s = gr.step[i];
        acc[i] = _mm_setr_epi32(a, a + s, a + 2 * s, a + 3 * s);
        step4[i] = _mm_set1_epi32(4 * s);
    }
    auto nextFour = [&]() {
        const __m128i c = ReduceColourLanes<F>(acc);
#pragma GCC unroll 3
        for (int i = 0; i < 3; ++i) acc[i] = _mm_add_epi32(acc[i], step4[i]);
        return c;
    };
    int32_t k = 0;
    for (; k + kPerVector <= n; k += kPerVector, p += 16) {
        __m128i colours = nextFour();
        if constexpr (F::kBytes == 2) {
            // Sign-extended halves pack exactly into eight 16-bit pixels.
            const __m128i high = nextFour();
            colours = _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(colours, 16), 16),
                                      _mm_srai_epi32(_mm_slli_epi32(high, 16), 16));
        }
        if constexpr (I == Ink::Replace) {
            packed::Store(p, colours);
        } else {
            const VectorOp<I, F, false> op(colours, 0);
            packed::Store(p, op(packed::Load(p)));
        }
    }
    gr.Advance(k);
    GradientRun<I, F>(p, F::kBytes, n - k, gr);
}
#endif

// Renderers whose equal-ended spans go to the flat span filler, and the
// mask under which their ends count as equal.
template <Ink I, class F>
constexpr bool kEqualEndsShortcut = I == Ink::Add || I == Ink::Subtract || I == Ink::Multiply ||
                                    I == Ink::ReverseSubtract || (I == Ink::Half && F::kBytes == 2) ||
                                    (I == Ink::Replace && F::kBytes == 4);

template <Ink I, class F>
constexpr uint32_t EqualEndsMask() {
    if constexpr (F::kBytes != 2) return 0xFFFFFF;
    // The 5-5-5 add and reverse subtract compare only the bits the format keeps.
    if constexpr (F::kCode == 2 && (I == Ink::Add || I == Ink::ReverseSubtract)) return 0xF8F8F8;
    return 0xF8FCF8;
}

// Every 16-bit and 32-bit renderer has a packed body giving its pixels; the
// 24-bit ones write bytes.
template <Ink I, class F>
constexpr bool kHasPackedBody = HavePackedKernels() && F::kBytes != 3;

template <Ink I>
constexpr bool kGouraudInk = I == Ink::Replace || I == Ink::Half || I == Ink::Add || I == Ink::Subtract ||
                             I == Ink::Multiply || I == Ink::ReverseSubtract;

using SpanRenderer = void (*)(const SpanRecord* records, int32_t count, int32_t mode);

template <Ink I, class F, bool Packed>
void RenderSpans(const SpanRecord* records, int32_t count, int32_t mode) {
    const Buffer dest = g.dest;
    for (int32_t n = 0; n < count; ++n) {
        const SpanRecord& r = records[n];
        const int32_t width = RunLength(r.xLeft, r.xRight);
        if (width == 0) continue;
        const uint32_t left = static_cast<uint32_t>(r.leftAttr[0]) & 0xFFFFFF;
        const uint32_t right = static_cast<uint32_t>(r.rightAttr[0]) & 0xFFFFFF;
        if constexpr (kEqualEndsShortcut<I, F>) {
            constexpr uint32_t kMask = EqualEndsMask<I, F>();
            if ((left & kMask) == (right & kMask)) {
                FillSpans(&r, 1, ForBuffer(left, F::kCode), mode);
                continue;
            }
        }
        uint8_t* p = RowAddress(dest, r.y) + static_cast<ptrdiff_t>(r.xLeft) * F::kBytes;
        const Gradient gr = GradientBetween(left, right, width);
#if defined(__SSE2__)
        if constexpr (Packed) {
            GradientRunPacked<I, F>(p, width, gr);
            continue;
        }
#endif
        GradientRun<I, F>(p, F::kBytes, width, gr);
    }
}

struct RendererPair {
    SpanRenderer scalar;
    SpanRenderer packed;
};

template <Ink I, class F>
struct MakeRenderer {
    static constexpr RendererPair Get() {
        if constexpr (!kGouraudInk<I>) {
            return {nullptr, nullptr};
        } else {
            return {&RenderSpans<I, F, false>, &RenderSpans<I, F, kHasPackedBody<I, F>>};
        }
    }
};

constexpr auto kRenderers = BuildInkFormatTable<RendererPair, MakeRenderer>();

// One-pixel gradient from position start (colour a) towards end (colour b)
// along a row or a column of the destination descriptor; [clipFrom, clipTo)
// is the visible range on that axis.
template <class F>
void GradientStrip(uint8_t* origin, ptrdiff_t stride, int32_t start, uint32_t a, int32_t end, uint32_t b,
                   int32_t clipFrom, int32_t clipTo) {
    const int64_t width = int64_t{end} - start;
    Gradient gr = GradientBetween(a, b, width);
    int32_t first = start;
    if (first < clipFrom) {
        for (int i = 0; i < 3; ++i) gr.acc[i] += static_cast<int32_t>((int64_t{clipFrom} - start) * gr.step[i]);
        first = clipFrom;
    }
    const int32_t last = end < clipTo ? end : clipTo;
    if (last <= first) return;
    GradientRun<Ink::Replace, F>(origin + static_cast<ptrdiff_t>(first) * stride, stride, last - first, gr);
}

}  // namespace

void DrawGouraudSpans(const SpanRecord* records, int32_t count, int32_t, int32_t mode) {
    const int ink = InkIndex(mode);
    const int32_t format = g.dest.format;
    if (ink < 0 || !IsFormat(format) || records == nullptr) return;
    const RendererPair& pair = kRenderers[ink][format];
    // Both bodies give the same pixels, whatever the MMX state.
    const SpanRenderer render = PackedKernelsActive() ? pair.packed : pair.scalar;
    if (render) render(records, count, mode);
}

}  // namespace qrv

using namespace qrv;

extern "C" {

QRV_API void QRV_CALL QRV_HoriGouraudStrip(int32_t xa, uint32_t ca, int32_t xb, uint32_t cb, int32_t y) {
    const QrvSurfaceDesc& d = g.destDesc;
    if (y < d.viewTop || y >= d.viewBottom) return;
    const bool swap = xa >= xb;
    const int32_t start = swap ? xb : xa, end = swap ? xa : xb;
    if (start > d.viewRight || end < d.viewLeft || int64_t{end} - start < 1) return;
    uint8_t* row = static_cast<uint8_t*>(d.pixels) + static_cast<ptrdiff_t>(y) * d.pitch;
    WithFormat(d.format, [&]<class F>() {
        GradientStrip<F>(row, F::kBytes, start, swap ? cb : ca, end, swap ? ca : cb, d.viewLeft, d.viewRight);
    });
}

QRV_API void QRV_CALL QRV_VertGouraudStrip(int32_t ya, uint32_t ca, int32_t yb, uint32_t cb, int32_t x) {
    const QrvSurfaceDesc& d = g.destDesc;
    if (x < d.viewLeft || x >= d.viewRight) return;
    const bool swap = ya >= yb;
    const int32_t start = swap ? yb : ya, end = swap ? ya : yb;
    if (start >= d.viewBottom || end < d.viewTop || int64_t{end} - start < 1) return;
    WithFormat(d.format, [&]<class F>() {
        uint8_t* column = static_cast<uint8_t*>(d.pixels) + static_cast<ptrdiff_t>(x) * F::kBytes;
        GradientStrip<F>(column, d.pitch, start, swap ? cb : ca, end, swap ? ca : cb, d.viewTop, d.viewBottom);
    });
}

}  // extern "C"
