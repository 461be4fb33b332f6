// Texel effects: per-byte operations on a span's fetched texels, four texels
// at a time in packed bytes with the last one to three done singly, and the
// Gouraud colour line that effects 5 to 7 read.
#include <cstdint>

#include "polygons/textured.h"
#include "primitives/packed.h"

namespace qrv {
namespace {

// Each effect gives the new target word from source word s and target word t.
// Bytes are unsigned; every byte of the word counts, the top one included.
constexpr uint32_t PerByte(uint32_t a, uint32_t b, auto op) {
    uint32_t r = 0;
    for (int shift = 0; shift < 32; shift += 8) r |= (op((a >> shift) & 0xFF, (b >> shift) & 0xFF) & 0xFF) << shift;
    return r;
}

// The mix weight of effect 4, kept inside 0..256 so that the byte products
// stay below 65536.
constexpr uint32_t MixWeight(uint32_t arg2) { return static_cast<int32_t>(arg2) < 0 ? 0 : (arg2 > 256 ? 256 : arg2); }

struct Modulate {
    static uint32_t One(uint32_t s, uint32_t, const TexelEffectEntry& e) {
        return PerByte(s, e.arg1, [](uint32_t x, uint32_t y) { return (x * y) >> 8; });
    }
};
struct AddSaturate {
    static uint32_t One(uint32_t s, uint32_t, const TexelEffectEntry& e) {
        return PerByte(s, e.arg1, [](uint32_t x, uint32_t y) { return x + y > 255 ? 255 : x + y; });
    }
};
struct SubtractClamp {
    static uint32_t One(uint32_t s, uint32_t, const TexelEffectEntry& e) {
        return PerByte(s, e.arg1, [](uint32_t x, uint32_t y) { return x > y ? x - y : 0; });
    }
};
struct Mix {
    static uint32_t One(uint32_t s, uint32_t, const TexelEffectEntry& e) {
        const uint32_t k = MixWeight(e.arg2);
        return PerByte(s, e.arg1, [k](uint32_t x, uint32_t y) { return (x * k + y * (256 - k)) >> 8; });
    }
};
struct AverageLine {
    static uint32_t One(uint32_t s, uint32_t t, const TexelEffectEntry&) {
        return ((s >> 1) & 0x7F7F7F7F) + ((t >> 1) & 0x7F7F7F7F);
    }
};
struct AddLine {
    static uint32_t One(uint32_t s, uint32_t t, const TexelEffectEntry&) {
        return PerByte(s, t, [](uint32_t x, uint32_t y) { return x + y > 255 ? 255 : x + y; });
    }
};
struct ModulateLine {
    static uint32_t One(uint32_t s, uint32_t t, const TexelEffectEntry&) {
        return PerByte(s, t, [](uint32_t x, uint32_t y) { return (x * y) >> 8; });
    }
};
struct Fill {
    static uint32_t One(uint32_t, uint32_t, const TexelEffectEntry& e) { return e.arg1; }
};
struct And {
    static uint32_t One(uint32_t s, uint32_t, const TexelEffectEntry& e) { return s & e.arg1; }
};
struct Or {
    static uint32_t One(uint32_t s, uint32_t, const TexelEffectEntry& e) { return s | e.arg1; }
};
struct KeyReplace {
    static uint32_t One(uint32_t s, uint32_t, const TexelEffectEntry& e) { return s == e.arg1 ? e.arg3 : s; }
};

#if defined(__SSE2__)
// The packed form of each effect: a functor built once per call from the
// entry, applied to four source and target words.
template <class E>
struct Packed;

inline __m128i Splat(uint32_t v) { return _mm_set1_epi32(static_cast<int32_t>(v)); }

// (x * y) >> 8 per byte, all sixteen bytes.
inline __m128i MultiplyAllBytes(__m128i x, __m128i y) {
    return packed::MultiplyBytes(x, packed::WidenLow(y), packed::WidenHigh(y));
}

template <>
struct Packed<Modulate> {
    __m128i lo, hi;
    explicit Packed(const TexelEffectEntry& e) : lo(packed::WidenLow(Splat(e.arg1))), hi(packed::WidenHigh(Splat(e.arg1))) {}
    __m128i operator()(__m128i s, __m128i) const { return packed::MultiplyBytes(s, lo, hi); }
};
template <>
struct Packed<AddSaturate> {
    __m128i a;
    explicit Packed(const TexelEffectEntry& e) : a(Splat(e.arg1)) {}
    __m128i operator()(__m128i s, __m128i) const { return _mm_adds_epu8(s, a); }
};
template <>
struct Packed<SubtractClamp> {
    __m128i a;
    explicit Packed(const TexelEffectEntry& e) : a(Splat(e.arg1)) {}
    __m128i operator()(__m128i s, __m128i) const { return _mm_subs_epu8(s, a); }
};
template <>
struct Packed<Mix> {
    __m128i caLo, caHi, keep;
    explicit Packed(const TexelEffectEntry& e) {
        const uint32_t k = MixWeight(e.arg2);
        const __m128i other = _mm_set1_epi16(static_cast<int16_t>(256 - k));
        caLo = _mm_mullo_epi16(packed::WidenLow(Splat(e.arg1)), other);
        caHi = _mm_mullo_epi16(packed::WidenHigh(Splat(e.arg1)), other);
        keep = _mm_set1_epi16(static_cast<int16_t>(k));
    }
    __m128i operator()(__m128i s, __m128i) const { return packed::BlendBytes(s, caLo, caHi, keep); }
};
template <>
struct Packed<AverageLine> {
    explicit Packed(const TexelEffectEntry&) {}
    __m128i operator()(__m128i s, __m128i t) const {
        const __m128i m = _mm_set1_epi8(0x7F);
        return _mm_add_epi8(_mm_and_si128(_mm_srli_epi16(s, 1), m), _mm_and_si128(_mm_srli_epi16(t, 1), m));
    }
};
template <>
struct Packed<AddLine> {
    explicit Packed(const TexelEffectEntry&) {}
    __m128i operator()(__m128i s, __m128i t) const { return _mm_adds_epu8(s, t); }
};
template <>
struct Packed<ModulateLine> {
    explicit Packed(const TexelEffectEntry&) {}
    __m128i operator()(__m128i s, __m128i t) const { return MultiplyAllBytes(s, t); }
};
template <>
struct Packed<Fill> {
    __m128i a;
    explicit Packed(const TexelEffectEntry& e) : a(Splat(e.arg1)) {}
    __m128i operator()(__m128i, __m128i) const { return a; }
};
template <>
struct Packed<And> {
    __m128i a;
    explicit Packed(const TexelEffectEntry& e) : a(Splat(e.arg1)) {}
    __m128i operator()(__m128i s, __m128i) const { return _mm_and_si128(s, a); }
};
template <>
struct Packed<Or> {
    __m128i a;
    explicit Packed(const TexelEffectEntry& e) : a(Splat(e.arg1)) {}
    __m128i operator()(__m128i s, __m128i) const { return _mm_or_si128(s, a); }
};
template <>
struct Packed<KeyReplace> {
    __m128i key, with;
    explicit Packed(const TexelEffectEntry& e) : key(Splat(e.arg1)), with(Splat(e.arg3)) {}
    __m128i operator()(__m128i s, __m128i) const { return packed::Select(s, with, _mm_cmpeq_epi32(s, key)); }
};
#endif

template <class E>
void RunEffect(const TexelEffectEntry& e, const uint32_t* source, uint32_t* target, int32_t count, bool usePacked) {
    int32_t k = 0;
#if defined(__SSE2__)
    if (usePacked) {
        const Packed<E> op(e);
        for (; k + 4 <= count; k += 4) {
            const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + k));
            const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(target + k));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(target + k), op(s, t));
        }
    }
