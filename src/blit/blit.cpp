// The plain blit: clipping front end, one row routine per (destination,
// source) format pair generated from the pixel rules, and QRV_Blit.
#include "blit/blit.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <type_traits>
#include <utility>

#include "blit/blit_rules.h"
#include "frame/state.h"
#include "primitives/packed.h"
#include "quorvel.h"

namespace qrv {
namespace {

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

void ArgbBlendAllBytesRow(uint8_t* d, const uint8_t* s, int32_t n, uint32_t) {
    for (int32_t i = 0; i < n; ++i) {
        uint8_t* q = d + static_cast<ptrdiff_t>(i) * 4;
        Format32::Store(q, ArgbBlendAllBytes(Format32::Load(q), Format32::Load(s + static_cast<ptrdiff_t>(i) * 4)));
    }
}

#if defined(__SSE2__)

template <class D, class S, bool Keyed>
void ConvertRowPacked(uint8_t* d, const uint8_t* s, int32_t n, uint32_t key) {
    const __m128i k = _mm_set1_epi32(packed::Lane<S>(key));
    auto step8 = [&](int32_t i) {
        uint8_t* q = d + static_cast<ptrdiff_t>(i) * D::kBytes;
        const packed::Lanes8 p = packed::Load8<S>(s + static_cast<ptrdiff_t>(i) * S::kBytes);
        packed::Lanes8 r = p;
        if constexpr (!std::is_same_v<D, S>) {
            r = {packed::FromArgb<D>(packed::ToArgb<S>(p.lo)), packed::FromArgb<D>(packed::ToArgb<S>(p.hi))};
        }
        if constexpr (Keyed) {
            const packed::Lanes8 old = packed::Load8<D>(q);
            r.lo = packed::Select(r.lo, old.lo, _mm_cmpeq_epi32(p.lo, k));
            r.hi = packed::Select(r.hi, old.hi, _mm_cmpeq_epi32(p.hi, k));
        }
        packed::Store8<D>(q, r);
    };
    // Two independent steps per turn keep the vector units busy.
    int32_t i = 0;
    for (; i + 16 <= n; i += 16) {
        step8(i);
        step8(i + 8);
    }
    if (i + 8 <= n) {
        step8(i);
        i += 8;
    }
    ConvertRow<D, S, Keyed>(d + static_cast<ptrdiff_t>(i) * D::kBytes, s + static_cast<ptrdiff_t>(i) * S::kBytes,
                            n - i, key);
}

// Steps that are wholly transparent or wholly opaque, common in sprites, skip
// the arithmetic; the pixels are the same either way. (The all-bytes blend
// below is cheap enough that such a test costs more in mispredicted branches
// at sprite edges than it saves.)
void ArgbBlendRowPacked(uint8_t* d, const uint8_t* s, int32_t n, uint32_t key) {
    const __m128i k = _mm_set1_epi32(static_cast<int>(key));
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i* q = reinterpret_cast<__m128i*>(d + static_cast<ptrdiff_t>(i) * 4);
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + static_cast<ptrdiff_t>(i) * 4));
        const packed::ArgbBlendLanes lanes = packed::ClassifyArgb4(p, k);
        const int keep = _mm_movemask_epi8(lanes.keep);
        if (keep == 0xFFFF) continue;
        if (keep == 0 && _mm_movemask_epi8(lanes.opaque) == 0xFFFF) {
            _mm_storeu_si128(q, p);
            continue;
        }
        _mm_storeu_si128(q, packed::ArgbBlend4(_mm_loadu_si128(q), p, lanes));
    }
    ArgbBlendRow<Format32, true>(d + static_cast<ptrdiff_t>(i) * 4, s + static_cast<ptrdiff_t>(i) * 4, n - i, key);
}

void ArgbBlendAllBytesRowPacked(uint8_t* d, const uint8_t* s, int32_t n, uint32_t key) {
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i* q = reinterpret_cast<__m128i*>(d + static_cast<ptrdiff_t>(i) * 4);
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + static_cast<ptrdiff_t>(i) * 4));
        _mm_storeu_si128(q, packed::BlendAllBytes4(_mm_loadu_si128(q), p));
    }
    ArgbBlendAllBytesRow(d + static_cast<ptrdiff_t>(i) * 4, s + static_cast<ptrdiff_t>(i) * 4, n - i, key);
}

#endif

