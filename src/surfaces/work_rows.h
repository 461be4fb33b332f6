// The two grow-only rows of 32-bit values that the rectangle effects and the
// scaler work in. Not reentrant: one effect at a time uses them.
#pragma once

#include <cstdint>

namespace qrv {

// At least `entries` zeroed-at-growth values, or null when memory is short or
// entries is below 1. The previous contents survive when no growth is needed.
uint32_t* GeneralWorkRow(int64_t entries);
uint32_t* LightWorkRow(int64_t entries);

// Releases both rows (library start-up and close).
void FreeWorkRows();

}  // namespace qrv
