// The font record: allocation, properties, character metrics, glyph sharing,
// the duplicate search and text measurement.
#include "fonts/font.h"

#include "frame/host_services.h"

namespace qrv {

static_assert(sizeof(void*) != 4 || (sizeof(Font) == 32 && offsetof(Font, info) == 24 &&
                                     offsetof(Font, glyphs) == 28),
              "the font record is eight 32-bit fields");
static_assert(sizeof(void*) != 4 || (sizeof(QrvChrInfo) == 32 && offsetof(QrvChrInfo, overhang) == 8),
              "character info record");
static_assert(sizeof(QrvRawGlyph) == 16 && offsetof(QrvRawGlyph, key) == 12, "raw glyph header");
static_assert(sizeof(QrvGlyphHeader) == kGlyphHeaderSize && offsetof(QrvGlyphHeader, firstRow) == 16 &&
                  offsetof(QrvGlyphHeader, valueTable) == 28,
              "glyph block header");

void ReleaseGlyph(Font& font, int32_t index, int32_t firstHolder) {
    uint8_t* glyph = font.glyphs[index];
    font.glyphs[index] = nullptr;
    if (glyph == nullptr) return;
    for (int32_t i = firstHolder; i < font.count; ++i)
        if (font.glyphs[i] == glyph) return;
    host::FreeAddress(glyph);
}

namespace {

bool SameGlyph(const uint8_t* a, const uint8_t* b) {
    if (a == nullptr || b == nullptr) return false;
    if (a == b) return true;
    const int32_t size = LoadI32(a);
    return size == LoadI32(b) && size > 0 && std::memcmp(a, b, static_cast<size_t>(size)) == 0;
}

}  // namespace

}  // namespace qrv

using namespace qrv;

