#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <vector>

#include "maths/random.h"
#include "quorvel.h"

namespace {

float Calc(std::vector<float>& vars, std::vector<int32_t> program, int32_t count) {
    return ZK_FastCalc(vars.data(), program.data(), count);
}

TEST(FastCalc, EveryOpcodeClass) {
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    // vars: 0 = 8, 1 = 3, 2 = 0, 3 = 90, 4 = 30, 5 = 45, 6 = 16, 7 = 10, 8 = -2
    const struct { std::vector<int32_t> program; int32_t count; float want; } cases[] = {
        {{0}, 0, 8}, {{0, 1, 1}, 0, 8}, {{0, 1, 1}, -3, 8},
        {{0, 1, 1, 2, 1, 2, 1}, 3, 5},          // 8 + 3 - 3 - 3
        {{0, 3, 1, 4, 6}, 2, 1.5f},             // 8 x 3 / 16
        {{0, 4, 2}, 1, inf},                    // an unguarded division
        {{0, 64, 2}, 1, 0},                     // divided by a zero root
        {{0, 6, 1}, 1, 512}, {{0, 6, 8}, 1, 1.0f / 64}, {{0, 10, 7, 3, 1}, 2, 30},
        {{2, 21, 3}, 1, ZK_Cos(90)},            // the truncated factor: not 0
        {{0, 22, 2, 23, 3}, 2, (8 - 1) * ZK_Cos(90)}, {{0, 24, 2}, 1, 8},
        {{2, 31, 4, 32, 3, 33, 4, 34, 4}, 4, -0.5f},  // (0.5 - 1) x 0.5 / 0.5
        {{0, 41, 5, 42, 5, 43, 5, 44, 5}, 4, 8}, {{0, 61, 6, 62, 6, 63, 6, 64, 6}, 4, 8},
        {{0, 61, 8}, 1, nan},
        {{0, 54, 2}, 1, 0},                     // a draw of zero
    };
    for (const auto& c : cases) {
        std::vector<float> vars{8, 3, 0, 90, 30, 45, 16, 10, -2};
        const float got = Calc(vars, c.program, c.count);
        if (std::isnan(c.want)) EXPECT_TRUE(std::isnan(got)) << c.program[1];
        else EXPECT_EQ(got, c.want) << c.program.size() << " " << c.program[1];
    }
    std::vector<float> vars{1};
    std::vector<int32_t> program{0};
    EXPECT_EQ(ZK_FastCalc(nullptr, program.data(), 1), 0.0f);  // missing lists give 0
    EXPECT_EQ(ZK_FastCalc(vars.data(), nullptr, 1), 0.0f);
}

TEST(FastCalc, StoresAndDrawsInPlace) {
    std::vector<float> vars{2, 3, 0};
    EXPECT_EQ(Calc(vars, {0, 1, 1, 5, 2}, 2), 5);
    EXPECT_EQ(vars, (std::vector<float>{2, 3, 5}));

    // Each draw advances the shared generator.
    qrv::gRandom = qrv::kRandomStart;
    const double d1 = ZK_Rnd(10), d2 = ZK_Rnd(10), d3 = ZK_Rnd(10), d4 = ZK_Rnd(10);
    qrv::gRandom = qrv::kRandomStart;
    std::vector<float> v{1, 10};
    EXPECT_EQ(Calc(v, {0, 51, 1, 52, 1, 53, 1, 54, 1}, 4), float(float(float(float(1 + d1) - d2) * d3) / d4));
}

TEST(FastCalc, UnknownOpcodesTakeNoOperand) {
    std::vector<int32_t> unknown{0, 7, 8, 9, 11, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 100, -1, INT_MIN, INT_MAX};
    for (int32_t op : unknown) {
        std::vector<float> vars{2, 3};
        EXPECT_EQ(Calc(vars, {0, op, 1, 1}, 2), 5) << op;  // the unknown word alone is skipped
        EXPECT_EQ(Calc(vars, {0, op, op, 1, 1}, 2), 2) << op;  // the count ends the run first
    }
}

}  // namespace
