// Shared pieces of the packed paths: the choice between them and the plain
// loops, and the vector helpers that spans, strips and blits share.
#pragma once

#include <cstdint>

namespace qrv {

// Which family of loops draws: the plain per-pixel loops, the 16-byte packed
// ones, or the packed ones whose hottest loops take 32 bytes a step. All
// produce the same pixels; QUORVEL_SIMD=scalar, =sse2 or =avx2 in the
// environment picks one for a whole process, the default is the widest that
// both the build and the processor have.
enum class KernelSet : int { Scalar = 0, Sse2 = 1, Avx2 = 2 };
inline constexpr int kKernelSets = 3;

KernelSet ActiveKernelSet();
// The set a QUORVEL_SIMD value asks for, narrowed to what this build and
// processor have; no value (or one not known) asks for the widest.
KernelSet KernelSetNamed(const char* value);
// Overrides the environment (tests run every set in one process); a set the
// build or processor lacks falls back to the widest narrower one.
void SetKernelSet(KernelSet set);
// True when the set can run here as itself.
bool KernelSetAvailable(KernelSet set);
// True when the packed loops draw (either packed set).
inline bool PackedKernelsActive() { return ActiveKernelSet() != KernelSet::Scalar; }
// True when this build has packed loops at all.
constexpr bool HavePackedKernels() {
#if defined(__SSE2__)
    return true;
#else
    return false;
#endif
}
// True when this build has the 32-byte loops (x86 builds); the processor
// must also have them for the set to run.
constexpr bool HaveAvx2Kernels() {
#if defined(__i386__) || defined(__x86_64__)
    return true;
#else
    return false;
#endif
}

}  // namespace qrv

#if defined(__SSE2__)
#include <emmintrin.h>

#include <cstring>

#include "frame/isa.h"
#include "primitives/pixel_format.h"

#if defined(__AVX2__)
#include <immintrin.h>
#endif

namespace qrv {
inline namespace QRV_ISA {
namespace packed {

// The lane operations of one vector width, under the same names for each, so
// that the byte and 16-bit lane arithmetic below is written once for both.
// Every operation works within 16-byte halves, so a 32-byte vector gives
// exactly the bytes of two 16-byte ones.
struct Width16 {
    using T = __m128i;
    static constexpr int kBytes = 16;
    static T Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const T*>(p)); }
    static void Store(uint8_t* p, T v) { _mm_storeu_si128(reinterpret_cast<T*>(p), v); }
    static T Zero() { return _mm_setzero_si128(); }
    static T Splat8(int v) { return _mm_set1_epi8(static_cast<char>(v)); }
    static T Splat16(int v) { return _mm_set1_epi16(static_cast<int16_t>(v)); }
    static T Splat32(uint32_t v) { return _mm_set1_epi32(static_cast<int>(v)); }
    static T And(T a, T b) { return _mm_and_si128(a, b); }
    static T Or(T a, T b) { return _mm_or_si128(a, b); }
    static T Xor(T a, T b) { return _mm_xor_si128(a, b); }
    static T Add16(T a, T b) { return _mm_add_epi16(a, b); }
    static T Add32(T a, T b) { return _mm_add_epi32(a, b); }
    static T Sub8(T a, T b) { return _mm_sub_epi8(a, b); }
    static T Sub16(T a, T b) { return _mm_sub_epi16(a, b); }
    static T Mul16(T a, T b) { return _mm_mullo_epi16(a, b); }
    static T AddSat8(T a, T b) { return _mm_adds_epu8(a, b); }
    static T SubSat8(T a, T b) { return _mm_subs_epu8(a, b); }
    static T AddSat16(T a, T b) { return _mm_adds_epu16(a, b); }
    static T SubSat16(T a, T b) { return _mm_subs_epu16(a, b); }
    static T Average8(T a, T b) { return _mm_avg_epu8(a, b); }
    static T ShiftRight16(T a, int n) { return _mm_srli_epi16(a, n); }
    static T ShiftLeft16(T a, int n) { return _mm_slli_epi16(a, n); }
    static T Pack16(T lo, T hi) { return _mm_packus_epi16(lo, hi); }
    static T WidenLow(T v) { return _mm_unpacklo_epi8(v, Zero()); }
    static T WidenHigh(T v) { return _mm_unpackhi_epi8(v, Zero()); }
};

#if defined(__AVX2__)
struct Width32 {
    using T = __m256i;
    static constexpr int kBytes = 32;
    static T Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const T*>(p)); }
    static void Store(uint8_t* p, T v) { _mm256_storeu_si256(reinterpret_cast<T*>(p), v); }
    static T Zero() { return _mm256_setzero_si256(); }
    static T Splat8(int v) { return _mm256_set1_epi8(static_cast<char>(v)); }
    static T Splat16(int v) { return _mm256_set1_epi16(static_cast<int16_t>(v)); }
    static T Splat32(uint32_t v) { return _mm256_set1_epi32(static_cast<int>(v)); }
    // Both halves the same sixteen bytes.
    static T Twice(__m128i v) { return _mm256_broadcastsi128_si256(v); }
    static T And(T a, T b) { return _mm256_and_si256(a, b); }
    static T Or(T a, T b) { return _mm256_or_si256(a, b); }
    static T Xor(T a, T b) { return _mm256_xor_si256(a, b); }
    static T Add16(T a, T b) { return _mm256_add_epi16(a, b); }
    static T Add32(T a, T b) { return _mm256_add_epi32(a, b); }
    static T Sub8(T a, T b) { return _mm256_sub_epi8(a, b); }
    static T Sub16(T a, T b) { return _mm256_sub_epi16(a, b); }
    static T Mul16(T a, T b) { return _mm256_mullo_epi16(a, b); }
    static T AddSat8(T a, T b) { return _mm256_adds_epu8(a, b); }
    static T SubSat8(T a, T b) { return _mm256_subs_epu8(a, b); }
    static T AddSat16(T a, T b) { return _mm256_adds_epu16(a, b); }
    static T SubSat16(T a, T b) { return _mm256_subs_epu16(a, b); }
    static T Average8(T a, T b) { return _mm256_avg_epu8(a, b); }
    static T ShiftRight16(T a, int n) { return _mm256_srli_epi16(a, n); }
    static T ShiftLeft16(T a, int n) { return _mm256_slli_epi16(a, n); }
    static T Pack16(T lo, T hi) { return _mm256_packus_epi16(lo, hi); }
    static T WidenLow(T v) { return _mm256_unpacklo_epi8(v, Zero()); }
    static T WidenHigh(T v) { return _mm256_unpackhi_epi8(v, Zero()); }
};
#endif

