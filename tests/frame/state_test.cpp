#include <gtest/gtest.h>

#include <cstdint>

#include "support/canvas.h"

namespace {

class State : public ::testing::Test {
protected:
    void SetUp() override { QRV_Init_Lib(); }
    void TearDown() override {
        QRV_SetInkAlpha(255);
        QRV_SetMMXState(1);
    }
};

TEST_F(State, ViewportIsSortedAndHalfOpen) {
    qrvtest::Canvas canvas(120, 60, 4);
    QRV_SetBuffer(canvas.Base(), canvas.pitch, canvas.format);
    QRV_SetBufferViewPort(100, 50, 10, 5);
    QRV_Dot(10, 5, 0xFFFFFF, 1);
    QRV_Dot(99, 49, 0xFFFFFF, 1);
    QRV_Dot(100, 20, 0xFFFFFF, 1);
    QRV_Dot(20, 50, 0xFFFFFF, 1);
    QRV_Dot(9, 20, 0xFFFFFF, 1);
    QRV_Dot(20, 4, 0xFFFFFF, 1);
    EXPECT_EQ(canvas.Get(10, 5), 0xFFFFFFu);
    EXPECT_EQ(canvas.Get(99, 49), 0xFFFFFFu);
    EXPECT_EQ(canvas.Get(100, 20), 0u);
    EXPECT_EQ(canvas.Get(20, 50), 0u);
    EXPECT_EQ(canvas.Get(9, 20), 0u);
    EXPECT_EQ(canvas.Get(20, 4), 0u);
}

TEST_F(State, ImageInViewPortTouchesInclusivelyOnTheLeadingEdges) {
    QRV_SetBufferViewPort(10, 20, 110, 120);
    EXPECT_EQ(QRV_ImageInViewPort(0, 0, 10, 20), 1);   // y + height == top, x + width == left
    EXPECT_EQ(QRV_ImageInViewPort(0, 0, 10, 19), 0);
    EXPECT_EQ(QRV_ImageInViewPort(0, 0, 9, 20), 0);
    EXPECT_EQ(QRV_ImageInViewPort(109, 119, 5, 5), 1);
    EXPECT_EQ(QRV_ImageInViewPort(110, 50, 5, 5), 0);   // x == right
    EXPECT_EQ(QRV_ImageInViewPort(50, 120, 5, 5), 0);   // y == bottom
    EXPECT_EQ(QRV_ImageInViewPort(INT32_MAX, 50, 5, 5), 0);
}

TEST_F(State, SettingsClamp) {
    EXPECT_EQ(QRV_SetInkAlpha(-5), 0);
    EXPECT_EQ(QRV_GetInkAlpha(), 0);
    EXPECT_EQ(QRV_SetInkAlpha(300), 255);
    EXPECT_EQ(QRV_SetInkAlpha(128), 128);
    EXPECT_EQ(QRV_GetInkAlpha(), 128);

    QRV_SetThreadCount(0);
    EXPECT_EQ(QRV_GetThreadCount(), 1);
    QRV_SetThreadCount(33);
    EXPECT_EQ(QRV_GetThreadCount(), 32);
    QRV_SetThreadCount(INT32_MIN);
    EXPECT_EQ(QRV_GetThreadCount(), 1);
    QRV_SetThreadCount(5);
    EXPECT_EQ(QRV_GetThreadCount(), 5);
}

TEST_F(State, MmxStateKeepsOnlyTheLowBit) {
    if (CPU_CheckMMX() == 0) {
        EXPECT_EQ(QRV_SetMMXState(1), 0);
        EXPECT_EQ(QRV_GetMMXState(), 0);
        return;
    }
    EXPECT_EQ(QRV_SetMMXState(3), 1);
    EXPECT_EQ(QRV_GetMMXState(), 1);
    EXPECT_EQ(QRV_SetMMXState(2), 0);
    EXPECT_EQ(QRV_GetMMXState(), 0);
}

TEST_F(State, DebugAndCycleSlotsStayInsideTheirTables) {
    EXPECT_EQ(QRV_SetDebug(255, 42), 42);
    EXPECT_EQ(QRV_GetDebug(255), 42);
    EXPECT_EQ(QRV_SetDebug(0, -7), -7);
    EXPECT_EQ(QRV_GetDebug(0), -7);
    EXPECT_EQ(QRV_SetDebug(256, 5), 0);
    EXPECT_EQ(QRV_SetDebug(-1, 5), 0);
    EXPECT_EQ(QRV_GetDebug(256), 0);
    EXPECT_EQ(QRV_GetDebug(-1), 0);
    EXPECT_EQ(QRV_GetDebug(255), 42);

    EXPECT_EQ(QRV_StartCC(127), 1);
    EXPECT_EQ(QRV_StartCC(128), 0);
    EXPECT_EQ(QRV_StartCC(-1), 0);
    EXPECT_EQ(QRV_GetCCTP(128), 0u);
    EXPECT_EQ(QRV_GetCCTP(-1), 0u);
    const uint32_t first = QRV_GetCCTP(127);
    volatile uint32_t spin = 0;
    for (int i = 0; i < 100000; ++i) spin = spin + 1;
    EXPECT_GT(QRV_GetCCTP(127), first);
}

TEST_F(State, FixedAnswers) {
    int x = 0;
    EXPECT_EQ(QRV_BankPTR(&x), &x);
    EXPECT_EQ(QRV_BankPTR(nullptr), nullptr);
    EXPECT_EQ(QRV_GetVertexBufferModulo(), 32);
}

}  // namespace
