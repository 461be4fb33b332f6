// Flat and Gouraud polygons in every format; textured quads under every texel
// effect and output type of a texture-poly draw descriptor.
#include <cmath>
#include <string>
#include <vector>

#include "canvas.h"

namespace gallery {
namespace {

constexpr uint32_t kMask = 0xFF00FF;
constexpr uint32_t kStripe = 0xFFFFFF;

void DrawFlatAndGouraud(int column, int w, int h) {
    switch (column) {
        case 0:  // a fan of flat triangles, some running off the cell
            for (int i = 0; i < 8; ++i) {
                const double a0 = i * 0.785398, a1 = a0 + 0.5;
                QRV_Tri(w / 2, h / 2, w / 2 + int(70 * std::cos(a0)), h / 2 + int(70 * std::sin(a0)),
                        w / 2 + int(70 * std::cos(a1)), h / 2 + int(70 * std::sin(a1)),
                        ZK_RGB(60 + i * 24, 200 - i * 20, 90), 0);
            }
            break;
        case 1:
            QRV_Quad(20, 10, w - 10, 30, w - 30, h - 10, 10, h - 40, 0x3080E0, 0);
            QRV_Quad(40, 30, w - 20, 50, w - 40, h - 20, 30, h - 30, 0xE06020, QRV_MODE_HALF);
            break;
        case 2: QRV_TriG(8, h - 8, 0xFF0000, w / 2, 8, 0x00FF00, w - 8, h - 20, 0x0000FF, 0); break;
        case 3:
            QRV_QuadG(10, 10, 0xFFFFFF, w - 10, 16, 0xFF2000, w - 20, h - 10, 0x000000, 16, h - 16, 0x2060FF, 0);
            break;
        case 4:
            for (int y = 8; y < h - 8; ++y)
                QRV_HoriGouraudStrip(8, ZK_RGB(255, y * 2, 0), w - 8, ZK_RGB(0, 255 - y * 2, 255), y);
            break;
        default:
            for (int x = 8; x < w - 8; ++x)
                QRV_VertGouraudStrip(8, ZK_RGB(x * 2, 0, 255), h - 8, ZK_RGB(255, 255 - x * 2, 0), x);
            break;
    }
}

void FlatAndGouraudPicture() {
    const Grid grid{112, kTitleBand + 22, 128, 100, 8};
    const std::vector<std::string> columns = {"flat triangles", "flat quads",        "Gouraud triangle",
                                              "Gouraud quad",   "horizontal strips", "vertical strips"};
    Picture picture(grid.Width(6), grid.Height(kFormatCount), "Flat and Gouraud polygons");
    picture.ColumnLabels(grid, columns);
    picture.RowLabels(grid, {kFormatNames, kFormatNames + kFormatCount});
    for (int f = 0; f < kFormatCount; ++f) {
        Surface cell(grid.cellW, grid.cellH, kFormats[f]);
        for (int c = 0; c < 6; ++c) {
            cell.Select();
            QRV_Box(0, 0, cell.width, cell.height, 0x202830, QRV_STYLE_FILLED);
            DrawFlatAndGouraud(c, cell.width, cell.height);
            picture.Paste(cell, grid.X(c), grid.Y(f));
        }
    }
    picture.Save("polygons",
                 "Flat triangles (clipped at the cell edge) and quads (the second one in half mode), "
                 "Gouraud triangles and quads, and Gouraud strips, in each pixel format.");
}

// A 64 x 64 texture: a colour checker with white stripes and mask-coloured holes.
Surface MakeTexture(int format) {
    Surface t(64, 64, format);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const int dx = x - 32, dy = y - 32;
            uint32_t c = ((x / 16 + y / 16) & 1) ? ZK_RGB(230, 120 + y * 2, 40) : ZK_RGB(40, 90 + x * 2, 220);
            if ((x + y) % 16 < 3) c = kStripe;
            if (dx * dx + dy * dy < 64 || (x > 48 && y < 16)) c = kMask;
            if (format == QRV_FORMAT_ARGB) {
                // Opacity falls off towards the rim.
                const int d2 = dx * dx + dy * dy, alpha = d2 >= 1024 ? 0 : 255 - d2 * 255 / 1024;
                c = c == kMask ? kMask : (c & 0xFFFFFF) | uint32_t(alpha) << 24;
            }
            t.Row32(y)[x] = c;
        }
    QRV_SetSurfaceDescMaskColour(t.Desc(), kMask);
    return t;
}

struct TexelColumn {
    const char* name;
    int flags;  // sprite draw-mode word: bit 0 masked, bit 31 filtered, 0x80/0x100/0x200 colour-line effects
    int effect;
    uint32_t arg1, arg2, arg3;
};

const TexelColumn kColumns[] = {
    {"unmasked", 0, 0, 0, 0, 0},
    {"masked", 1, 0, 0, 0, 0},
    {"filtered", int(0x80000001u), 0, 0, 0, 0},
    {"modulate", 1, QRV_TEXEL_MODULATE, 0xFF60A0FF, 0, 0},
    {"add", 1, QRV_TEXEL_ADD, 0x00505050, 0, 0},
    {"subtract", 1, QRV_TEXEL_SUBTRACT, 0x00707070, 0, 0},
    {"mix", 1, QRV_TEXEL_MIX, 0xFFFFFF00, 96, 0},
    {"avg. vertex", 1 | 0x100, 0, 0, 0, 0},
    {"add vertex", 1 | 0x200, 0, 0, 0, 0},
    {"mod. vertex", 1 | 0x80, 0, 0, 0, 0},
    {"fill", 1, QRV_TEXEL_FILL, 0xFFC0E040, 0, 0},
    {"and", 1, QRV_TEXEL_AND, 0xFFF0C000, 0, 0},
    {"or", 1, QRV_TEXEL_OR, 0x00200080, 0, 0},
    {"key replace", 1, QRV_TEXEL_KEY_REPLACE, kStripe, 0, 0xFFFF2040},
};
constexpr int kColumnCount = sizeof(kColumns) / sizeof(kColumns[0]);

struct OutputRow {
    const char* name;
    int type, level;
    int textureFormat;
};

const OutputRow kRows[] = {
    {"replace", QRV_TPD_OUTPUT_REPLACE, 0, QRV_FORMAT_32},
    {"blend 1/2", QRV_TPD_OUTPUT_BLEND, 128, QRV_FORMAT_32},
    {"half", QRV_TPD_OUTPUT_HALF, 0, QRV_FORMAT_32},
    {"add", QRV_TPD_OUTPUT_ADD, 0, QRV_FORMAT_32},
    {"subtract", QRV_TPD_OUTPUT_SUBTRACT, 0, QRV_FORMAT_32},
    {"ARGB, by alpha", QRV_TPD_OUTPUT_REPLACE, 0, QRV_FORMAT_ARGB},
};
constexpr int kRowCount = sizeof(kRows) / sizeof(kRows[0]);

void TexturedPicture() {
    const Grid grid{112, kTitleBand + 22, 88, 88, 6};
    std::vector<std::string> columns, rows;
    for (const TexelColumn& c : kColumns) columns.push_back(c.name);
    for (const OutputRow& r : kRows) rows.push_back(r.name);
    Picture picture(grid.Width(kColumnCount), grid.Height(kRowCount),
                    "Textured quads: texel effects (columns) and output types (rows)");
    picture.ColumnLabels(grid, columns);
    picture.RowLabels(grid, rows);
    Surface textures[2] = {MakeTexture(QRV_FORMAT_32), MakeTexture(QRV_FORMAT_ARGB)};
    const Surface ramp = MakeRamp(grid.cellW, grid.cellH);
    Surface cell(grid.cellW, grid.cellH, QRV_FORMAT_32);
    // A quad turned by 20 degrees around the cell centre.
    int x[4], y[4];
    for (int k = 0; k < 4; ++k) {
        const double a = 0.349 + k * 1.5708 - 2.356;
        x[k] = 44 + int(std::lround(41 * std::cos(a)));
        y[k] = 44 + int(std::lround(41 * std::sin(a)));
    }
    const int u[4] = {0, 63, 63, 0}, v[4] = {0, 0, 63, 63};
    const uint32_t colours[4] = {0xFF2020, 0x20FF20, 0x2020FF, 0xFFFFFF};
    for (int r = 0; r < kRowCount; ++r)
        for (int c = 0; c < kColumnCount; ++c) {
            const TexelColumn& col = kColumns[c];
            void* tpd = TPD_BuildSpriteDrawMode(col.flags, 0xFFFFFF, 0x000000, 255);
            if (col.effect) TPD_AddTexelEffect(tpd, col.effect, nullptr, nullptr, col.arg1, col.arg2, col.arg3, 0);
            TPD_SetOutputEffect(tpd, kRows[r].type, 0, kRows[r].level);
            cell.CopyFrom(ramp);
            QrvSurfaceDesc* texture = textures[kRows[r].textureFormat == QRV_FORMAT_ARGB].Desc();
            QRV_DrawSpriteRGBQuad(texture, x[0], y[0], u[0], v[0], colours[0], x[1], y[1], u[1], v[1], colours[1], x[2],
                                  y[2], u[2], v[2], colours[2], x[3], y[3], u[3], v[3], colours[3], tpd, 0);
            TPD_Free(tpd);
            picture.Paste(cell, grid.X(c), grid.Y(r));
        }
    picture.Save(
        "textured",
        "A 64 x 64 texture (checker, white stripes, mask-coloured holes) mapped onto a turned quad over a "
        "colour ramp. The vertex-colour effects use red, green, blue and white corners. The last row uses "
        "an ARGB texture whose opacity falls off towards its rim: masked, it is blended by its alpha, which the "
        "effects change like any other byte (the vertex average halves it).");
}

}  // namespace

void PolygonGallery() {
    FlatAndGouraudPicture();
    TexturedPicture();
}

}  // namespace gallery
