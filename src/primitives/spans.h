// Span records, the shared span buffer and the span filler.
#pragma once

#include <cstdint>

namespace qrv {

// One horizontal run: pixels xLeft .. xRight - 1 of row y, with three
// interpolants at each end (Gouraud colour, texture coordinates).
struct SpanRecord {
    int32_t y;
    int32_t xLeft;
    int32_t leftAttr[3];
    int32_t xRight;
    int32_t rightAttr[3];
};
static_assert(sizeof(SpanRecord) == 36, "span records are nine 32-bit words");

// Pixels in the run x0 .. x1 - 1, taken in 64 bits so that no pair of ends
// wraps: 0 when x1 <= x0, and 0 for a run longer than INT32_MAX pixels, which
// no buffer row can hold.
inline int32_t RunLength(int32_t x0, int32_t x1) {
    const int64_t n = int64_t{x1} - x0;
    return n > 0 && n <= INT32_MAX ? static_cast<int32_t>(n) : 0;
}

// The module's grow-only span buffer with room for at least `records` records;
// null when it cannot grow (the caller then draws nothing).
SpanRecord* GetSpanBuffer(int32_t records);

// Fills each record's run in the destination buffer with a colour in buffer
// format, combined by an ink draw mode. Records are already clipped.
void FillSpans(const SpanRecord* records, int32_t count, uint32_t colour, int32_t mode);

// One unclipped run (x0 .. x1 - 1, y), as QRV_DrawStrip (nothing when x1 <= x0
// or when the run is longer than INT32_MAX pixels): the span filler's
// rules with the strip's own ink-alpha cut-offs (16-bit formats blend from
// alpha 15, and alpha 240 to 254 still blends); reverse subtract, multiply
// outside 5-6-5 and add and subtract in format 5 follow the single-pixel rules.
void DrawStrip(int32_t y, int32_t x0, int32_t x1, uint32_t colour, int32_t mode);

}  // namespace qrv
