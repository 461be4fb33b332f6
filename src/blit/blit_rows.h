// The plain blit's row routines, one per (destination, source) format pair,
// generated from the pixel rules for each kernel set: W is void for the plain
// loops, or the vector width of a packed set. The 32-byte set is built in a
// file of its own (blit_avx2.cpp) from the same templates.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

#include "blit/blit.h"
#include "blit/blit_rules.h"
#include "frame/isa.h"
#include "primitives/packed.h"

namespace qrv {

// [destination code][source code]; codes 1..5.
using BlitRowTable = std::array<std::array<BlitRowFn, 6>, 6>;

// The 32-byte set's rows for an MMX state and keying; an entry is null where
// the set has no row of its own. Null where the build has no such set.
const BlitRowTable* WideBlitRows(int mmxState, bool keyed);

inline namespace QRV_ISA {

template <int Bytes>
void CopyRow(uint8_t* d, const uint8_t* s, int32_t n, uint32_t) {
    // memmove: a blit within one buffer may overlap itself.
    std::memmove(d, s, static_cast<size_t>(n) * Bytes);
}

template <class D, class S, bool Keyed>
void ConvertRow(uint8_t* d, const uint8_t* s, int32_t n, uint32_t key) {
    for (int32_t i = 0; i < n; ++i) {
        const uint32_t p = S::Load(s + static_cast<ptrdiff_t>(i) * S::kBytes);
        if (Keyed && p == key) continue;
        D::Store(d + static_cast<ptrdiff_t>(i) * D::kBytes, ConvertPixel<D, S>(p));
    }
}

// Keyed only into 32 bits: the 16- and 24-bit blends test no mask colour.
template <class D, bool Keyed>
void ArgbBlendRow(uint8_t* d, const uint8_t* s, int32_t n, uint32_t key) {
    for (int32_t i = 0; i < n; ++i) {
        const uint32_t p = Format32::Load(s + static_cast<ptrdiff_t>(i) * 4);
        if ((Keyed && p == key) || (p >> 24) == 0) continue;
        uint8_t* q = d + static_cast<ptrdiff_t>(i) * D::kBytes;
        D::Store(q, ArgbBlend<D>::Apply(D::Load(q), p));
    }
}

inline void ArgbBlendAllBytesRow(uint8_t* d, const uint8_t* s, int32_t n, uint32_t) {
    for (int32_t i = 0; i < n; ++i) {
        uint8_t* q = d + static_cast<ptrdiff_t>(i) * 4;
        Format32::Store(q, ArgbBlendAllBytes(Format32::Load(q), Format32::Load(s + static_cast<ptrdiff_t>(i) * 4)));
    }
}

#if defined(__SSE2__)

// Rows of a packed set hand what is left after their widest steps to the
// 16-byte rows, and those theirs to the plain ones.
template <class W, class D, class S, bool Keyed>
void ConvertRowPacked(uint8_t* d, const uint8_t* s, int32_t n, uint32_t key) {
    using L = packed::Lanes<W>;
    constexpr int32_t kStep = L::kPixels;
    if constexpr (W::kBytes > 16) {
        if (n < 2 * kStep) return ConvertRowPacked<packed::Width16, D, S, Keyed>(d, s, n, key);
    }
    const auto k = W::Splat32(static_cast<uint32_t>(packed::Lane<S>(key)));
    auto step = [&](int32_t i) {
        uint8_t* q = d + static_cast<ptrdiff_t>(i) * D::kBytes;
        const typename L::Pair p = L::template Load<S>(s + static_cast<ptrdiff_t>(i) * S::kBytes);
        typename L::Pair r = p;
        if constexpr (!std::is_same_v<D, S>) {
            r = {L::template FromArgb<D>(L::template ToArgb<S>(p.lo)),
                 L::template FromArgb<D>(L::template ToArgb<S>(p.hi))};
        }
        if constexpr (Keyed) {
            const typename L::Pair old = L::template Load<D>(q);
            r.lo = L::Select(r.lo, old.lo, W::Equal32(p.lo, k));
            r.hi = L::Select(r.hi, old.hi, W::Equal32(p.hi, k));
        }
        L::template Store<D>(q, r);
    };
    // Two independent steps per turn keep the vector units busy.
    int32_t i = 0;
    for (; i + 2 * kStep <= n; i += 2 * kStep) {
        step(i);
        step(i + kStep);
    }
    if (i + kStep <= n) {
        step(i);
        i += kStep;
    }
    uint8_t* const dRest = d + static_cast<ptrdiff_t>(i) * D::kBytes;
    const uint8_t* const sRest = s + static_cast<ptrdiff_t>(i) * S::kBytes;
    if constexpr (W::kBytes > 16) ConvertRowPacked<packed::Width16, D, S, Keyed>(dRest, sRest, n - i, key);
    else ConvertRow<D, S, Keyed>(dRest, sRest, n - i, key);
}

// Steps that are wholly transparent or wholly opaque, common in sprites, skip
// the arithmetic; the pixels are the same either way. (The all-bytes blend
// below is cheap enough that such a test costs more in mispredicted branches
// at sprite edges than it saves.)
template <class W>
void ArgbBlendRowPacked(uint8_t* d, const uint8_t* s, int32_t n, uint32_t key) {
    using L = packed::Lanes<W>;
    constexpr int32_t kStep = W::kBytes / 4;
    const auto k = W::Splat32(key);
    int32_t i = 0;
    for (; i + kStep <= n; i += kStep) {
        uint8_t* q = d + static_cast<ptrdiff_t>(i) * 4;
        const auto p = W::Load(s + static_cast<ptrdiff_t>(i) * 4);
        const typename L::BlendClass lanes = L::Classify(p, k);
        if (W::AllBytes(lanes.keep)) continue;
        if (W::NoBytes(lanes.keep) && W::AllBytes(lanes.opaque)) {
            W::Store(q, p);
            continue;
        }
        W::Store(q, L::ArgbBlend(W::Load(q), p, lanes));
    }
    uint8_t* const dRest = d + static_cast<ptrdiff_t>(i) * 4;
    const uint8_t* const sRest = s + static_cast<ptrdiff_t>(i) * 4;
    if constexpr (W::kBytes > 16) ArgbBlendRowPacked<packed::Width16>(dRest, sRest, n - i, key);
    else ArgbBlendRow<Format32, true>(dRest, sRest, n - i, key);
}

template <class W>
void ArgbBlendAllBytesRowPacked(uint8_t* d, const uint8_t* s, int32_t n, uint32_t key) {
    using L = packed::Lanes<W>;
    constexpr int32_t kStep = W::kBytes / 4;
    int32_t i = 0;
    for (; i + kStep <= n; i += kStep) {
        uint8_t* q = d + static_cast<ptrdiff_t>(i) * 4;
        W::Store(q, L::BlendAllBytes(W::Load(q), W::Load(s + static_cast<ptrdiff_t>(i) * 4)));
    }
    uint8_t* const dRest = d + static_cast<ptrdiff_t>(i) * 4;
    const uint8_t* const sRest = s + static_cast<ptrdiff_t>(i) * 4;
    if constexpr (W::kBytes > 16) ArgbBlendAllBytesRowPacked<packed::Width16>(dRest, sRest, n - i, key);
    else ArgbBlendAllBytesRow(dRest, sRest, n - i, key);
}

#endif

// The row of one pair in the set W. The 32-byte set (W wider than 16 bytes)
// gives null where it has no row of its own.
template <int DstCode, int SrcCode, bool Keyed, int MmxState, class W>
constexpr BlitRowFn MakeBlitRow() {
    using D = typename FormatOf<DstCode>::Type;
    using S = typename FormatOf<SrcCode>::Type;
    constexpr bool kPacked = !std::is_void_v<W>;
    BlitRowFn plain = nullptr;
    if constexpr (Keyed && SrcCode == 5 && DstCode != 5) {
        // Coverage alpha blends into every other format.
        if constexpr (DstCode == 4 && MmxState == 1) {
#if defined(__SSE2__)
            if constexpr (kPacked) return &ArgbBlendAllBytesRowPacked<W>;
#endif
            plain = &ArgbBlendAllBytesRow;
        } else {
#if defined(__SSE2__)
            if constexpr (kPacked && DstCode == 4) return &ArgbBlendRowPacked<W>;
#endif
            plain = &ArgbBlendRow<D, DstCode == 4>;
        }
    } else if constexpr (std::is_same_v<D, S> && !Keyed) {
        plain = &CopyRow<D::kBytes>;
    } else {
#if defined(__SSE2__)
        if constexpr (kPacked && packed::kHasLanes<D> && packed::kHasLanes<S>)
            return &ConvertRowPacked<W, D, S, Keyed>;
#endif
        plain = &ConvertRow<D, S, Keyed>;
    }
    if constexpr (kPacked) {
        if constexpr (W::kBytes > 16) return nullptr;
    }
    return plain;
}

template <bool Keyed, int MmxState, class W>
constexpr BlitRowTable BuildBlitRows() {
    BlitRowTable t{};
    [&]<int... I>(std::integer_sequence<int, I...>) {
        ((t[I / 5 + 1][I % 5 + 1] = MakeBlitRow<I / 5 + 1, I % 5 + 1, Keyed, MmxState, W>()), ...);
    }(std::make_integer_sequence<int, 25>{});
    return t;
}

}  // namespace QRV_ISA
}  // namespace qrv
