// Effect blits: a source rectangle combined with the source-blend picture or
// with a colour by mix, add, subtract or multiply, some writing the result
// back into the source; the cut; and the stored blit settings.
#include <array>
#include <utility>

#include "blit/blit.h"
#include "blit/blit_rules.h"
#include "frame/state.h"
#include "primitives/packed.h"
#include "quorvel.h"

namespace qrv {
namespace {

// Where an effect's result goes.
enum class Flow {
    DestOnly,           // D = r
    WriteBack,          // S = r, D = the new S
    CopyThenWriteBack,  // D = the old S, S = r
};

struct Effect {
    Ink ink;
    Flow flow;
    bool againstBlend;
    uint32_t formats;  // bit n set: source format n served
};

constexpr uint32_t kFormats124 = (1u << 1) | (1u << 2) | (1u << 4);
constexpr uint32_t kFormats1245 = kFormats124 | (1u << 5);
constexpr uint32_t kFormatsAll = kFormats1245 | (1u << 3);

enum EffectId { kCut, kMixBlend, kMixColour, kAddBlend, kAddColour, kSubBlend, kSubColour,
                kMulBlendNarrow, kMulBlend, kMulColour, kFadeSource, kEffectCount };

constexpr Effect kEffects[kEffectCount] = {
    {Ink::Replace, Flow::CopyThenWriteBack, false, kFormats124},
    {Ink::Half, Flow::DestOnly, true, kFormats124},
    {Ink::Half, Flow::CopyThenWriteBack, false, kFormats124},
    {Ink::Add, Flow::DestOnly, true, kFormats124},
    {Ink::Add, Flow::WriteBack, false, kFormats124},
    {Ink::Subtract, Flow::DestOnly, true, kFormats124},
    {Ink::Subtract, Flow::WriteBack, false, kFormats124},
    {Ink::Multiply, Flow::DestOnly, true, kFormats124},  // mode 1024 serves fewer formats than 8192
    {Ink::Multiply, Flow::DestOnly, true, kFormatsAll},
    {Ink::Multiply, Flow::DestOnly, false, kFormatsAll},
    {Ink::Multiply, Flow::CopyThenWriteBack, false, kFormats1245},
};

template <class F, Flow Fl>
inline void Deliver(uint8_t* d, uint8_t* s, uint32_t oldS, uint32_t r) {
    if constexpr (Fl == Flow::DestOnly) {
        F::Store(d, r);
    } else if constexpr (Fl == Flow::WriteBack) {
        F::Store(s, r);
        F::Store(d, r);
    } else {
        F::Store(d, oldS);
        F::Store(s, r);
    }
}

template <class F, int E, bool PackedAlpha>
void EffectRow(uint8_t* d, uint8_t* s, const uint8_t* b, int32_t n, uint32_t colour) {
    constexpr Effect kE = kEffects[E];
    for (int32_t i = 0; i < n; ++i) {
        const ptrdiff_t at = static_cast<ptrdiff_t>(i) * F::kBytes;
        const uint32_t sp = F::Load(s + at);
        uint32_t x = colour;
        if constexpr (kE.againstBlend) x = F::Load(b + at);
        Deliver<F, kE.flow>(d + at, s + at, sp, EffectPixel<kE.ink, F, kE.againstBlend, PackedAlpha>(sp, x));
    }
}

#if defined(__SSE2__)

template <Ink I>
inline __m128i EffectBytes4(__m128i s, __m128i x) {
    if constexpr (I == Ink::Replace) return x;
    else if constexpr (I == Ink::Half) return packed::HalfSum4(s, x);
    else if constexpr (I == Ink::Add) return _mm_adds_epu8(s, x);
    else if constexpr (I == Ink::Subtract) return _mm_subs_epu8(s, x);
    else return packed::MultiplyBytes(x, packed::WidenLow(s), packed::WidenHigh(s));
}

template <int E, bool PackedAlpha>
void EffectRowPacked(uint8_t* d, uint8_t* s, const uint8_t* b, int32_t n, uint32_t colour) {
    constexpr Effect kE = kEffects[E];
    // The plain rules of add, subtract and multiply leave the top byte 0.
    constexpr bool kClearTop = !PackedAlpha && (kE.ink == Ink::Add || kE.ink == Ink::Subtract ||
                                                kE.ink == Ink::Multiply);
    const __m128i top = _mm_set1_epi32(kClearTop ? 0x00FFFFFF : -1);
    const __m128i c = _mm_set1_epi32(static_cast<int>(colour));
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const ptrdiff_t at = static_cast<ptrdiff_t>(i) * 4;
        __m128i* dq = reinterpret_cast<__m128i*>(d + at);
        __m128i* sq = reinterpret_cast<__m128i*>(s + at);
        const __m128i sp = _mm_loadu_si128(sq);
        __m128i x = c;
        if constexpr (kE.againstBlend) x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + at));
        const __m128i r = _mm_and_si128(EffectBytes4<kE.ink>(sp, x), top);
        if constexpr (kE.flow == Flow::DestOnly) {
            _mm_storeu_si128(dq, r);
        } else if constexpr (kE.flow == Flow::WriteBack) {
            _mm_storeu_si128(sq, r);
            _mm_storeu_si128(dq, r);
        } else {
            _mm_storeu_si128(dq, sp);
            _mm_storeu_si128(sq, r);
        }
    }
    const ptrdiff_t at = static_cast<ptrdiff_t>(i) * 4;
    EffectRow<Format32, E, PackedAlpha>(d + at, s + at, kE.againstBlend ? b + at : b, n - i, colour);
}