// Byte arithmetic of any width W.
template <class W>
struct Bytes : W {
    using T = typename W::T;

    // (d * c) >> 8 per byte; cLow and cHigh are c widened.
    static T Multiply(T d, T cLow, T cHigh) {
        return W::Pack16(W::ShiftRight16(W::Mul16(W::WidenLow(d), cLow), 8),
                         W::ShiftRight16(W::Mul16(W::WidenHigh(d), cHigh), 8));
    }

    // (d + c) >> 1 per byte, rounded down (the average instruction rounds up).
    static T AverageDown(T d, T c) { return W::Sub8(W::Average8(d, c), W::And(W::Xor(d, c), W::Splat8(1))); }

    // d + (((c - d) * a) >> 8) with an arithmetic shift equals
    // (d * (256 - a) + c * a) >> 8, whose terms stay below 65536 for any
    // 0 <= a <= 256 and fields of up to 8 bits: exact in unsigned 16-bit lanes.
    // `ca` is c * a and `keep` is 256 - a, both in 16-bit lanes.
    static T BlendLanes16(T d, T ca, T keep) { return W::ShiftRight16(W::Add16(W::Mul16(d, keep), ca), 8); }

    static T Blend(T d, T caLow, T caHigh, T keep) {
        return W::Pack16(BlendLanes16(W::WidenLow(d), caLow, keep), BlendLanes16(W::WidenHigh(d), caHigh, keep));
    }
};

using Bytes16 = Bytes<Width16>;

// The 16-byte forms under their own names, for the blit and strip code.
inline __m128i Load(const uint8_t* p) { return Width16::Load(p); }
inline void Store(uint8_t* p, __m128i v) { Width16::Store(p, v); }
inline __m128i WidenLow(__m128i v) { return Width16::WidenLow(v); }
inline __m128i WidenHigh(__m128i v) { return Width16::WidenHigh(v); }
inline __m128i MultiplyBytes(__m128i d, __m128i cLow, __m128i cHigh) { return Bytes16::Multiply(d, cLow, cHigh); }
inline __m128i AverageDownBytes(__m128i d, __m128i c) { return Bytes16::AverageDown(d, c); }
inline __m128i BlendLanes16(__m128i d, __m128i ca, __m128i keep) { return Bytes16::BlendLanes16(d, ca, keep); }
inline __m128i BlendBytes(__m128i d, __m128i caLow, __m128i caHigh, __m128i keep) {
    return Bytes16::Blend(d, caLow, caHigh, keep);
}

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

// ---- Pixels as 32-bit lanes and ARGB conversions (blits) ----


// Eight pixels, one per 32-bit lane. 16-bit pixels are sign-extended, so that
// the saturating pack returns them unchanged; a 16-bit pixel value compared
// with lanes is sign-extended the same way (Lane).
struct Lanes8 {
    __m128i lo, hi;
};

template <class F>
inline constexpr bool kHasLanes = F::kBytes == 2 || F::kBytes == 4;

template <class F>
inline int32_t Lane(uint32_t value) {
    if constexpr (F::kBytes == 2) return static_cast<int16_t>(value);
    else return static_cast<int32_t>(value);
}

template <class F>
inline Lanes8 Load8(const uint8_t* p) {
    if constexpr (F::kBytes == 2) {
        const __m128i v = Load(p);
        return {_mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16), _mm_srai_epi32(_mm_unpackhi_epi16(v, v), 16)};
    } else {
        static_assert(F::kBytes == 4);
        return {Load(p),
                Load(p + 16)};
    }
}

