// The effect blits' row routines, one per (effect, source format), generated
// for each kernel set from the pixel rules: W is void for the plain loops, or
// the vector width of a packed set. The 32-byte set is built in blit_avx2.cpp
// from the same templates.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "blit/blit.h"
#include "blit/blit_rules.h"
#include "frame/isa.h"
#include "primitives/packed.h"

namespace qrv {

// [effect][format code]
using EffectRowTable = std::array<std::array<EffectRowFn, 6>, 11>;

// The 32-byte set's effect rows for an MMX state; an entry is null where the
// set has no row of its own. Null where the build has no such set.
const EffectRowTable* WideEffectRows(int mmxState);

inline namespace QRV_ISA {

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

template <Ink I, class W>
inline typename W::T EffectBytes(typename W::T s, typename W::T x) {
    if constexpr (I == Ink::Replace) return x;
    else if constexpr (I == Ink::Half) return packed::Lanes<W>::HalfSum(s, x);
    else if constexpr (I == Ink::Add) return W::AddSat8(s, x);
    else if constexpr (I == Ink::Subtract) return W::SubSat8(s, x);
    else return packed::Bytes<W>::Multiply(x, W::WidenLow(s), W::WidenHigh(s));
}

// 32-bit rows a vector at a time; a 32-byte set hands what is left to the
// 16-byte row, and that to the plain one.
template <class W, int E, bool PackedAlpha>
void EffectRowPacked(uint8_t* d, uint8_t* s, const uint8_t* b, int32_t n, uint32_t colour) {
    constexpr Effect kE = kEffects[E];
    constexpr int32_t kStep = W::kBytes / 4;
    // The plain rules of add, subtract and multiply leave the top byte 0.
    constexpr bool kClearTop = !PackedAlpha && (kE.ink == Ink::Add || kE.ink == Ink::Subtract ||
                                                kE.ink == Ink::Multiply);
    const auto top = W::Splat32(kClearTop ? 0x00FFFFFFu : 0xFFFFFFFFu);
    const auto c = W::Splat32(colour);
    int32_t i = 0;
    for (; i + kStep <= n; i += kStep) {
        const ptrdiff_t at = static_cast<ptrdiff_t>(i) * 4;
        const auto sp = W::Load(s + at);
        auto x = c;
        if constexpr (kE.againstBlend) x = W::Load(b + at);
        const auto r = W::And(EffectBytes<kE.ink, W>(sp, x), top);
        if constexpr (kE.flow == Flow::DestOnly) {
            W::Store(d + at, r);
        } else if constexpr (kE.flow == Flow::WriteBack) {
            W::Store(s + at, r);
            W::Store(d + at, r);
        } else {
            W::Store(d + at, sp);
            W::Store(s + at, r);
        }
    }
    const ptrdiff_t at = static_cast<ptrdiff_t>(i) * 4;
    const uint8_t* const bRest = kE.againstBlend ? b + at : b;
    if constexpr (W::kBytes > 16) EffectRowPacked<packed::Width16, E, PackedAlpha>(d + at, s + at, bRest, n - i, colour);
    else EffectRow<Format32, E, PackedAlpha>(d + at, s + at, bRest, n - i, colour);
}

#endif

// The row of one (effect, format) in the set W. The 32-byte set gives null
// where it has no row of its own.
template <int E, int Code, int MmxState, class W>
constexpr EffectRowFn MakeEffectRow() {
    if constexpr ((kEffects[E].formats >> Code & 1) == 0) {
        return nullptr;
    } else {
        using F = typename FormatOf<Code>::Type;
#if defined(__SSE2__)
        if constexpr (!std::is_void_v<W> && F::kBytes == 4) return &EffectRowPacked<W, E, MmxState == 1>;
#endif
        if constexpr (!std::is_void_v<W>) {
            if constexpr (W::kBytes > 16) return nullptr;
        }
        return &EffectRow<F, E, MmxState == 1>;
    }
}

template <int MmxState, class W>
constexpr EffectRowTable BuildEffectRows() {
    static_assert(kEffectCount == 11, "the table shape above");
    EffectRowTable t{};
    [&]<int... I>(std::integer_sequence<int, I...>) {
        ((t[I / 5][I % 5 + 1] = MakeEffectRow<I / 5, I % 5 + 1, MmxState, W>()), ...);
    }(std::make_integer_sequence<int, kEffectCount * 5>{});
    return t;
}

}  // namespace QRV_ISA
}  // namespace qrv