#endif

template <int E, int Code, int MmxState, bool Packed>
constexpr EffectRowFn MakeEffectRow() {
    if constexpr ((kEffects[E].formats >> Code & 1) == 0) {
        return nullptr;
    } else {
        using F = typename FormatOf<Code>::Type;
#if defined(__SSE2__)
        if constexpr (Packed && F::kBytes == 4) return &EffectRowPacked<E, MmxState == 1>;
#endif
        return &EffectRow<F, E, MmxState == 1>;
    }
}

// [mmx state][packed][effect][format code]
using EffectTable = std::array<std::array<EffectRowFn, 6>, kEffectCount>;

template <int MmxState, bool Packed>
constexpr EffectTable BuildEffectTable() {
    EffectTable t{};
    [&]<int... I>(std::integer_sequence<int, I...>) {
        ((t[I / 5][I % 5 + 1] = MakeEffectRow<I / 5, I % 5 + 1, MmxState, Packed>()), ...);
    }(std::make_integer_sequence<int, kEffectCount * 5>{});
    return t;
}

constexpr EffectTable kEffectRows[2][2] = {
    {BuildEffectTable<0, false>(), BuildEffectTable<0, true>()},
    {BuildEffectTable<1, false>(), BuildEffectTable<1, true>()},
};

// Stored for the host and read back; every blit runs on the calling thread.
constinit int32_t blitThreads = 4;
constinit int32_t blitAsync = 0;

}  // namespace

int EffectFor(int32_t mode, int32_t useBlend) {
    const bool blend = useBlend == 1;
    switch (mode & ~1) {
        case 0: return (mode & 1) ? kCut : -1;
        case 32: return blend ? kMixBlend : kMixColour;
        case 64: return blend ? kAddBlend : kAddColour;
        case 128: return blend ? kSubBlend : kSubColour;
        case 1024: return blend ? kMulBlendNarrow : -1;
        case 8192: return blend ? kMulBlend : kMulColour;
        case 16384: return useBlend == 0 ? kFadeSource : -1;
        default: return -1;
    }
}

bool EffectUsesBlend(int effect) { return effect >= 0 && effect < kEffectCount && kEffects[effect].againstBlend; }

EffectRowFn EffectRowFor(int effect, int32_t format, int32_t mmxState, bool packed) {
    if (effect < 0 || effect >= kEffectCount || !IsFormat(format)) return nullptr;
    return kEffectRows[mmxState & 1][packed ? 1 : 0][effect][format];
}

}  // namespace qrv

using namespace qrv;

extern "C" {

QRV_API void QRV_CALL QRV_BlitFX(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t dx, int32_t dy,
                                 uint32_t maskColour, int32_t flags, int32_t mode, uint32_t colour,
                                 int32_t useBlend, int32_t /*reserved*/) {
    if (mode == 0) {
        QRV_Blit(x1, y1, x2, y2, dx, dy, maskColour, flags);
        return;
    }
    const int effect = EffectFor(mode, useBlend);
    const int32_t format = g.src.format;
    const EffectRowFn row = EffectRowFor(effect, format, g.mmxState, PackedKernelsActive());
    const int bytes = BytesPerPixel(format);
    const bool blend = EffectUsesBlend(effect);
    // No conversion happens: a destination whose pixels have another size
    // would be written past its rows, so it is left alone.
    if (row == nullptr || BytesPerPixel(g.dest.format) != bytes) return;
    if (g.src.base == nullptr || g.dest.base == nullptr || (blend && g.srcBlend.base == nullptr)) return;
    BlitRect r;
    if (!ClipBlit(x1, y1, x2, y2, dx, dy, r)) return;

    const uint32_t c = ForBuffer(colour, format);
    uint8_t* d = RowAddress(g.dest, r.dy) + static_cast<ptrdiff_t>(r.dx) * bytes;
    uint8_t* s = RowAddress(g.src, r.sy) + static_cast<ptrdiff_t>(r.sx) * bytes;
    const uint8_t* b = blend ? RowAddress(g.srcBlend, r.sy) + static_cast<ptrdiff_t>(r.sx) * bytes : nullptr;
    for (int32_t y = 0; y < r.height; ++y) {
        row(d, s, b, r.width, c);
        d += g.dest.pitch;
        s += g.src.pitch;
        if (b != nullptr) b += g.srcBlend.pitch;
    }
}

QRV_API int32_t QRV_CALL QRV_BlitThreads(int32_t count) {
    blitThreads = count;
    return count;
}

QRV_API int32_t QRV_CALL QRV_GetBlitThreads(void) { return blitThreads; }

QRV_API int32_t QRV_CALL QRV_BlitAsync(int32_t value) {
    blitAsync = value & 1;
    return blitAsync;
}

QRV_API int32_t QRV_CALL QRV_GetBlitAsync(void) { return blitAsync; }

}  // extern "C"
