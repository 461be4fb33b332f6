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
    static T Sub32(T a, T b) { return _mm_sub_epi32(a, b); }
    static T AndNot(T a, T b) { return _mm_andnot_si128(a, b); }
    static T ShiftLeft32(T a, int n) { return _mm_slli_epi32(a, n); }
    static T ShiftRight32(T a, int n) { return _mm_srli_epi32(a, n); }
    static T ShiftRightArith32(T a, int n) { return _mm_srai_epi32(a, n); }
    static T MulHigh16(T a, T b) { return _mm_mulhi_epu16(a, b); }
    static T MulAdd16(T a, T b) { return _mm_madd_epi16(a, b); }
    static T Equal32(T a, T b) { return _mm_cmpeq_epi32(a, b); }
    static T Greater32(T a, T b) { return _mm_cmpgt_epi32(a, b); }
    static T PackSigned32(T lo, T hi) { return _mm_packs_epi32(lo, hi); }
    static T Interleave16Low(T a, T b) { return _mm_unpacklo_epi16(a, b); }
    static T Interleave16High(T a, T b) { return _mm_unpackhi_epi16(a, b); }
    static T Broadcast16Of4(T v) { return _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0xFF), 0xFF); }
    // Interleaving and packing work within 16-byte halves: in 16 bytes
    // there is nothing to put back in order.
    static T BeforeInterleave(T v) { return v; }
    static T AfterPack(T v) { return v; }
    static bool AllBytes(T mask) { return _mm_movemask_epi8(mask) == 0xFFFF; }
    static bool NoBytes(T mask) { return _mm_movemask_epi8(mask) == 0; }
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
    static T Sub32(T a, T b) { return _mm256_sub_epi32(a, b); }
    static T AndNot(T a, T b) { return _mm256_andnot_si256(a, b); }
    static T ShiftLeft32(T a, int n) { return _mm256_slli_epi32(a, n); }
    static T ShiftRight32(T a, int n) { return _mm256_srli_epi32(a, n); }
    static T ShiftRightArith32(T a, int n) { return _mm256_srai_epi32(a, n); }
    static T MulHigh16(T a, T b) { return _mm256_mulhi_epu16(a, b); }
    static T MulAdd16(T a, T b) { return _mm256_madd_epi16(a, b); }
    static T Equal32(T a, T b) { return _mm256_cmpeq_epi32(a, b); }
    static T Greater32(T a, T b) { return _mm256_cmpgt_epi32(a, b); }
    static T PackSigned32(T lo, T hi) { return _mm256_packs_epi32(lo, hi); }
    static T Interleave16Low(T a, T b) { return _mm256_unpacklo_epi16(a, b); }
    static T Interleave16High(T a, T b) { return _mm256_unpackhi_epi16(a, b); }
    static T Broadcast16Of4(T v) { return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(v, 0xFF), 0xFF); }
    // Quarters 0 2 1 3: widening the halves of the result takes quarters 0 1
    // and then 2 3; after a pack, the same order puts its quarters back.
    static T BeforeInterleave(T v) { return _mm256_permute4x64_epi64(v, 0xD8); }
    static T AfterPack(T v) { return _mm256_permute4x64_epi64(v, 0xD8); }
    static bool AllBytes(T mask) { return _mm256_movemask_epi8(mask) == -1; }
    static bool NoBytes(T mask) { return _mm256_movemask_epi8(mask) == 0; }
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


// Pixels one per 32-bit lane, two vectors of them: eight for 16-byte
// vectors, sixteen for 32-byte ones. 16-bit pixels are sign-extended, so
// that the saturating pack returns them unchanged; a 16-bit pixel value
// compared with lanes is sign-extended the same way (Lane).
template <class F>
inline constexpr bool kHasLanes = F::kBytes == 2 || F::kBytes == 4;

template <class F>
inline int32_t Lane(uint32_t value) {
    if constexpr (F::kBytes == 2) return static_cast<int32_t>(static_cast<int16_t>(value));
    else return static_cast<int32_t>(value);
}

// Distance a field of F moves to reach the top of its ARGB channel.
template <class F, int I>
inline constexpr int kWiden = (23 - 8 * I) - (F::kShift[I] + F::kWidth[I] - 1);

