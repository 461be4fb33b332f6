// The font's file image on host streams, and the checks that let a read
// image be drawn without trusting it.
#include <cstring>

#include "fonts/font.h"
#include "frame/host_services.h"

namespace qrv {
namespace {

constexpr uint8_t kMagic[8] = {'Z', 'I', 'N', 'K', 'C', 'R', 'F', 0};
constexpr int32_t kVersion = 1;
constexpr int64_t kFixedSize = 40;  // magic, length, version and the six properties

// A font half built by the reader is released whole.
void* Abandon(void* font) {
    CRF_Free(font);
    return nullptr;
}

}  // namespace

bool GlyphBlockValid(const uint8_t* g, size_t size) {
    if (size < static_cast<size_t>(kGlyphHeaderSize)) return false;
    const QrvGlyphHeader h = GlyphHeader(g);
    if (h.size < kGlyphHeaderSize || static_cast<size_t>(h.size) != size) return false;
    if ((h.depth != 8 && h.depth != 32) || h.width < 0 || h.height < 0) return false;
    if (h.firstRow < 0 || h.firstRow > h.endRow || h.endRow > h.height) return false;
    if (h.runTable == 0) return h.valueTable == 0;
    const uint64_t rows = static_cast<uint64_t>(h.endRow - h.firstRow);
    const uint64_t tableBytes = rows * 4, end = size;
    if (h.runTable != kGlyphHeaderSize || rows == 0 || kGlyphHeaderSize + tableBytes > end) return false;
    const bool values = h.valueTable != 0;
    if (!values && h.depth == 32) return false;
    if (values && (h.valueTable < kGlyphHeaderSize + static_cast<int64_t>(tableBytes) ||
                   static_cast<uint64_t>(h.valueTable) + tableBytes > end))
        return false;
    const uint64_t valueBytes = h.depth / 8;
    for (uint64_t r = 0; r < rows; ++r) {
        const int64_t runAt = LoadI32(g + h.runTable + 4 * r);
        const int64_t valueAt = values ? LoadI32(g + h.valueTable + 4 * r) : 0;
        if (runAt == 0) {
            if (valueAt != 0) return false;
            continue;
        }
        if (runAt < static_cast<int64_t>(tableBytes) || (values && valueAt < static_cast<int64_t>(tableBytes)))
            return false;
        const uint64_t list = static_cast<uint64_t>(h.runTable) + static_cast<uint64_t>(runAt);
        if (list + 2 > end) return false;
        const uint64_t runs = LoadU16(g + list);
        if (list + 2 + 4 * runs > end) return false;
        uint64_t pixels = 0;
        for (uint64_t k = 0; k < runs; ++k) {
            const uint64_t start = LoadU16(g + list + 2 + 4 * k), length = LoadU16(g + list + 4 + 4 * k);
            if (start + length > static_cast<uint64_t>(h.width)) return false;
            pixels += length;
        }
        if (values && static_cast<uint64_t>(h.valueTable) + static_cast<uint64_t>(valueAt) + pixels * valueBytes > end)
            return false;
    }
    return true;
}

}  // namespace qrv

using namespace qrv;

