// Single-pixel access to the destination buffer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame/state.h"
#include "primitives/ink_modes.h"

namespace qrv {

inline uint8_t* PixelAddress(int32_t x, int32_t y, int bytesPerPixel) {
    return RowAddress(g.dest, y) + static_cast<ptrdiff_t>(x) * bytesPerPixel;
}

// Combines one pixel by the ink; used by every per-pixel writer.
template <Ink I, class F>
inline void CombinePixel(uint8_t* p, uint32_t c, uint32_t alpha) {
    if constexpr (I == Ink::Replace) {
        F::Store(p, c);
    } else {
        F::Store(p, Combine<I, F>(F::Load(p), c, alpha));
    }
}

// A dedicated writer for one (mode, format) pair of the blended lines: writes
// (x, y) unclipped. The ink-alpha plotter always blends.
using Plotter = void (*)(int32_t x, int32_t y, uint32_t colour);

// The plotter for a blended mode and format, or null when the pair has none.
Plotter PlotterFor(int32_t mode, int32_t format);

// Reads the destination pixel (x, y) as ARGB, unclipped.
using PixelReader = uint32_t (*)(int32_t x, int32_t y);
inline constexpr int kPixelReaderSlots = 7;

// Fills the per-format reader table (start-up).
void BuildPixelReaderTable();

}  // namespace qrv