template <int DstCode, int SrcCode, bool Keyed, int MmxState, bool Packed>
constexpr BlitRowFn MakeBlitRow() {
    using D = typename FormatOf<DstCode>::Type;
    using S = typename FormatOf<SrcCode>::Type;
    if constexpr (Keyed && SrcCode == 5 && DstCode != 5) {
        // Coverage alpha blends into every other format.
        if constexpr (DstCode == 4 && MmxState == 1) {
#if defined(__SSE2__)
            if constexpr (Packed) return &ArgbBlendAllBytesRowPacked;
#endif
            return &ArgbBlendAllBytesRow;
        } else {
#if defined(__SSE2__)
            if constexpr (Packed && DstCode == 4) return &ArgbBlendRowPacked;
#endif
            return &ArgbBlendRow<D, DstCode == 4>;
        }
    } else if constexpr (std::is_same_v<D, S> && !Keyed) {
        return &CopyRow<D::kBytes>;
    } else {
#if defined(__SSE2__)
        if constexpr (Packed && packed::kHasLanes<D> && packed::kHasLanes<S>) return &ConvertRowPacked<D, S, Keyed>;
#endif
        return &ConvertRow<D, S, Keyed>;
    }
}

// [mmx state][packed][keyed][destination code][source code]; codes 1..5.
using RowTable = std::array<std::array<BlitRowFn, 6>, 6>;

template <bool Keyed, int MmxState, bool Packed>
constexpr RowTable BuildRowTable() {
    RowTable t{};
    [&]<int... I>(std::integer_sequence<int, I...>) {
        ((t[I / 5 + 1][I % 5 + 1] = MakeBlitRow<I / 5 + 1, I % 5 + 1, Keyed, MmxState, Packed>()), ...);
    }(std::make_integer_sequence<int, 25>{});
    return t;
}

constexpr RowTable kRows[2][2][2] = {
    {{BuildRowTable<false, 0, false>(), BuildRowTable<true, 0, false>()},
     {BuildRowTable<false, 0, true>(), BuildRowTable<true, 0, true>()}},
    {{BuildRowTable<false, 1, false>(), BuildRowTable<true, 1, false>()},
     {BuildRowTable<false, 1, true>(), BuildRowTable<true, 1, true>()}},
};

bool MovesBytes(BlitRowFn row) { return row == &CopyRow<2> || row == &CopyRow<3> || row == &CopyRow<4>; }

// A blit within one buffer whose two rectangles may share bytes. Work starts
// at the end that moves away from the other rectangle, as memmove does: rows
// bottom up and, within a row, pieces right to left when the destination lies
// after the source. Routines other than the plain copy read each piece of the
// source from a copy set aside first, so every pixel comes from the picture as
// it was before the call.
void BlitOverlappingRows(BlitRowFn row, uint8_t* d, const uint8_t* s, ptrdiff_t pitch, int32_t rows,
                         int32_t width, int bytes, uint32_t key) {
    const bool backward = reinterpret_cast<uintptr_t>(d) > reinterpret_cast<uintptr_t>(s);
    if (backward) {
        d += pitch * (rows - 1);
        s += pitch * (rows - 1);
        pitch = -pitch;
    }
    constexpr int kAsideBytes = 1536;  // a whole number of 2-, 3- and 4-byte pixels
    alignas(16) uint8_t aside[kAsideBytes];
    const int32_t piece = kAsideBytes / bytes;
    const bool movesBytes = MovesBytes(row);
    for (; rows > 0; --rows, d += pitch, s += pitch) {
        if (movesBytes) {
            row(d, s, width, key);
            continue;
        }
        for (int32_t done = 0; done < width;) {
            const int32_t n = std::min(piece, width - done);
            const ptrdiff_t at = static_cast<ptrdiff_t>(backward ? width - done - n : done) * bytes;
            std::memcpy(aside, s + at, static_cast<size_t>(n) * bytes);
            row(d + at, aside, n, key);
            done += n;
        }
    }
}

// Rows of tiles and small sprites: a call into the C library per row costs
// more than the row itself, so they are copied here (longer rows go to the
// library, whose copies are wider than ours). The two rows do not
// share bytes; pieces that overlap each other within the row rewrite the same
// bytes.
constexpr size_t kShortRowBytes = 96;

template <size_t N>
inline void CopyPiece(uint8_t* d, const uint8_t* s) {
    uint8_t piece[N];
    std::memcpy(piece, s, N);
    std::memcpy(d, piece, N);
}

inline void CopyShortRow(uint8_t* d, const uint8_t* s, size_t n) {
    if (n >= 16) {
        size_t i = 0;
        for (; i + 16 <= n; i += 16) CopyPiece<16>(d + i, s + i);
        if (i < n) CopyPiece<16>(d + n - 16, s + n - 16);
    } else if (n >= 8) {
        CopyPiece<8>(d, s);
        CopyPiece<8>(d + n - 8, s + n - 8);
    } else if (n >= 4) {
        CopyPiece<4>(d, s);
        CopyPiece<4>(d + n - 4, s + n - 4);
    } else if (n >= 2) {
        CopyPiece<2>(d, s);
        CopyPiece<2>(d + n - 2, s + n - 2);
    }
}

