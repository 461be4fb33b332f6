// A destination buffer for tests: pixels surrounded by guard bands of a known
// byte, so that a test can prove nothing was written outside the buffer.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "quorvel.h"

namespace qrvtest {

inline int BytesPerPixel(int format) {
    switch (format) {
        case 1: case 2: return 2;
        case 3: return 3;
        default: return 4;
    }
}

// How many MMX states this processor can be put in: state 0 only, unless it has
// MMX (elsewhere the library refuses state 1).
inline int MmxStates() { return 1 + CPU_CheckMMX(); }

struct Canvas {
    static constexpr int kGuard = 64;     // bytes before and after the pixels
    static constexpr uint8_t kGuardByte = 0xA5;

    int width, height, format, bpp, pitch;
    std::vector<uint8_t> storage;

    // pitchSlack adds bytes at the end of every row; they are guarded too.
    Canvas(int w, int h, int fmt, int pitchSlack = 0)
        : width(w), height(h), format(fmt), bpp(BytesPerPixel(fmt)), pitch(w * BytesPerPixel(fmt) + pitchSlack),
          storage(static_cast<size_t>(pitch) * h + 2 * kGuard, kGuardByte) {
        Clear(0);
    }

    uint8_t* Base() { return storage.data() + kGuard; }
    uint8_t* At(int x, int y) { return Base() + y * pitch + x * bpp; }

    // Selects this canvas as the destination with the whole of it as viewport.
    void Select() {
        QRV_SetBuffer(Base(), pitch, format);
        QRV_SetBufferViewPort(0, 0, width, height);
    }

    // Every pixel byte set to one value; the row slack keeps the guard byte.
    void Clear(uint8_t byte) {
        for (int y = 0; y < height; ++y) std::memset(Base() + y * pitch, byte, static_cast<size_t>(width) * bpp);
    }

    void Randomise(std::mt19937& rng) {
        for (int y = 0; y < height; ++y)
            for (int i = 0; i < width * bpp; ++i) Base()[y * pitch + i] = static_cast<uint8_t>(rng());
    }

    // The raw pixel value: the 16-bit word, 0x00RRGGBB for 24-bit (red byte
    // first in memory), or the 32-bit word.
    uint32_t Get(int x, int y) {
        const uint8_t* p = At(x, y);
        switch (bpp) {
            case 2: return uint32_t(p[0]) | uint32_t(p[1]) << 8;
            case 3: return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
            default: { uint32_t v; std::memcpy(&v, p, 4); return v; }
        }
    }

    void Set(int x, int y, uint32_t v) {
        uint8_t* p = At(x, y);
        switch (bpp) {
            case 2: p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); break;
            case 3: p[0] = uint8_t(v >> 16); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v); break;
            default: std::memcpy(p, &v, 4);
        }
    }

    // True when the guard bands and the slack at the end of every row are intact.
    bool GuardsIntact() const {
        const uint8_t* s = storage.data();
        for (int i = 0; i < kGuard; ++i)
            if (s[i] != kGuardByte || s[storage.size() - 1 - i] != kGuardByte) return false;
        for (int y = 0; y < height; ++y)
            for (int i = width * bpp; i < pitch; ++i)
                if (s[kGuard + y * pitch + i] != kGuardByte) return false;
        return true;
    }

    std::vector<uint8_t> Snapshot() const { return storage; }
};

// Every pixel outside the rectangle [x0, x1) x [y0, y1) equals the snapshot.
inline bool UnchangedOutside(const Canvas& c, const std::vector<uint8_t>& before, int x0, int y0, int x1, int y1) {
    for (size_t i = 0; i < before.size(); ++i) {
        if (before[i] == c.storage[i]) continue;
        const long off = static_cast<long>(i) - Canvas::kGuard;
        if (off < 0 || off >= static_cast<long>(c.pitch) * c.height) return false;
        const int y = static_cast<int>(off / c.pitch);
        const int x = static_cast<int>((off % c.pitch) / c.bpp);
        if ((off % c.pitch) >= c.width * c.bpp) return false;
        if (x < x0 || x >= x1 || y < y0 || y >= y1) return false;
    }
    return true;
}

inline constexpr int kAllFormats[] = {1, 2, 3, 4, 5};
inline constexpr int kAllModes[] = {1, 2, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096};

}  // namespace qrvtest
