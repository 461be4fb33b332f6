// The run kernels of the span filler: write n pixels from p combined with one
// colour. PlainKernel is the per-pixel reference; PackedKernel gives the same
// pixels with wide words.
#pragma once

#include <cstdint>

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

template <bool kMmx>
struct PackedKernel : PlainKernel<kMmx> {};

}  // namespace qrv