template <class W>
struct Lanes : Bytes<W> {
    using T = typename W::T;
    static constexpr int kPixels = 2 * W::kBytes / 4;  // pixels in a Pair

    struct Pair {
        T lo, hi;
    };

    template <class F>
    static Pair Load(const uint8_t* p) {
        if constexpr (F::kBytes == 2) {
            const T v = W::BeforeInterleave(W::Load(p));
            return {W::ShiftRightArith32(W::Interleave16Low(v, v), 16),
                    W::ShiftRightArith32(W::Interleave16High(v, v), 16)};
        } else {
            static_assert(F::kBytes == 4);
            return {W::Load(p), W::Load(p + W::kBytes)};
        }
    }

    template <class F>
    static void Store(uint8_t* p, Pair v) {
        if constexpr (F::kBytes == 2) {
            W::Store(p, W::AfterPack(W::PackSigned32(v.lo, v.hi)));
        } else {
            static_assert(F::kBytes == 4);
            W::Store(p, v.lo);
            W::Store(p + W::kBytes, v.hi);
        }
    }

    template <int N>
    static T ShiftLeft(T v) {
        if constexpr (N >= 0) return W::ShiftLeft32(v, N);
        else return W::ShiftRight32(v, -N);
    }

    template <class F, int I>
    static T FieldMask() {
        return W::Splat32(F::kMask[I]);
    }

    // F::ToArgb on each lane.
    template <class F>
    static T ToArgb(T v) {
        if constexpr (F::kBytes == 4) {
            return v;
        } else {
            return W::Or(W::Or(ShiftLeft<kWiden<F, 0>>(W::And(v, FieldMask<F, 0>())),
                               ShiftLeft<kWiden<F, 1>>(W::And(v, FieldMask<F, 1>()))),
                         ShiftLeft<kWiden<F, 2>>(W::And(v, FieldMask<F, 2>())));
        }
    }

    // ForBuffer(v, F::kCode) on each lane: the top bits of each channel. For
    // 16 bits, one multiply-add moves red and blue (the two 16-bit halves of
    // the masked word) into place at once, scaled up by the green field's
    // distance so that one shift pair finishes all three fields and
    // sign-extends the result.
    template <class F>
    static T FromArgb(T v) {
        if constexpr (F::kBytes == 4) {
            return v;
        } else {
            constexpr int kGreenShift = kWiden<F, 1>;
            constexpr int kBlueScale = 1 << (kGreenShift - kWiden<F, 2>);
            constexpr int kRedScale = 1 << (kGreenShift + F::kShift[0] - 3);
            static_assert(kRedScale < 32768, "red scale fits a signed 16-bit factor");
            const uint32_t redBlue = (F::kMask[0] << kWiden<F, 0>) | (F::kMask[2] << kWiden<F, 2>);
            const T rb = W::MulAdd16(W::And(v, W::Splat32(redBlue)), W::Splat32(kRedScale << 16 | kBlueScale));
            const T g = W::And(v, W::Splat32(F::kMask[1] << kGreenShift));
            return W::ShiftRightArith32(W::ShiftLeft32(W::Or(rb, g), 16 - kGreenShift), 16);
        }
    }

    // Lanes of a where keep is all zeros, lanes of b where it is all ones.
    static T Select(T a, T b, T keep) { return W::Or(W::AndNot(keep, a), W::And(keep, b)); }

    // ArgbBlendAllBytes on each 32-bit pixel.
    static T BlendAllBytes(T d, T p) {
        const T k256 = W::Splat16(256);
        auto half = [&](T d16, T p16) {
            // Each pixel's alpha lane (lane 3 of its four) in all four.
            const T a = W::Broadcast16Of4(p16);
            return W::ShiftRight16(W::Add16(W::Mul16(d16, W::Sub16(k256, a)), W::Mul16(p16, a)), 8);
        };
        return W::Pack16(half(W::WidenLow(d), W::WidenLow(p)), half(W::WidenHigh(d), W::WidenHigh(p)));
    }