void BlitRows(BlitRowFn row, const BlitRect& r, uint32_t key) {
    const int dBytes = BytesPerPixel(g.dest.format), sBytes = BytesPerPixel(g.src.format);
    const ptrdiff_t dPitch = g.dest.pitch, sPitch = g.src.pitch;
    uint8_t* d = RowAddress(g.dest, r.dy) + static_cast<ptrdiff_t>(r.dx) * dBytes;
    const uint8_t* s = RowAddress(g.src, r.sy) + static_cast<ptrdiff_t>(r.sx) * sBytes;
    int32_t rows = r.height, width = r.width;
    if (dBytes == sBytes && dPitch == sPitch && dPitch > 0) {
        const uintptr_t da = reinterpret_cast<uintptr_t>(d), sa = reinterpret_cast<uintptr_t>(s);
        const uintptr_t extent = static_cast<uintptr_t>(dPitch) * static_cast<uintptr_t>(rows - 1) +
                                 static_cast<uintptr_t>(width) * static_cast<uintptr_t>(dBytes);
        if ((da > sa ? da - sa : sa - da) < extent) {
            BlitOverlappingRows(row, d, s, dPitch, rows, width, dBytes, key);
            return;
        }
    }
    // Rows that follow one another without a gap on both sides are one long row.
    if (dPitch == static_cast<ptrdiff_t>(width) * dBytes && sPitch == static_cast<ptrdiff_t>(width) * sBytes &&
        static_cast<int64_t>(width) * rows <= INT32_MAX) {
        width *= rows;
        rows = 1;
    }
    const size_t rowBytes = static_cast<size_t>(width) * dBytes;
    if (rowBytes <= kShortRowBytes && MovesBytes(row)) {
        for (; rows > 0; --rows, d += dPitch, s += sPitch) CopyShortRow(d, s, rowBytes);
        return;
    }
    for (; rows > 0; --rows, d += dPitch, s += sPitch) row(d, s, width, key);
}

}  // namespace

bool ClipBlit(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t dx, int32_t dy, BlitRect& out) {
    // 64-bit, so that no sum wraps past the viewport edges.
    const Viewport v = View();
    int64_t sx1 = x1, sy1 = y1, sx2 = x2, sy2 = y2, tx = dx, ty = dy;
    const int64_t w = sx2 - sx1, h = sy2 - sy1;
    // A size beyond 32 bits describes no buffer.
    if (w > INT32_MAX || h > INT32_MAX) return false;
    if (tx > v.right || ty > v.bottom || tx + w < v.left || ty + h < v.top) return false;
    if (tx + w > v.right) sx2 -= tx + w - v.right;
    if (tx < v.left) {
        sx1 += v.left - tx;
        tx = v.left;
    }
    if (ty + h > v.bottom) sy2 -= ty + h - v.bottom;
    if (ty < v.top) {
        sy1 += v.top - ty;
        ty = v.top;
    }
    const int64_t width = sx2 - sx1, height = sy2 - sy1;
    if (width < 1 || height < 1) return false;
    out = {static_cast<int32_t>(sx1), static_cast<int32_t>(sy1), static_cast<int32_t>(tx),
           static_cast<int32_t>(ty), static_cast<int32_t>(width), static_cast<int32_t>(height)};
    return true;
}

BlitRowFn BlitRowFor(int32_t dstFormat, int32_t srcFormat, bool keyed, int32_t mmxState, bool packed) {
    if (!IsFormat(dstFormat) || !IsFormat(srcFormat)) return nullptr;
    return kRows[mmxState & 1][packed ? 1 : 0][keyed ? 1 : 0][dstFormat][srcFormat];
}

BlitPlan PlanBlit(uint32_t maskColour, int32_t flags) {
    if (g.src.base == nullptr || g.dest.base == nullptr) return {nullptr, 0};
    return {BlitRowFor(g.dest.format, g.src.format, (flags & 1) != 0, g.mmxState,
                       PackedKernelsActive()),
            ForBuffer(maskColour, g.src.format)};
}

void RunBlit(const BlitPlan& plan, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t dx, int32_t dy) {
    BlitRect r;
    if (plan.row == nullptr || !ClipBlit(x1, y1, x2, y2, dx, dy, r)) return;
    BlitRows(plan.row, r, plan.key);
}

}  // namespace qrv

using namespace qrv;

extern "C" QRV_API void QRV_CALL QRV_Blit(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t dx, int32_t dy,
                                           uint32_t maskColour, int32_t flags) {
    RunBlit(PlanBlit(maskColour, flags), x1, y1, x2, y2, dx, dy);
}
