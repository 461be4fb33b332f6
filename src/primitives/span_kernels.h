// The run kernels of the span filler: write n pixels from p combined with one
// colour. PlainKernel is the per-pixel reference; PackedKernel gives the same
// pixels with wide words.
#pragma once

#include <cstdint>
#include <cwchar>

#include "primitives/ink_modes.h"
#include "primitives/packed.h"
#include "primitives/pixel_format.h"

namespace qrv {

// The packed 32-bit add, subtract, reverse subtract and multiply bodies run
// their byte operation over the alpha byte too; the plain bodies clear it.
template <Ink I, class F>
inline constexpr bool kCombinesAlphaByte =
    F::kBytes == 4 && (I == Ink::Add || I == Ink::Subtract || I == Ink::ReverseSubtract || I == Ink::Multiply);

// One pixel of a span. kMmx is the MMX state: 1 lets the alpha byte take part.
template <Ink I, class F, bool kMmx>
constexpr uint32_t SpanCombine(uint32_t d, uint32_t c, uint32_t alpha) {
    if constexpr (kMmx && kCombinesAlphaByte<I, F>) {
        // The alpha byte follows the same rule as the blue byte.
        return Combine<I, F>(d, c, alpha) | (Combine<I, F>(d >> 24, c >> 24, alpha) << 24);
    } else {
        return Combine<I, F>(d, c, alpha);
    }
}

template <bool kMmx>
struct PlainKernel {
    template <Ink I, class F>
    static void Run(uint8_t* p, int32_t n, uint32_t c, uint32_t alpha) {
        for (int32_t i = 0; i < n; ++i, p += F::kBytes) {
            if constexpr (I == Ink::Replace) {
                F::Store(p, c);
            } else {
                F::Store(p, SpanCombine<I, F, kMmx>(F::Load(p), c, alpha));
            }
        }
    }
};

#if defined(__SSE2__)

// Sixteen bytes of pixels combined with a colour. Byte-wise inks (24-bit and
// 32-bit formats) work on the bytes; 16-bit inks on 16-bit lanes, one field
// at a time. Every operation is exact, so the pixels equal SpanCombine's.
template <Ink I, class F, bool kMmx>
struct VectorOp {
    static constexpr bool kReads = I != Ink::Replace;
    // 32-bit results whose alpha byte is cleared.
    static constexpr bool kClearAlpha =
        F::kBytes == 4 && (I == Ink::Alpha || (!kMmx && kCombinesAlphaByte<I, F>));

    __m128i c, cLow, cHigh, keep;

    // `colourBytes` holds the colour as it lies in memory across the vector.
    VectorOp(__m128i colourBytes, uint32_t alpha) : c(colourBytes) {
        keep = _mm_set1_epi16(static_cast<int16_t>(256 - alpha));
        const __m128i a = _mm_set1_epi16(static_cast<int16_t>(alpha));
        if constexpr (F::kBytes == 2) {
            cLow = cHigh = _mm_setzero_si128();
            if constexpr (I == Ink::Half) c = _mm_and_si128(_mm_srli_epi16(c, 1), Const16(F::kHalfMask));
        } else if constexpr (I == Ink::Alpha) {
            cLow = _mm_mullo_epi16(packed::WidenLow(c), a);
            cHigh = _mm_mullo_epi16(packed::WidenHigh(c), a);
        } else {
            cLow = packed::WidenLow(c);
            cHigh = packed::WidenHigh(c);
            if constexpr (I == Ink::Half && F::kBytes == 4)
                c = _mm_and_si128(_mm_srli_epi16(c, 1), _mm_set1_epi32(static_cast<int>(F::kHalfMask)));
        }
    }

    static __m128i Const16(uint32_t v) { return _mm_set1_epi16(static_cast<int16_t>(v)); }

    __m128i operator()(__m128i d) const {
        if constexpr (F::kBytes == 2) {
            return Apply16(d);
        } else {
            const __m128i r = ApplyBytes(d);
            if constexpr (kClearAlpha) return _mm_and_si128(r, _mm_set1_epi32(0x00FFFFFF));
            return r;
        }
    }

