// Output renderers: a span's texels (the texel line, laid out by the runs)
// combined with the destination row by the TPD's output type, per destination
// format, with packed twins for the 16-bit and 32-bit formats.
#include <cstddef>
#include <cstdint>

#include "frame/colour.h"
#include "polygons/textured.h"
#include "primitives/ink_modes.h"
#include "primitives/packed.h"
#include "primitives/pixel_format.h"
#include "primitives/span_kernels.h"

namespace qrv {
namespace {

enum OutputType : int { kOff = 0, kReplace = 1, kBlend = 2, kHalf = 3, kAdd = 4, kSubtract = 5 };
inline constexpr int kOutputTypes = 6;

// The ink whose packed operation gives each output type's pixels.
template <int Type>
[[maybe_unused]] inline constexpr Ink kInkOf = Type == kReplace ? Ink::Replace
                              : Type == kBlend ? Ink::Alpha
                              : Type == kHalf  ? Ink::Half
                              : Type == kAdd   ? Ink::Add
                                               : Ink::Subtract;

// A texel (0xAARRGGBB) as the destination format holds it; 32-bit formats
// take the whole word.
template <class F>
constexpr uint32_t Reduce(uint32_t texel) {
    return ForBuffer(texel, F::kCode);
}

// The type's rule on one pixel, t already reduced. Every rule but replace
// keeps only colour fields, so a 32-bit pixel's top byte becomes 0.
template <int Type, class F>
constexpr uint32_t OutputCombine(uint32_t d, uint32_t t, uint32_t level) {
    if constexpr (Type == kReplace) return t;
    else if constexpr (Type == kBlend) return BlendFields<F>(d, t, level);
    // Halves summed inside each channel, 24-bit too.
    else if constexpr (Type == kHalf) return ((d >> 1) & F::kHalfMask) + ((t >> 1) & F::kHalfMask);
    else if constexpr (Type == kAdd) return Combine<Ink::Add, F>(d, t, 0);
    else return Combine<Ink::Subtract, F>(d, t, 0);
}

template <int Type, class F>
void RunPixels(uint8_t* p, const uint32_t* texels, int32_t n, uint32_t level) {
    for (int32_t k = 0; k < n; ++k, p += F::kBytes) {
        const uint32_t t = Reduce<F>(texels[k]);
        if constexpr (Type == kReplace) F::Store(p, t);
        else F::Store(p, OutputCombine<Type, F>(F::Load(p), t, level));
    }
}

// A format-5 texel over a pixel by its own alpha: 16-bit formats use the top
// 5 (5-6-5) or 4 (5-5-5) bits of it on the 8-bit channels, the others all 8.
template <class F>
void AlphaPixel(uint8_t* p, uint32_t t) {
    const uint32_t alpha = t >> 24;
    constexpr int kBits = F::kCode == 1 ? 5 : (F::kCode == 2 ? 4 : 8);
    constexpr uint32_t kOpaque = F::kCode == 1 ? 29 : (F::kCode == 2 ? 15 : 253);
    const uint32_t a = alpha >> (8 - kBits);
    if (a == 0) return;
    if (a >= kOpaque) {
        F::Store(p, Reduce<F>(t));
        return;
    }
    const uint32_t d = F::ToArgb(F::Load(p));
    uint32_t r = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int32_t dc = static_cast<int32_t>((d >> shift) & 0xFF), tc = static_cast<int32_t>((t >> shift) & 0xFF);
        r |= static_cast<uint32_t>(dc + (((tc - dc) * static_cast<int32_t>(a)) >> kBits)) << shift;
    }
    F::Store(p, ForBuffer(r, F::kCode));
}

#if defined(__SSE2__)
// Four (32-bit) or eight (16-bit) texels as the destination format lays them
// out across sixteen bytes.
template <class F>
inline __m128i ReducedVector(const uint32_t* texels) {
    const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(texels));
    if constexpr (F::kBytes == 4) {
        return lo;
    } else {
        const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(texels + 4));
        return _mm_packs_epi32(packed::FromArgb<F>(lo), packed::FromArgb<F>(hi));
    }
}

template <int Type, class F>
void RunPixelsPacked(uint8_t* p, const uint32_t* texels, int32_t n, uint32_t level) {
    constexpr int kPerVector = 16 / F::kBytes;
    int32_t k = 0;
    for (; k + kPerVector <= n; k += kPerVector, p += 16) {
        const VectorOp<kInkOf<Type>, F, false> op(ReducedVector<F>(texels + k), level);
        packed::Store(p, op(Type == kReplace ? _mm_setzero_si128() : packed::Load(p)));
    }
    RunPixels<Type, F>(p, texels + k, n - k, level);
}

