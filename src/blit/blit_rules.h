// Per-pixel rules of the blitter: format conversion, blending a 32-bit source
// with coverage alpha into the other formats, and the effect blits. Each rule
// is written once over the format traits; the row routines and their packed
// twins are built from these.
#pragma once

#include <cstdint>
#include <type_traits>

#include "frame/colour.h"
#include "frame/isa.h"
#include "primitives/ink_modes.h"
#include "primitives/pixel_format.h"

namespace qrv {
inline namespace QRV_ISA {

// A source pixel in format S as a pixel of format D: through ARGB, truncating.
// Within one layout the pixel travels whole (bit 15 of 5-5-5 and the top byte
// of 32 bits included); from 16 and 24 bits the top byte is 0.
template <class D, class S>
constexpr uint32_t ConvertPixel(uint32_t p) {
    if constexpr (std::is_same_v<D, S>) return p;
    else return ForBuffer(S::ToArgb(p), D::kCode);
}

// Blending a 0xAARRGGBB source pixel p over a pixel d of format D, both widened
// to ARGB at D's precision. Red and blue share one word and green has its
// own, in wrapping 32-bit arithmetic with a logical shift: the bits that leak
// between red and blue are part of the result. The alpha keeps only as many
// bits as D's widest field.
template <class D>
struct ArgbBlend {
    static constexpr uint32_t kPrecision = D::kBytes == 2 ? RGBPrecisionMask(0xFFFFFF, D::kCode) : 0xFFFFFF;
    static constexpr uint32_t kRedBlue = kPrecision & 0xFF00FF;
    static constexpr uint32_t kGreen = kPrecision & 0x00FF00;
    static constexpr int kAlphaBits = D::kBytes == 2 ? D::kWidth[0] > D::kWidth[1] ? D::kWidth[0] : D::kWidth[1] : 8;
    // 24 and 32 bits store the source unblended from 254 up; 16 bits only at
    // full alpha.
    static constexpr uint32_t kOpaqueFrom = kAlphaBits == 8 ? 254 : (1u << kAlphaBits) - 1;

    // The new pixel, or d itself for a pixel that is skipped.
    static constexpr uint32_t Apply(uint32_t d, uint32_t p) {
        const uint32_t a = p >> (32 - kAlphaBits);
        if (a == 0) return d;
        if (a >= kOpaqueFrom) return ForBuffer(p, D::kCode);
        const uint32_t wide = D::ToArgb(d);
        const uint32_t rb = wide & kRedBlue, g = wide & kGreen;
        const uint32_t r = ((((((p & kRedBlue) - rb) * a) >> kAlphaBits) + rb) & kRedBlue) |
                           ((((((p & kGreen) - g) * a) >> kAlphaBits) + g) & kGreen);
        return ForBuffer(r, D::kCode);
    }
};

// The packed-path blend into 32 bits: every byte, alpha included, weighted in
// 16-bit lanes. No pixel is skipped, and alpha 255 still keeps 1/256 of d.
constexpr uint32_t ArgbBlendAllBytes(uint32_t d, uint32_t p) {
    const uint32_t a = p >> 24;
    uint32_t r = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t dc = (d >> shift) & 0xFF, pc = (p >> shift) & 0xFF;
        r |= ((dc * (256 - a) + pc * a) >> 8) << shift;
    }
    return r;
}

// Effect blits combine a source pixel s with x (the source-blend pixel or the
// effect colour) by an ink rule. PackedAlpha: the packed path's 32-bit add,
// subtract and multiply treat the top byte as a fourth channel; the plain
// path clears it.
template <Ink I, class F, bool AgainstBlend, bool PackedAlpha>
constexpr uint32_t EffectPixel(uint32_t s, uint32_t x) {
    if constexpr (I == Ink::Half && F::kCode == 2 && AgainstBlend) {
        // 5-5-5 against a picture sums each field before halving.
        return PerField<F>(s, x, [](uint32_t a, uint32_t b, int) { return (a + b) >> 1; });
    } else if constexpr (PackedAlpha && F::kBytes == 4 &&
                         (I == Ink::Add || I == Ink::Subtract || I == Ink::Multiply)) {
        // The top byte goes through the blue channel's rule.
        return Combine<I, F>(s, x, 0) | ((Combine<I, F>(s >> 24, x >> 24, 0) & 0xFF) << 24);
    } else {
        return Combine<I, F>(s, x, 0);
    }
}

}  // namespace QRV_ISA
}  // namespace qrv
