// Shared pieces of the packed (SSE2) paths and the choice between them and
// the plain loops.
#pragma once

#include <cstdint>

namespace qrv {

// Which family of loops draws: the plain per-pixel loops, or the packed ones.
// Both produce the same pixels; QUORVEL_SIMD=scalar (or =sse2) in the
// environment picks one for a whole process, the default is the widest built.
enum class KernelSet : int { Scalar = 0, Sse2 = 1 };
inline constexpr int kKernelSets = 2;

KernelSet ActiveKernelSet();
// The set a QUORVEL_SIMD value asks for: "scalar" the plain loops, anything
// else (or no value) the packed ones where this build has them.
KernelSet KernelSetNamed(const char* value);
// Overrides the environment (tests run both sets in one process).
void SetKernelSet(KernelSet set);
// True when this build has packed loops at all.
constexpr bool HavePackedKernels() {
#if defined(__SSE2__)
    return true;
#else
    return false;
#endif
}

}  // namespace qrv

#if defined(__SSE2__)
#include <emmintrin.h>

#include <cstring>

namespace qrv::packed {

inline __m128i Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store(uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// The first twelve bytes of a vector (four 24-bit pixels); the bytes after
// them are neither read nor written.
inline __m128i Load12(const uint8_t* p) {
    int32_t last;
    std::memcpy(&last, p + 8, 4);
    return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_cvtsi32_si128(last));
}
inline void Store12(uint8_t* p, __m128i v) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
    const int32_t last = _mm_cvtsi128_si32(_mm_srli_si128(v, 8));
    std::memcpy(p + 8, &last, 4);
}

// The low and high eight bytes of v widened to 16-bit lanes.
inline __m128i WidenLow(__m128i v) { return _mm_unpacklo_epi8(v, _mm_setzero_si128()); }
inline __m128i WidenHigh(__m128i v) { return _mm_unpackhi_epi8(v, _mm_setzero_si128()); }

// (d * c) >> 8 per byte; cLow and cHigh are c widened.
inline __m128i MultiplyBytes(__m128i d, __m128i cLow, __m128i cHigh) {
    const __m128i lo = _mm_srli_epi16(_mm_mullo_epi16(WidenLow(d), cLow), 8);
    const __m128i hi = _mm_srli_epi16(_mm_mullo_epi16(WidenHigh(d), cHigh), 8);
    return _mm_packus_epi16(lo, hi);
}

// (d + c) >> 1 per byte, rounded down (the average instruction rounds up).
inline __m128i AverageDownBytes(__m128i d, __m128i c) {
    return _mm_sub_epi8(_mm_avg_epu8(d, c), _mm_and_si128(_mm_xor_si128(d, c), _mm_set1_epi8(1)));
}

// d + (((c - d) * a) >> 8) with an arithmetic shift equals
// (d * (256 - a) + c * a) >> 8, whose terms stay below 65536 for any
// 0 <= a <= 256 and fields of up to 8 bits: exact in unsigned 16-bit lanes.
// `ca` is c * a and `keep` is 256 - a, both in 16-bit lanes.
inline __m128i BlendLanes16(__m128i d, __m128i ca, __m128i keep) {
    return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(d, keep), ca), 8);
}

inline __m128i BlendBytes(__m128i d, __m128i caLow, __m128i caHigh, __m128i keep) {
    return _mm_packus_epi16(BlendLanes16(WidenLow(d), caLow, keep), BlendLanes16(WidenHigh(d), caHigh, keep));
}

}  // namespace qrv::packed
#endif
