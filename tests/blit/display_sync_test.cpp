#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "quorvel.h"

namespace {

using Clock = std::chrono::steady_clock;

// The sync object is opened at start-up, released at shut-down and reopened
// on demand by the sync calls.
TEST(DisplaySync, OpensAtStartUpAndReopensAfterShutDown) {
    EXPECT_EQ(QRV_Init_Lib(), 1);
    EXPECT_EQ(QRV_Init_Lib(), 1);
    EXPECT_EQ(QRV_Close_Lib(), 0);
    EXPECT_EQ(QRV_Close_Lib(), 0);
    const int32_t line = DX_ScanLine();
    EXPECT_GE(line, 0);
    EXPECT_LT(line, 1125);
    EXPECT_EQ(QRV_Close_Lib(), 0);
    EXPECT_EQ(DX_WaitVBL(), 0);
    EXPECT_EQ(QRV_Init_Lib(), 1);
}

// Waits end on sixtieths of a second: n waits take between n - 1 and n frames,
// with room for a loaded machine on the late side.
TEST(DisplaySync, WaitsPaceSixtyFramesPerSecond) {
    QRV_Init_Lib();
    constexpr int kWaits = 12;
    EXPECT_EQ(DX_WaitVBL(), 0);
    const auto start = Clock::now();
    for (int i = 0; i < kWaits; ++i) ASSERT_EQ(DX_WaitVBL(), 0);
    const double frames = std::chrono::duration<double>(Clock::now() - start).count() * 60.0;
    EXPECT_GT(frames, kWaits - 1.0);
    EXPECT_LT(frames, kWaits + 15.0);
    // Just after a frame start the beam is near the top (at least once in a few
    // tries, should the machine be busy).
    int nearest = 1125;
    for (int i = 0; i < 5; ++i) {
        DX_WaitVBL();
        nearest = std::min(nearest, DX_ScanLine());
    }
    EXPECT_LT(nearest, 1125 / 4);
}

// The scan line sweeps 0 .. 1124 once per frame (bounds loose enough for a
// busy or emulated machine, which samples sparsely).
TEST(DisplaySync, ScanLineSweepsTheFrame) {
    QRV_Init_Lib();
    int lowest = 1125, highest = -1, restarts = 0, previous = DX_ScanLine();
    const auto end = Clock::now() + std::chrono::milliseconds(100);
    while (Clock::now() < end) {
        const int line = DX_ScanLine();
        ASSERT_GE(line, 0);
        ASSERT_LT(line, 1125);
        lowest = std::min(lowest, line);
        highest = std::max(highest, line);
        restarts += line < previous;
        previous = line;
    }
    EXPECT_LT(lowest, 1125 / 4);
    EXPECT_GT(highest, 1125 * 3 / 4);
    EXPECT_GE(restarts, 2);
    EXPECT_LE(restarts, 7);
}

}  // namespace
