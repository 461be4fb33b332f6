#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "quorvel.h"

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr long double kDegrees = 0.017453292519444445;  // the double factor, widened

// Floats ordered as integers: the distance in units in the last place.
int64_t UlpDistance(float a, float b) {
    auto key = [](float f) {
        int32_t i;
        std::memcpy(&i, &f, 4);
        return i < 0 ? int64_t{INT32_MIN} - i : int64_t{i};
    };
    return std::llabs(key(a) - key(b));
}

// A NaN wanted is any NaN; otherwise the same value with the same sign (zeros included).
void ExpectExact(float got, float want, const char* fn, float a, float b = 0) {
    if (std::isnan(want)) EXPECT_TRUE(std::isnan(got)) << fn << "(" << a << ", " << b << ") gave " << got;
    else EXPECT_TRUE(got == want && std::signbit(got) == std::signbit(want))
        << fn << "(" << a << ", " << b << ") gave " << got << " not " << want;
}

TEST(Angles, ExactValuesAndLimits) {
    // 90 degrees falls 4.49e-11 short of pi / 2 with the factor 3.1415926535 / 180.
    const struct { const char* name; float (*fn)(float); float a, want; } unary[] = {
        {"cos", ZK_Cos, 90, 4.489661420414848e-11f}, {"cos", ZK_Cos, -90, 4.489661420414848e-11f},
        {"sin", ZK_Sin, 180, 8.979322840829695e-11f}, {"cos", ZK_Cos, 270, -1.3468984261244543e-10f},
        {"cos", ZK_Cos, 0, 1}, {"sin", ZK_Sin, 90, 1}, {"sin", ZK_Sin, 30, 0.5f}, {"sin", ZK_Sin, -30, -0.5f},
        {"tan", ZK_Tan, 45, 1}, {"cos", ZK_Cos, 360, 1}, {"sin", ZK_Sin, 0, 0}, {"sin", ZK_Sin, kInf, kNaN},
        {"cos", ZK_Cos, kNaN, kNaN},
        {"log", ZK_Log, 1, 0}, {"log", ZK_Log, 0, -kInf}, {"log", ZK_Log, kInf, kInf}, {"log", ZK_Log, -1, kNaN},
        {"log10", ZK_Log10, -kInf, kNaN}, {"log10", ZK_Log10, 1000, 3}, {"log10", ZK_Log10, 1e-20f, -20},
        {"wrap", WrapAngle, -90, 270}, {"wrap", WrapAngle, 720, 0}, {"wrap", WrapAngle, 359.5f, 359.5f},
        {"wrap", WrapAngle, -719.5f, 0.5f}, {"wrap", WrapAngle, 1e9f, std::fmod(1e9f, 360.0f)},
        {"wrap", WrapAngle, -1e-6f, 0},     // 360 - 1e-6 rounds to 360, which is outside the range
        {"wrap", WrapAngle, -360, -0.0f},   // a negative zero is not raised to 360
        {"wrap", WrapAngle, kInf, kNaN},
    };
    for (const auto& c : unary) ExpectExact(c.fn(c.a), c.want, c.name, c.a);
    for (const float huge : {1e16f, -3e20f, 3.4e38f})  // reduced whole turns, still a sine and a cosine
        for (float (*fn)(float) : {ZK_Sin, ZK_Cos}) EXPECT_LE(std::fabs(fn(huge)), 1.0f) << huge;

    const struct { float a, b, want; } powers[] = {
        {2, 10, 1024}, {-2, 3, -8}, {-2, 2, 4}, {4, 0.5f, 2}, {0, -1, kInf}, {-0.0f, -1, -kInf}, {-0.0f, 3, -0.0f},
        {0, 2, 0}, {kNaN, 0, 1}, {1, kNaN, 1}, {0.5f, kInf, 0}, {2, kInf, kInf}, {2, -kInf, 0}, {-1, kInf, 1},
        {-kInf, 3, -kInf}, {-kInf, -3, -0.0f}, {kInf, -1, 0}, {10, 39, kInf}, {10, -46, 0}, {3, 15, 14348907},
        {-2, 0.5f, kNaN}, {kNaN, 1, kNaN},
    };
    for (const auto& p : powers) ExpectExact(ZK_Power(p.a, p.b), p.want, "power", p.a, p.b);

    const struct { float v, lo, hi, want; } values[] = {
        {12, 0, 10, 2}, {-3, 10, 0, 7}, {-10, 0, 10, 0}, {5, 0, 10, 5}, {10, 0, 10, 0}, {-25, -20, -10, -15},
        {0.75f, 0.5f, 1, 0.75f}, {3.5f, 1, 2, 1.5f}, {3, 2, 2, kNaN},   // an empty range
    };
    for (const auto& c : values) ExpectExact(ZK_WrapValue(c.v, c.lo, c.hi), c.want, "wrap value", c.v, c.lo);
}

// Against the extended-precision C library: within one unit in the last place
// (the result is rounded from double, so a tie can go either way).
TEST(Angles, AgreeWithExtendedPrecisionEverywhere) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> angle(-100000.0f, 100000.0f), positive(1e-30f, 1e30f), expo(-30, 30);
    for (int i = 0; i < 20000; ++i) {
        const float a = i < 10000 ? angle(rng) / 100 : angle(rng);
        const long double r = a * kDegrees;
        ASSERT_LE(UlpDistance(ZK_Sin(a), static_cast<float>(std::sin(r))), 1) << a;
        ASSERT_LE(UlpDistance(ZK_Cos(a), static_cast<float>(std::cos(r))), 1) << a;
        ASSERT_LE(UlpDistance(ZK_Tan(a), static_cast<float>(std::tan(r))), 1) << a;
        const float x = positive(rng) * (i % 2 ? 1 : 1e-8f), y = expo(rng) / 7;
        ASSERT_LE(UlpDistance(ZK_Log(x), static_cast<float>(std::log(static_cast<long double>(x)))), 1) << x;
        ASSERT_LE(UlpDistance(ZK_Log10(x), static_cast<float>(std::log10(static_cast<long double>(x)))), 1) << x;
        const float base = x < 1e20f ? std::fmod(x, 50.0f) : x;
        const long double want = std::pow(static_cast<long double>(base), static_cast<long double>(y));
        ASSERT_LE(UlpDistance(ZK_Power(base, y), static_cast<float>(want)), 1) << base << "^" << y;
    }
}

}  // namespace
