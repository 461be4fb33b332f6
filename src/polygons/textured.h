// Textured drawing: the texture-poly draw descriptor (TPD), the line buffers
// that one span's texels pass through, and the stages of the span pipeline
// (fetch, colour line, texel effects, output).
#pragma once

#include <cstdint>

#include "primitives/spans.h"
#include "quorvel.h"

namespace qrv {

inline constexpr int kTexelEffectSlots = 32;
inline constexpr int kTexelEffectNumbers = 16;

// One texel effect. A null source or target stands for the module's lines
// (the texel line; the colour line as the source of effects 5 to 7), so that
// the lines may move when they grow.
struct TexelEffectEntry {
    int32_t effect;
    uint32_t* source;
    uint32_t* target;
    uint32_t arg1, arg2, arg3, arg4;
};

struct Tpd {
    int32_t masked;
    int32_t filtered;
    int32_t maskCompression;
    int32_t texelEffectCount;
    TexelEffectEntry texelEffects[kTexelEffectSlots];
    int32_t outputType;
    int32_t outputParam;
    int32_t outputLevel;
    int32_t gouraudState;
};

// The record behind a handle TPD_Alloc returned and TPD_Free has not freed;
// null for any other value.
Tpd* LiveTpd(const void* handle);

// The lines of the span being drawn: texels (0xAARRGGBB), the colour line,
// and (offset, length) run pairs. They start at 4096 entries and grow for
// wider spans.
struct LineBuffers {
    uint32_t* texels;
    uint32_t* colours;
    int32_t* runs;
    int32_t capacity;  // entries in texels and colours; runs holds capacity / 2 + 1 pairs
};

extern LineBuffers gLines;
inline constexpr int32_t kLineEntries = 4096;

// Room for a span of width texels; false when the lines cannot grow.
bool ReserveLines(int32_t width);

// A texture whose every texel lies inside the memory it names (as far as its
// fields tell): a format 1..5, pixels, at least one row and column, rows no
// narrower than a row of texels. Texture coordinates run in 16.16, so at most
// kMaxTextureSide columns and rows are reachable.
bool UsableTexture(const QrvSurfaceDesc* s);
inline constexpr int32_t kMaxTextureSide = 32768;
inline int32_t ReachableWidth(const QrvSurfaceDesc& s) { return s.width < kMaxTextureSide ? s.width : kMaxTextureSide; }
inline int32_t ReachableHeight(const QrvSurfaceDesc& s) {
    return s.height < kMaxTextureSide ? s.height : kMaxTextureSide;
}

// ---- Fetch: one span's texels into the texel line ----

// Where a fetch starts and how it steps, in 16.16 texels.
struct TexelWalk {
    int32_t u, v, du, dv;
};

// All width texels, expanded to 0xAARRGGBB. Every (u, v) visited must lie in
// the texture.
void FetchTexels(const QrvSurfaceDesc& tex, uint32_t* line, int32_t width, TexelWalk walk);

// The texels that differ from the mask colour, stored one after another, and
// their runs as (offset, length) pairs; returns 2 x the number of runs.
int32_t FetchTexelsCompressed(const QrvSurfaceDesc& tex, uint32_t* line, int32_t* runs, int32_t width, TexelWalk walk);

// Bilinear fetch of all width texels by the rule of the MMX state.
void FetchTexelsBilinear(const QrvSurfaceDesc& tex, uint32_t* line, int32_t width, TexelWalk walk, int32_t mmxState);

// Bilinear fetch of the texels whose integer position is not masked, their
// masked neighbours taken as 0; returns 2 x the number of runs.
int32_t FetchTexelsBilinearCompressed(const QrvSurfaceDesc& tex, uint32_t* line, int32_t* runs, int32_t width,
                                      TexelWalk walk);

// ---- Colour line and texel effects ----

// Colours of the span's Gouraud gradient at the positions of the runs, one
// after another (entry k belongs to texel k).
void BuildColourLine(const SpanRecord& r, uint32_t* colours, const int32_t* runs, int32_t runCount);

// Runs the list of a TPD over count fetched texels.
void ApplyTexelEffects(const Tpd& tpd, int32_t count);

// ---- Output ----

// Writes one span's texels (the texel line, laid out by the runs) to row y of
// dest from column x on. mask is the mask colour in the destination's
// encoding; mode bit 0 = masked, bit 1 = format-5 texture, bits 16+ the blend
// level of type 2.
using OutputRenderer = void (*)(const QrvSurfaceDesc& dest, int32_t x, int32_t y, int32_t width, int32_t runWords,
                                uint32_t mask, int32_t mode);

// The renderer of an output type (1..5) for a destination format; null when
// there is none.
OutputRenderer OutputRendererFor(int32_t type, int32_t format);

// ---- The pipeline ----

// Draws count textured span records (already clipped to dest's viewport).
void DrawTexturedSpans(const QrvSurfaceDesc& dest, const QrvSurfaceDesc* texture, const SpanRecord* records,
                       int32_t count, const void* tpd);

}  // namespace qrv
