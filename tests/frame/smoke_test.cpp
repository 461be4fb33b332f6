#include <gtest/gtest.h>
#include "quorvel.h"
TEST(Smoke, Init) { EXPECT_EQ(QRV_Init_Lib(), 1); }
