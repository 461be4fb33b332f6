// The display's vertical-blank source: on Windows the display driver, loaded
// at run time so that the library loads where it is missing; elsewhere a
// steady 60 Hz clock.
#pragma once

#include <cstdint>

namespace qrv::platform {

// Opens the source; null when the platform cannot provide one now (a later
// call may succeed).
void* OpenVerticalBlank();

// Closes a source that OpenVerticalBlank returned.
void CloseVerticalBlank(void* source);

// Blocks until the next vertical blank begins; 0 on success, else the
// driver's result code.
int32_t WaitVerticalBlank(void* source);

// The scan line being displayed, or the driver's result code when it cannot
// tell.
int32_t CurrentScanLine(void* source);

}  // namespace qrv::platform
