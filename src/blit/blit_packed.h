// Packed (SSE2) helpers of the blitter: eight 16- or 32-bit pixels held as
// 32-bit lanes, their conversions, and the byte-wise blend and effect
// operations. Each helper gives the bits of its scalar rule in blit_rules.h.
#pragma once

#if defined(__SSE2__)
#define QRV_BLIT_PACKED 1

#include <emmintrin.h>

#include <cstdint>

#include "primitives/pixel_format.h"

namespace qrv::packed {

// Eight pixels, each zero-extended to a 32-bit lane.
struct Lanes8 {
    __m128i lo, hi;
};

template <class F>
inline constexpr bool kHasLanes = F::kBytes == 2 || F::kBytes == 4;

template <class F>
inline Lanes8 Load8(const uint8_t* p) {
    if constexpr (F::kBytes == 2) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i zero = _mm_setzero_si128();
        return {_mm_unpacklo_epi16(v, zero), _mm_unpackhi_epi16(v, zero)};
    } else {
        static_assert(F::kBytes == 4);
        return {_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16))};
    }
}

template <class F>
inline void Store8(uint8_t* p, Lanes8 v) {
    if constexpr (F::kBytes == 2) {
        // Sign-extend the low halves so that the saturating pack keeps them as they are.
        const __m128i lo = _mm_srai_epi32(_mm_slli_epi32(v.lo, 16), 16);
        const __m128i hi = _mm_srai_epi32(_mm_slli_epi32(v.hi, 16), 16);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_packs_epi32(lo, hi));
    } else {
        static_assert(F::kBytes == 4);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v.lo);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), v.hi);
    }
}

// Distance a field of F moves to reach the top of its ARGB channel.
template <class F, int I>
inline constexpr int kWiden = (23 - 8 * I) - (F::kShift[I] + F::kWidth[I] - 1);

template <int N>
inline __m128i ShiftLeft(__m128i v) {
    if constexpr (N >= 0) return _mm_slli_epi32(v, N);
    else return _mm_srli_epi32(v, -N);
}

template <class F, int I>
inline __m128i FieldMask() {
    return _mm_set1_epi32(static_cast<int>(F::kMask[I]));
}

// F::ToArgb on four lanes.
template <class F>
inline __m128i ToArgb(__m128i v) {
    if constexpr (F::kBytes == 4) {
        return v;
    } else {
        return _mm_or_si128(_mm_or_si128(ShiftLeft<kWiden<F, 0>>(_mm_and_si128(v, FieldMask<F, 0>())),
                                         ShiftLeft<kWiden<F, 1>>(_mm_and_si128(v, FieldMask<F, 1>()))),
                            ShiftLeft<kWiden<F, 2>>(_mm_and_si128(v, FieldMask<F, 2>())));
    }
}

// ForBuffer(v, F::kCode) on four lanes: the top bits of each channel.
template <class F>
inline __m128i FromArgb(__m128i v) {
    if constexpr (F::kBytes == 4) {
        return v;
    } else {
        return _mm_or_si128(_mm_or_si128(_mm_and_si128(ShiftLeft<-kWiden<F, 0>>(v), FieldMask<F, 0>()),
                                         _mm_and_si128(ShiftLeft<-kWiden<F, 1>>(v), FieldMask<F, 1>())),
                            _mm_and_si128(ShiftLeft<-kWiden<F, 2>>(v), FieldMask<F, 2>()));
    }
}

// Lanes of a where keep is all zeros, lanes of b where it is all ones.
inline __m128i Select(__m128i a, __m128i b, __m128i keep) {
    return _mm_or_si128(_mm_andnot_si128(keep, a), _mm_and_si128(keep, b));
}

// ArgbBlendAllBytes on four 32-bit pixels.
inline __m128i BlendAllBytes4(__m128i d, __m128i p) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i k256 = _mm_set1_epi16(256);
    auto half = [&](__m128i d16, __m128i p16) {
        // Broadcast each pixel's alpha lane (lane 3 of its four) to the other three.
        const __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(p16, 0xFF), 0xFF);
        const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(d16, _mm_sub_epi16(k256, a)), _mm_mullo_epi16(p16, a));
        return _mm_srli_epi16(sum, 8);
    };
    const __m128i lo = half(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(p, zero));
    const __m128i hi = half(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(p, zero));
    return _mm_packus_epi16(lo, hi);
}

// Per byte (s * x) >> 8.
inline __m128i MultiplyBytes4(__m128i s, __m128i x) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i lo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(x, zero)), 8);
    const __m128i hi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(x, zero)), 8);
    return _mm_packus_epi16(lo, hi);
}

// Per channel the halves summed; the top byte becomes 0.
inline __m128i HalfSum4(__m128i s, __m128i x) {
    const __m128i m = _mm_set1_epi32(0x007F7F7F);
    return _mm_add_epi32(_mm_and_si128(_mm_srli_epi32(s, 1), m), _mm_and_si128(_mm_srli_epi32(x, 1), m));
}

}  // namespace qrv::packed

#endif  // __SSE2__
