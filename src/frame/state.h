// Module-level library state: the buffer triples, the viewport, the drawing
// settings and the diagnostic slots. Plain variables, read directly by every
// inner drawing loop.
#pragma once

#include <cstddef>
#include <cstdint>

#include "quorvel.h"

namespace qrv {

struct Buffer {
    uint8_t* base = nullptr;
    int32_t pitch = 0;
    int32_t format = 0;
};

struct Viewport {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

inline constexpr int kDebugSlots = 256;
inline constexpr int kCycleSlots = 128;

struct LibraryState {
    Buffer dest;
    Buffer src;
    Buffer srcBlend;
    // The destination as a surface descriptor: its view fields are the viewport.
    QrvSurfaceDesc destDesc{};
    int32_t inkAlpha = 255;
    int32_t threadCount = 0;
    int32_t mmxState = 0;
    int32_t debug[kDebugSlots]{};
    uint64_t cycles[kCycleSlots]{};
};

extern LibraryState g;

inline Viewport View() {
    const QrvSurfaceDesc& d = g.destDesc;
    return {d.viewLeft, d.viewTop, d.viewRight, d.viewBottom};
}

inline bool InViewport(int32_t x, int32_t y) {
    const QrvSurfaceDesc& d = g.destDesc;
    return x >= d.viewLeft && x < d.viewRight && y >= d.viewTop && y < d.viewBottom;
}

// Bytes per pixel of a format code, 0 for codes that are not formats.
constexpr int BytesPerPixel(int32_t format) {
    switch (format) {
        case 1: case 2: return 2;
        case 3: return 3;
        case 4: case 5: return 4;
        default: return 0;
    }
}

inline uint8_t* RowAddress(const Buffer& b, int32_t y) {
    return b.base + static_cast<ptrdiff_t>(y) * b.pitch;
}

}  // namespace qrv
