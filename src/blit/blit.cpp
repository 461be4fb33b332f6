// The plain blit: clipping front end, one row routine per (destination,
// source) format pair generated from the pixel rules, and QRV_Blit.
#include "blit/blit.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <utility>

#include "blit/blit_rows.h"
#include "blit/blit_rules.h"
#include "frame/state.h"
#include "primitives/packed.h"
#include "primitives/short_copy.h"
#include "quorvel.h"

namespace qrv {
namespace {

// [mmx state][packed][keyed]: the plain rows and the 16-byte packed ones.
constexpr BlitRowTable kRows[2][2][2] = {
    {{BuildBlitRows<false, 0, void>(), BuildBlitRows<true, 0, void>()},
     {BuildBlitRows<false, 0, packed::Width16>(), BuildBlitRows<true, 0, packed::Width16>()}},
    {{BuildBlitRows<false, 1, void>(), BuildBlitRows<true, 1, void>()},
     {BuildBlitRows<false, 1, packed::Width16>(), BuildBlitRows<true, 1, packed::Width16>()}},
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
    if (MovesBytes(row)) {
        // Rows of the usual tile widths are copied at a length the compiler
        // knows, whole pieces with no loop of their own.
        auto fixed = [&]<size_t N>() {
            for (; rows > 0; --rows, d += dPitch, s += sPitch) CopyPiece<N>(d, s);
        };
        switch (rowBytes) {
            case 16: return fixed.template operator()<16>();
            case 32: return fixed.template operator()<32>();
            case 64: return fixed.template operator()<64>();
            default: break;
        }
        if (rowBytes <= kShortRowBytes) {
            for (; rows > 0; --rows, d += dPitch, s += sPitch) CopyShortRow(d, s, rowBytes);
        } else {
            // The rows share no bytes here: the library's copy, called directly.
            for (; rows > 0; --rows, d += dPitch, s += sPitch) std::memcpy(d, s, rowBytes);
        }
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

BlitRowFn BlitRowFor(int32_t dstFormat, int32_t srcFormat, bool keyed, int32_t mmxState, KernelSet set) {
    if (!IsFormat(dstFormat) || !IsFormat(srcFormat)) return nullptr;
    // The 32-byte set lists only the rows it draws itself.
    if (set == KernelSet::Avx2)
        if (const BlitRowTable* wide = WideBlitRows(mmxState & 1, keyed))
            if (const BlitRowFn row = (*wide)[dstFormat][srcFormat]) return row;
    return kRows[mmxState & 1][set != KernelSet::Scalar][keyed ? 1 : 0][dstFormat][srcFormat];
}

BlitPlan PlanBlit(uint32_t maskColour, int32_t flags) {
    if (g.src.base == nullptr || g.dest.base == nullptr) return {nullptr, 0};
    return {BlitRowFor(g.dest.format, g.src.format, (flags & 1) != 0, g.mmxState, ActiveKernelSet()),
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
