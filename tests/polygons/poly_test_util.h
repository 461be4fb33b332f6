// Helpers for the polygon and shape suites.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "primitives/packed.h"
#include "quorvel.h"
#include "support/canvas.h"

namespace qrvtest {

// The canvas as text, one string per row: '#' where a pixel is not 0.
inline std::vector<std::string> Picture(Canvas& c) {
    std::vector<std::string> rows;
    for (int y = 0; y < c.height; ++y) {
        std::string row;
        for (int x = 0; x < c.width; ++x) row += c.Get(x, y) != 0 ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

// The first and last set columns of row y as "first..last", or "" when none.
inline std::string RowExtent(Canvas& c, int y) {
    const std::string row = Picture(c)[y];
    const size_t first = row.find('#'), last = row.rfind('#');
    return first == std::string::npos ? "" : std::to_string(first) + ".." + std::to_string(last);
}

struct ViewRect {
    int32_t left, top, right, bottom;
};

// Selects the canvas with random pixels, a random viewport inside it (empty
// ones included), ink alpha, MMX state and kernel set; returns the viewport.
inline ViewRect RandomDrawingSetup(std::mt19937& rng, Canvas& c) {
    c.Randomise(rng);
    c.Select();
    ViewRect v;
    v.left = static_cast<int32_t>(rng() % c.width);
    v.top = static_cast<int32_t>(rng() % c.height);
    v.right = v.left + static_cast<int32_t>(rng() % (c.width + 1 - v.left));
    v.bottom = v.top + static_cast<int32_t>(rng() % (c.height + 1 - v.top));
    QRV_SetBufferViewPort(v.left, v.top, v.right, v.bottom);
    QRV_SetInkAlpha(static_cast<int32_t>(rng() % 256));
    QRV_SetMMXState(static_cast<int32_t>(rng() & 1));
    qrv::SetKernelSet(rng() & 1 ? qrv::KernelSet::Sse2 : qrv::KernelSet::Scalar);
    return v;
}

}  // namespace qrvtest
