// The blitter's internal interface: the clipping front end shared by the
// plain and the effect blits, and the per-row routines they dispatch to.
#pragma once

#include <cstdint>

#include "primitives/packed.h"

namespace qrv {

// A blit after clipping: the source corner, the destination corner and the
// size, all inside the viewport on the destination side.
struct BlitRect {
    int32_t sx, sy;
    int32_t dx, dy;
    int32_t width, height;
};

// Clips the source rectangle [x1, x2) x [y1, y2) placed at (dx, dy) against
// the viewport, moving the source corner with the destination one. False when
// nothing is left to draw.
bool ClipBlit(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t dx, int32_t dy, BlitRect& out);

// One row of a plain blit: count pixels from src to dst. key is the mask
// colour in the source format, read only by the keyed routines.
using BlitRowFn = void (*)(uint8_t* dst, const uint8_t* src, int32_t count, uint32_t key);

// The row routine of a (destination, source) format pair; null when either
// code is not a format. mmxState picks the rules where the two states differ
// (the 32-bit alpha blend); the kernel set picks the packed body where one
// exists, with the same pixels as the plain one.
BlitRowFn BlitRowFor(int32_t dstFormat, int32_t srcFormat, bool keyed, int32_t mmxState, KernelSet set);

// A plain blit with its row routine and key resolved, for callers that issue
// many blits between the same buffers (tile maps). row is null when nothing
// can be drawn: a buffer unset or a format code that is not a format.
struct BlitPlan {
    BlitRowFn row;
    uint32_t key;
};

// QRV_Blit is RunBlit(PlanBlit(maskColour, flags), ...); a plan holds while the
// buffers and the MMX state stay as they were.
BlitPlan PlanBlit(uint32_t maskColour, int32_t flags);
void RunBlit(const BlitPlan& plan, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t dx, int32_t dy);

// One row of an effect blit over pixels of one format: dst and the source
// row, the source-blend row (null for the colour variants), and the effect
// colour in the pixel format.
using EffectRowFn = void (*)(uint8_t* dst, uint8_t* src, const uint8_t* blend, int32_t count, uint32_t colour);

// The effect of a mode and useBlend value, or -1 when the pair selects none.
// Mode values with the low bit set and nothing else select the cut; the
// caller handles mode 0 (a plain blit).
int EffectFor(int32_t mode, int32_t useBlend);

// True when the effect reads the source-blend buffer.
bool EffectUsesBlend(int effect);

// The row routine of an effect on a source format; null when the effect does
// not serve that format.
EffectRowFn EffectRowFor(int effect, int32_t format, int32_t mmxState, KernelSet set);

}  // namespace qrv
