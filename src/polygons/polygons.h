// Polygon drawing from the vertex slots, for the callers inside the library
// (scene replay, shapes) that fill the slots themselves.
#pragma once

#include <cstdint>

namespace qrv {

// The flat polygon in slots 0 .. count - 1 in an ARGB colour; the low four
// bits of mode are style bits, and a mode of 0 draws in replace.
void DrawFlatPoly(int32_t count, uint32_t colour, int32_t mode);

}  // namespace qrv
