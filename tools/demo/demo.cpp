// The demo gallery: renders what the library draws and writes it as PNG files.
//
//   quorvel_demo OUTPUT_DIR
//
// ink_modes.png: every ink draw mode (columns) in every pixel format (rows),
// three overlapping discs drawn in the mode over a colour ramp.
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
    for (int y = -r; y <= r; ++y)
        for (int x = -r; x <= r; ++x)
            if (x * x + y * y <= r * r) QRV_Dot(cx + x, cy + y, colour, mode);
}

void InkModeGallery(const std::string& dir) {
    const int kModes[] = {1, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096};
    const char* kModeNames[] = {"REPLACE", "ALPHA", "HALF", "ADD", "SUB", "AND", "OR", "XOR", "MUL", "REVSUB"};
    const char* kFormatNames[] = {"565", "555", "24", "32", "ARGB"};
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
    const std::string path = dir + "/ink_modes.png";
    if (qrvtools::WritePng(path, image)) std::printf("wrote %s\n", path.c_str());
    else std::fprintf(stderr, "could not write %s\n", path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : ".";
    QRV_Init_Lib();
    InkModeGallery(dir);
    QRV_Close_Lib();
    return 0;
}
