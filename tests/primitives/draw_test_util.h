// Helpers of the pixel, span, line and shape suites.
#pragma once

#include <gtest/gtest.h>

#include "primitives/span_test_util.h"

namespace qrvtest {

// Every suite here draws with the library's tables built.
struct LibraryStarted : ::testing::Environment {
    void SetUp() override { QRV_Init_Lib(); }
};
inline ::testing::Environment* const kLibraryStarted = ::testing::AddGlobalTestEnvironment(new LibraryStarted);

// A canvas that is the destination, with the whole of it as viewport, from the start.
struct Selected : Canvas {
    Selected(int w, int h, int fmt, int pitchSlack = 0) : Canvas(w, h, fmt, pitchSlack) { Select(); }
};

}  // namespace qrvtest
