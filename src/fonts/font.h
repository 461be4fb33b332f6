// The font record behind a font handle, and the glyph block accessors that
// the font calls, the file image and the renderers share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "quorvel.h"

namespace qrv {

inline constexpr int32_t kMaxCharacters = 65536;
inline constexpr int32_t kGlyphHeaderSize = 32;
inline constexpr int32_t kTextScanLimit = 32000;

struct Font {
    int32_t count;
    int32_t drawMode;
    int32_t maxWidth;
    int32_t maxHeight;
    int32_t depth;
    uint32_t backdrop;
    QrvChrInfo* info;
    uint8_t** glyphs;  // glyph block addresses, null for none
};

inline Font* AsFont(void* handle) { return static_cast<Font*>(handle); }

// The glyph block header, read without alignment.
inline QrvGlyphHeader GlyphHeader(const uint8_t* glyph) {
    QrvGlyphHeader h;
    std::memcpy(&h, glyph, sizeof h);
    return h;
}

inline uint16_t LoadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline int32_t LoadI32(const uint8_t* p) {
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// The characters of a text: a length of 1 or more as given, else up to the
// zero byte within kTextScanLimit bytes, else none.
inline int32_t TextLength(const uint8_t* text, int32_t length) {
    if (length >= 1) return length;
    const void* end = std::memchr(text, 0, kTextScanLimit);
    return end != nullptr ? static_cast<int32_t>(static_cast<const uint8_t*>(end) - text) : 0;
}

// The character of a code whose metrics apply: codes past the table use character 0.
inline const QrvChrInfo& InfoFor(const Font& f, uint32_t code) {
    return f.info[code < static_cast<uint32_t>(f.count) ? code : 0];
}

inline int32_t Advance(const QrvChrInfo& i) { return i.underhang + i.width + i.overhang; }

// Clears a character's glyph entry and releases the glyph once no other
// character of the font holds it (entries below firstHolder being known clear).
void ReleaseGlyph(Font& font, int32_t index, int32_t firstHolder = 0);

// True when the bytes form a glyph block whose tables, runs and values all
// lie inside it, every run inside the glyph's width.
bool GlyphBlockValid(const uint8_t* glyph, size_t size);

}  // namespace qrv
