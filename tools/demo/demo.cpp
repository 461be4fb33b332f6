// The demo gallery: renders what the library draws and writes it as PNG files.
//
//   quorvel_demo OUTPUT_DIR
//
// ink_modes.png: every ink draw mode (columns) in every pixel format (rows),
// three overlapping filled circles drawn in the mode over a colour ramp.
// shapes.png: lines, boxes, shaded boxes, circles, ellipses, flat and Gouraud
// polygons and strips, in every pixel format (one column each).
// blits.png: an ARGB sprite with soft edges blitted into every format, as a
// plain copy, as an alpha blend, and a keyed copy from a 5-6-5 source.
#include <cstdio>
#include <string>
#include <vector>

#include "common/png_writer.h"
#include "quorvel.h"

namespace {

using qrvtools::RgbImage;

struct Surface {
    int width, height, format, pitch;
    std::vector<uint8_t> pixels;
    Surface(int w, int h, int fmt)
        : width(w), height(h), format(fmt), pitch(w * (fmt <= 2 ? 2 : fmt == 3 ? 3 : 4)),
          pixels(static_cast<size_t>(pitch) * h) {}
    void Select() {
        QRV_SetBuffer(pixels.data(), pitch, format);
        QRV_SetBufferViewPort(0, 0, width, height);
    }
    // Copies the surface into the image at (ox, oy), read back through the library.
    void CopyTo(RgbImage& image, int ox, int oy) {
        Select();
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) image.Set(ox + x, oy + y, QRV_Point(x, y));
    }
};

uint32_t Ramp(int x, int y, int w, int h) {
    // Hue across, brightness down.
    const int segment = (x * 6 * 256) / w;
    const int phase = segment & 255, sector = segment >> 8;
    int r = 0, g = 0, b = 0;
    switch (sector) {
        case 0: r = 255; g = phase; break;
        case 1: r = 255 - phase; g = 255; break;
        case 2: g = 255; b = phase; break;
        case 3: g = 255 - phase; b = 255; break;
        case 4: r = phase; b = 255; break;
        default: r = 255; b = 255 - phase; break;
    }
    const int level = 255 - (y * 255) / (h - 1);
    return ZK_RGB(r * level / 255, g * level / 255, b * level / 255);
}

void DrawDisc(int cx, int cy, int r, uint32_t colour, int mode) {
    // Bit 1 asks for a filled shape; the mode travels in the bits above.
    QRV_Circle(cx, cy, r, colour, (mode & 0xFFF0) | QRV_STYLE_FILLED);
}

const char* const kFormatNames[] = {"565", "555", "24", "32", "ARGB"};

void Save(const std::string& path, const RgbImage& image) {
    if (qrvtools::WritePng(path, image)) std::printf("wrote %s\n", path.c_str());
    else std::fprintf(stderr, "could not write %s\n", path.c_str());
}

void DrawShapes() {
    QRV_Box(0, 0, 240, 200, 0x181830, QRV_STYLE_FILLED);
    // A fan of lines, replace and add.
    for (int i = 0; i <= 12; ++i) {
        QRV_WriteLine(10, 10, 10 + i * 9, 110, ZK_RGB(255, 40 + i * 16, 40), 1);
        QRV_WriteLine(120, 10, 10 + i * 9, 110, 0x202060, QRV_MODE_ADD);
    }
    QRV_ShadeBox(130, 10, 230, 60, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0);
    QRV_Box(125, 5, 234, 64, 0xFFFFFF, QRV_STYLE_OUTLINE);
    QRV_Circle(160, 95, 24, 0xFFC040, QRV_STYLE_FILLED);
    QRV_SetInkAlpha(128);
    QRV_Ellipse(195, 95, 34, 16, 0x40A0FF, QRV_MODE_INK_ALPHA | QRV_STYLE_FILLED);
    QRV_SetInkAlpha(255);
    QRV_OpenCircle(160, 95, 30, 0xFFFFFF, QRV_STYLE_OUTLINE);
    QRV_OpenEllipse(195, 95, 40, 22, 0xFF60FF, QRV_STYLE_OUTLINE);
    QRV_Tri(10, 190, 60, 125, 100, 185, 0x30C060, 0);
    QRV_Tri(40, 195, 90, 135, 120, 195, 0x8080FF, QRV_MODE_XOR);
    QRV_TriG(130, 190, 0xFF0000, 170, 125, 0x00FF00, 200, 180, 0x0000FF, 0);
    QRV_QuadG(175, 150, 0xFFFF00, 235, 140, 0xFF00FF, 230, 195, 0x00FFFF, 185, 192, 0x000000, QRV_MODE_ADD);
    for (int y = 0; y < 8; ++y) QRV_HoriGouraudStrip(10, 0xFF0000, 110, 0x0000FF, 114 + y);
    for (int x = 0; x < 6; ++x) QRV_VertGouraudStrip(112, 0x00FF00, 200, 0xFF00FF, 114 + x);
}

