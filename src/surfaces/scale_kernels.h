// The two passes of bilinear scaling, plain and packed: x-blends of one
// source row at precomputed columns, then the blend of two such rows.
// Per channel both passes compute (p * (256 - f) + q * f) >> 8, which equals
// the two-lane rule p + floor((q - p) * f / 256) bit for bit.
#pragma once

#include <cstdint>
#include <cstring>

#include "primitives/packed.h"
#include "surfaces/surface.h"

namespace qrv {

constexpr uint32_t BlendPair(uint32_t p, uint32_t q, uint32_t f) {
    const uint32_t keep = 256 - f;
    const uint32_t rb = (((p & 0x00FF00FFu) * keep + (q & 0x00FF00FFu) * f) >> 8) & 0x00FF00FFu;
    const uint32_t ag = (((p >> 8) & 0x00FF00FFu) * keep + ((q >> 8) & 0x00FF00FFu) * f) & 0xFF00FF00u;
    return rb | ag;
}

// out[i] = blend of the source pixels at column[i] and next[i] by weight[i];
// columns never decrease, and next[i] is column[i] + 1 or, at the last
// column, column[i] itself.
template <class F>
void BlendRowAlongXScalar(const uint8_t* row, const uint32_t* column, const uint32_t* next, const uint32_t* weight,
                          uint32_t* out, int32_t n) {
    for (int32_t i = 0; i < n; ++i)
        out[i] = BlendPair(WidenPixel<F>(row + size_t{column[i]} * F::kBytes),
                           WidenPixel<F>(row + size_t{next[i]} * F::kBytes), weight[i]);
}

// Blends rows top and bottom by weight v (0..255) into n 32-bit pixels at out.
void BlendRowsScalar(const uint32_t* top, const uint32_t* bottom, uint32_t v, uint8_t* out, int32_t n);

#if defined(__SSE2__)
void BlendRowsPacked(const uint32_t* top, const uint32_t* bottom, uint32_t v, uint8_t* out, int32_t n);

// Each pixel's weight in all four of its 16-bit channel lanes, for the pixels
// in 32-bit lanes 0 and 1 (low) or 2 and 3 (high) of w.
inline __m128i WeightLanesLow(__m128i w) {
    const __m128i pair = _mm_or_si128(w, _mm_slli_epi32(w, 16));
    return _mm_unpacklo_epi32(pair, pair);
}
inline __m128i WeightLanesHigh(__m128i w) {
    const __m128i pair = _mm_or_si128(w, _mm_slli_epi32(w, 16));
    return _mm_unpackhi_epi32(pair, pair);
}

template <class F>
void BlendRowAlongXPacked(const uint8_t* row, const uint32_t* column, const uint32_t* next, const uint32_t* weight,
                          uint32_t* out, int32_t n) {
    const __m128i k256 = _mm_set1_epi16(256);
    auto at = [row](uint32_t c) { return static_cast<int>(WidenPixel<F>(row + size_t{c} * F::kBytes)); };
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i p, q;
        // Columns only grow, so when the last of the four has its right
        // neighbour beside it, all do: each 32-bit pair is one 8-byte load.
        if (F::kBytes == 4 && next[i + 3] == column[i + 3] + 1) {
            auto pair = [&](int k) {
                return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + 4 * size_t{column[i + k]}));
            };
            const __m128i a = _mm_unpacklo_epi32(pair(0), pair(1)), b = _mm_unpacklo_epi32(pair(2), pair(3));
            p = _mm_unpacklo_epi64(a, b);
            q = _mm_unpackhi_epi64(a, b);
        } else {
            p = _mm_setr_epi32(at(column[i]), at(column[i + 1]), at(column[i + 2]), at(column[i + 3]));
            q = _mm_setr_epi32(at(next[i]), at(next[i + 1]), at(next[i + 2]), at(next[i + 3]));
        }
        const __m128i w = packed::Load(reinterpret_cast<const uint8_t*>(weight + i));
        const __m128i wLow = WeightLanesLow(w), wHigh = WeightLanesHigh(w);
        const __m128i lo = packed::BlendLanes16(packed::WidenLow(p), _mm_mullo_epi16(packed::WidenLow(q), wLow),
                                                _mm_sub_epi16(k256, wLow));
        const __m128i hi = packed::BlendLanes16(packed::WidenHigh(p), _mm_mullo_epi16(packed::WidenHigh(q), wHigh),
                                                _mm_sub_epi16(k256, wHigh));
        packed::Store(reinterpret_cast<uint8_t*>(out + i), _mm_packus_epi16(lo, hi));
    }
    BlendRowAlongXScalar<F>(row, column + i, next + i, weight + i, out + i, n - i);
}
#endif

template <class F>
inline void BlendRowAlongX(KernelSet set, const uint8_t* row, const uint32_t* column, const uint32_t* next,
                           const uint32_t* weight, uint32_t* out, int32_t n) {
#if defined(__SSE2__)
    if (set != KernelSet::Scalar) return BlendRowAlongXPacked<F>(row, column, next, weight, out, n);
#endif
    (void)set;
    BlendRowAlongXScalar<F>(row, column, next, weight, out, n);
}

// The n pixels from output column x (a step of one half: source column
// x >> 1 and so on) as 32-bit colours at out.
template <class F>
void DoublePixels(KernelSet set, const uint8_t* row, int32_t x, uint8_t* out, int32_t n) {
    int32_t i = 0;
    auto one = [&](int32_t k) {
        const uint32_t c = WidenPixel<F>(row + size_t((x + k) >> 1) * F::kBytes);
        std::memcpy(out + size_t(k) * 4, &c, 4);
    };
    if ((x & 1) != 0 && n > 0) one(i++);
#if defined(__SSE2__)
    if constexpr (F::kBytes == 4) {
        for (; set != KernelSet::Scalar && i + 8 <= n; i += 8) {
            const __m128i v = packed::Load(row + size_t((x + i) >> 1) * 4);
            packed::Store(out + size_t(i) * 4, _mm_unpacklo_epi32(v, v));
            packed::Store(out + size_t(i) * 4 + 16, _mm_unpackhi_epi32(v, v));
        }
    }
#endif
    (void)set;
    for (; i < n; ++i) one(i);
}

inline void BlendRows(KernelSet set, const uint32_t* top, const uint32_t* bottom, uint32_t v, uint8_t* out,
                      int32_t n) {
#if defined(__SSE2__)
    if (set != KernelSet::Scalar) return BlendRowsPacked(top, bottom, v, out, n);
#endif
    (void)set;
    BlendRowsScalar(top, bottom, v, out, n);
}

}  // namespace qrv