    // The low 32 bits of x * a in each lane, a < 65536 held in both 16-bit
    // halves of its lane: (xl + xh * 2^16) * a = xl * a + (xh * a mod 2^16) * 2^16.
    static T MultiplyLow32BySmall(T x, T aBoth) {
        const T low = W::Mul16(x, aBoth);     // xl * a low half, xh * a low half
        const T carry = W::MulHigh16(x, aBoth);  // xl * a high half in the low lane
        return W::Add32(low, W::ShiftLeft32(carry, 16));
    }

    // Which 0xAARRGGBB pixels a blend into 32 bits leaves alone (alpha 0 or
    // equal to the key) and which it stores unblended (alpha 254 or 255).
    struct BlendClass {
        T keep, opaque;
    };

    static BlendClass Classify(T p, T key) {
        const T a = W::ShiftRight32(p, 24);
        return {W::Or(W::Equal32(a, W::Zero()), W::Equal32(p, key)), W::Greater32(a, W::Splat32(253))};
    }

    // ArgbBlend<Format32>::Apply on each pixel, the kept ones staying d.
    static T ArgbBlend(T d, T p, BlendClass lanes) {
        const T a = W::ShiftRight32(p, 24);
        const T aBoth = W::Or(a, W::ShiftLeft32(a, 16));
        const T rbMask = W::Splat32(0x00FF00FF), gMask = W::Splat32(0x0000FF00);
        const T drb = W::And(d, rbMask), dg = W::And(d, gMask);
        const T rb = W::And(
            W::Add32(W::ShiftRight32(MultiplyLow32BySmall(W::Sub32(W::And(p, rbMask), drb), aBoth), 8), drb), rbMask);
        // Green alone never wraps: of (gd * 256 * a) >> 8 only bits 8-15 survive
        // the mask, and those are bits 8-15 of the 16-bit product gd * a.
        const T gd = W::ShiftRightArith32(W::Sub32(W::And(p, gMask), dg), 8);
        const T g = W::And(W::Add32(W::Mul16(gd, aBoth), dg), gMask);
        const T r = W::Or(rb, g);
        return Select(Select(r, p, lanes.opaque), d, lanes.keep);
    }

    // Per channel the halves summed; the top byte becomes 0.
    static T HalfSum(T s, T x) {
        const T m = W::Splat32(0x007F7F7F);
        return W::Add32(W::And(W::ShiftRight32(s, 1), m), W::And(W::ShiftRight32(x, 1), m));
    }
};

// The 16-byte forms under their own names.
using Lanes16 = Lanes<Width16>;
using Lanes8 = Lanes16::Pair;
using ArgbBlendLanes = Lanes16::BlendClass;
template <class F>
inline Lanes8 Load8(const uint8_t* p) { return Lanes16::Load<F>(p); }
template <class F>
inline void Store8(uint8_t* p, Lanes8 v) { Lanes16::Store<F>(p, v); }
template <class F>
inline __m128i ToArgb(__m128i v) { return Lanes16::ToArgb<F>(v); }
template <class F>
inline __m128i FromArgb(__m128i v) { return Lanes16::FromArgb<F>(v); }
inline __m128i Select(__m128i a, __m128i b, __m128i keep) { return Lanes16::Select(a, b, keep); }
inline __m128i BlendAllBytes4(__m128i d, __m128i p) { return Lanes16::BlendAllBytes(d, p); }
inline ArgbBlendLanes ClassifyArgb4(__m128i p, __m128i key) { return Lanes16::Classify(p, key); }
inline __m128i ArgbBlend4(__m128i d, __m128i p, ArgbBlendLanes lanes) { return Lanes16::ArgbBlend(d, p, lanes); }
inline __m128i HalfSum4(__m128i s, __m128i x) { return Lanes16::HalfSum(s, x); }
inline __m128i MultiplyLow32BySmall(__m128i x, __m128i aBoth) { return Lanes16::MultiplyLow32BySmall(x, aBoth); }

}  // namespace packed
}  // namespace QRV_ISA
}  // namespace qrv
#else
#include "frame/isa.h"

namespace qrv {
inline namespace QRV_ISA {
namespace packed {
// No packed loops in this build: tables of the packed set take the plain ones.
using Width16 = void;
}  // namespace packed
}  // namespace QRV_ISA
}  // namespace qrv
#endif
