// Gallery fonts (converted from DejaVu Sans) and the text picture.
#include <string>
#include <vector>

#include "canvas.h"
#include "common/ttf_to_crf.h"

namespace gallery {
namespace {

constexpr const char* kFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

void* g_label = nullptr;
void* g_title = nullptr;

void* Select(Font font) { return font == Font::Title ? g_title : g_label; }

}  // namespace

void* MakeFont(int pixelSize, int depth, uint32_t colour, std::string* error) {
    qrvttf::TtfOptions options;
    options.fontPath = kFontPath;
    options.pixelSize = pixelSize;
    options.depth = depth;
    options.colour = colour;
    options.drawMode = QRV_FONT_BLEND;
    return qrvttf::BuildCrfFont(options, error);
}

void FreeFont(void* font) { qrvttf::FreeCrfFont(font); }

bool LoadFonts(std::string* error) {
    g_label = MakeFont(12, 8, 0xFFFFFFFF, error);
    g_title = g_label ? MakeFont(18, 8, 0xFFFFFFFF, error) : nullptr;
    if (g_title) return true;
    FreeFonts();
    return false;
}

void FreeFonts() {
    FreeFont(g_label);
    FreeFont(g_title);
    g_label = g_title = nullptr;
}

void DrawText(int x, int y, const std::string& text, uint32_t colour, Font font) {
    if (void* f = Select(font)) CRF_Draw(f, text.c_str(), static_cast<int32_t>(text.size()), x, y, colour);
}

int TextWidth(const std::string& text, Font font) {
    void* f = Select(font);
    return f ? CRF_TextWidth(f, text.c_str(), static_cast<int32_t>(text.size())) : 0;
}

void TextGallery() {
    struct Row {
        const char* name;
        int depth, mode;
    };
    const Row rows[] = {{"depth 8, solid", 8, QRV_FONT_SOLID},       {"depth 8, blend", 8, QRV_FONT_BLEND},
                        {"depth 8, backdrop", 8, QRV_FONT_BACKDROP}, {"depth 32, solid", 32, QRV_FONT_SOLID},
                        {"depth 32, blend", 32, QRV_FONT_BLEND},     {"depth 32, backdrop", 32, QRV_FONT_BACKDROP}};
    const Grid grid{140, kTitleBand + 22, 250, 64, 8};
    Picture picture(grid.Width(kFormatCount), grid.Height(6), "Text: three draw modes at depths 8 and 32");
    picture.ColumnLabels(grid, {kFormatNames, kFormatNames + kFormatCount});
    std::vector<std::string> names;
    for (const Row& r : rows) names.push_back(r.name);
    picture.RowLabels(grid, names);

    std::string error;
    // Depth 32 glyphs carry their own colour (a warm yellow); the ink modulates it.
    void* fonts[2] = {MakeFont(22, 8, 0xFFFFFFFF, &error), MakeFont(22, 32, 0xFFFFD860, &error)};
    if (!fonts[0] || !fonts[1]) {
        FreeFont(fonts[0]);
        FreeFont(fonts[1]);
        Fail("text picture: " + error);
        return;
    }
    const Surface ramp = MakeRamp(grid.cellW, grid.cellH);
    for (int f = 0; f < kFormatCount; ++f) {
        Surface cell(grid.cellW, grid.cellH, kFormats[f]);
        for (int r = 0; r < 6; ++r) {
            cell.CopyFrom(ramp);
            cell.Select();
            // The dark right part shows the modes over a plain background too.
            QRV_Box(grid.cellW / 2, 0, grid.cellW, grid.cellH, 0x181818, QRV_STYLE_FILLED);
            void* font = fonts[rows[r].depth == 32];
            CRF_DrawMode(font, rows[r].mode);
            CRF_BackdropColour(font, 0xFF304070);
            const char* line1 = "Quorvel draws text";
            const char* line2 = "AaBbQqGg 0123 &?!";
            CRF_Draw(font, line1, 0, 6, 4, 0xFFFFFFFF);
            CRF_Draw(font, line2, 0, 6, 32, 0xC060E0FF);
            picture.Paste(cell, grid.X(f), grid.Y(r));
        }
    }
    FreeFont(fonts[0]);
    FreeFont(fonts[1]);
    picture.Save("text",
                 "DejaVu Sans at 22 pixels, converted to a depth-8 (coverage) and a depth-32 (colour) font, "
                 "drawn in each draw mode into each pixel format. First line: white ink; second line: a "
                 "translucent blue ink (alpha 0xC0). Backdrop mode blends over a blue backdrop colour.");
}

}  // namespace gallery
