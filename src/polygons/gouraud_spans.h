// Gouraud span rendering: runs of pixels whose colour steps linearly from one
// end to the other, per draw mode and pixel format.
#pragma once

#include <array>
#include <cstdint>

#include "primitives/spans.h"

namespace qrv {

// 0x00RRGGBB from the integer parts (bits 16-23) of three 16.16 channel
// accumulators.
inline uint32_t PackAccumulators(const std::array<int32_t, 3>& rgb) {
    return ((static_cast<uint32_t>(rgb[0]) >> 16 & 0xFF) << 16) | ((static_cast<uint32_t>(rgb[1]) >> 16 & 0xFF) << 8) |
           (static_cast<uint32_t>(rgb[2]) >> 16 & 0xFF);
}

// Renders Gouraud span records (end colours 0x00RRGGBB in leftAttr[0] and
// rightAttr[0]; the right one belongs to the exclusive end) in a draw mode.
// Modes other than replace, half, add, subtract, multiply and reverse
// subtract draw nothing. The third argument is unused and always 0.
void DrawGouraudSpans(const SpanRecord* records, int32_t count, int32_t zero, int32_t mode);

}  // namespace qrv
