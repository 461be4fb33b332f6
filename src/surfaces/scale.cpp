// Surface scaling (nearest, bilinear, bilinear through clipped peeks) and the
// preparation of 32-bit alpha surfaces from textures.
//
// The bilinear rule blends each channel along x, then between the two rows,
// with a floor at each step; both steps are exact in 16-bit lanes as
// (p * (256 - f) + q * f) >> 8. A destination row therefore needs the
// x-blends of two source rows only, and consecutive rows mostly share them.
#include <cstring>

#include "frame/state.h"
#include "primitives/packed.h"
#include "surfaces/scale_kernels.h"
#include "surfaces/surface.h"
#include "surfaces/work_rows.h"

namespace qrv {

namespace {

// Whole-surface mapping: destination pixel i samples source position i x step
// in 16.16. Steps are taken in 64 bits so that sources of 32768 pixels and
// more still land inside themselves.
struct Mapping {
    int64_t stepX, stepY;
};

Mapping MappingOf(const QrvSurfaceDesc& src, const QrvSurfaceDesc& dst) {
    return {(int64_t{src.width} << 16) / dst.width, (int64_t{src.height} << 16) / dst.height};
}

// The columns [left, right) and rows [top, bottom) that a scale writes.
SurfaceRect WrittenRect(const QrvSurfaceDesc* dst, bool clipToView) {
    if (!SurfaceUsable(dst)) return {0, 0, 0, 0};
    return clipToView ? ClippedView(dst) : SurfaceRect{0, 0, dst->width, dst->height};
}

template <class F>
void NearestRows(const QrvSurfaceDesc& src, const QrvSurfaceDesc& dst, const SurfaceRect& out, const Mapping& m,
                 uint32_t* work) {
    const int32_t n = out.right - out.left;
    const SurfaceRect view = ClippedView(&src);
    uint32_t* column = work;
    uint32_t* row = work + n;
    // Positions grow with i, so the columns inside the source's view are one run.
    int32_t first = n, last = n;
    for (int32_t i = 0; i < n; ++i) {
        const int64_t x = ((int64_t{out.left} + i) * m.stepX) >> 16;
        const bool inside = x >= view.left && x < view.right;
        if (inside && first == n) first = i;
        if (inside) last = i + 1;
        column[i] = static_cast<uint32_t>(inside ? x : 0);
    }
    if (first == n) last = n;
    // 32-bit destinations take the row directly, and a row that repeats the
    // source row of the one above is a copy of it.
    const bool direct = BytesPerPixel(dst.format) == 4;
    const bool doubled = m.stepX == 0x8000;
    const KernelSet set = ActiveKernelSet();
    int64_t rowShown = -1;
    const uint8_t* shown = nullptr;
    for (int32_t j = out.top; j < out.bottom; ++j) {
        const int64_t y = (int64_t{j} * m.stepY) >> 16;
        uint8_t* target = direct ? SurfacePixelAddress(dst, out.left, j, 4) : reinterpret_cast<uint8_t*>(row);
        if (y == rowShown) {
            if (direct) std::memcpy(target, shown, size_t{4} * n);
        } else {
            rowShown = y;
            const bool inside = y >= view.top && y < view.bottom && first < last;
            const int32_t from = inside ? first : n, to = inside ? last : n;
            // Most rows lie wholly inside the source: no margin to clear.
            if (from > 0) std::memset(target, 0, size_t{4} * from);
            if (to < n) std::memset(target + size_t{4} * to, 0, size_t{4} * (n - to));
            if (inside) {
                const uint8_t* s = SurfacePixelAddress(src, 0, static_cast<int32_t>(y), F::kBytes);
                if (doubled) {
                    DoublePixels<F>(set, s, out.left + from, target + size_t{4} * from, to - from);
                } else {
                    for (int32_t i = from; i < to; ++i) {
                        const uint32_t c = WidenPixel<F>(s + size_t{column[i]} * F::kBytes);
                        std::memcpy(target + size_t{4} * i, &c, 4);
                    }
                }
            }
        }
        shown = target;
        if (!direct) PokePixelStrip(&dst, row, n, out.left, j, 0, 0);
    }
}

template <class F>
void BilinearRows(const QrvSurfaceDesc& src, const QrvSurfaceDesc& dst, const SurfaceRect& out, const Mapping& m,
                  uint32_t* work) {
    const int32_t n = out.right - out.left;
    uint32_t* column = work;         // left source column of each pixel
    uint32_t* next = work + n;       // its right neighbour (itself at the edge)
    uint32_t* weight = work + 2 * n; // 8-bit x fraction
    uint32_t* blended[2] = {work + 3 * n, work + 4 * n};
    uint32_t* row = work + 5 * n;
    int64_t blendedRow[2] = {-1, -1};
    for (int32_t i = 0; i < n; ++i) {
        const int64_t x = (int64_t{out.left} + i) * m.stepX;
        const int64_t x0 = x >> 16;
        column[i] = static_cast<uint32_t>(x0);
        next[i] = static_cast<uint32_t>(x0 + 1 >= src.width ? x0 : x0 + 1);
        weight[i] = static_cast<uint32_t>(x >> 8) & 255;
    }
    const bool direct = BytesPerPixel(dst.format) == 4;
    const KernelSet set = ActiveKernelSet();
    // Two x-blended source rows are kept; the one not in use is replaced.
    auto slotFor = [&](int64_t y, int inUse) {
        for (int k = 0; k < 2; ++k)
            if (blendedRow[k] == y) return k;
        const int k = inUse >= 0 ? 1 - inUse : (blendedRow[0] < blendedRow[1] ? 0 : 1);
        blendedRow[k] = y;
        BlendRowAlongX<F>(set, SurfacePixelAddress(src, 0, static_cast<int32_t>(y), F::kBytes), column, next, weight,
                          blended[k], n);
        return k;
    };
    for (int32_t j = out.top; j < out.bottom; ++j) {
        const int64_t y = int64_t{j} * m.stepY;
        const int64_t y0 = y >> 16, y1 = y0 + 1 >= src.height ? y0 : y0 + 1;
        const uint32_t v = static_cast<uint32_t>(y >> 8) & 255;
        const int topSlot = slotFor(y0, -1);
        // A zero weight takes the upper row whole.
        const uint32_t* top = blended[topSlot];
        const uint32_t* bottom = v == 0 ? top : blended[slotFor(y1, topSlot)];
        uint8_t* target = direct ? SurfacePixelAddress(dst, out.left, j, 4) : reinterpret_cast<uint8_t*>(row);
        BlendRows(set, top, bottom, v, target, n);
        if (!direct) PokePixelStrip(&dst, row, n, out.left, j, 0, 0);
    }
}

// Four clipped peeks per pixel, weights rounded down once each; written with
// clipped pokes.
void PeekedBilinear(QrvSurfaceDesc* src, QrvSurfaceDesc* dst, const Mapping& m) {
    const SurfaceRect out = ClippedView(dst);
    for (int32_t j = out.top; j < out.bottom; ++j) {
        const int64_t y = int64_t{j} * m.stepY;
        const int32_t y0 = static_cast<int32_t>(y >> 16);
        const int32_t y1 = y0 + 1 < src->viewBottom - 1 ? y0 + 1 : src->viewBottom - 1;
        const uint32_t fy = static_cast<uint32_t>(y >> 8) & 255;
        for (int32_t i = out.left; i < out.right; ++i) {
            const int64_t x = int64_t{i} * m.stepX;
            const int32_t x0 = static_cast<int32_t>(x >> 16);
            const int32_t x1 = x0 + 1 < src->viewRight - 1 ? x0 + 1 : src->viewRight - 1;
            const uint32_t fx = static_cast<uint32_t>(x >> 8) & 255;
            const uint32_t c[4] = {QRV_PeekSurface(src, x0, y0), QRV_PeekSurface(src, x1, y0),
                                   QRV_PeekSurface(src, x1, y1), QRV_PeekSurface(src, x0, y1)};
            const uint32_t w[4] = {((256 - fx) * (256 - fy)) >> 8, (fx * (256 - fy)) >> 8, (fx * fy) >> 8,
                                   (fy * (256 - fx)) >> 8};
            uint32_t rb = 0, ag = 0;
            for (int k = 0; k < 4; ++k) {
                rb += w[k] * (c[k] & 0x00FF00FFu);
                ag += w[k] * ((c[k] >> 8) & 0x00FF00FFu);
            }
            QRV_PokeSurface(dst, i, j, ((rb >> 8) & 0x00FF00FFu) | (ag & 0xFF00FF00u));
        }
    }
}

void Scale(QrvSurfaceDesc* src, QrvSurfaceDesc* dst, int32_t mode, bool clipToView) {
    if (!src || !dst || dst->width < 1 || dst->height < 1) return;
    if (mode != 0 && mode != 1 && mode != 1111) return;
    const Mapping m = MappingOf(*src, *dst);
    if (mode == 1111) {
        if (SurfaceUsable(dst)) PeekedBilinear(src, dst, m);
        return;
    }
    const SurfaceRect out = WrittenRect(dst, clipToView);
    if (out.Empty()) return;
    // Bilinear samples read the whole source, so it has to be there.
    if (mode == 1 && !SurfaceUsable(src)) return;
    const int32_t n = out.right - out.left;
    uint32_t* work = GeneralWorkRow(int64_t{n} * 6);
    if (!work) return;
    if (!IsFormat(src->format)) {
        // Every peek of such a source gives 0.
        for (int32_t j = out.top; j < out.bottom; ++j) {
            std::memset(work, 0, sizeof(uint32_t) * n);
            PokePixelStrip(dst, work, n, out.left, j, 0, 0);
        }
        return;
    }
    WithFormat(src->format, [&]<class F>() {
        if (mode == 0) {
            NearestRows<F>(*src, *dst, out, m, work);
        } else {
            BilinearRows<F>(*src, *dst, out, m, work);
        }
    });
}

}  // namespace

}  // namespace qrv

