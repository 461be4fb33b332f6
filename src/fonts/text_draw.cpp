// CRF_Draw: the glyph walk and its renderers, one per (destination format,
// glyph depth, draw mode) cell, built from one walk and small pixel writers.
#include <cstddef>

#include "fonts/font.h"
#include "fonts/glyph_writers.h"
#include "frame/state.h"
#include "primitives/packed.h"

namespace qrv {
namespace {

// Rebuilt by each depth-8 solid-mode call.
constinit uint32_t ramp[256];

using Renderer = void (*)(const uint8_t* glyph, int32_t x, int32_t y, const GlyphInk& ink);

// Writes one stretch of a run: n pixels from out, their values from values.
template <class W>
inline void WriteRun(uint8_t* out, const uint8_t* values, int32_t n, const GlyphInk& ink) {
    if constexpr (W::kDepth == 8) {
        if (values == nullptr) {
            W::Solid(out, n, ink);
            return;
        }
    }
    W::Values(out, values, n, ink);
}

enum class Fit { Clip, Inside, WellInside };

// The rows [first, end) of a glyph whose box has its left edge at x. Clip
// cuts the runs at the viewport's left and right edges; otherwise every run
// lies inside (runs stay within the glyph's width, which is inside), and
// well inside, three more pixels past each run are inside too.
template <class W, Fit F>
void RenderRows(const uint8_t* glyph, const QrvGlyphHeader& h, int32_t x, int32_t y, int64_t first, int64_t end,
                const Viewport& v, const GlyphInk& ink) {
    constexpr int kValueBytes = W::kDepth / 8;
    constexpr int kBpp = W::kBytes;
    const uint8_t* runTable = glyph + h.runTable;
    const uint8_t* valueTable = h.valueTable != 0 ? glyph + h.valueTable : nullptr;
    const uint8_t* glyphEnd = glyph + h.size;
    for (int64_t r = first; r < end; ++r) {
        const int64_t index = r - h.firstRow;
        const int32_t runsAt = LoadI32(runTable + 4 * index);
        if (runsAt == 0) continue;
        const uint8_t* list = runTable + runsAt;
        const uint8_t* values = valueTable != nullptr ? valueTable + LoadI32(valueTable + 4 * index) : nullptr;
        uint8_t* row = RowAddress(g.dest, static_cast<int32_t>(y + r));
        const uint32_t runs = LoadU16(list);
        for (uint32_t k = 0; k < runs; ++k) {
            const int32_t start = LoadU16(list + 2 + 4 * k), length = LoadU16(list + 4 + 4 * k);
            if constexpr (F == Fit::WellInside) {
                if constexpr (W::kWide)
                    W::Wide(row + static_cast<ptrdiff_t>(x + start) * kBpp, values, length, ink, glyphEnd);
                if (values != nullptr) values += length * kValueBytes;
                continue;
            }
            if constexpr (F == Fit::Inside) {
                WriteRun<W>(row + static_cast<ptrdiff_t>(x + start) * kBpp, values, length, ink);
                if (values != nullptr) values += length * kValueBytes;
                continue;
            }
            int64_t X = int64_t{x} + start;
            int64_t n = length;
            if (X >= v.right) break;
            if (X + n >= v.right) n = v.right - X;
            if (X + n < v.left || X < v.left) {
                const int64_t skip = X + n < v.left ? n : v.left - X;
                if (values != nullptr) values += skip * kValueBytes;
                n -= skip;
                X += skip;
                if (n <= 0) continue;
            }
            WriteRun<W>(row + X * kBpp, values, static_cast<int32_t>(n), ink);
            if (values != nullptr) values += n * kValueBytes;
        }
    }
}

// Draws a glyph with its box at (x, y), clipped to the viewport.
template <class W>
void RenderGlyph(const uint8_t* glyph, int32_t x, int32_t y, const GlyphInk& ink) {
    const QrvGlyphHeader h = GlyphHeader(glyph);
    if (h.firstRow < 0 || h.endRow < 0 || h.depth != W::kDepth || h.runTable == 0) return;
    if (W::kDepth == 32 && h.valueTable == 0) return;
    const Viewport v = View();
    int64_t first = h.firstRow, end = h.endRow;
    if (int64_t{y} + first < v.top) {
        if (int64_t{y} + end < v.top) return;
        first = int64_t{v.top} - y;
    }
    if (int64_t{y} + first >= v.bottom) return;
    if (int64_t{y} + end >= v.bottom) end = int64_t{v.bottom} - y;
    if (x >= v.right || int64_t{x} + h.width < v.left) return;
    if (x < v.left || int64_t{x} + h.width >= v.right) RenderRows<W, Fit::Clip>(glyph, h, x, y, first, end, v, ink);
    else if (W::kWide && int64_t{x} + h.width + 3 < v.right)
        RenderRows<W, Fit::WellInside>(glyph, h, x, y, first, end, v, ink);
    else RenderRows<W, Fit::Inside>(glyph, h, x, y, first, end, v, ink);
}

template <class F, bool Packed>
Renderer Depth8Renderer(int32_t format, int32_t mode) {
    switch (mode) {
        case 0: case 2: return &RenderGlyph<TableWriter<F::kBytes>>;
        case 1:
            if (format == 5) return &RenderGlyph<Depth8Blend<F, 0xFF000000u, Packed>>;
            return &RenderGlyph<Depth8Blend<F, 0, Packed>>;
        default: return nullptr;
    }
}

template <class F, bool Packed>
Renderer Depth32Renderer(int32_t mode, uint32_t ink) {
    switch (mode) {
        case 1:
            // The 16-bit blend leaves a nearly transparent ink undrawn.
            if (F::kBytes == 2 && (ink >> 24) < 7) return nullptr;
            return &RenderGlyph<Depth32Writer<F, 1, Packed>>;
        case 2: return &RenderGlyph<Depth32Writer<F, 2, Packed>>;
        default: return &RenderGlyph<Depth32Writer<F, 0, Packed>>;
    }
}

template <bool Packed>
Renderer SelectRenderer(int32_t format, int32_t depth, int32_t mode, uint32_t ink) {
    Renderer r = nullptr;
    WithFormat(format, [&]<class F>() {
        constexpr bool kPacked = Packed && F::kBytes == 4;
        if (depth == 8) r = Depth8Renderer<F, kPacked>(format, mode);
        else if (depth == 32) r = Depth32Renderer<F, kPacked>(mode, ink);
    });
    return r;
}

// Entry v: the depth-8 solid or backdrop colour of coverage v, in the
// destination's encoding.
void BuildDepth8Table(uint32_t* table, int32_t format, int32_t mode, const GlyphInk& ink) {
    for (uint32_t v = 0; v < 256; ++v) {
        uint32_t argb;
        if (mode == 0) {
            argb = 0;
            for (int shift = 0; shift < 32; shift += 8) argb |= (((ink.ink >> shift) & 0xFF) * v >> 8) << shift;
        } else {
            argb = BlendFields<Format32>(ink.backdrop, ink.ink, v * ink.alphaPlusOne >> 8);
        }
        table[v] = ForBuffer(argb, format);
    }
}

}  // namespace
}  // namespace qrv