void ShapeGallery(const std::string& dir) {
    const int cellW = 240, cellH = 200, gap = 8, top = 22;
    RgbImage image(5 * (cellW + gap), top + cellH, 0x202020);
    for (int f = 0; f < 5; ++f) {
        qrvtools::DrawLabel(image, f * (cellW + gap), 6, kFormatNames[f], 0xE0E0E0);
        Surface surface(cellW, cellH, f + 1);
        surface.Select();
        DrawShapes();
        surface.CopyTo(image, f * (cellW + gap), top);
    }
    Save(dir + "/shapes.png", image);
}

// A 64x64 ARGB sprite: a colour wheel whose alpha falls off towards the rim.
Surface MakeSprite() {
    Surface sprite(64, 64, QRV_FORMAT_ARGB);
    sprite.Select();
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const int dx = x - 32, dy = y - 32, d2 = dx * dx + dy * dy;
            const int alpha = d2 >= 1024 ? 0 : 255 - d2 * 255 / 1024;
            QRV_Dot(x, y, ZK_ARGB(alpha, x * 4, y * 4, 255 - x * 2), 1);
        }
    return sprite;
}

void BlitGallery(const std::string& dir) {
    const char* const kRows[] = {"COPY", "BLEND", "KEYED"};
    const int cellW = 160, cellH = 80, gap = 8, left = 56, top = 22;
    RgbImage image(left + 5 * (cellW + gap), top + 3 * (cellH + gap), 0x202020);
    Surface sprite = MakeSprite();
    // A 5-6-5 source whose magenta pixels are the key colour.
    Surface keyed(64, 64, QRV_FORMAT_565);
    keyed.Select();
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) QRV_Dot(x, y, ((x / 8 + y / 8) & 1) ? 0xFF00FF : ZK_RGB(x * 4, 200, y * 4), 1);
    for (int r = 0; r < 3; ++r) qrvtools::DrawLabel(image, 4, top + r * (cellH + gap) + cellH / 2 - 5, kRows[r], 0xE0E0E0);
    for (int f = 0; f < 5; ++f) {
        qrvtools::DrawLabel(image, left + f * (cellW + gap), 6, kFormatNames[f], 0xE0E0E0);
        for (int r = 0; r < 3; ++r) {
            Surface surface(cellW, cellH, f + 1);
            surface.Select();
            for (int y = 0; y < cellH; ++y)
                for (int x = 0; x < cellW; ++x) QRV_Dot(x, y, Ramp(x, y, cellW, cellH), 1);
            Surface& source = r == 2 ? keyed : sprite;
            QRV_SetSrcBuffer(source.pixels.data(), source.pitch, source.format);
            // Three copies, the last one hanging over the right edge to show clipping.
            for (int k = 0; k < 3; ++k) QRV_Blit(0, 0, 64, 64, 8 + k * 56, 8, 0xFF00FF, r == 0 ? 0 : 1);
            surface.CopyTo(image, left + f * (cellW + gap), top + r * (cellH + gap));
        }
    }
    Save(dir + "/blits.png", image);
}

void InkModeGallery(const std::string& dir) {
    const int kModes[] = {1, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096};
    const char* kModeNames[] = {"REPLACE", "ALPHA", "HALF", "ADD", "SUB", "AND", "OR", "XOR", "MUL", "REVSUB"};
    const int cellW = 112, cellH = 72, gap = 6, left = 48, top = 22;
    RgbImage image(left + 10 * (cellW + gap), top + 5 * (cellH + gap), 0x202020);
    for (int m = 0; m < 10; ++m) qrvtools::DrawLabel(image, left + m * (cellW + gap), 6, kModeNames[m], 0xE0E0E0);
    for (int f = 0; f < 5; ++f) {
        qrvtools::DrawLabel(image, 4, top + f * (cellH + gap) + cellH / 2 - 5, kFormatNames[f], 0xE0E0E0);
        for (int m = 0; m < 10; ++m) {
            Surface surface(cellW, cellH, f + 1);
            surface.Select();
            for (int y = 0; y < cellH; ++y)
                for (int x = 0; x < cellW; ++x) QRV_Dot(x, y, Ramp(x, y, cellW, cellH), 1);
            QRV_SetInkAlpha(160);
            DrawDisc(44, 28, 22, 0xE04040, kModes[m]);
            DrawDisc(68, 28, 22, 0x40E040, kModes[m]);
            DrawDisc(56, 46, 22, 0x4040E0, kModes[m]);
            QRV_SetInkAlpha(255);
            surface.CopyTo(image, left + m * (cellW + gap), top + f * (cellH + gap));
        }
    }
    Save(dir + "/ink_modes.png", image);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : ".";
    QRV_Init_Lib();
    InkModeGallery(dir);
    ShapeGallery(dir);
    BlitGallery(dir);
    QRV_Close_Lib();
    return 0;
}