extern "C" {

QRV_API void* QRV_CALL CRF_Alloc(int32_t count) {
    if (count <= 0) return nullptr;
    if (count > kMaxCharacters) count = kMaxCharacters;
    Font* font = static_cast<Font*>(host::AllocAddress(sizeof(Font)));
    if (font == nullptr) return nullptr;
    font->count = count;
    font->backdrop = 0xFF000000u;
    font->info = static_cast<QrvChrInfo*>(host::AllocAddress(sizeof(QrvChrInfo) * static_cast<size_t>(count)));
    font->glyphs = static_cast<uint8_t**>(host::AllocAddress(sizeof(uint8_t*) * static_cast<size_t>(count)));
    if (font->info == nullptr || font->glyphs == nullptr) {
        CRF_Free(font);
        return nullptr;
    }
    return font;
}

QRV_API void QRV_CALL CRF_Free(void* handle) {
    Font* font = AsFont(handle);
    if (font == nullptr) return;
    if (font->glyphs != nullptr) {
        // The entries below i are already clear.
        for (int32_t i = 0; i < font->count; ++i) ReleaseGlyph(*font, i, i + 1);
        host::FreeAddress(font->glyphs);
    }
    if (font->info != nullptr) host::FreeAddress(font->info);
    host::FreeAddress(font);
}

QRV_API void* QRV_CALL CRF_SetChrDepth(void* font, int32_t depth) {
    if (font != nullptr) AsFont(font)->depth = depth;
    return font;
}
QRV_API int32_t QRV_CALL CRF_GetChrDepth(void* font) { return font != nullptr ? AsFont(font)->depth : 0; }

QRV_API void* QRV_CALL CRF_SetMaxChrSize(void* font, int32_t width, int32_t height) {
    if (font != nullptr) {
        AsFont(font)->maxWidth = width;
        AsFont(font)->maxHeight = height;
    }
    return font;
}
QRV_API int32_t QRV_CALL CRF_GetMaxChrSize(void* font, int32_t which) {
    if (font == nullptr) return 0;
    return which == 0 ? AsFont(font)->maxWidth : AsFont(font)->maxHeight;
}

QRV_API void* QRV_CALL CRF_DrawMode(void* font, int32_t mode) {
    if (font != nullptr) AsFont(font)->drawMode = mode;
    return font;
}
QRV_API int32_t QRV_CALL CRF_GetDrawMode(void* font) { return font != nullptr ? AsFont(font)->drawMode : 0; }

QRV_API void* QRV_CALL CRF_BackdropColour(void* font, uint32_t colour) {
    if (font != nullptr) AsFont(font)->backdrop = colour;
    return font;
}
QRV_API uint32_t QRV_CALL CRF_GetBackdropColour(void* font) {
    return font != nullptr ? AsFont(font)->backdrop : 0;
}

QRV_API QrvChrInfo* QRV_CALL CRF_GetChrInfoPtr(void* handle, int32_t index) {
    const Font* font = AsFont(handle);
    if (font == nullptr || font->info == nullptr || index < 0 || index >= font->count) return nullptr;
    return font->info + index;
}

QRV_API int32_t QRV_CALL RFCI_GetChrUnderHang(QrvChrInfo* info, int32_t index) {
    return info != nullptr ? info[index].underhang : 0;
}
QRV_API int32_t QRV_CALL RFCI_GetChrWidth(QrvChrInfo* info, int32_t index) {
    return info != nullptr ? info[index].width : 0;
}
QRV_API int32_t QRV_CALL RFCI_GetChrOverHang(QrvChrInfo* info, int32_t index) {
    return info != nullptr ? info[index].overhang : 0;
}
QRV_API QrvChrInfo* QRV_CALL RFCI_SetChrUnderHang(QrvChrInfo* info, int32_t index, int32_t value) {
    if (info != nullptr) info[index].underhang = value;
    return info;
}
QRV_API QrvChrInfo* QRV_CALL RFCI_SetChrWidth(QrvChrInfo* info, int32_t index, int32_t value) {
    if (info != nullptr) info[index].width = value;
    return info;
}
QRV_API QrvChrInfo* QRV_CALL RFCI_SetChrOverHang(QrvChrInfo* info, int32_t index, int32_t value) {
    if (info != nullptr) info[index].overhang = value;
    return info;
}

QRV_API void* QRV_CALL CRF_SetChrBmp(void* handle, int32_t index, void* glyph) {
    Font* font = AsFont(handle);
    if (font == nullptr || index < 0 || index >= font->count) return handle;
    uint8_t* g = static_cast<uint8_t*>(glyph);
    if (font->glyphs[index] != g) {
        ReleaseGlyph(*font, index);
        font->glyphs[index] = g;
    }
    return glyph;
}

QRV_API void* QRV_CALL CRF_GetChrBmp(void* handle, int32_t index) {
    const Font* font = AsFont(handle);
    if (font == nullptr || index < 0 || index >= font->count) return nullptr;
    return font->glyphs[index];
}

QRV_API void QRV_CALL CRF_Find_Duplicate_Chr_Buffers(void* handle, int32_t* dup) {
    const Font* font = AsFont(handle);
    if (font == nullptr || dup == nullptr) return;
    for (int32_t i = 0; i < font->count; ++i) {
        const uint8_t* glyph = font->glyphs[i];
        if (glyph == nullptr) continue;
        for (int32_t j = i + 1; j < font->count; ++j)
            if (dup[j] == 0 && SameGlyph(glyph, font->glyphs[j])) dup[j] = i;
    }
}

QRV_API int32_t QRV_CALL CRF_TextWidth(void* handle, const void* text, int32_t length) {
    const Font* font = AsFont(handle);
    if (font == nullptr || text == nullptr) return 0;
    const uint8_t* codes = static_cast<const uint8_t*>(text);
    const int32_t n = TextLength(codes, length);
    int32_t width = 0;
    for (int32_t i = 0; i < n; ++i) width += Advance(InfoFor(*font, codes[i]));
    return width;
}

QRV_API int32_t QRV_CALL CRF_TextHeight(void* handle, const void* text, int32_t length, int32_t mode) {
    const Font* font = AsFont(handle);
    if (font == nullptr || (mode != 0 && mode != 1)) return 0;
    int32_t height = mode == 1 ? font->maxHeight : 0;
    if (text == nullptr) return height;
    const uint8_t* codes = static_cast<const uint8_t*>(text);
    const int32_t n = TextLength(codes, length);
    for (int32_t i = 0; i < n; ++i) {
        if (codes[i] >= font->count || font->glyphs[codes[i]] == nullptr) continue;
        const QrvGlyphHeader h = GlyphHeader(font->glyphs[codes[i]]);
        if (mode == 1 ? h.endRow > height : height > h.firstRow) height = h.endRow;
    }
    return height;
}

}  // extern "C"