extern "C" {

QRV_API void QRV_CALL CRF_Write(void* handle, intptr_t stream) {
    const Font* font = AsFont(handle);
    if (font == nullptr || stream == 0) return;
    const intptr_t here = host::kCurrent;
    host::WriteMemory(stream, here, kMagic, sizeof kMagic);
    const int64_t lengthAt = host::StreamPos(stream);
    const uint32_t fields[] = {0,
                               kVersion,
                               static_cast<uint32_t>(font->maxWidth),
                               static_cast<uint32_t>(font->maxHeight),
                               static_cast<uint32_t>(font->depth),
                               static_cast<uint32_t>(font->count),
                               static_cast<uint32_t>(font->drawMode),
                               font->backdrop};
    for (uint32_t v : fields) host::WriteLong(stream, here, v);
    host::WriteMemory(stream, here, font->info, sizeof(QrvChrInfo) * static_cast<size_t>(font->count));

    // Without room for the sharing indices every glyph is written whole,
    // which is a valid image too.
    int32_t* dup = static_cast<int32_t*>(host::AllocAddress(4 * (static_cast<size_t>(font->count) + 1)));
    if (dup != nullptr) CRF_Find_Duplicate_Chr_Buffers(handle, dup);
    for (int32_t i = 0; i < font->count; ++i) {
        const uint8_t* glyph = font->glyphs[i];
        const int32_t size = glyph != nullptr ? LoadI32(glyph) : 0;
        if (size > 0 && (dup == nullptr || dup[i] == 0))
            host::WriteMemory(stream, here, glyph, static_cast<size_t>(size));
        else
            host::WriteLong(stream, here, 0);
    }
    for (int32_t i = 0; i < font->count; ++i)
        host::WriteWord(stream, here, dup != nullptr ? static_cast<uint32_t>(dup[i]) : 0);
    if (dup != nullptr) host::FreeAddress(dup);
    host::WriteLong(stream, static_cast<intptr_t>(lengthAt),
                    static_cast<uint32_t>(host::StreamPos(stream) - lengthAt));
}

QRV_API void* QRV_CALL CRF_Read(intptr_t stream) {
    if (stream == 0) return nullptr;
    const intptr_t here = host::kCurrent;
    const int64_t start = host::StreamPos(stream);
    uint8_t magic[sizeof kMagic] = {};  // a stream that gives nothing leaves it clear
    host::ReadToMemory(stream, here, magic, sizeof magic);
    if (std::memcmp(magic, kMagic, sizeof kMagic) != 0) {
        host::StreamSeek(stream, start);
        return nullptr;
    }
    int32_t f[8];
    for (int32_t& v : f) v = static_cast<int32_t>(host::ReadLong(stream, here));
    const int32_t length = f[0], version = f[1], count = f[5];
    if (version != kVersion) return nullptr;
    // Every size the image gives is held against the length it records: the
    // host cannot say where a stream ends, so nothing is read, allocated or
    // kept on the strength of a field that does not fit.
    if (length < 0 || count < 1 || count > kMaxCharacters) return nullptr;
    const int64_t end = start + 8 + length;
    const int64_t n = count;
    if (start + kFixedSize + n * (32 + 4 + 2) > end) return nullptr;

    void* handle = CRF_Alloc(count);
    Font* font = AsFont(handle);
    if (font == nullptr) return nullptr;
    font->maxWidth = f[2];
    font->maxHeight = f[3];
    font->depth = f[4];
    font->drawMode = f[6];
    font->backdrop = static_cast<uint32_t>(f[7]);
    host::ReadToMemory(stream, here, font->info, static_cast<intptr_t>(sizeof(QrvChrInfo) * n));

    for (int32_t i = 0; i < count; ++i) {
        const int64_t at = host::StreamPos(stream);
        const int32_t size = static_cast<int32_t>(host::ReadLong(stream, here));
        if (size <= 0) continue;
        const int64_t rest = (n - 1 - i) * 4 + n * 2;  // the entries and indices still to come
        if (size < kGlyphHeaderSize || at + size + rest > end) return Abandon(handle);
        uint8_t* glyph = static_cast<uint8_t*>(host::AllocAddress(static_cast<size_t>(size)));
        if (glyph == nullptr) return Abandon(handle);
        font->glyphs[i] = glyph;
        host::ReadToMemory(stream, static_cast<intptr_t>(at), glyph, size);
        if (!GlyphBlockValid(glyph, static_cast<size_t>(size))) return Abandon(handle);
        host::StreamSeek(stream, at + size);
    }
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t shared = host::ReadWord(stream, here);
        if (shared == 0 || shared >= static_cast<uint32_t>(i)) continue;
        if (font->glyphs[i] != nullptr) ReleaseGlyph(*font, i);
        font->glyphs[i] = font->glyphs[shared];
    }
    return handle;
}

QRV_API void QRV_CALL CRF_Save(void* font, intptr_t target) {
    if (font == nullptr) return;
    const intptr_t stream = host::OpenWrite(target);
    if (stream == 0) return;
    CRF_Write(font, stream);
    host::CloseStream(stream);
}

QRV_API void* QRV_CALL CRF_Load(intptr_t source) {
    if (source == 0) return nullptr;
    const intptr_t stream = host::OpenRead(source);
    if (stream == 0) return nullptr;
    void* font = CRF_Read(stream);
    host::CloseStream(stream);
    return font;
}

}  // extern "C"