    __m128i ApplyBytes(__m128i d) const {
        if constexpr (I == Ink::Replace) return c;
        else if constexpr (I == Ink::Alpha) return packed::BlendBytes(d, cLow, cHigh, keep);
        else if constexpr (I == Ink::Half && F::kBytes == 4)
            return _mm_add_epi32(_mm_and_si128(_mm_srli_epi16(d, 1), _mm_set1_epi32(static_cast<int>(F::kHalfMask))), c);
        else if constexpr (I == Ink::Half) return packed::AverageDownBytes(d, c);
        else if constexpr (I == Ink::Add) return _mm_adds_epu8(d, c);
        else if constexpr (I == Ink::Subtract) return _mm_subs_epu8(d, c);
        else if constexpr (I == Ink::ReverseSubtract) return _mm_subs_epu8(c, d);
        else if constexpr (I == Ink::And) return _mm_and_si128(d, c);
        else if constexpr (I == Ink::Or) return _mm_or_si128(d, c);
        else if constexpr (I == Ink::Xor) return _mm_xor_si128(d, c);
        else return packed::MultiplyBytes(d, cLow, cHigh);
    }

    // One field of 16-bit pixels. Saturating inks lift the field to the top of
    // its lane so that the unsigned saturating word operations clamp it at the
    // field's limits; the others work on the field moved down to bit 0.
    template <int i>
    __m128i Field16(__m128i d) const {
        constexpr int kShift = F::kShift[i];
        constexpr int kUp = 16 - kShift - F::kWidth[i];
        const __m128i mask = Const16(F::kMask[i]);
        const __m128i df = _mm_and_si128(d, mask), cf = _mm_and_si128(c, mask);
        if constexpr (I == Ink::Add || I == Ink::Subtract || I == Ink::ReverseSubtract) {
            const __m128i du = _mm_slli_epi16(df, kUp), cu = _mm_slli_epi16(cf, kUp);
            __m128i r;
            if constexpr (I == Ink::Add) r = _mm_adds_epu16(du, cu);
            else if constexpr (I == Ink::Subtract) r = _mm_subs_epu16(du, cu);
            else r = _mm_subs_epu16(cu, du);
            return _mm_and_si128(_mm_srli_epi16(r, kUp), mask);
        } else {
            const __m128i dl = _mm_srli_epi16(df, kShift), cl = _mm_srli_epi16(cf, kShift);
            __m128i r;
            if constexpr (I == Ink::Alpha)
                r = packed::BlendLanes16(dl, _mm_mullo_epi16(cl, _mm_sub_epi16(Const16(256), keep)), keep);
            else
                r = _mm_srli_epi16(_mm_mullo_epi16(dl, cl), F::kWidth[i]);
            return _mm_slli_epi16(r, kShift);
        }
    }

    __m128i Apply16(__m128i d) const {
        if constexpr (I == Ink::Replace) return c;
        else if constexpr (I == Ink::And) return _mm_and_si128(d, c);
        else if constexpr (I == Ink::Or) return _mm_or_si128(d, c);
        else if constexpr (I == Ink::Xor) return _mm_xor_si128(d, c);
        else if constexpr (I == Ink::Half) return _mm_add_epi16(_mm_and_si128(_mm_srli_epi16(d, 1), Const16(F::kHalfMask)), c);
        else return _mm_or_si128(_mm_or_si128(Field16<0>(d), Field16<1>(d)), Field16<2>(d));
    }
};

template <bool kMmx>
struct PackedKernel {
    // Runs at least this long align their vector accesses first.
    static constexpr int32_t kAlignFrom = 64;
    static constexpr int32_t kLibraryFillFrom = 128;

    template <Ink I, class F>
    static void Scalar(uint8_t* p, int32_t n, uint32_t c, uint32_t alpha) {
        PlainKernel<kMmx>::template Run<I, F>(p, n, c, alpha);
    }