using namespace qrv;

extern "C" {

QRV_API void QRV_CALL QRV_ScaleSurface(QrvSurfaceDesc* src, QrvSurfaceDesc* dst, int32_t mode) {
    Scale(src, dst, mode, false);
}

QRV_API void QRV_CALL QRV_ScaleSurface_OLD(QrvSurfaceDesc* src, QrvSurfaceDesc* dst, int32_t mode) {
    Scale(src, dst, mode, true);
}

QRV_API void QRV_CALL QRV_PrepareFXSurface(QrvSurfaceDesc* src, QrvSurfaceDesc* dst, int32_t mode) {
    if (mode != 0 || !src || !dst) return;
    if (dst->format != 5) {
        const SurfaceRect out = ClippedView(dst);
        for (int32_t y = out.top; y < out.bottom; ++y)
            for (int32_t x = out.left; x < out.right; ++x)
                QRV_PokeSurface(dst, x, y, QRV_PeekSurface(src, x, y) & 0x00FFFFFFu);
        return;
    }
    // Rows of texels widened as the texture fetch does it; only where the
    // destination lies over the source, which is read unclipped by its view.
    if (!SurfaceUsable(dst) || !SurfaceUsable(src)) return;
    const int32_t w = dst->width < src->width ? dst->width : src->width;
    const int32_t h = dst->height < src->height ? dst->height : src->height;
    const uint32_t key = RGBPrecisionMask(src->maskColour, src->format);
    const bool keyed = src->format <= 3;
    uint32_t* work = GeneralWorkRow(w);
    if (!work) return;
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* row = SurfacePixelAddress(*dst, 0, y, 4);
        PeekPixelStrip(src, 0, w, y, work);
        if (keyed)
            for (int32_t x = 0; x < w; ++x) work[x] |= work[x] != key ? 0xFF000000u : 0;
        std::memcpy(row, work, sizeof(uint32_t) * w);
    }
}

}  // extern "C"
