// The pixel writers of the glyph renderers: each writes n pixels of a run,
// left to right, one glyph value per pixel. The packed bodies (32-bit
// destinations) give exactly the pixels of their plain twins.
#pragma once

#include <cstdint>
#include <cstring>

#include "frame/colour.h"
#include "primitives/ink_modes.h"
#include "primitives/packed.h"
#include "primitives/pixel_format.h"

namespace qrv {

struct GlyphInk {
    uint32_t ink;            // 0xAARRGGBB
    uint32_t backdrop;       // 0xAARRGGBB
    const uint32_t* table;   // depth 8, modes 0 and 2: the colour of each coverage, in the destination's encoding
    uint32_t alphaPlusOne;   // ink alpha + 1
};

#if defined(__SSE2__)
// The first count (1 to 3) 32-bit pixels at p in the low lanes, and back;
// nothing past them is read or written.
inline __m128i LoadPartial32(const uint8_t* p, int32_t count) {
    int32_t w;
    if (count == 2) return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    std::memcpy(&w, p + 4 * (count - 1), 4);
    const __m128i last = _mm_cvtsi32_si128(w);
    return count == 1 ? last : _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), last);
}

inline void StorePartial32(uint8_t* p, __m128i v, int32_t count) {
    if (count >= 2) _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
    if (count == 2) return;
    const int32_t w = _mm_cvtsi128_si32(count == 1 ? v : _mm_srli_si128(v, 8));
    std::memcpy(p + 4 * (count - 1), &w, 4);
}

// Depth-8 blend of four 32-bit pixels d by up to four coverage bytes: with
// a = v * scale >> 8, per channel d + floor((I - d) * a / 256), taken as the
// high half of 2 (I - d) times 128 a (both fit signed 16-bit lanes, and the
// product is 256 (I - d) a exactly). inkTwice holds 2 I in 16-bit lanes.
inline __m128i BlendCoverage4(int32_t coverage, __m128i d, __m128i inkTwice, __m128i scale) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i a16 = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(coverage), zero), scale), 8);
    const __m128i a2 = _mm_unpacklo_epi16(_mm_slli_epi16(a16, 7), _mm_slli_epi16(a16, 7));
    const __m128i aLo = _mm_unpacklo_epi32(a2, a2), aHi = _mm_unpackhi_epi32(a2, a2);
    auto half = [&](__m128i d16, __m128i a) {
        return _mm_add_epi16(d16, _mm_mulhi_epi16(_mm_sub_epi16(inkTwice, _mm_slli_epi16(d16, 1)), a));
    };
    return _mm_packus_epi16(half(packed::WidenLow(d), aLo), half(packed::WidenHigh(d), aHi));
}
#endif

// Per channel, value * (ink + 1) >> 8: the glyph colour tinted by the ink.
constexpr uint32_t Modulate(uint32_t p, uint32_t ink) {
    uint32_t m = 0;
    for (int shift = 0; shift < 24; shift += 8)
        m |= (((p >> shift) & 0xFF) * (((ink >> shift) & 0xFF) + 1) >> 8) << shift;
    return m;
}

// A 0x00RRGGBB result in the encoding of F, truncating each channel.
template <class F>
constexpr uint32_t Encode(uint32_t rgb) {
    if constexpr (F::kBytes == 2) return ForBuffer(rgb, F::kCode);
    else return rgb & 0x00FFFFFF;
}

// Depth 8 through a 256-entry table of finished pixels (solid and backdrop
// modes, whose result depends on the coverage alone).
template <int Bytes>
struct TableWriter {
    static constexpr bool kWide = false;
    static constexpr int kDepth = 8;
    static constexpr int kBytes = Bytes;
    static void Put(uint8_t* p, uint32_t v) {
        if constexpr (Bytes == 3) Format24::Store(p, v);
        else if constexpr (Bytes == 2) Format565::Store(p, v);
        else Format32::Store(p, v);
    }
    static void Values(uint8_t* out, const uint8_t* v, int32_t n, const GlyphInk& ink) {
        const uint32_t* t = ink.table;
        int32_t i = 0;
        for (; i + 4 <= n; i += 4) {
            Put(out + i * Bytes, t[v[i]]);
            Put(out + (i + 1) * Bytes, t[v[i + 1]]);
            Put(out + (i + 2) * Bytes, t[v[i + 2]]);
            Put(out + (i + 3) * Bytes, t[v[i + 3]]);
        }
        for (; i < n; ++i) Put(out + i * Bytes, t[v[i]]);
    }
    static void Solid(uint8_t* out, int32_t n, const GlyphInk& ink) {
        const uint32_t c = ink.table[255];
        for (int32_t i = 0; i < n; ++i) Put(out + i * Bytes, c);
    }
};

