// Surface descriptor records and their pixel access: peek, poke, row strips,
// bilinear samples and surfaces with pixel memory of their own.
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "frame/state.h"
#include "surfaces/surface.h"

// Eleven 32-bit words in 32-bit builds; the pixel address is pointer-sized
// elsewhere and moves the fields after it.
static_assert(offsetof(QrvSurfaceDesc, format) == 0);
static_assert(offsetof(QrvSurfaceDesc, pixels) == sizeof(void*));
static_assert(offsetof(QrvSurfaceDesc, pitch) == 2 * sizeof(void*));
static_assert(offsetof(QrvSurfaceDesc, pitchShift) == 2 * sizeof(void*) + 4);
static_assert(offsetof(QrvSurfaceDesc, width) == 2 * sizeof(void*) + 8);
static_assert(offsetof(QrvSurfaceDesc, height) == 2 * sizeof(void*) + 12);
static_assert(offsetof(QrvSurfaceDesc, maskColour) == 2 * sizeof(void*) + 16);
static_assert(offsetof(QrvSurfaceDesc, viewLeft) == 2 * sizeof(void*) + 20);
static_assert(offsetof(QrvSurfaceDesc, viewTop) == 2 * sizeof(void*) + 24);
static_assert(offsetof(QrvSurfaceDesc, viewRight) == 2 * sizeof(void*) + 28);
static_assert(offsetof(QrvSurfaceDesc, viewBottom) == 2 * sizeof(void*) + 32);
static_assert(sizeof(QrvSurfaceDesc) == (sizeof(void*) == 4 ? 44 : 56));

namespace qrv {

namespace {

QrvSurfaceDesc* NewDesc(int32_t format, void* pixels, int32_t pitch, int32_t width, int32_t height) {
    auto* d = static_cast<QrvSurfaceDesc*>(std::malloc(sizeof(QrvSurfaceDesc)));
    if (!d) return nullptr;
    d->format = format;
    d->pixels = pixels;
    d->pitch = pitch;
    d->pitchShift = 0;
    for (uint32_t n = 0; n <= 23; ++n) {
        if (pitch == (int32_t{1} << n)) {
            d->pitchShift = n;
            break;
        }
    }
    d->width = width;
    d->height = height;
    d->maskColour = 0;
    d->viewLeft = 0;
    d->viewTop = 0;
    d->viewRight = width;
    d->viewBottom = height;
    return d;
}

bool InClippedView(const QrvSurfaceDesc* d, int32_t x, int32_t y) {
    return SurfaceUsable(d) && x >= d->viewLeft && x < d->viewRight && y >= d->viewTop && y < d->viewBottom &&
           x >= 0 && x < d->width && y >= 0 && y < d->height;
}

template <class F>
void PokeStrip(const QrvSurfaceDesc& d, const uint32_t* values, int32_t count, int32_t x, int32_t y,
               uint32_t maskColour, int32_t mode) {
    uint8_t* p = SurfacePixelAddress(d, x, y, F::kBytes);
    if (mode == 0 || mode == 2) {
        if constexpr (F::kBytes == 4) {
            std::memcpy(p, values, static_cast<size_t>(count) * 4);
        } else {
            for (int32_t i = 0; i < count; ++i, p += F::kBytes) NarrowPixel<F>(p, values[i]);
        }
    } else if (mode == 1) {
        for (int32_t i = 0; i < count; ++i, p += F::kBytes)
            if (values[i] != maskColour) NarrowPixel<F>(p, values[i]);
    } else {
        for (int32_t i = 0; i < count; ++i, p += F::kBytes) {
            const uint32_t v = values[i];
            const uint32_t a = v >> 24;
            if (a == 0) continue;
            if (a >= 253) {
                NarrowPixel<F>(p, v);
                continue;
            }
            const uint32_t c = WidenPixel<F>(p);
            const uint32_t rb = ((((v & 0x00FF00FFu) - (c & 0x00FF00FFu)) * a >> 8) + (c & 0x00FF00FFu)) & 0x00FF00FFu;
            const uint32_t gg = ((((v & 0x0000FF00u) - (c & 0x0000FF00u)) * a >> 8) + (c & 0x0000FF00u)) & 0x0000FF00u;
            NarrowPixel<F>(p, rb | gg);
        }
    }
}

}  // namespace

bool SurfaceUsable(const QrvSurfaceDesc* d) {
    if (!d || !d->pixels || !IsFormat(d->format) || d->width < 1 || d->height < 1) return false;
    const int64_t pitch = d->pitch < 0 ? -int64_t{d->pitch} : int64_t{d->pitch};
    return pitch >= int64_t{d->width} * BytesPerPixel(d->format);
}

SurfaceRect ClippedView(const QrvSurfaceDesc* d) {
    if (!SurfaceUsable(d)) return {0, 0, 0, 0};
    return {d->viewLeft > 0 ? d->viewLeft : 0, d->viewTop > 0 ? d->viewTop : 0,
            d->viewRight < d->width ? d->viewRight : d->width, d->viewBottom < d->height ? d->viewBottom : d->height};
}

uint32_t PeekPixelNC(const QrvSurfaceDesc* d, int32_t x, int32_t y) {
    uint32_t c = 0;
    if (d) WithFormat(d->format, [&]<class F>() { c = WidenPixel<F>(SurfacePixelAddress(*d, x, y, F::kBytes)); });
    return c;
}

void PokePixelNC(const QrvSurfaceDesc* d, int32_t x, int32_t y, uint32_t colour) {
    if (d) WithFormat(d->format, [&]<class F>() { NarrowPixel<F>(SurfacePixelAddress(*d, x, y, F::kBytes), colour); });
}

void PeekPixelStrip(const QrvSurfaceDesc* desc, int32_t x1, int32_t x2, int32_t y, uint32_t* out) {
    if (!desc || !out || x2 <= x1) return;
    const int64_t count = int64_t{x2} - x1;
    WithFormat(desc->format, [&]<class F>() {
        const uint8_t* p = SurfacePixelAddress(*desc, x1, y, F::kBytes);
        if constexpr (F::kBytes == 4) {
            std::memcpy(out, p, static_cast<size_t>(count) * 4);
        } else {
            for (int64_t i = 0; i < count; ++i, p += F::kBytes) out[i] = WidenPixel<F>(p);
        }
    });
}

void PokePixelStrip(const QrvSurfaceDesc* desc, const uint32_t* values, int32_t count, int32_t x, int32_t y,
                    uint32_t maskColour, int32_t mode) {
    if (!desc || !values || count < 1) return;
    WithFormat(desc->format, [&]<class F>() { PokeStrip<F>(*desc, values, count, x, y, maskColour, mode); });
}

uint32_t SampleSurfaceBilinear(const QrvSurfaceDesc* desc, int32_t fx, int32_t fy) {
    uint32_t result = 0;
    if (!desc) return 0;
    WithFormat(desc->format, [&]<class F>() {
        const int32_t x0 = fx >> 16, y0 = fy >> 16;
        const int32_t dx = x0 + 1 >= desc->width ? 0 : F::kBytes;
        const ptrdiff_t dy = y0 + 1 >= desc->height ? 0 : desc->pitch;
        const uint8_t* p = SurfacePixelAddress(*desc, x0, y0, F::kBytes);
        const uint32_t c00 = WidenPixel<F>(p), c10 = WidenPixel<F>(p + dx);
        const uint32_t c01 = WidenPixel<F>(p + dy), c11 = WidenPixel<F>(p + dy + dx);
        if (c00 == c10 && c00 == c01 && c00 == c11) {
            result = c00;
        } else {
            result = BlendBilinearLanes(c00, c10, c01, c11, (static_cast<uint32_t>(fx) >> 8) & 255,
                                        (static_cast<uint32_t>(fy) >> 8) & 255);
        }
    });
    return result;
}

QrvSurfaceDesc* CreateOwnedSurface(int32_t format, int32_t pitch, int32_t width, int32_t height) {
    if (pitch < 1 || width < 1 || height < 1 || !IsFormat(format)) return nullptr;
    if (int64_t{width} * BytesPerPixel(format) > pitch) return nullptr;
    const uint64_t bytes = static_cast<uint64_t>(pitch) * static_cast<uint64_t>(height);
    if (bytes > SIZE_MAX) return nullptr;
    void* pixels = std::calloc(static_cast<size_t>(bytes), 1);
    if (!pixels) return nullptr;
    QrvSurfaceDesc* d = NewDesc(format, pixels, pitch, width, height);
    if (!d) std::free(pixels);
    return d;
}

int32_t DestroyOwnedSurface(QrvSurfaceDesc* desc) {
    if (!desc) return 0;
    std::free(desc->pixels);
    std::free(desc);
    return 1;
}

}  // namespace qrv

