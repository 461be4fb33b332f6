#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <utility>

#include "frame/colour.h"
#include "frame/numeric.h"
#include "quorvel.h"

namespace {

using Pairs = std::initializer_list<std::pair<uint32_t, uint32_t>>;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN(), kInf = std::numeric_limits<float>::infinity();

TEST(Colour, SixteenBitConversionsTruncate) {
    for (auto [argb, want] : Pairs{{0xFFFFFF, 0xFFFF}, {0x070307, 0}, {0x080400, 0x0820}})
        EXPECT_EQ(RGBto565(argb), want) << std::hex << argb;
    EXPECT_EQ(RGBto555(0xFFFFFF), 0x7FFFu);
    EXPECT_EQ(RGBto555(0xFF000000), 0u);
    EXPECT_EQ(ZK_RGB_555to888(0x8000), 0u);
    for (uint32_t p = 0; p < 0x10000; ++p) {
        ASSERT_EQ(RGBto565(ZK_RGB_565to888(p)), p);
        ASSERT_EQ(RGBto555(ZK_RGB_555to888(p)), p & 0x7FFF);
        // Expanding leaves the low bits of every channel clear.
        ASSERT_EQ(ZK_RGB_565to888(p) & ~0xF8FCF8u, 0u);
        ASSERT_EQ(ZK_RGB_555to888(p) & ~0xF8F8F8u, 0u);
    }
}

TEST(Colour, BufferAndFormatConversionsDifferOnlyInTheTopByte) {
    const struct { uint32_t argb; int32_t format; uint32_t buffer, plain; } cases[] = {
        {0x80123456, 3, 0x123456, 0x123456},     {0x80123456, 4, 0x80123456, 0x123456},
        {0x80123456, 5, 0x80123456, 0x80123456}, {0x80123456, 9, 0x80123456, 0x80123456},
        {0x80123456, 0, 0x80123456, 0x80123456}, {0x80FFFFFF, 1, 0xFFFF, 0xFFFF}, {0x80FFFFFF, 2, 0x7FFF, 0x7FFF}};
    for (const auto& c : cases) {
        EXPECT_EQ(RGBForBuffer(c.argb, c.format), c.buffer) << c.format;
        EXPECT_EQ(qrv::RGBForFormat(c.argb, c.format), c.plain) << c.format;
    }
    for (auto [format, want] : Pairs{{1, 0xF8FCF8}, {2, 0xF8F8F8}, {3, 0xFFFFFF}, {5, 0xFFFFFFFF}})
        EXPECT_EQ(qrv::RGBPrecisionMask(0xFFFFFFFF, static_cast<int32_t>(format)), want) << format;
}

TEST(Colour, ComposeSplitAndGrey) {
    EXPECT_EQ(ZK_RGB(300, 0, 0), 0x2C0000u);
    EXPECT_EQ(ZK_RGB(-1, 1, 2), 0xFF0102u);
    EXPECT_EQ(ZK_ARGB(0x1FF, 1, 2, 3), 0xFF010203u);
    EXPECT_EQ((std::array{ZK_RGBA(0x80123456), ZK_RGBR(0x80123456), ZK_RGBG(0x80123456), ZK_RGBB(0x80123456)}),
              (std::array{0x80, 0x12, 0x34, 0x56}));
    EXPECT_EQ(ZK_RGB_With_AlphaIntensity(255, 255, 255), 0xFFFFFFFFu);
    EXPECT_EQ(ZK_RGB_With_AlphaIntensity(0, 0, 0), 0u);
    EXPECT_EQ(ZK_RGB_With_AlphaIntensity(0, 255, 0), 0xB400FF00u);  // 723 * 255 >> 10 = 180
    EXPECT_EQ(ZK_RGB_With_AlphaIntensity(256 + 255, 0, 0), 0x38FF0000u);
    // The alpha byte is ignored; 630 * 255 / 1000 = 160.
    for (auto [argb, want] : Pairs{{0xFFFFFF, 0xFFFFFF}, {0xFF0000, 0x474747}, {0xFF00FF00, 0xA0A0A0}})
        EXPECT_EQ(ZK_RGB_GREY(argb), want) << std::hex << argb;
}

// Percentages are single-precision hundredths, floored, clamped to 500 %
// (factor 1279); NaN, infinite and huge ones convert to INT32_MIN.
TEST(Colour, FadeAndBlendByPercent) {
    const std::pair<float, uint32_t> fades[] = {{100, 0xFEFEFE}, {0, 0}, {-3, 0},    {0.99f, 0},
                                                {1000, 0xFFFFFF}, {kNaN, 0}, {kInf, 0}};
    for (auto [percent, want] : fades) EXPECT_EQ(ZK_RGB_FADE(0xFFFFFF, percent), want) << percent;
    EXPECT_EQ(ZK_RGB_FADE(0x010101, 1000.0f), 0x040404u);
    EXPECT_EQ(ZK_RGB_FADE(0xFF804020, 50.0f), 0x3F1F0Fu);  // factor 127, alpha dropped
    const std::pair<float, uint32_t> blends[] = {{0, 0x11223344}, {100, 0x55667788}, {kNaN, 0x11223344}, {1e30f, 0x11223344}};
    for (auto [percent, want] : blends) EXPECT_EQ(ZK_RGB_ALPHA_BLEND(0x11223344, 0x55667788, percent), want) << percent;
    EXPECT_EQ(ZK_RGB_ALPHA_BLEND(0, 0xFFFFFF, 50.0f), 0x7E7E7Eu);  // alpha 127
    EXPECT_EQ(ZK_RGB_ALPHA_BLEND(0xFF000000, 0xFFFFFF, 50.0f), 0x7E7E7Eu);
}

TEST(Colour, BlendByAlphaAndDepth) {
    EXPECT_EQ(ZK_RGB_ALPHA_BLEND_Variable(0, 0xFFFFFF, 128), 0x7F7F7Fu);
    EXPECT_EQ(ZK_RGB_ALPHA_BLEND_Variable(0x80000000, 0x40FFFFFF, 0), 0x80000000u);
    EXPECT_EQ(ZK_RGB_ALPHA_BLEND_Variable(0x80000000, 0x40FFFFFF, 255), 0x40FFFFFFu);
    EXPECT_EQ(ZK_RGB_ALPHA_BLEND_Variable(0, 0xFFFFFF, 254), 0xFDFDFDu);
    // Downward blends shift a negative difference arithmetically.
    EXPECT_EQ(ZK_RGB_ALPHA_BLEND_Variable(0xFFFFFF, 0, 128), 0x7F7F7Fu);
    EXPECT_EQ(ZK_RGB_ALPHA_BLEND_Variable(0xFFFFFF, 0, 1), 0xFEFEFEu);
    EXPECT_EQ(ZK_RGB_DEPTH_CUE(0, 0xFFFFFF, 5, 10, 0), 0x7F7F7Fu);
    EXPECT_EQ(ZK_RGB_DEPTH_CUE(0, 0xFFFFFF, 5, 0, 10), 0x7F7F7Fu);
    EXPECT_EQ(ZK_RGB_DEPTH_CUE(0x01020304, 0xFFFFFF, -1, 0, 10), 0x01020304u);
    // Beyond the far depth, at it, and in an empty range.
    const struct { float depth, nearDepth, farDepth; uint32_t want; } depths[] = {
        {11, 0, 10, 0x05060708}, {10, 0, 10, 0x05060708}, {3, 3, 3, 0x01020304}};
    for (const auto& d : depths)
        EXPECT_EQ(ZK_RGB_DEPTH_CUE(0x01020304, 0x05060708, d.depth, d.nearDepth, d.farDepth), d.want) << d.depth;
}

TEST(Colour, ChannelArithmetic) {
    for (auto [factor, want] : {std::pair{128, 0x407F4020u}, {256, 0x80FF8040u}, {512, 0xFFFFFF80u}, {-1, 0u}})
        EXPECT_EQ(ZK_RGB_SCALE(0x80FF8040, factor), want) << factor;
    EXPECT_EQ(ZK_RGB_SCALE(0x01010101, INT32_MAX), 0xFFFFFFFFu);  // saturates, never wraps
    EXPECT_EQ(ZK_RGB_ALPHA_ADD(0xFF808080, 0x00C0C040), 0xFFFFC0u);
    EXPECT_EQ(ZK_RGB_ALPHA_SUB(0xFF404080, 0x00808040), 0x000040u);
    for (auto [c2, want] : Pairs{{0xFFFFFF, 0xFFFFFF}, {0, 0}}) EXPECT_EQ(ZK_RGB_ALPHA_MULT(0xFFFFFF, c2), want);
    EXPECT_EQ(ZK_RGB_ALPHA_MULT(0x808080, 0x7F7F7F), 0x404040u);
    EXPECT_EQ(ZK_RGB_ALPHA_50(0xFF0101, 0x010101), 0x7F0000u);
    EXPECT_EQ(ZK_RGB_ALPHA_50(0xFF000000, 0xFF000000), 0u);
    EXPECT_EQ(ZK_RGB_ALPHA_AND(0xF0F0F0F0, 0xFF00FF00), 0xF000F000u);
    EXPECT_EQ(ZK_RGB_ALPHA_OR(0xF0000000, 0x0000000F), 0xF000000Fu);
    EXPECT_EQ(ZK_RGB_ALPHA_XOR(0xFFFFFFFF, 0x0F0F0F0F), 0xF0F0F0F0u);
}

TEST(Colour, TruncationMatchesTheProcessor) {
    const std::pair<double, int32_t> cases[] = {{2.9, 2}, {-2.9, -2}, {2147483647.0, INT32_MAX}, {2147483648.0, INT32_MIN},
                                                {-2147483648.9, INT32_MIN}, {-2147483649.0, INT32_MIN},
                                                {std::nan(""), INT32_MIN}, {-INFINITY, INT32_MIN}};
    for (auto [value, want] : cases) EXPECT_EQ(qrv::TruncToInt32(value), want) << value;
}

}  // namespace
