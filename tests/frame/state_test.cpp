#include <gtest/gtest.h>

#include <cstdint>

#include "support/canvas.h"

namespace {

constexpr int32_t kMin = INT32_MIN, kMax = INT32_MAX;

class State : public ::testing::Test {
protected:
    void SetUp() override { QRV_Init_Lib(); }
    void TearDown() override {
        QRV_SetInkAlpha(255);
        QRV_SetMMXState(1);
    }
};

// The leading edges touch inclusively (x + width == left, y + height == top);
// the far edges are summed without wrapping.
TEST_F(State, ImageInViewPortTouchesInclusivelyOnTheLeadingEdgesAndDoesNotWrap) {
    const int32_t cases[][5] = {
        {0, 0, 10, 20, 1},      {0, 0, 10, 19, 0},      {0, 0, 9, 20, 0},        {109, 119, 5, 5, 1},
        {110, 50, 5, 5, 0},     {50, 120, 5, 5, 0},     {kMax, 50, 5, 5, 0},     {5, 30, kMax, 4, 1},
        {30, 5, 4, kMax, 1},    {-5, 30, kMin, 4, 0},   {30, -5, 4, kMin, 0},    {kMin, 30, kMax, 4, 0},
        {kMin, kMin, kMax, kMax, 0}, {-1, 30, kMax, 4, 1}, {kMax, kMax, kMax, kMax, 0}};
    QRV_SetBufferViewPort(10, 20, 110, 120);
    for (const auto& c : cases) EXPECT_EQ(QRV_ImageInViewPort(c[0], c[1], c[2], c[3]), c[4]) << c[0] << "," << c[1];
}

TEST_F(State, SettingsClamp) {
    for (auto [set, got] : {std::pair{-5, 0}, {300, 255}, {128, 128}}) {
        EXPECT_EQ(QRV_SetInkAlpha(set), got) << set;
        EXPECT_EQ(QRV_GetInkAlpha(), got) << set;
    }
    for (auto [set, got] : {std::pair{0, 1}, {33, 32}, {kMin, 1}, {5, 5}}) {
        QRV_SetThreadCount(set);
        EXPECT_EQ(QRV_GetThreadCount(), got) << set;
    }
}

// Without MMX the library refuses state 1.
TEST_F(State, MmxStateKeepsOnlyTheLowBit) {
    const bool mmx = CPU_CheckMMX() != 0;
    for (auto [set, got] : {std::pair{3, mmx ? 1 : 0}, {2, 0}, {1, mmx ? 1 : 0}}) {
        EXPECT_EQ(QRV_SetMMXState(set), got) << set;
        EXPECT_EQ(QRV_GetMMXState(), got) << set;
    }
}

TEST_F(State, DebugAndCycleSlotsStayInsideTheirTables) {
    EXPECT_EQ(QRV_SetDebug(255, 42), 42);
    EXPECT_EQ(QRV_SetDebug(0, -7), -7);
    EXPECT_EQ(QRV_GetDebug(0), -7);
    for (auto [debug, cycle] : {std::pair{256, 128}, {-1, -1}}) {
        EXPECT_EQ(QRV_SetDebug(debug, 5), 0);
        EXPECT_EQ(QRV_GetDebug(debug), 0);
        EXPECT_EQ(QRV_StartCC(cycle), 0);
        EXPECT_EQ(QRV_GetCCTP(cycle), 0u);
    }
    EXPECT_EQ(QRV_GetDebug(255), 42);
    EXPECT_EQ(QRV_StartCC(127), 1);
    const uint32_t first = QRV_GetCCTP(127);
    volatile uint32_t spin = 0;
    for (int i = 0; i < 100000; ++i) spin = spin + 1;
    EXPECT_GT(QRV_GetCCTP(127), first);
}

}  // namespace