using namespace qrv;

extern "C" {

QRV_API QrvSurfaceDesc* QRV_CALL QRV_AllocSurfaceDesc(int32_t format, void* pixels, int32_t pitch, int32_t width,
                                                      int32_t height) {
    return NewDesc(format, pixels, pitch, width, height);
}

QRV_API int32_t QRV_CALL QRV_FreeSurfaceDesc(QrvSurfaceDesc* desc) {
    std::free(desc);
    return 1;
}

QRV_API QrvSurfaceDesc* QRV_CALL QRV_SetSurfaceDescVP(QrvSurfaceDesc* desc, int32_t x1, int32_t y1, int32_t x2,
                                                      int32_t y2) {
    if (!desc) return desc;
    desc->viewLeft = x1 < x2 ? x1 : x2;
    desc->viewRight = x1 < x2 ? x2 : x1;
    desc->viewTop = y1 < y2 ? y1 : y2;
    desc->viewBottom = y1 < y2 ? y2 : y1;
    return desc;
}

QRV_API QrvSurfaceDesc* QRV_CALL QRV_SetSurfaceDescMaskColour(QrvSurfaceDesc* desc, uint32_t colour) {
    if (desc) desc->maskColour = colour;
    return desc;
}

QRV_API int32_t QRV_CALL QRV_GetSurfaceDescType(QrvSurfaceDesc* desc) { return desc ? desc->format : 0; }

QRV_API uint32_t QRV_CALL QRV_PeekSurface(QrvSurfaceDesc* desc, int32_t x, int32_t y) {
    return InClippedView(desc, x, y) ? PeekPixelNC(desc, x, y) : 0;
}

QRV_API void QRV_CALL QRV_PeekPixelStrip(QrvSurfaceDesc* desc, int32_t x1, int32_t x2, int32_t y, uint32_t* out) {
    PeekPixelStrip(desc, x1, x2, y, out);
}

QRV_API void QRV_CALL QRV_PokeSurface(QrvSurfaceDesc* desc, int32_t x, int32_t y, uint32_t colour) {
    if (InClippedView(desc, x, y)) PokePixelNC(desc, x, y, colour);
}

QRV_API void QRV_CALL QRV_PokeSurfaceNC(QrvSurfaceDesc* desc, int32_t x, int32_t y, uint32_t colour) {
    PokePixelNC(desc, x, y, colour);
}

}  // extern "C"
