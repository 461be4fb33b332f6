// The run kernels of the span filler: write n pixels from p combined with one
// colour. PlainKernel is the per-pixel reference; PackedKernel gives the same
// pixels with wide words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cwchar>

#include "frame/isa.h"
#include "primitives/ink_modes.h"
#include "primitives/packed.h"
#include "primitives/pixel_format.h"

namespace qrv {
inline namespace QRV_ISA {

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

// A vector of pixels (W::kBytes bytes) combined with a colour. Byte-wise
// inks (24-bit and 32-bit formats) work on the bytes; 16-bit inks on 16-bit
// lanes, one field at a time. Every operation is exact, so the pixels equal
// SpanCombine's.
template <Ink I, class F, bool kMmx, class W = packed::Width16>
struct VectorOp {
    using T = typename W::T;
    using B = packed::Bytes<W>;
    static constexpr bool kReads = I != Ink::Replace;
    // 32-bit results whose alpha byte is cleared.
    static constexpr bool kClearAlpha =
        F::kBytes == 4 && (I == Ink::Alpha || (!kMmx && kCombinesAlphaByte<I, F>));

    T c, cLow, cHigh, keep;

    // `colourBytes` holds the colour as it lies in memory across the vector.
    VectorOp(T colourBytes, uint32_t alpha) : c(colourBytes) {
        keep = W::Splat16(static_cast<int>(256 - alpha));
        const T a = W::Splat16(static_cast<int>(alpha));
        if constexpr (F::kBytes == 2) {
            cLow = cHigh = W::Zero();
            if constexpr (I == Ink::Half) c = W::And(W::ShiftRight16(c, 1), W::Splat16(F::kHalfMask));
        } else if constexpr (I == Ink::Alpha) {
            cLow = W::Mul16(W::WidenLow(c), a);
            cHigh = W::Mul16(W::WidenHigh(c), a);
        } else {
            cLow = W::WidenLow(c);
            cHigh = W::WidenHigh(c);
            if constexpr (I == Ink::Half && F::kBytes == 4)
                c = W::And(W::ShiftRight16(c, 1), W::Splat32(F::kHalfMask));
        }
    }

    T operator()(T d) const {
        if constexpr (F::kBytes == 2) {
            return Apply16(d);
        } else {
            const T r = ApplyBytes(d);
            if constexpr (kClearAlpha) return W::And(r, W::Splat32(0x00FFFFFF));
            return r;
        }
    }

    T ApplyBytes(T d) const {
        if constexpr (I == Ink::Replace) return c;
        else if constexpr (I == Ink::Alpha) return B::Blend(d, cLow, cHigh, keep);
        else if constexpr (I == Ink::Half && F::kBytes == 4)
            return W::Add32(W::And(W::ShiftRight16(d, 1), W::Splat32(F::kHalfMask)), c);
        else if constexpr (I == Ink::Half) return B::AverageDown(d, c);
        else if constexpr (I == Ink::Add) return W::AddSat8(d, c);
        else if constexpr (I == Ink::Subtract) return W::SubSat8(d, c);
        else if constexpr (I == Ink::ReverseSubtract) return W::SubSat8(c, d);
        else if constexpr (I == Ink::And) return W::And(d, c);
        else if constexpr (I == Ink::Or) return W::Or(d, c);
        else if constexpr (I == Ink::Xor) return W::Xor(d, c);
        else return B::Multiply(d, cLow, cHigh);
    }

    // One field of 16-bit pixels. Saturating inks lift the field to the top of
    // its lane so that the unsigned saturating word operations clamp it at the
    // field's limits; the others work on the field moved down to bit 0.
    template <int i>
    T Field16(T d) const {
        constexpr int kShift = F::kShift[i];
        constexpr int kUp = 16 - kShift - F::kWidth[i];
        const T mask = W::Splat16(F::kMask[i]);
        const T df = W::And(d, mask), cf = W::And(c, mask);
        if constexpr (I == Ink::Add || I == Ink::Subtract || I == Ink::ReverseSubtract) {
            const T du = W::ShiftLeft16(df, kUp), cu = W::ShiftLeft16(cf, kUp);
            T r;
            if constexpr (I == Ink::Add) r = W::AddSat16(du, cu);
            else if constexpr (I == Ink::Subtract) r = W::SubSat16(du, cu);
            else r = W::SubSat16(cu, du);
            return W::And(W::ShiftRight16(r, kUp), mask);
        } else {
            const T dl = W::ShiftRight16(df, kShift), cl = W::ShiftRight16(cf, kShift);
            T r;
            if constexpr (I == Ink::Alpha)
                r = B::BlendLanes16(dl, W::Mul16(cl, W::Sub16(W::Splat16(256), keep)), keep);
            else
                r = W::ShiftRight16(W::Mul16(dl, cl), F::kWidth[i]);
            return W::ShiftLeft16(r, kShift);
        }
    }

    T Apply16(T d) const {
        if constexpr (I == Ink::Replace) return c;
        else if constexpr (I == Ink::And) return W::And(d, c);
        else if constexpr (I == Ink::Or) return W::Or(d, c);
        else if constexpr (I == Ink::Xor) return W::Xor(d, c);
        else if constexpr (I == Ink::Half) return W::Add16(W::And(W::ShiftRight16(d, 1), W::Splat16(F::kHalfMask)), c);
        else return W::Or(W::Or(Field16<0>(d), Field16<1>(d)), Field16<2>(d));
    }
};

// The packed run kernel over vectors of width W (16 bytes for the SSE2 set,
// 32 for the AVX2 set, whose last sixteen bytes take a 16-byte step).
template <bool kMmx, class W = packed::Width16>
struct PackedKernel {
    static constexpr int kVector = W::kBytes;
    // Runs at least this long align their vector accesses first.
    static constexpr int32_t kAlignFrom = 4 * kVector;
    static constexpr int32_t kLibraryFillFrom = 128;

    template <Ink I, class F>
    static void Scalar(uint8_t* p, int32_t n, uint32_t c, uint32_t alpha) {
        PlainKernel<kMmx>::template Run<I, F>(p, n, c, alpha);
    }

    static uint32_t Word(uint32_t c, int bytes) { return bytes == 2 ? (c & 0xFFFF) * 0x10001u : c; }

    template <Ink I, class F>
    static void Run(uint8_t* p, int32_t n, uint32_t c, uint32_t alpha) {
        if constexpr (F::kBytes == 3) {
            PackedKernel<kMmx>::template Run24<I, F>(p, n, c, alpha);
        } else {
            using Op = VectorOp<I, F, kMmx, W>;
            using Op16 = VectorOp<I, F, kMmx>;
            constexpr int kPerVector = kVector / F::kBytes, kPer16 = 16 / F::kBytes;
            if (kVector > 16 && n < kPerVector) {
                PackedKernel<kMmx>::template Run<I, F>(p, n, c, alpha);
                return;
            }
            if (n < kPer16) {
                Scalar<I, F>(p, n, c, alpha);
                return;
            }
            const uint32_t word = Word(c, F::kBytes);
            const Op op(W::Splat32(word), alpha);
            if constexpr (!Op::kReads) {
                // Long 32-bit runs go to the C library's wide-character fill
                // where that is faster (kWideLibraryFill).
                if constexpr (F::kBytes == 4 && kWideLibraryFill) {
                    if (n >= kLibraryFillFrom && reinterpret_cast<uintptr_t>(p) % alignof(wchar_t) == 0) {
                        std::wmemset(reinterpret_cast<wchar_t*>(p), static_cast<wchar_t>(c), static_cast<size_t>(n));
                        return;
                    }
                }
                // Plain writes may overlap: the last vector ends exactly at the
                // last pixel, so short runs need no scalar tail or lead-in.
                uint8_t* const last = p + static_cast<ptrdiff_t>(n - kPerVector) * F::kBytes;
                for (; p + kVector <= last; p += 2 * kVector) {
                    W::Store(p, op.c);
                    W::Store(p + kVector, op.c);
                }
                if (p < last) W::Store(p, op.c);
                W::Store(last, op.c);
                return;
            } else {
                // Long runs first reach a vector boundary; on short runs the
                // unpredictable lead-in costs more than unaligned access.
                if (n >= kAlignFrom) {
                    const uintptr_t address = reinterpret_cast<uintptr_t>(p);
                    const int32_t head = address % F::kBytes == 0
                                             ? static_cast<int32_t>(((kVector - (address & (kVector - 1))) &
                                                                     (kVector - 1)) / F::kBytes)
                                             : 0;
                    Scalar<I, F>(p, head, c, alpha);
                    p += head * F::kBytes;
                    n -= head;
                }
                for (; n >= 2 * kPerVector; n -= 2 * kPerVector, p += 2 * kVector) {
                    const auto a = W::Load(p), b = W::Load(p + kVector);
                    W::Store(p, op(a));
                    W::Store(p + kVector, op(b));
                }
                if (n >= kPerVector) {
                    W::Store(p, op(W::Load(p)));
                    p += kVector;
                    n -= kPerVector;
                }
                if constexpr (kVector > 16) {
                    if (n >= kPer16) {
                        const Op16 op16(packed::Width16::Splat32(word), alpha);
                        packed::Store(p, op16(packed::Load(p)));
                        p += 16;
                        n -= kPer16;
                    }
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

template <bool kMmx, class W = void>
struct PackedKernel : PlainKernel<kMmx> {};

#endif

}  // namespace QRV_ISA
}  // namespace qrv