#else
    (void)usePacked;
#endif
    for (; k < count; ++k) target[k] = E::One(source[k], target[k], e);
}

using EffectRoutine = void (*)(const TexelEffectEntry&, const uint32_t*, uint32_t*, int32_t, bool);

// Indexed by effect number; the numbers without a routine are skipped.
constexpr EffectRoutine kEffects[kTexelEffectNumbers] = {
    nullptr,
    &RunEffect<Modulate>,
    &RunEffect<AddSaturate>,
    &RunEffect<SubtractClamp>,
    &RunEffect<Mix>,
    &RunEffect<AverageLine>,
    &RunEffect<AddLine>,
    &RunEffect<ModulateLine>,
    nullptr,
    nullptr,
    &RunEffect<Fill>,
    &RunEffect<And>,
    &RunEffect<Or>,
    nullptr,
    nullptr,
    &RunEffect<KeyReplace>,
};

}  // namespace

void ApplyTexelEffects(const Tpd& tpd, int32_t count) {
    if (count <= 0) return;
    const bool usePacked = PackedKernelsActive();
    const int32_t entries = tpd.texelEffectCount < kTexelEffectSlots ? tpd.texelEffectCount : kTexelEffectSlots;
    for (int32_t i = 0; i < entries; ++i) {
        const TexelEffectEntry& e = tpd.texelEffects[i];
        if (e.effect == 0) break;
        if (e.effect < 0 || e.effect >= kTexelEffectNumbers || kEffects[e.effect] == nullptr) continue;
        const bool readsColourLine = e.effect >= 5 && e.effect <= 7;
        const uint32_t* source = e.source ? e.source : (readsColourLine ? gLines.colours : gLines.texels);
        uint32_t* target = e.target ? e.target : gLines.texels;
        kEffects[e.effect](e, source, target, count, usePacked);
    }
}

void BuildColourLine(const SpanRecord& r, uint32_t* colours, const int32_t* runs, int32_t runCount) {
    const int32_t width = r.xRight - r.xLeft;
    if (width < 1) return;
    int32_t acc[3], step[3];
    for (int i = 0; i < 3; ++i) {
        const int32_t shift = 16 - 8 * i;
        const int32_t from = static_cast<int32_t>((static_cast<uint32_t>(r.leftAttr[0]) >> shift) & 0xFF);
        const int32_t to = static_cast<int32_t>((static_cast<uint32_t>(r.rightAttr[0]) >> shift) & 0xFF);
        acc[i] = from << 16;
        step[i] = ((to - from) << 16) / width;
    }
    uint32_t* out = colours;
    for (int32_t n = 0; n < runCount; ++n) {
        const int32_t offset = runs[2 * n], length = runs[2 * n + 1];
        int32_t c[3];
        for (int i = 0; i < 3; ++i) c[i] = acc[i] + offset * step[i];
        for (int32_t k = 0; k < length; ++k) {
            *out++ = ((static_cast<uint32_t>(c[0]) >> 16 & 0xFF) << 16) | ((static_cast<uint32_t>(c[1]) >> 16 & 0xFF) << 8) |
                     (static_cast<uint32_t>(c[2]) >> 16 & 0xFF);
            for (int i = 0; i < 3; ++i) c[i] += step[i];
        }
    }
}

}  // namespace qrv
