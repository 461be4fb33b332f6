#include "common/ttf_to_crf.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BITMAP_H

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "quorvel_host.h"

namespace qrvttf {
namespace {

constexpr int kMaxBoxSide = 8 * kMaxPixelSize;

bool Fail(std::string* error, const std::string& message) {
    if (error != nullptr) *error = message;
    return false;
}

std::string FreeTypeMessage(FT_Error code) {
    const char* text = FT_Error_String(code);
    return text != nullptr ? std::string(text) : "FreeType error " + std::to_string(code);
}

// One FreeType library and face, released on every way out.
struct Face {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    FT_Bitmap grey{};
    ~Face() {
        if (library != nullptr) FT_Bitmap_Done(library, &grey);
        if (face != nullptr) FT_Done_Face(face);
        if (library != nullptr) FT_Done_FreeType(library);
    }
};

// A rendered character: coverage 0..255 per pixel, placed against the pen
// and the baseline.
struct Rendered {
    bool present = false;
    int left = 0, top = 0, width = 0, rows = 0, advance = 0;
    const uint8_t* coverage = nullptr;  // rows x width, valid until the next render
    int pitch = 0;
};

bool Render(Face& f, uint32_t code, Rendered* out, std::string* error) {
    *out = Rendered{};
    const FT_UInt index = FT_Get_Char_Index(f.face, code);
    if (index == 0) return true;
    if (FT_Error e = FT_Load_Glyph(f.face, index, FT_LOAD_DEFAULT | FT_LOAD_RENDER); e != 0)
        return Fail(error, "cannot render character " + std::to_string(code) + ": " + FreeTypeMessage(e));
    const FT_GlyphSlot slot = f.face->glyph;
    out->present = true;
    out->advance = static_cast<int>((slot->advance.x + 32) >> 6);
    if (slot->bitmap.width == 0 || slot->bitmap.rows == 0) return true;
    // Monochrome and 2- or 4-bit strikes become bytes of 0..num_grays - 1.
    if (FT_Error e = FT_Bitmap_Convert(f.library, &slot->bitmap, &f.grey, 1); e != 0)
        return Fail(error, "cannot convert character " + std::to_string(code) + ": " + FreeTypeMessage(e));
    const int levels = slot->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY ? slot->bitmap.num_grays
                       : slot->bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? 2
                       : slot->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY2 ? 4
                       : slot->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY4 ? 16
                                                                         : 256;
    if (levels != 256 && levels > 1) {
        for (unsigned r = 0; r < f.grey.rows; ++r) {
            uint8_t* row = f.grey.buffer + static_cast<ptrdiff_t>(r) * f.grey.pitch;
            for (unsigned c = 0; c < f.grey.width; ++c) row[c] = static_cast<uint8_t>(row[c] * 255 / (levels - 1));
        }
    }
    out->left = slot->bitmap_left;
    out->top = slot->bitmap_top;
    out->width = static_cast<int>(f.grey.width);
    out->rows = static_cast<int>(f.grey.rows);
    out->coverage = f.grey.buffer;
    out->pitch = f.grey.pitch;
    return true;
}

bool CheckOptions(const TtfOptions& o, std::string* error) {
    if (o.pixelSize < 1 || o.pixelSize > kMaxPixelSize)
        return Fail(error, "pixel size " + std::to_string(o.pixelSize) + " is outside 1.." +
                               std::to_string(kMaxPixelSize));
    if (o.depth != 8 && o.depth != 32) return Fail(error, "depth must be 8 or 32, not " + std::to_string(o.depth));
    if (o.first < 0 || o.last > 65535 || o.first > o.last)
        return Fail(error, "the character range " + std::to_string(o.first) + ".." + std::to_string(o.last) +
                               " is empty or outside 0..65535");
    return true;
}

// Compresses one rendered character into the font; false when host memory
// runs out.
bool AddGlyph(void* font, int code, const Rendered& g, const TtfOptions& o, const CrfFontSummary& box,
              std::vector<uint8_t>& raw) {
    const int column = box.penColumn + g.left;
    const int width = column + g.width;
    const QrvRawGlyph header{width, box.height, o.depth, 0};
    const size_t bytes = static_cast<size_t>(o.depth / 8);
    raw.assign(sizeof header + static_cast<size_t>(width) * box.height * bytes, 0);
    std::memcpy(raw.data(), &header, sizeof header);
    uint8_t* pixels = raw.data() + sizeof header;
    for (int r = 0; r < g.rows; ++r) {
        const int y = box.baseline - g.top + r;
        const uint8_t* src = g.coverage + static_cast<ptrdiff_t>(r) * g.pitch;
        for (int c = 0; c < g.width; ++c) {
            const uint32_t v = src[c];
            if (v == 0) continue;
            const size_t at = (static_cast<size_t>(y) * width + column + c) * bytes;
            if (o.depth == 8) {
                pixels[at] = static_cast<uint8_t>(v);
                continue;
            }
            const uint32_t alpha = ((o.colour >> 24) * v + 127) / 255;
            if (alpha == 0) continue;  // stays the key: transparent
            const uint32_t argb = alpha << 24 | (o.colour & 0x00FFFFFFu);
            std::memcpy(pixels + at, &argb, 4);
        }
    }
    const intptr_t block = CRF_CompressChr(reinterpret_cast<const QrvRawGlyph*>(raw.data()));
    if (block == 0) return false;
    CRF_SetChrBmp(font, code, qrvhost::BlockAddress(block));
    return true;
}

}  // namespace

void* BuildCrfFont(const TtfOptions& o, std::string* error, CrfFontSummary* summary) {
    if (!CheckOptions(o, error)) return nullptr;
    Face f;
    if (FT_Error e = FT_Init_FreeType(&f.library); e != 0) {
        f.library = nullptr;
        Fail(error, "cannot start FreeType: " + FreeTypeMessage(e));
        return nullptr;
    }
    FT_Bitmap_Init(&f.grey);
    if (FT_Error e = FT_New_Face(f.library, o.fontPath.c_str(), o.faceIndex, &f.face); e != 0) {
        f.face = nullptr;
        Fail(error, "cannot read font file '" + o.fontPath + "': " + FreeTypeMessage(e));
        return nullptr;
    }
    if (FT_Error e = FT_Set_Pixel_Sizes(f.face, 0, static_cast<FT_UInt>(o.pixelSize)); e != 0) {
        Fail(error, "'" + o.fontPath + "' has no size " + std::to_string(o.pixelSize) + " px: " + FreeTypeMessage(e));
        return nullptr;
    }

    // First pass: the box that holds every glyph against one pen column and
    // one baseline row.
    CrfFontSummary box;
    const FT_Size_Metrics& size = f.face->size->metrics;
    int ascent = static_cast<int>((size.ascender + 63) >> 6), descent = static_cast<int>((-size.descender + 63) >> 6);
    box.lineHeight = static_cast<int>((size.height + 63) >> 6);
    int present = 0;
    Rendered g;
    for (int32_t code = o.first; code <= o.last; ++code) {
        if (!Render(f, static_cast<uint32_t>(code), &g, error)) return nullptr;
        if (!g.present) {
            ++box.missing;
            continue;
        }
        ++present;
        if (g.rows == 0) continue;
        ascent = std::max(ascent, g.top);
        descent = std::max(descent, g.rows - g.top);
        box.penColumn = std::max(box.penColumn, -g.left);
        // Run columns are 16-bit; a box this large comes only from a broken font.
        if (g.rows > kMaxBoxSide || g.width > kMaxBoxSide || std::abs(g.left) > kMaxBoxSide ||
            std::abs(g.top) > kMaxBoxSide)
            return Fail(error, "character " + std::to_string(code) + " of '" + o.fontPath + "' is too large"),
                   nullptr;
    }
    if (present == 0) {
        Fail(error, "'" + o.fontPath + "' has no character in the range " + std::to_string(o.first) + ".." +
                        std::to_string(o.last));
        return nullptr;
    }
    box.baseline = std::max(ascent, 0);
    box.height = std::max(box.baseline + descent, 1);

    void* font = CRF_Alloc(o.last + 1);
    if (font == nullptr) {
        Fail(error, "out of host memory for the font");
        return nullptr;
    }
    CRF_SetChrDepth(font, o.depth);
    CRF_DrawMode(font, o.drawMode);
    CRF_BackdropColour(font, o.backdrop);
    QrvChrInfo* info = CRF_GetChrInfoPtr(font, 0);
    for (int32_t code = 0; code <= o.last; ++code) {
        info[code].user[kUserBaseline] = box.baseline;
        info[code].user[kUserPenColumn] = box.penColumn;
    }

    // Second pass: metrics and glyphs.
    int maxWidth = 0;
    std::vector<uint8_t> raw;
    for (int32_t code = o.first; code <= o.last; ++code) {
        if (!Render(f, static_cast<uint32_t>(code), &g, error)) {
            CRF_Free(font);
            return nullptr;
        }
        if (!g.present) continue;
        QrvChrInfo& m = info[code];
        if (g.rows == 0) {
            m.overhang = g.advance;
            continue;
        }
        m.underhang = g.left;
        m.width = g.width;
        m.overhang = g.advance - g.left - g.width;
        if (!AddGlyph(font, code, g, o, box, raw)) {
            CRF_Free(font);
            Fail(error, "out of host memory for the glyph of character " + std::to_string(code));
            return nullptr;
        }
        maxWidth = std::max(maxWidth, box.penColumn + g.left + g.width);
        ++box.glyphs;
    }
    CRF_SetMaxChrSize(font, maxWidth, box.height);
    if (summary != nullptr) *summary = box;
    return font;
}

void FreeCrfFont(void* font) {
    if (font != nullptr) CRF_Free(font);
}

}  // namespace qrvttf
