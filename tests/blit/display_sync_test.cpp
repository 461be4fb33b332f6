#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "quorvel.h"

namespace {

using Clock = std::chrono::steady_clock;

double FramesSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count() * 60; }

// The sync object is opened at start-up, released at shut-down and reopened
// on demand by the sync calls. Waits end on sixtieths of a second (n waits
// take at least n - 1 frames, with room for a loaded machine on the late
// side), and the scan line climbs through 0 .. 1124, restarting at most 60
// times a second and near 0 after a wait at least once in a few tries.
TEST(DisplaySync, ReopensOnDemandAndFollowsSixtyFramesPerSecond) {
    EXPECT_EQ(QRV_Init_Lib(), 1);
    EXPECT_EQ(QRV_Init_Lib(), 1);
    EXPECT_EQ(QRV_Close_Lib(), 0);
    EXPECT_EQ(QRV_Close_Lib(), 0);
    const int32_t line = DX_ScanLine();
    EXPECT_TRUE(line >= 0 && line < 1125) << line;
    EXPECT_EQ(QRV_Close_Lib(), 0);
    EXPECT_EQ(DX_WaitVBL(), 0);
    EXPECT_EQ(QRV_Init_Lib(), 1);

    constexpr int kWaits = 12;
    EXPECT_EQ(DX_WaitVBL(), 0);
    auto start = Clock::now();
    int nearest = 1125;
    for (int i = 0; i < kWaits; ++i) {
        ASSERT_EQ(DX_WaitVBL(), 0);
        nearest = std::min(nearest, DX_ScanLine());
    }
    EXPECT_TRUE(FramesSince(start) > kWaits - 1.0 && FramesSince(start) < kWaits + 15.0) << FramesSince(start);
    EXPECT_LT(nearest, 1125 / 4);

    int lowest = 1125, highest = -1, restarts = 0, previous = DX_ScanLine();
    start = Clock::now();
    while (restarts < 4 && Clock::now() - start < std::chrono::seconds(3)) {
        const int now = DX_ScanLine();
        ASSERT_TRUE(now >= 0 && now < 1125) << now;
        lowest = std::min(lowest, now);
        highest = std::max(highest, now);
        restarts += now < previous;
        previous = now;
    }
    EXPECT_EQ(restarts, 4);
    EXPECT_LE(restarts, FramesSince(start) + 1.0);
    EXPECT_LT(lowest, 1125 / 2);
    EXPECT_GE(highest, 1125 / 2);
}

}  // namespace
