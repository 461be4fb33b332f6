// The state a freshly loaded library is in, before the host calls QRV_Init_Lib.
// This suite runs in its own process so that nothing has initialised it yet.
#include <gtest/gtest.h>

#include "support/canvas.h"

namespace {

TEST(BeforeInit, InitialStateThenStartUp) {
    EXPECT_EQ(QRV_GetThreadCount(), 0);
    EXPECT_EQ(QRV_GetMMXState(), 0);
    EXPECT_EQ(QRV_GetInkAlpha(), 255);
    for (int slot : {0, 17, 255}) EXPECT_EQ(QRV_GetDebug(slot), 0);

    // No viewport yet: every clipped call draws and reads nothing.
    qrvtest::Canvas canvas(8, 8, 4);
    QRV_SetBuffer(canvas.Base(), canvas.pitch, canvas.format);
    canvas.Set(0, 0, 0x123456);
    QRV_Dot(0, 0, 0xFFFFFF, 1);
    EXPECT_EQ(canvas.Get(0, 0), 0x123456u);
    EXPECT_EQ(QRV_Point(0, 0), 0u);
    EXPECT_EQ(QRV_ImageInViewPort(-5, -5, 4, 4), 0);

    // The reader table is empty until start-up: reading through it gives 0.
    EXPECT_EQ(QRV_FastPoint_JT(0, 0), 0u);
    EXPECT_EQ(QRV_FastPoint(0, 0), 0x123456u);

    EXPECT_EQ(QRV_Init_Lib(), 1);
    EXPECT_EQ(QRV_GetThreadCount(), 8);
    EXPECT_EQ(QRV_GetMMXState(), CPU_CheckMMX());
    EXPECT_EQ(QRV_FastPoint_JT(0, 0), 0x123456u);

    // Start-up and shut-down leave the buffer, ink alpha and slots alone.
    QRV_SetInkAlpha(77);
    QRV_SetDebug(3, -9);
    EXPECT_EQ(QRV_Close_Lib(), 0);
    EXPECT_EQ(QRV_Init_Lib(), 1);
    EXPECT_EQ(QRV_GetInkAlpha(), 77);
    EXPECT_EQ(QRV_GetDebug(3), -9);
    EXPECT_EQ(QRV_FastPoint_JT(0, 0), 0x123456u);
}

}  // namespace