// Depth 8 blended over the destination: a = v * (I_A + 1) >> 8, then
// D + ((I - D) * a >> 8) per channel; Alpha is the top byte of 32-bit results.
template <class F, uint32_t Alpha, bool Packed>
struct Depth8Blend {
    static constexpr int kDepth = 8;
    static constexpr int kBytes = F::kBytes;

    static void Pixel(uint8_t* p, uint32_t a, uint32_t ink) {
        const uint32_t r = BlendFields<Format32>(F::ToArgb(F::Load(p)), ink, a);
        F::Store(p, Encode<F>(r) | (F::kBytes == 4 ? Alpha : 0));
    }

    static void Values(uint8_t* out, const uint8_t* v, int32_t n, const GlyphInk& ink) {
#if defined(__SSE2__)
        if constexpr (Packed) {
            static_assert(F::kBytes == 4);
            const __m128i inkTwice = _mm_slli_epi16(
                _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(ink.ink)), _mm_setzero_si128()), 1);
            const __m128i scale = _mm_set1_epi16(static_cast<short>(ink.alphaPlusOne));
            const __m128i rgb = _mm_set1_epi32(0x00FFFFFF), top = _mm_set1_epi32(static_cast<int>(Alpha));
            auto blend = [&](int32_t coverage, __m128i d) {
                return _mm_or_si128(_mm_and_si128(BlendCoverage4(coverage, d, inkTwice, scale), rgb), top);
            };
            int32_t i = 0;
            for (; i + 4 <= n; i += 4) {
                int32_t four;
                std::memcpy(&four, v + i, 4);
                packed::Store(out + 4 * i, blend(four, packed::Load(out + 4 * i)));
            }
            if (const int32_t rest = n - i; rest != 0) {
                int32_t coverage = v[i];
                if (rest > 1) coverage |= v[i + 1] << 8;
                if (rest > 2) coverage |= v[i + 2] << 16;
                uint8_t* p = out + 4 * i;
                StorePartial32(p, blend(coverage, LoadPartial32(p, rest)), rest);
            }
            return;
        }
#endif
        for (int32_t i = 0; i < n; ++i) Pixel(out + i * kBytes, v[i] * ink.alphaPlusOne >> 8, ink.ink);
    }

#if defined(__SSE2__)
    // Whole vectors of four pixels, the lanes past the run written back as
    // they were: for a run whose next three pixels still lie inside the
    // viewport, and whose glyph block holds valuesEnd. No branch depends on
    // the run's length but the loop's own.
    static constexpr bool kWide = Packed;
    static void Wide(uint8_t* out, const uint8_t* v, int32_t n, const GlyphInk& ink, const uint8_t* valuesEnd) {
        const __m128i inkTwice =
            _mm_slli_epi16(_mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(ink.ink)), _mm_setzero_si128()), 1);
        const __m128i scale = _mm_set1_epi16(static_cast<short>(ink.alphaPlusOne));
        const __m128i rgb = _mm_set1_epi32(0x00FFFFFF), top = _mm_set1_epi32(static_cast<int>(Alpha));
        const __m128i lanes = _mm_set_epi32(3, 2, 1, 0);
        for (int32_t i = 0; i < n; i += 4) {
            int32_t coverage = -1;  // solid: 255 in every byte
            if (v != nullptr) {
                if (v + i + 4 <= valuesEnd) {
                    std::memcpy(&coverage, v + i, 4);
                } else {
                    coverage = 0;
                    for (int32_t k = 0; k < 4 && i + k < n; ++k) coverage |= v[i + k] << (8 * k);
                }
            }
            uint8_t* p = out + 4 * i;
            const __m128i d = packed::Load(p);
            const __m128i r = _mm_or_si128(_mm_and_si128(BlendCoverage4(coverage, d, inkTwice, scale), rgb), top);
            const __m128i inRun = _mm_cmplt_epi32(lanes, _mm_set1_epi32(n - i));
            packed::Store(p, packed::Select(d, r, inRun));
        }
    }
