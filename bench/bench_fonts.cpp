// Text at 16 px filling a box of each size, blended in a colour over a
// 32-bit picture: quorvel from its compressed glyphs (built once from the
// outline font with FreeType), cairo from its warm glyph cache
// (cairo_show_glyphs, grey antialiasing) and SDL2_ttf (each line rendered
// blended onto a surface, then blitted). Reported in Mchar/s.
#include <SDL.h>
#include <SDL_ttf.h>
#include <benchmark/benchmark.h>
#include <cairo-ft.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "primitives/packed.h"
#include "bench_common.h"
#include "quorvel.h"
#include "quorvel_host.h"

namespace {

constexpr const char* kFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr int kPixelSize = 16;
constexpr int kWidth = 1920, kHeight = 1080;
constexpr uint32_t kInk = 0xFF804020u;

// Text filling a box of the size at the top left of the frame: lines of about
// a glyph's advance (9 pixels) per character and a line's height (19) apart.
struct Paragraph {
    std::vector<std::string> lines;
    int characters = 0;
    explicit Paragraph(const qrvbench::Size& box) {
        const int perLine = std::max(1, box.width / 9), count = std::max(1, box.height / 19);
        const std::string words =
            "The quick brown fox jumps over the lazy dog; pack my box with five dozen liquor jugs! "
            "Sphinx of black quartz, judge my vow: 0123456789 (bright vixens jump, dozy fowl quack). ";
        std::string text;
        while (text.size() < static_cast<size_t>(perLine) * count) text += words;
        for (int i = 0; i < count; ++i) lines.push_back(text.substr(static_cast<size_t>(i) * perLine, perLine));
        characters = perLine * count;
    }
};

FT_Face Face() {
    static FT_Library library = nullptr;
    static FT_Face face = nullptr;
    if (face == nullptr) {
        FT_Init_FreeType(&library);
        if (FT_New_Face(library, kFontPath, 0, &face) != 0) std::abort();
        FT_Set_Pixel_Sizes(face, 0, kPixelSize);
    }
    return face;
}

int LineHeight() { return static_cast<int>((Face()->size->metrics.ascender - Face()->size->metrics.descender) >> 6); }

// The font of the paragraph's characters: each glyph's box is the line's
// height, its bearing folded into blank columns before the ink.
void* BuildFont() {
    FT_Face face = Face();
    const int ascent = static_cast<int>(face->size->metrics.ascender >> 6), height = LineHeight();
    void* font = CRF_Alloc(128);
    CRF_SetChrDepth(font, 8);
    CRF_DrawMode(font, 1);
    QrvChrInfo* info = CRF_GetChrInfoPtr(font, 0);
    int maxWidth = 0;
    for (int code = 32; code < 127; ++code) {
        if (FT_Load_Char(face, code, FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot slot = face->glyph;
        const int left = slot->bitmap_left > 0 ? slot->bitmap_left : 0;
        const int width = left + static_cast<int>(slot->bitmap.width);
        const int advance = static_cast<int>(slot->advance.x >> 6);
        info[code] = QrvChrInfo{0, width, advance - width, {}};
        if (width > maxWidth) maxWidth = width;
        std::vector<uint8_t> raw(sizeof(QrvRawGlyph) + static_cast<size_t>(width) * height, 0);
        const QrvRawGlyph header{width, height, 8, 0};
        std::memcpy(raw.data(), &header, sizeof header);
        for (unsigned r = 0; r < slot->bitmap.rows; ++r) {
            const int y = ascent - slot->bitmap_top + static_cast<int>(r);
            if (y < 0 || y >= height) continue;
            std::memcpy(raw.data() + sizeof header + static_cast<size_t>(y) * width + left,
                        slot->bitmap.buffer + static_cast<ptrdiff_t>(r) * slot->bitmap.pitch, slot->bitmap.width);
        }
        const intptr_t block = CRF_CompressChr(reinterpret_cast<const QrvRawGlyph*>(raw.data()));
        if (block != 0) CRF_SetChrBmp(font, code, qrvhost::BlockAddress(block));
    }
    CRF_SetMaxChrSize(font, maxWidth, height);
    return font;
}

void Report(benchmark::State& state, const Paragraph& text) {
    state.counters["Mchar/s"] =
        benchmark::Counter(text.characters / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void QuorvelText(benchmark::State& state, qrvbench::Size box, qrv::KernelSet set) {
    const Paragraph text(box);
    qrvhost::Install();
    void* font = BuildFont();
    qrv::SetKernelSet(set);
    std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight, 0x00F0F0F0u);
    QRV_SetBuffer(pixels.data(), kWidth * 4, QRV_FORMAT_32);
    QRV_SetBufferViewPort(0, 0, kWidth, kHeight);
    const int lineHeight = LineHeight();
    for (auto _ : state) {
        int y = 0;
        for (const std::string& line : text.lines) {
            CRF_Draw(font, line.data(), static_cast<int32_t>(line.size()), 4, y, kInk);
            y += lineHeight;
        }
        benchmark::ClobberMemory();
    }
    CRF_Free(font);
    Report(state, text);
}

void CairoText(benchmark::State& state, qrvbench::Size box) {
    const Paragraph text(box);
    FT_Face face = Face();
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_ft_face(face, 0);
    cairo_set_font_face(cr, cairoFace);
    cairo_set_font_size(cr, kPixelSize);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_set_font_options(cr, options);
    cairo_set_source_rgb(cr, 0x80 / 255.0, 0x40 / 255.0, 0x20 / 255.0);
    // Glyph indices and pen positions laid out once, as a text layout would.
    std::vector<cairo_glyph_t> glyphs;
    const int ascent = static_cast<int>(face->size->metrics.ascender >> 6), lineHeight = LineHeight();
    int y = ascent;
    for (const std::string& line : text.lines) {
        double x = 4;
        for (char ch : line) {
            const unsigned index = FT_Get_Char_Index(face, static_cast<unsigned char>(ch));
            glyphs.push_back({index, x, static_cast<double>(y)});
            FT_Load_Glyph(face, index, FT_LOAD_DEFAULT);
            x += face->glyph->advance.x >> 6;
        }
        y += lineHeight;
    }
    cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));  // warms the glyph cache
    for (auto _ : state) {
        cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
        cairo_surface_flush(surface);
        benchmark::ClobberMemory();
    }
    cairo_font_options_destroy(options);
    cairo_destroy(cr);
    cairo_font_face_destroy(cairoFace);
    cairo_surface_destroy(surface);
    Report(state, text);
}

void SdlTtfText(benchmark::State& state, qrvbench::Size box) {
    const Paragraph text(box);
    if (TTF_WasInit() == 0) TTF_Init();
    TTF_Font* font = TTF_OpenFont(kFontPath, kPixelSize);
    if (font == nullptr) {
        state.SkipWithError("font missing");
        return;
    }
    SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_RGB888);
    const SDL_Color ink = {0x80, 0x40, 0x20, 0xFF};
    const int lineHeight = TTF_FontLineSkip(font);
    auto draw = [&] {
        int y = 0;
        for (const std::string& line : text.lines) {
            SDL_Surface* s = TTF_RenderUTF8_Blended(font, line.c_str(), ink);
            SDL_Rect at = {4, y, 0, 0};
            SDL_BlitSurface(s, nullptr, target, &at);
            SDL_FreeSurface(s);
            y += lineHeight;
        }
    };
    draw();  // warms the glyph cache
    for (auto _ : state) {
        draw();
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(target);
    TTF_CloseFont(font);
    Report(state, text);
}

int RegisterText() {
    for (const qrvbench::Size& box : qrvbench::kSizes) {
        const std::string base = std::string("text/blend/a8>xrgb32/") + box.name + "/";
        auto add = [&](const char* impl, auto fn) { qrvbench::Register(base + impl, fn, 0.1); };
        add("quorvel", [=](benchmark::State& s) { QuorvelText(s, box, qrvbench::BestKernelSet()); });
        add("quorvel-scalar", [=](benchmark::State& s) { QuorvelText(s, box, qrv::KernelSet::Scalar); });
        add("cairo", [=](benchmark::State& s) { CairoText(s, box); });
        add("sdl2_ttf", [=](benchmark::State& s) { SdlTtfText(s, box); });
    }
    return 0;
}

const int kRegistered = RegisterText();

}  // namespace
