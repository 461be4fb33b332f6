// Textures for the textured-drawing suites: guarded canvases described by a
// surface descriptor, and TPD handles that free themselves.
#pragma once

#include <cstdint>
#include <vector>

#include "quorvel.h"
#include "support/canvas.h"

namespace qrvtest {

struct Texture {
    Canvas canvas;
    QrvSurfaceDesc desc{};

    Texture(int w, int h, int format, uint32_t mask = 0) : canvas(w, h, format, 4) {
        desc.format = format;
        desc.pixels = canvas.Base();
        desc.pitch = canvas.pitch;
        desc.width = w;
        desc.height = h;
        desc.maskColour = mask;
        desc.viewRight = w;
        desc.viewBottom = h;
    }
    // Texels from raw pixel values, row by row.
    Texture(int w, int h, int format, const std::vector<uint32_t>& texels, uint32_t mask = 0)
        : Texture(w, h, format, mask) {
        for (size_t i = 0; i < texels.size() && i < size_t(w) * h; ++i) canvas.Set(int(i % w), int(i / w), texels[i]);
    }
    QrvSurfaceDesc* operator&() { return &desc; }
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
