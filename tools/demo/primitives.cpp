// Every primitive in every ink draw mode, one picture per pixel format.
#include <string>
#include <vector>

#include "canvas.h"

namespace gallery {
namespace {

constexpr int kW = 80, kH = 60;
constexpr uint32_t kInk = 0x60C0F0;

// Shape calls take the mode with style bits; replace is 0 there.
int ShapeFlags(int mode, int style) { return (mode & 0xFFF0) | style; }

// Strips and mode lines take the colour already in the buffer's format.
struct Primitive {
    const char* name;
    void (*draw)(int mode, uint32_t bufferInk);
};

const Primitive kPrimitives[] = {
    {"dots",
     [](int mode, uint32_t) {
         for (int y = 6; y < kH - 6; y += 3)
             for (int x = 6; x < kW - 6; x += 3)
                 if ((x - 38) * (x - 38) + (y - 30) * (y - 30) < 26 * 26) QRV_Dot(x, y, kInk, mode);
     }},
    {"lines",
     [](int mode, uint32_t) {
         for (int i = 0; i <= 8; ++i) QRV_WriteLine(4, 4 + i * 6, kW - 5, kH - 5 - i * 6, kInk, mode);
     }},
    {"mode lines",
     [](int mode, uint32_t bufferInk) {
         for (int i = 0; i <= 4; ++i) QRV_WriteDrawModeLine(4 + i * 8, 4, kW - 5 - i * 8, kH - 5, bufferInk, mode);
         for (int i = 0; i <= 4; ++i) QRV_WriteDrawModeLine(4, 4 + i * 12, kW - 5, kH - 5 - i * 12, bufferInk, mode);
     }},
    {"strips",
     [](int mode, uint32_t bufferInk) {
         for (int y = 8; y < kH - 8; ++y) QRV_DrawStrip(y, 10 + (y & 7) * 2, kW - 10 - (y & 7) * 2, bufferInk, mode);
     }},
    {"box", [](int mode, uint32_t) { QRV_Box(10, 10, kW - 10, kH - 10, kInk, ShapeFlags(mode, QRV_STYLE_FILLED)); }},
    {"box outline",
     [](int mode, uint32_t) {
         for (int i = 0; i < 4; ++i)
             QRV_Box(8 + i * 5, 8 + i * 4, kW - 8 - i * 5, kH - 8 - i * 4, kInk, ShapeFlags(mode, QRV_STYLE_OUTLINE));
     }},
    {"shade box",
     [](int mode, uint32_t) {
         QRV_ShadeBox(8, 8, kW - 8, kH - 8, 0xFF2020, 0x20FF20, 0x2020FF, 0xFFFFFF, ShapeFlags(mode, 0));
     }},
    {"circle", [](int mode, uint32_t) { QRV_Circle(38, 30, 24, kInk, ShapeFlags(mode, QRV_STYLE_FILLED)); }},
    {"open circle",
     [](int mode, uint32_t) {
         for (int r = 8; r <= 24; r += 4) QRV_OpenCircle(38, 30, r, kInk, ShapeFlags(mode, QRV_STYLE_OUTLINE));
     }},
    {"ellipse", [](int mode, uint32_t) { QRV_Ellipse(38, 30, 32, 18, kInk, ShapeFlags(mode, QRV_STYLE_FILLED)); }},
    {"open ellipse",
     [](int mode, uint32_t) {
         for (int r = 6; r <= 18; r += 4) QRV_OpenEllipse(38, 30, r + 14, r, kInk, ShapeFlags(mode, QRV_STYLE_OUTLINE));
     }},
    {"triangle", [](int mode, uint32_t) { QRV_Tri(6, kH - 6, 38, 5, kW - 6, kH - 14, kInk, ShapeFlags(mode, 0)); }},
    {"quad",
     [](int mode, uint32_t) { QRV_Quad(20, 5, kW - 6, 18, kW - 22, kH - 5, 6, kH - 20, kInk, ShapeFlags(mode, 0)); }},
    {"Gouraud tri",
     [](int mode, uint32_t) {
         QRV_TriG(6, kH - 6, 0xFF3030, 38, 5, 0x30FF30, kW - 6, kH - 10, 0x3030FF, ShapeFlags(mode, 0));
     }},
    {"Gouraud quad",
     [](int mode, uint32_t) {
         QRV_QuadG(8, 8, 0xFFFF40, kW - 8, 6, 0xFF40FF, kW - 12, kH - 6, 0x40FFFF, 12, kH - 10, 0x404040,
                   ShapeFlags(mode, 0));
     }},
};
constexpr int kPrimitiveCount = sizeof(kPrimitives) / sizeof(kPrimitives[0]);

}  // namespace

void PrimitiveGallery() {
    const Grid grid{112, kTitleBand + 22, kW, kH, 6};
    const Surface ramp = MakeRamp(kW, kH);
    std::vector<std::string> columns, rows;
    for (const Primitive& p : kPrimitives) columns.push_back(p.name);
    for (const InkMode& m : kInkModes) rows.push_back(m.name);
    for (int f = 0; f < kFormatCount; ++f) {
        Picture picture(grid.Width(kPrimitiveCount), grid.Height(kInkModeCount),
                        std::string("Ink draw modes on every primitive, ") + kFormatNames[f] + " pixels");
        picture.ColumnLabels(grid, columns);
        picture.RowLabels(grid, rows);
        Surface cell(kW, kH, kFormats[f]);
        QRV_SetInkAlpha(140);
        for (int m = 0; m < kInkModeCount; ++m)
            for (int p = 0; p < kPrimitiveCount; ++p) {
                cell.CopyFrom(ramp);
                kPrimitives[p].draw(kInkModes[m].mode, RGBForBuffer(kInk, kFormats[f]));
                picture.Paste(cell, grid.X(p), grid.Y(m));
            }
        QRV_SetInkAlpha(255);
        picture.Save(std::string("modes_") + kFormatTags[f],
                     std::string("Rows: the ten ink draw modes (ink alpha at 140 of 255); columns: the primitives, "
                                 "drawn over a colour ramp in a ") +
                         kFormatNames[f] +
                         " buffer and converted to RGB by the library's blit. Gouraud shading (the shade box and the "
                         "Gouraud polygons) draws in replace, half, add, subtract, multiply and reverse subtract "
                         "only: its other cells are left as they were.");
    }
}

}  // namespace gallery
