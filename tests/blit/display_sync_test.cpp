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

// Waits end on sixtieths of a second (n waits take at least n - 1 frames, with
// room for a loaded machine on the late side), and the scan line climbs
// through 0 .. 1124, restarting at most 60 times a second and near 0 after a
// wait at least once in a few tries.
TEST(DisplaySync, WaitsAndScanLinesFollowSixtyFramesPerSecond) {
    QRV_Init_Lib();
    constexpr int kWaits = 12;
    EXPECT_EQ(DX_WaitVBL(), 0);
    auto start = Clock::now();
    int nearest = 1125;
    for (int i = 0; i < kWaits; ++i) {
        ASSERT_EQ(DX_WaitVBL(), 0);
        nearest = std::min(nearest, DX_ScanLine());
    }
    double frames = std::chrono::duration<double>(Clock::now() - start).count() * 60.0;
    EXPECT_GT(frames, kWaits - 1.0);
    EXPECT_LT(frames, kWaits + 15.0);
    EXPECT_LT(nearest, 1125 / 4);

    int lowest = 1125, highest = -1, restarts = 0, previous = DX_ScanLine();
    start = Clock::now();
    while (restarts < 4 && Clock::now() - start < std::chrono::seconds(3)) {
        const int line = DX_ScanLine();
        ASSERT_GE(line, 0);
        ASSERT_LT(line, 1125);
        lowest = std::min(lowest, line);
        highest = std::max(highest, line);
        restarts += line < previous;
        previous = line;
    }
    frames = std::chrono::duration<double>(Clock::now() - start).count() * 60.0;
    EXPECT_EQ(restarts, 4);
    EXPECT_LE(restarts, frames + 1.0);
    EXPECT_LT(lowest, 1125 / 2);
    EXPECT_GE(highest, 1125 / 2);
}

}  // namespace