using namespace qrv;

extern "C" QRV_API void QRV_CALL CRF_Draw(void* handle, const void* text, int32_t length, int32_t x, int32_t y,
                                          uint32_t colour) {
    const Font* font = AsFont(handle);
    if (font == nullptr || text == nullptr) return;
    const Viewport v = View();
    if (y >= v.bottom || int64_t{y} + font->maxHeight < v.top) return;
    const uint8_t* codes = static_cast<const uint8_t*>(text);
    const int32_t count = TextLength(codes, length);
    if (count == 0) return;

    const int32_t format = g.dest.format;
    const bool packed = PackedKernelsActive();
    const Renderer render = packed ? SelectRenderer<true>(format, font->depth, font->drawMode, colour)
                                   : SelectRenderer<false>(format, font->depth, font->drawMode, colour);
    if (render == nullptr) return;
    GlyphInk ink{colour, font->backdrop, nullptr, (colour >> 24) + 1};
    uint32_t backdropTable[256];
    if (font->depth == 8 && font->drawMode != 1) {
        uint32_t* table = font->drawMode == 0 ? ramp : backdropTable;
        BuildDepth8Table(table, format, font->drawMode, ink);
        ink.table = table;
    }

    for (int32_t i = 0; i < count && x < v.right; ++i) {
        const uint32_t code = codes[i];
        if (int64_t{x} + font->maxWidth > v.left && code < static_cast<uint32_t>(font->count) &&
            font->glyphs[code] != nullptr)
            render(font->glyphs[code], x, y, ink);
        x += Advance(InfoFor(*font, code));
    }
}