    template <Ink I, class F>
    static void Run(uint8_t* p, int32_t n, uint32_t c, uint32_t alpha) {
        if constexpr (F::kBytes == 3) {
            Run24<I, F>(p, n, c, alpha);
        } else {
            using Op = VectorOp<I, F, kMmx>;
            constexpr int kPerVector = 16 / F::kBytes;
            if (n < kPerVector) {
                Scalar<I, F>(p, n, c, alpha);
                return;
            }
            const uint32_t word = F::kBytes == 2 ? (c & 0xFFFF) * 0x10001u : c;
            const Op op(_mm_set1_epi32(static_cast<int>(word)), alpha);
            if constexpr (!Op::kReads) {
                // Long 32-bit runs go to the C library's wide-character fill
                // where its element is a 32-bit word: it uses the widest stores
                // the running processor has.
                if constexpr (F::kBytes == 4 && sizeof(wchar_t) == 4) {
                    if (n >= kLibraryFillFrom && reinterpret_cast<uintptr_t>(p) % alignof(wchar_t) == 0) {
                        std::wmemset(reinterpret_cast<wchar_t*>(p), static_cast<wchar_t>(c), static_cast<size_t>(n));
                        return;
                    }
                }
                // Plain writes may overlap: the last vector ends exactly at the
                // last pixel, so short runs need no scalar tail or lead-in.
                uint8_t* const last = p + static_cast<ptrdiff_t>(n - kPerVector) * F::kBytes;
                for (; p + 16 <= last; p += 32) {
                    packed::Store(p, op.c);
                    packed::Store(p + 16, op.c);
                }
                if (p < last) packed::Store(p, op.c);
                packed::Store(last, op.c);
                return;
            } else {
                // Long runs first reach a 16-byte boundary; on short runs the
                // unpredictable lead-in costs more than unaligned access.
                if (n >= kAlignFrom) {
                    const uintptr_t address = reinterpret_cast<uintptr_t>(p);
                    const int32_t head =
                        address % F::kBytes == 0 ? static_cast<int32_t>(((16 - (address & 15)) & 15) / F::kBytes) : 0;
                    Scalar<I, F>(p, head, c, alpha);
                    p += head * F::kBytes;
                    n -= head;
                }
                for (; n >= 2 * kPerVector; n -= 2 * kPerVector, p += 32) {
                    const __m128i a = packed::Load(p), b = packed::Load(p + 16);
                    packed::Store(p, op(a));
                    packed::Store(p + 16, op(b));
                }
                if (n >= kPerVector) {
                    packed::Store(p, op(packed::Load(p)));
                    p += 16;
                    n -= kPerVector;
                }
            }
            Scalar<I, F>(p, n, c, alpha);
        }
    }

    // 24-bit pixels sixteen at a time in three vectors whose colour bytes
    // repeat R G B across them, then four at a time in twelve bytes. Only
    // whole pixels are loaded or stored, so the byte after the last pixel is
    // never touched.
    template <Ink I, class F>
    static void Run24(uint8_t* p, int32_t n, uint32_t c, uint32_t alpha) {
        using Op = VectorOp<I, F, kMmx>;
        if (n >= 4) {
            const uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
            const int w0 = static_cast<int>(r | g << 8 | b << 16 | r << 24);
            const int w1 = static_cast<int>(g | b << 8 | r << 16 | g << 24);
            const int w2 = static_cast<int>(b | r << 8 | g << 16 | b << 24);
            const Op op0(_mm_setr_epi32(w0, w1, w2, w0), alpha);
            if (n >= 16) {
                const Op op1(_mm_setr_epi32(w1, w2, w0, w1), alpha);
                const Op op2(_mm_setr_epi32(w2, w0, w1, w2), alpha);
                for (; n >= 16; n -= 16, p += 48) {
                    if constexpr (Op::kReads) {
                        const __m128i x = packed::Load(p), y = packed::Load(p + 16), z = packed::Load(p + 32);
                        packed::Store(p, op0(x));
                        packed::Store(p + 16, op1(y));
                        packed::Store(p + 32, op2(z));
                    } else {
                        packed::Store(p, op0.c);
                        packed::Store(p + 16, op1.c);
                        packed::Store(p + 32, op2.c);
                    }
                }
            }
            for (; n >= 4; n -= 4, p += 12) {
                const __m128i v = Op::kReads ? op0(packed::Load12(p)) : op0.c;
                packed::Store12(p, v);
            }
        }
        Scalar<I, F>(p, n, c, alpha);
    }
};

#else

template <bool kMmx>
struct PackedKernel : PlainKernel<kMmx> {};

#endif

}  // namespace qrv
