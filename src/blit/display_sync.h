// The display-sync object that the library opens at start-up and releases at
// shut-down.
#pragma once

#include <cstdint>

namespace qrv {

// Opens the vertical-blank source unless it is open: 1 when it is (or was
// already) open, -1 when it cannot be opened now (the next call tries again).
int32_t EnsureDisplaySync();

// Closes the source: 0 when one was open, else the state word unchanged (0).
int32_t ReleaseDisplaySync();

}  // namespace qrv