// AlphaPixel on four 32-bit pixels: per byte (d * (256 - A) + t * A) >> 8,
// which is d + (((t - d) * A) >> 8) exactly.
void AlphaRun32Packed(uint8_t* p, const uint32_t* texels, int32_t n) {
    int32_t k = 0;
    const __m128i k256 = _mm_set1_epi16(256);
    for (; k + 4 <= n; k += 4, p += 16) {
        const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(texels + k));
        const __m128i alpha = _mm_srli_epi32(t, 24);
        const __m128i keep = _mm_cmpeq_epi32(alpha, _mm_setzero_si128());
        const __m128i opaque = _mm_cmpgt_epi32(alpha, _mm_set1_epi32(252));
        const __m128i d = packed::Load(p);
        auto half = [&](__m128i d16, __m128i t16, __m128i a16) {
            return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(d16, _mm_sub_epi16(k256, a16)), _mm_mullo_epi16(t16, a16)),
                                  8);
        };
        // Each texel's alpha in the four 16-bit lanes of its channels.
        const __m128i a32 = _mm_or_si128(alpha, _mm_slli_epi32(alpha, 16));
        const __m128i aLo = _mm_unpacklo_epi32(a32, a32), aHi = _mm_unpackhi_epi32(a32, a32);
        const __m128i blended = _mm_and_si128(
            _mm_packus_epi16(half(packed::WidenLow(d), packed::WidenLow(t), aLo),
                             half(packed::WidenHigh(d), packed::WidenHigh(t), aHi)),
            _mm_set1_epi32(0x00FFFFFF));
        packed::Store(p, packed::Select(packed::Select(blended, t, opaque), d, keep));
    }
    for (; k < n; ++k, p += 4) AlphaPixel<Format32>(p, texels[k]);
}
#endif

template <int Type, class F, bool Packed>
void RenderSpan(const QrvSurfaceDesc& dest, int32_t x, int32_t y, int32_t width, int32_t runWords, uint32_t mask,
                int32_t mode) {
    uint8_t* row = static_cast<uint8_t*>(dest.pixels) + static_cast<ptrdiff_t>(y) * dest.pitch +
                   static_cast<ptrdiff_t>(x) * F::kBytes;
    const int32_t runCount = (runWords + 1) / 2;
    const uint32_t* texels = gLines.texels;
    const int32_t* runs = gLines.runs;
    if ((mode & 3) == 3) {
        for (int32_t i = 0; i < runCount; ++i) {
            uint8_t* p = row + static_cast<ptrdiff_t>(runs[2 * i]) * F::kBytes;
            const int32_t n = runs[2 * i + 1];
#if defined(__SSE2__)
            if constexpr (Packed && F::kBytes == 4) {
                AlphaRun32Packed(p, texels, n);
                texels += n;
                continue;
            }
#endif
            for (int32_t k = 0; k < n; ++k, p += F::kBytes) AlphaPixel<F>(p, texels[k]);
            texels += n;
        }
        return;
    }
    const uint32_t level = static_cast<uint32_t>(mode) >> 16;
    const bool fillGaps = (mode & 1) == 0;
    auto fill = [&](int32_t from, int32_t to) {
        for (uint8_t* p = row + static_cast<ptrdiff_t>(from) * F::kBytes; from < to; ++from, p += F::kBytes)
            F::Store(p, mask);
    };
    int32_t covered = 0;
    for (int32_t i = 0; i < runCount; ++i) {
        const int32_t offset = runs[2 * i], n = runs[2 * i + 1];
        if (fillGaps) fill(covered, offset);
        uint8_t* p = row + static_cast<ptrdiff_t>(offset) * F::kBytes;
#if defined(__SSE2__)
        if constexpr (Packed) {
            RunPixelsPacked<Type, F>(p, texels, n, level);
        } else {
            RunPixels<Type, F>(p, texels, n, level);
        }
#else
        RunPixels<Type, F>(p, texels, n, level);
#endif
        texels += n;
        covered = offset + n;
    }
    if (fillGaps) fill(covered, width);
}

struct RendererPair {
    OutputRenderer scalar;
    OutputRenderer packed;
};

template <int Type, class F>
constexpr RendererPair MakePair() {
    constexpr bool kPacked = HavePackedKernels() && F::kBytes != 3;
    return {&RenderSpan<Type, F, false>, &RenderSpan<Type, F, kPacked>};
}

template <int Type>
constexpr std::array<RendererPair, kFormatSlots> RowOf() {
    return {RendererPair{nullptr, nullptr}, MakePair<Type, Format565>(), MakePair<Type, Format555>(),
            MakePair<Type, Format24>(), MakePair<Type, Format32>(), MakePair<Type, Format32>()};
}

// [output type][destination format]; type 0 draws nothing.
constexpr std::array<std::array<RendererPair, kFormatSlots>, kOutputTypes> kRenderers = {
    std::array<RendererPair, kFormatSlots>{}, RowOf<kReplace>(), RowOf<kBlend>(), RowOf<kHalf>(), RowOf<kAdd>(),
    RowOf<kSubtract>()};

}  // namespace

OutputRenderer OutputRendererFor(int32_t type, int32_t format) {
    if (type < 1 || type >= kOutputTypes || !IsFormat(format)) return nullptr;
    const RendererPair& pair = kRenderers[type][format];
    return PackedKernelsActive() ? pair.packed : pair.scalar;
}

}  // namespace qrv