#else
    static constexpr bool kWide = false;
#endif

    static void Solid(uint8_t* out, int32_t n, const GlyphInk& ink) {
        const uint32_t a = 255 * ink.alphaPlusOne >> 8;
        for (int32_t i = 0; i < n; ++i) Pixel(out + i * kBytes, a, ink.ink);
    }
};

// Depth 32: M = the glyph colour modulated by the ink, coverage
// a = P_A * (I_A + 1) >> 8. Mode 0 writes M, mode 1 blends M over the
// destination, mode 2 over the backdrop colour; 32-bit results have a zero top byte.
template <class F, int Mode, bool Packed>
struct Depth32Writer {
    static constexpr bool kWide = false;
    static constexpr int kDepth = 32;
    static constexpr int kBytes = F::kBytes;

    static uint32_t Pixel(const uint8_t* p, uint32_t value, const GlyphInk& ink) {
        const uint32_t m = Modulate(value, ink.ink);
        if constexpr (Mode == 0) return Encode<F>(m);
        const uint32_t a = (value >> 24) * ink.alphaPlusOne >> 8;
        const uint32_t under = Mode == 1 ? F::ToArgb(F::Load(p)) : ink.backdrop;
        return Encode<F>(BlendFields<Format32>(under, m, a));
    }

    static void Values(uint8_t* out, const uint8_t* v, int32_t n, const GlyphInk& ink) {
        int32_t i = 0;
#if defined(__SSE2__)
        if constexpr (Packed) {
            static_assert(F::kBytes == 4);
            const __m128i zero = _mm_setzero_si128();
            const __m128i scale = _mm_add_epi16(_mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(ink.ink)), zero),
                                                _mm_set1_epi16(1));
            const __m128i backdrop = _mm_set1_epi32(static_cast<int>(ink.backdrop));
            const __m128i k256 = _mm_set1_epi16(256), rgb = _mm_set1_epi32(0x00FFFFFF);
            // Each lane times (ink + 1) >> 8; the alpha lane becomes the coverage.
            auto modulate = [&](__m128i p16) { return _mm_srli_epi16(_mm_mullo_epi16(p16, scale), 8); };
            auto blend = [&](__m128i under16, __m128i m16) {
                const __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(m16, 0xFF), 0xFF);
                return packed::BlendLanes16(under16, _mm_mullo_epi16(m16, a), _mm_sub_epi16(k256, a));
            };
            auto step = [&](__m128i values, __m128i under) {
                const __m128i mLo = modulate(packed::WidenLow(values)), mHi = modulate(packed::WidenHigh(values));
                __m128i r;
                if constexpr (Mode == 0) r = _mm_packus_epi16(mLo, mHi);
                else r = _mm_packus_epi16(blend(packed::WidenLow(under), mLo), blend(packed::WidenHigh(under), mHi));
                return _mm_and_si128(r, rgb);
            };
            for (; i + 4 <= n; i += 4) {
                uint8_t* p = out + 4 * i;
                packed::Store(p, step(packed::Load(v + 4 * i), Mode == 1 ? packed::Load(p) : backdrop));
            }
            if (const int32_t rest = n - i; rest != 0) {
                uint8_t* p = out + 4 * i;
                StorePartial32(p, step(LoadPartial32(v + 4 * i, rest), Mode == 1 ? LoadPartial32(p, rest) : backdrop),
                               rest);
            }
            return;
        }
#endif
        for (; i < n; ++i) {
            uint32_t value;
            std::memcpy(&value, v + 4 * i, 4);
            uint8_t* p = out + i * kBytes;
            F::Store(p, Pixel(p, value, ink));
        }
    }
};

}  // namespace qrv
