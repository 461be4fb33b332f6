// Pixel access through surface descriptors: single pixels, row strips of
// 0xAARRGGBB colours, bilinear samples, and surfaces that own their pixels.
//
// Colours are always 0xAARRGGBB. Reading widens 16-bit and 24-bit pixels with
// a zero alpha byte; writing narrows by truncation (32-bit formats keep alpha).
#pragma once

#include <cstddef>
#include <cstdint>

#include "primitives/pixel_format.h"
#include "quorvel.h"

namespace qrv {

inline uint8_t* SurfacePixelAddress(const QrvSurfaceDesc& d, int32_t x, int32_t y, int bytesPerPixel) {
    return static_cast<uint8_t*>(d.pixels) + static_cast<ptrdiff_t>(y) * d.pitch +
           static_cast<ptrdiff_t>(x) * bytesPerPixel;
}

template <class F>
inline uint32_t WidenPixel(const uint8_t* p) {
    return F::ToArgb(F::Load(p));
}

template <class F>
inline void NarrowPixel(uint8_t* p, uint32_t c) {
    if constexpr (F::kBytes == 4) {
        F::Store(p, c);
    } else {
        F::Store(p, ForBuffer(c, F::kCode));
    }
}

// True when the descriptor names pixels that the clipped calls may touch: a
// format 1..5, pixels, a size of at least 1 x 1, and rows of at least
// width x bytes per pixel apart (either direction).
bool SurfaceUsable(const QrvSurfaceDesc* d);

// The part of a descriptor's view rectangle that lies on its surface; empty
// (right <= left or bottom <= top) when none does or the surface is unusable.
struct SurfaceRect {
    int32_t left, top, right, bottom;
    bool Empty() const { return right <= left || bottom <= top; }
};
SurfaceRect ClippedView(const QrvSurfaceDesc* d);

// Unclipped single-pixel access; a null descriptor or a format outside 1..5
// reads 0 and writes nothing.
uint32_t PeekPixelNC(const QrvSurfaceDesc* d, int32_t x, int32_t y);
void PokePixelNC(const QrvSurfaceDesc* d, int32_t x, int32_t y, uint32_t colour);

// Colours of pixels x1 .. x2 - 1 of row y into out[0 .. x2 - x1 - 1]; the
// caller keeps the strip inside the surface.
void PeekPixelStrip(const QrvSurfaceDesc* desc, int32_t x1, int32_t x2, int32_t y, uint32_t* out);

// Writes count colours to row y from column x, unclipped. mode 0 or 2 writes
// every value; 1 skips values equal to maskColour (all 32 bits); any other
// mode blends each value by its own alpha byte (0 skipped, 253 and above
// written as they are, else a two-lane blend with the pixel, alpha byte 0).
void PokePixelStrip(const QrvSurfaceDesc* desc, const uint32_t* values, int32_t count, int32_t x, int32_t y,
                    uint32_t maskColour, int32_t mode);

// The two-lane bilinear blend of four 0xAARRGGBB colours with 8-bit weights
// fx, fy (a at top left, b top right, c bottom left, d bottom right). Per
// channel it is t + floor((b - t) * f / 256) of each pair, first along x.
constexpr uint32_t BlendBilinearLanes(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t fx, uint32_t fy) {
    auto lerp = [](uint32_t p, uint32_t q, uint32_t f) { return (p + ((q - p) * f >> 8)) & 0x00FF00FFu; };
    const uint32_t rb = lerp(lerp(a & 0x00FF00FFu, b & 0x00FF00FFu, fx),
                             lerp(c & 0x00FF00FFu, d & 0x00FF00FFu, fx), fy);
    const uint32_t ag = lerp(lerp((a >> 8) & 0x00FF00FFu, (b >> 8) & 0x00FF00FFu, fx),
                             lerp((c >> 8) & 0x00FF00FFu, (d >> 8) & 0x00FF00FFu, fx), fy);
    return rb | ((ag << 8) & 0xFF00FF00u);
}

// Bilinear colour at the 16.16 position (fx, fy). The neighbour column and row
// repeat the last ones at the right and bottom edges; the caller keeps
// (fx >> 16, fy >> 16) inside the surface. 0 for a null descriptor or a
// format outside 1..5.
uint32_t SampleSurfaceBilinear(const QrvSurfaceDesc* desc, int32_t fx, int32_t fy);

// A descriptor over pitch x height zeroed bytes of its own; null when pitch,
// width or height is below 1, a row does not fit the pitch, the format is not
// 1..5, or memory is short. Freed (pixels and record) by DestroyOwnedSurface,
// which returns 0 for a null descriptor, else 1.
QrvSurfaceDesc* CreateOwnedSurface(int32_t format, int32_t pitch, int32_t width, int32_t height);
int32_t DestroyOwnedSurface(QrvSurfaceDesc* desc);

}  // namespace qrv
