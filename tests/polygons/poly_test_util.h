// Helpers for the polygon suites: canvases as text and rows, random drawing
// set-ups, guarded textures and TPD handles that free themselves.
#pragma once

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "primitives/packed.h"
#include "primitives/span_test_util.h"
#include "quorvel.h"
#include "support/canvas.h"
#include "support/kernel_sets.h"

namespace qrvtest {

// Starts the library and restores the settings a test changes.
struct PolygonTest : ::testing::Test {
    SettingsGuard guard;
    void SetUp() override { QRV_Init_Lib(); }
};

// A canvas selected as the destination, the whole of it the viewport.
struct Target : Canvas {
    Target(int w, int h, int format) : Canvas(w, h, format) { Select(); }
};

// The canvas as text, one string per row: '#' where a pixel is not 0.
inline std::vector<std::string> Picture(Canvas& c) {
    std::vector<std::string> rows(c.height, std::string(c.width, '.'));
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x)
            if (c.Get(x, y) != 0) rows[y][x] = '#';
    return rows;
}

// The first and last set columns of row y as "first..last", or "" when none.
inline std::string RowExtent(Canvas& c, int y) {
    const std::string row = Picture(c)[y];
    const size_t first = row.find('#'), last = row.rfind('#');
    return first == std::string::npos ? "" : std::to_string(first) + ".." + std::to_string(last);
}

// Rows from top on have the listed extents, every other row is empty.
inline void ExpectRows(Canvas& c, int top, const std::vector<std::string>& rows, int what = 0) {
    for (int y = 0; y < c.height; ++y) {
        const size_t i = static_cast<size_t>(y - top);
        EXPECT_EQ(RowExtent(c, y), y >= top && i < rows.size() ? rows[i] : "") << what << " row " << y;
    }
}

inline std::vector<uint32_t> PixelRow(Canvas& c, int y) {
    std::vector<uint32_t> row;
    for (int x = 0; x < c.width; ++x) row.push_back(c.Get(x, y));
    return row;
}

inline void Fill(Canvas& c, uint32_t v) {
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) c.Set(x, y, v);
}

// The plain loops and every packed set this processor runs.
inline std::vector<qrv::KernelSet> AllSets() {
    std::vector<qrv::KernelSet> sets = PackedSets();
    sets.insert(sets.begin(), qrv::KernelSet::Scalar);
    return sets;
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
    const std::vector<qrv::KernelSet> sets = AllSets();
    qrv::SetKernelSet(sets[rng() % sets.size()]);
    return v;
}

// A guarded canvas described by a surface descriptor.
struct Texture {
    Canvas canvas;
    QrvSurfaceDesc desc{};
    std::vector<uint8_t> exact;

    Texture(int w, int h, int format, uint32_t mask = 0) : canvas(w, h, format, 4) {
        desc.format = format, desc.pixels = canvas.Base(), desc.pitch = canvas.pitch;
        desc.width = desc.viewRight = w, desc.height = desc.viewBottom = h;
        desc.maskColour = mask;
    }
    // Texels from raw pixel values, row by row.
    Texture(int w, int h, int format, const std::vector<uint32_t>& texels, uint32_t mask = 0)
        : Texture(w, h, format, mask) {
        for (size_t i = 0; i < texels.size() && i < size_t(w) * h; ++i) canvas.Set(int(i % w), int(i / w), texels[i]);
    }
    QrvSurfaceDesc* operator&() { return &desc; }

    // Moves the texels into a block that ends with the last texel, so that
    // the address sanitizer catches any read past the texture.
    void MakeExact() {
        exact.assign(canvas.Base(), canvas.Base() + static_cast<size_t>(canvas.pitch) * (canvas.height - 1) +
                                        static_cast<size_t>(canvas.width) * canvas.bpp);
        exact.shrink_to_fit();
        desc.pixels = exact.data();
    }
};

struct TpdHandle {
    void* h = TPD_Alloc();
    TpdHandle() = default;
    TpdHandle(int32_t flags, uint32_t tint, uint32_t colour, int32_t value)
        : h(TPD_BuildSpriteDrawMode(flags, tint, colour, value)) {}
    ~TpdHandle() { TPD_Free(h); }
    TpdHandle(const TpdHandle&) = delete;
    TpdHandle& operator=(const TpdHandle&) = delete;
    operator void*() const { return h; }
};

}  // namespace qrvtest