template <class F>
inline void Store8(uint8_t* p, Lanes8 v) {
    if constexpr (F::kBytes == 2) {
        Store(p, _mm_packs_epi32(v.lo, v.hi));
    } else {
        static_assert(F::kBytes == 4);
        Store(p, v.lo);
        Store(p + 16, v.hi);
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

// ForBuffer(v, F::kCode) on four lanes: the top bits of each channel. For 16
// bits, one multiply-add moves red and blue (the two 16-bit halves of the
// masked word) into place at once, scaled up by the green field's distance so
// that one shift pair finishes all three fields and sign-extends the result.
template <class F>
inline __m128i FromArgb(__m128i v) {
    if constexpr (F::kBytes == 4) {
        return v;
    } else {
        constexpr int kGreenShift = kWiden<F, 1>;
        constexpr int kBlueScale = 1 << (kGreenShift - kWiden<F, 2>);
        constexpr int kRedScale = 1 << (kGreenShift + F::kShift[0] - 3);
        static_assert(kRedScale < 32768, "red scale fits a signed 16-bit factor");
        const uint32_t redBlue = (F::kMask[0] << kWiden<F, 0>) | (F::kMask[2] << kWiden<F, 2>);
        const __m128i rb = _mm_madd_epi16(_mm_and_si128(v, _mm_set1_epi32(static_cast<int>(redBlue))),
                                          _mm_set1_epi32(kRedScale << 16 | kBlueScale));
        const __m128i g = _mm_and_si128(v, _mm_set1_epi32(static_cast<int>(F::kMask[1] << kGreenShift)));
        return _mm_srai_epi32(_mm_slli_epi32(_mm_or_si128(rb, g), 16 - kGreenShift), 16);
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

// The low 32 bits of x * a in each lane, a < 65536 held in both 16-bit
// halves of its lane: (xl + xh * 2^16) * a = xl * a + (xh * a mod 2^16) * 2^16.
inline __m128i MultiplyLow32BySmall(__m128i x, __m128i aBoth) {
    const __m128i low = _mm_mullo_epi16(x, aBoth);   // xl * a low half, xh * a low half
    const __m128i carry = _mm_mulhi_epu16(x, aBoth); // xl * a high half in the low lane
    return _mm_add_epi32(low, _mm_slli_epi32(carry, 16));
}

// Which of four 0xAARRGGBB pixels a blend into 32 bits leaves alone (alpha 0
// or equal to the key) and which it stores unblended (alpha 254 or 255).
struct ArgbBlendLanes {
    __m128i keep, opaque;
};

inline ArgbBlendLanes ClassifyArgb4(__m128i p, __m128i key) {
    const __m128i a = _mm_srli_epi32(p, 24);
    return {_mm_or_si128(_mm_cmpeq_epi32(a, _mm_setzero_si128()), _mm_cmpeq_epi32(p, key)),
            _mm_cmpgt_epi32(a, _mm_set1_epi32(253))};
}

// ArgbBlend<Format32>::Apply on four pixels, the kept ones staying d.
inline __m128i ArgbBlend4(__m128i d, __m128i p, ArgbBlendLanes lanes) {
    const __m128i a = _mm_srli_epi32(p, 24);
    const __m128i aBoth = _mm_or_si128(a, _mm_slli_epi32(a, 16));
    const __m128i rbMask = _mm_set1_epi32(0x00FF00FF), gMask = _mm_set1_epi32(0x0000FF00);
    const __m128i drb = _mm_and_si128(d, rbMask), dg = _mm_and_si128(d, gMask);
    const __m128i rb = _mm_and_si128(
        _mm_add_epi32(_mm_srli_epi32(MultiplyLow32BySmall(_mm_sub_epi32(_mm_and_si128(p, rbMask), drb), aBoth), 8),
                      drb),
        rbMask);
    // Green alone never wraps: of (gd * 256 * a) >> 8 only bits 8-15 survive
    // the mask, and those are bits 8-15 of the 16-bit product gd * a.
    const __m128i gd = _mm_srai_epi32(_mm_sub_epi32(_mm_and_si128(p, gMask), dg), 8);
    const __m128i g = _mm_and_si128(_mm_add_epi32(_mm_mullo_epi16(gd, aBoth), dg), gMask);
    const __m128i r = _mm_or_si128(rb, g);
    return Select(Select(r, p, lanes.opaque), d, lanes.keep);
}

// Per channel the halves summed; the top byte becomes 0.
inline __m128i HalfSum4(__m128i s, __m128i x) {
    const __m128i m = _mm_set1_epi32(0x007F7F7F);
    return _mm_add_epi32(_mm_and_si128(_mm_srli_epi32(s, 1), m), _mm_and_si128(_mm_srli_epi32(x, 1), m));
}

}  // namespace packed
}  // namespace QRV_ISA
}  // namespace qrv
#endif
