// The reference scene: one drawing of every subsystem through the public
// exports, hashed, so that every build of the library (x86-64, i686, the
// Windows DLL) can show it produces the same pixels and results.
#pragma once

#include <cstdint>

namespace scene {

struct Result {
    uint64_t hash;        // pixels of the canvas and every result the scene read back
    bool outsideIntact;   // nothing written outside the viewport or the buffer
};

// Draws the scene into a fresh canvas of one pixel format (1..5) with the
// given MMX state. The library must be initialised.
Result Draw(int32_t format, int32_t mmxState);

// Draws every (format, MMX state), prints one hash line each, and returns
// how many wrote outside the viewport.
int DrawAll();

// Formats and MMX states the scene is drawn in.
inline constexpr int32_t kFormats[] = {1, 2, 3, 4, 5};
inline constexpr int32_t kMmxStates[] = {0, 1};

}  // namespace scene
