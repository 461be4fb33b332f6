// Writes 8-bit RGB images as PNG files (zlib deflate, one IDAT chunk).
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace qrvtools {

struct RgbImage {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // width * height * 3, row by row

    RgbImage(int w, int h, uint32_t fill = 0) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) Set(x, y, fill);
    }
    void Set(int x, int y, uint32_t argb) {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        p[0] = uint8_t(argb >> 16);
        p[1] = uint8_t(argb >> 8);
        p[2] = uint8_t(argb);
    }
};

inline void PutBigEndian(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}

inline void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    PutBigEndian(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian(out, static_cast<uint32_t>(crc32(0, &out[start], static_cast<uInt>(out.size() - start))));
}

inline bool WritePng(const std::string& path, const RgbImage& image) {
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(image.height) * (image.width * 3 + 1));
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);  // no filter
        const uint8_t* row = &image.rgb[static_cast<size_t>(y) * image.width * 3];
        raw.insert(raw.end(), row, row + image.width * 3);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK) return false;
    packed.resize(packedSize);

    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBigEndian(header, static_cast<uint32_t>(image.width));
    PutBigEndian(header, static_cast<uint32_t>(image.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB
    PutChunk(file, "IHDR", header);
    PutChunk(file, "IDAT", packed);
    PutChunk(file, "IEND", {});

    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && ok;
}

// A 3x5 pixel font for panel labels: upper-case letters, digits, '-' and ' '.
inline const uint16_t* GlyphBits(char ch) {
    static const char* const kChars = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789- ";
    // Five rows of three bits per glyph, top row first, leftmost pixel in bit 2.
    static const uint16_t kGlyphs[][5] = {
        {2, 5, 7, 5, 5}, {6, 5, 6, 5, 6}, {3, 4, 4, 4, 3}, {6, 5, 5, 5, 6}, {7, 4, 6, 4, 7}, {7, 4, 6, 4, 4},
        {3, 4, 5, 5, 3}, {5, 5, 7, 5, 5}, {7, 2, 2, 2, 7}, {1, 1, 1, 5, 2}, {5, 5, 6, 5, 5}, {4, 4, 4, 4, 7},
        {5, 7, 7, 5, 5}, {6, 5, 5, 5, 5}, {2, 5, 5, 5, 2}, {6, 5, 6, 4, 4}, {2, 5, 5, 6, 3}, {6, 5, 6, 5, 5},
        {3, 4, 2, 1, 6}, {7, 2, 2, 2, 2}, {5, 5, 5, 5, 7}, {5, 5, 5, 5, 2}, {5, 5, 7, 7, 5}, {5, 5, 2, 5, 5},
        {5, 5, 2, 2, 2}, {7, 1, 2, 4, 7}, {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {6, 1, 2, 4, 7}, {6, 1, 2, 1, 6},
        {5, 5, 7, 1, 1}, {7, 4, 6, 1, 6}, {3, 4, 7, 5, 7}, {7, 1, 2, 2, 2}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 6},
        {0, 0, 7, 0, 0}, {0, 0, 0, 0, 0}};
    for (int i = 0; kChars[i]; ++i)
        if (kChars[i] == ch) return kGlyphs[i];
    return kGlyphs[37];
}

inline void DrawLabel(RgbImage& image, int x, int y, const std::string& text, uint32_t colour, int scale = 2) {
    for (char ch : text) {
        const uint16_t* rows = GlyphBits(ch);
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 3; ++c)
                if (rows[r] & (4 >> c))
                    for (int sy = 0; sy < scale; ++sy)
                        for (int sx = 0; sx < scale; ++sx) image.Set(x + c * scale + sx, y + r * scale + sy, colour);
        x += 4 * scale;
    }
}

}  // namespace qrvtools
