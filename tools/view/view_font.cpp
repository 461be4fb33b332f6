#include "view_font.h"

#include <cctype>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/png_writer.h"
#include "common/ttf_to_crf.h"
#include "quorvel.h"
#include "quorvel_host.h"

namespace qrvview {
namespace {

constexpr int kScale = 2, kCellW = 3, kCellH = 5;
constexpr int kGlyphW = kCellW * kScale, kGlyphH = kCellH * kScale;

// Punctuation the frame-time line and the scrolling text use, in the rows
// format of qrvtools::GlyphBits.
const uint16_t* PunctuationBits(char ch) {
    static const char kChars[] = ".:/|,;+()'!?";
    static const uint16_t kGlyphs[][5] = {{0, 0, 0, 0, 2}, {0, 2, 0, 2, 0}, {1, 1, 2, 4, 4}, {2, 2, 2, 2, 2},
                                          {0, 0, 0, 2, 4}, {0, 2, 0, 2, 4}, {0, 2, 7, 2, 0}, {1, 2, 2, 2, 1},
                                          {4, 2, 2, 2, 4}, {2, 2, 0, 0, 0}, {2, 2, 2, 0, 2}, {6, 1, 2, 0, 2}};
    const char* at = std::strchr(kChars, ch);
    return ch && at ? kGlyphs[at - kChars] : nullptr;
}

}  // namespace

void* MakeBlockFont() {
    void* font = CRF_Alloc(128);
    if (!font) return nullptr;
    CRF_SetChrDepth(font, 8);
    CRF_SetMaxChrSize(font, kGlyphW, kGlyphH);
    QrvChrInfo* info = CRF_GetChrInfoPtr(font, 0);
    std::vector<uint8_t> raw(sizeof(QrvRawGlyph) + kGlyphW * kGlyphH);
    for (int code = 32; code < 127; ++code) {
        RFCI_SetChrUnderHang(info, code, 1);
        RFCI_SetChrWidth(info, code, kGlyphW);
        RFCI_SetChrOverHang(info, code, 1);
        const char ch = static_cast<char>(code);
        if (ch == ' ') continue;
        if (std::islower(static_cast<unsigned char>(ch))) continue;  // shares its capital's glyph, below
        const uint16_t* rows = PunctuationBits(ch);
        if (!rows) rows = qrvtools::GlyphBits(ch);
        const QrvRawGlyph header{kGlyphW, kGlyphH, 8, 0};
        std::memcpy(raw.data(), &header, sizeof header);
        uint8_t* pixels = raw.data() + sizeof header;
        for (int y = 0; y < kGlyphH; ++y)
            for (int x = 0; x < kGlyphW; ++x)
                pixels[y * kGlyphW + x] = (rows[y / kScale] & (4 >> (x / kScale))) ? 255 : 0;
        const intptr_t block = CRF_CompressChr(reinterpret_cast<const QrvRawGlyph*>(raw.data()));
        if (block) CRF_SetChrBmp(font, code, qrvhost::BlockAddress(block));
    }
    for (int code = 'a'; code <= 'z'; ++code) {
        void* glyph = CRF_GetChrBmp(font, code - 'a' + 'A');
        if (glyph) CRF_SetChrBmp(font, code, glyph);
    }
    return font;
}

void* MakeViewFont(const char* ttfPath, int pixelSize) {
    qrvttf::TtfOptions options;
    options.fontPath = ttfPath;
    options.pixelSize = pixelSize;
    std::string error;
    if (void* font = qrvttf::BuildCrfFont(options, &error)) return font;
    std::fprintf(stderr, "quorvel-view: %s; drawing text with the built-in letters\n", error.c_str());
    return MakeBlockFont();
}

}  // namespace qrvview
