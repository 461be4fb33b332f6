// Packed (SSE2) forms of the per-field ink rules, four pixels at a time in
// 32-bit lanes: each lane holds one pixel value as the scalar rules see it,
// and every operation below is the lane-wise twin of the scalar Combine.
#pragma once

#include <cstdint>

#include "primitives/ink_modes.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#define QRV_HAVE_PACKED 1
#else
#define QRV_HAVE_PACKED 0
#endif

namespace qrv {

#if QRV_HAVE_PACKED

// Four pixels of a 16-bit or 32-bit format, widened to one per 32-bit lane.
template <class F>
inline __m128i LoadLanes(const uint8_t* p) {
    static_assert(F::kBytes == 2 || F::kBytes == 4, "no packed lanes for 24-bit pixels");
    if constexpr (F::kBytes == 4) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    } else {
        return _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128());
    }
}

template <class F>
inline void StoreLanes(uint8_t* p, __m128i v) {
    if constexpr (F::kBytes == 4) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
    } else {
        // Sign-extend the low halves so that the saturating pack keeps them exactly.
        const __m128i low = _mm_srai_epi32(_mm_slli_epi32(v, 16), 16);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_packs_epi32(low, low));
    }
}

// Lane-wise Combine<I, F> for the inks that act per field or per word. The
// field values stay below 2^24, so signed lane compares order them correctly
// and 16-bit multiplies of two 8-bit fields are exact.
template <Ink I, class F>
inline __m128i CombineLanes(__m128i d, __m128i c) {
    if constexpr (I == Ink::Replace) {
        return c;
    } else if constexpr (I == Ink::Half) {
        static_assert(F::kBytes != 3, "the 24-bit half rule averages whole bytes");
        const __m128i half = _mm_set1_epi32(static_cast<int32_t>(F::kHalfMask));
        return _mm_add_epi32(_mm_and_si128(_mm_srli_epi32(d, 1), half), _mm_and_si128(_mm_srli_epi32(c, 1), half));
    } else if constexpr (I == Ink::And) {
        return _mm_and_si128(d, c);
    } else if constexpr (I == Ink::Or) {
        return _mm_or_si128(d, c);
    } else if constexpr (I == Ink::Xor) {
        return _mm_xor_si128(d, c);
    } else {
        __m128i result = _mm_setzero_si128();
        for (int i = 0; i < 3; ++i) {
            const __m128i mask = _mm_set1_epi32(static_cast<int32_t>(F::kMask[i]));
            const __m128i x = _mm_and_si128(d, mask);
            const __m128i y = _mm_and_si128(c, mask);
            __m128i field;
            if constexpr (I == Ink::Add) {
                const __m128i sum = _mm_add_epi32(x, y);
                const __m128i over = _mm_cmpgt_epi32(sum, mask);
                field = _mm_or_si128(_mm_and_si128(over, mask), _mm_andnot_si128(over, sum));
            } else if constexpr (I == Ink::Subtract) {
                field = _mm_and_si128(_mm_cmpgt_epi32(x, y), _mm_sub_epi32(x, y));
            } else if constexpr (I == Ink::ReverseSubtract) {
                field = _mm_and_si128(_mm_cmpgt_epi32(y, x), _mm_sub_epi32(y, x));
            } else {
                static_assert(I == Ink::Multiply, "ink alpha has no lane form here");
                const __m128i shift = _mm_cvtsi32_si128(F::kShift[i]);
                const __m128i product = _mm_mullo_epi16(_mm_srl_epi32(x, shift), _mm_srl_epi32(y, shift));
                field = _mm_sll_epi32(_mm_srl_epi32(product, _mm_cvtsi32_si128(F::kWidth[i])), shift);
            }
            result = _mm_or_si128(result, _mm_and_si128(field, mask));
        }
        return result;
    }
}

#endif  // QRV_HAVE_PACKED

}  // namespace qrv
