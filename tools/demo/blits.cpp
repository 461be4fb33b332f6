// Blits between every pair of formats (solid, keyed, alpha) and the effect blits.
#include <string>
#include <vector>

#include "canvas.h"

namespace gallery {
namespace {

constexpr uint32_t kKey = 0xFF00FF;

// A 48 x 48 sprite on the key colour; in ARGB its opacity falls off towards the rim.
Surface MakeSprite(int format) {
    Surface s32(48, 48, format == QRV_FORMAT_ARGB ? QRV_FORMAT_ARGB : QRV_FORMAT_32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x) {
            const int dx = x - 24, dy = y - 24, d2 = dx * dx + dy * dy;
            uint32_t c = d2 < 23 * 23 ? ZK_RGB(x * 5, 255 - y * 4, 120 + ((x / 6 + y / 6) & 1) * 120) : kKey;
            if (d2 < 23 * 23 && (dx > -4 && dx < 4)) c = 0xFFFFFF;
            if (format == QRV_FORMAT_ARGB)
                c = c == kKey ? 0x00FF00FF : (c | uint32_t(255 - d2 * 255 / (23 * 23)) << 24);
            s32.Row32(y)[x] = c;
        }
    if (format >= QRV_FORMAT_32) return s32;
    Surface s(48, 48, format);
    s.CopyFrom(s32);
    return s;
}

void BlitPicture() {
    const Grid grid{112, kTitleBand + 40, 84, 64, 6};
    std::vector<std::string> columns;
    for (int f = 0; f < kFormatCount; ++f) columns.push_back(std::string("from ") + kFormatTags[f]);
    for (int f = 0; f < 4; ++f) columns.push_back(std::string("keyed ") + kFormatTags[f]);
    columns.push_back("alpha argb");
    std::vector<std::string> rows;
    for (int f = 0; f < kFormatCount; ++f) rows.push_back(std::string("into ") + kFormatNames[f]);
    Picture picture(grid.Width(10), grid.Height(kFormatCount), "Blits: format conversion, colour keying, alpha");
    picture.Text(grid.X(0), grid.top - 36, "solid copies");
    picture.Text(grid.X(5), grid.top - 36, "masked copies (key magenta)");
    picture.ColumnLabels(grid, columns);
    picture.RowLabels(grid, rows);
    std::vector<Surface> sprites;
    for (int f = 0; f < kFormatCount; ++f) sprites.push_back(MakeSprite(kFormats[f]));
    const Surface ramp = MakeRamp(grid.cellW, grid.cellH);
    for (int d = 0; d < kFormatCount; ++d) {
        Surface cell(grid.cellW, grid.cellH, kFormats[d]);
        for (int c = 0; c < 10; ++c) {
            const Surface& sprite = sprites[c < 5 ? c : c < 9 ? c - 5 : 4];
            cell.CopyFrom(ramp);
            sprite.SelectAsSource();
            // The second copy hangs over the right edge: blits clip to the viewport.
            for (int dx : {6, grid.cellW - 26}) QRV_Blit(0, 0, 48, 48, dx, 8, kKey, c < 5 ? 0 : 1);
            picture.Paste(cell, grid.X(c), grid.Y(d));
        }
    }
    picture.Save("blits",
                 "A sprite in each source format (columns) blitted into each destination format (rows): "
                 "solid copies, copies keyed on magenta, and an ARGB source blended by its own alpha (into "
                 "an ARGB destination it is a keyed copy, alpha included).");
}

struct EffectColumn {
    const char* name;
    int mode, useBlend;
    uint32_t colour;
};

const EffectColumn kEffects[] = {
    {"blit", 0, 0, 0},
    {"cut", 1, 0, 0x203050},
    {"mix image", 32, 1, 0},
    {"mix colour", 32, 0, 0xFFFF00},
    {"add image", 64, 1, 0},
    {"add colour", 64, 0, 0x305070},
    {"sub image", 128, 1, 0},
    {"sub colour", 128, 0, 0x506030},
    {"mul image", 8192, 1, 0},
    {"mul colour", 8192, 0, 0xFFA040},
    {"fade source", 16384, 0, 0xB0B0B0},
};
constexpr int kEffectCount = sizeof(kEffects) / sizeof(kEffects[0]);

void EffectPicture() {
    constexpr int kW = 88, kH = 44;
    const Grid grid{112, kTitleBand + 22, kW, 2 * kH + 6, 6};
    std::vector<std::string> columns, rows;
    for (const EffectColumn& e : kEffects) columns.push_back(e.name);
    const int formats[] = {QRV_FORMAT_565, QRV_FORMAT_555, QRV_FORMAT_32};
    for (int f : formats) rows.push_back(kFormatNames[f - 1]);
    Picture picture(grid.Width(kEffectCount), grid.Height(3), "Effect blits: destination above, source after below");
    picture.ColumnLabels(grid, columns);
    picture.RowLabels(grid, rows);
    const Surface ramp = MakeRamp(kW, kH);
    Surface blend32 = MakeChecker(kW, kH, 11);
    blend32.Select();
    QRV_Circle(kW / 2, kH / 2, 18, 0xF0F0F0, QRV_STYLE_FILLED);
    for (int r = 0; r < 3; ++r) {
        Surface cell(grid.cellW, grid.cellH, formats[r]);
        for (int c = 0; c < kEffectCount; ++c) {
            Surface source(kW, kH, formats[r]), blend(kW, kH, formats[r]);
            source.CopyFrom(ramp);
            blend.CopyFrom(blend32);
            cell.Select();
            QRV_Box(0, 0, cell.width, cell.height, 0x101010, QRV_STYLE_FILLED);
            source.SelectAsSource();
            blend.SelectAsBlendSource();
            const EffectColumn& e = kEffects[c];
            QRV_BlitFX(0, 0, kW, kH, 0, 0, 0, 0, e.mode, e.colour, e.useBlend, 0);
            source.SelectAsSource();
            QRV_Blit(0, 0, kW, kH, 0, kH + 6, 0, 0);
            picture.Paste(cell, grid.X(c), grid.Y(r));
        }
    }
    picture.Save("effect_blits",
                 "One effect blit of a colour ramp per cell, against a second picture (a checker with a white disc) "
                 "or against a colour. Top: what reached the destination; bottom: the source afterwards (the cut, "
                 "the colour mix, add and subtract and the fade write back into it).");
}

}  // namespace

void BlitGallery() { BlitPicture(); }
void EffectBlitGallery() { EffectPicture(); }

}  // namespace gallery
