#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "frame/colour.h"
#include "frame/numeric.h"
#include "quorvel.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(Colour, SixteenBitConversionsTruncate) {
    EXPECT_EQ(RGBto565(0xFFFFFF), 0xFFFFu);
    EXPECT_EQ(RGBto565(0x070307), 0u);
    EXPECT_EQ(RGBto565(0x080400), 0x0820u);
    EXPECT_EQ(RGBto555(0xFFFFFF), 0x7FFFu);
    EXPECT_EQ(RGBto555(0xFF000000), 0u);
    EXPECT_EQ(ZK_RGB_565to888(0xFFFF), 0xF8FCF8u);
    EXPECT_EQ(ZK_RGB_555to888(0xFFFF), 0xF8F8F8u);
    EXPECT_EQ(ZK_RGB_555to888(0x8000), 0u);
    for (uint32_t p = 0; p < 0x10000; ++p) {
        ASSERT_EQ(RGBto565(ZK_RGB_565to888(p)), p);
        ASSERT_EQ(RGBto555(ZK_RGB_555to888(p)), p & 0x7FFF);
        ASSERT_EQ(ZK_RGB_565to888(p) & ~0xF8FCF8u, 0u);  // expanding leaves the low bits of every channel clear
    }
}

TEST(Colour, BufferAndFormatConversionsDifferOnlyInTheTopByte) {
    EXPECT_EQ(RGBForBuffer(0x80123456, 3), 0x123456u);
    for (int format : {4, 5, 9}) EXPECT_EQ(RGBForBuffer(0x80123456, format), 0x80123456u) << format;
    EXPECT_EQ(RGBForBuffer(0x80FFFFFF, 1), 0xFFFFu);
    EXPECT_EQ(RGBForBuffer(0x80FFFFFF, 2), 0x7FFFu);
    EXPECT_EQ(qrv::RGBForFormat(0x80123456, 4), 0x123456u);
    EXPECT_EQ(qrv::RGBForFormat(0x80123456, 5), 0x80123456u);
    EXPECT_EQ(qrv::RGBForFormat(0x80123456, 0), 0x80123456u);
    EXPECT_EQ(qrv::RGBPrecisionMask(0xFFFFFFFF, 1), 0xF8FCF8u);
    EXPECT_EQ(qrv::RGBPrecisionMask(0xFFFFFFFF, 2), 0xF8F8F8u);
    EXPECT_EQ(qrv::RGBPrecisionMask(0xFFFFFFFF, 3), 0xFFFFFFu);
    EXPECT_EQ(qrv::RGBPrecisionMask(0xFFFFFFFF, 5), 0xFFFFFFFFu);
}

TEST(Colour, ComposeSplitAndGrey) {
    EXPECT_EQ(ZK_RGB(300, 0, 0), 0x2C0000u);
    EXPECT_EQ(ZK_RGB(-1, 1, 2), 0xFF0102u);
    EXPECT_EQ(ZK_ARGB(0x1FF, 1, 2, 3), 0xFF010203u);
    EXPECT_EQ(ZK_RGBA(0x80123456), 0x80);
    EXPECT_EQ(ZK_RGBR(0x80123456), 0x12);
    EXPECT_EQ(ZK_RGBG(0x80123456), 0x34);
    EXPECT_EQ(ZK_RGBB(0x80123456), 0x56);
    EXPECT_EQ(ZK_RGB_With_AlphaIntensity(255, 255, 255), 0xFFFFFFFFu);
    EXPECT_EQ(ZK_RGB_With_AlphaIntensity(0, 0, 0), 0u);
    EXPECT_EQ(ZK_RGB_With_AlphaIntensity(0, 255, 0), 0xB400FF00u);  // 723 * 255 >> 10 = 180
    EXPECT_EQ(ZK_RGB_With_AlphaIntensity(256 + 255, 0, 0), 0x38FF0000u);
    EXPECT_EQ(ZK_RGB_GREY(0xFFFFFF), 0xFFFFFFu);
    EXPECT_EQ(ZK_RGB_GREY(0xFF0000), 0x474747u);
    EXPECT_EQ(ZK_RGB_GREY(0xFF00FF00), 0xA0A0A0u);  // alpha ignored; 630 * 255 / 1000 = 160
}

// Percentages are single-precision hundredths, floored; NaN, infinite and huge
// ones convert to INT32_MIN.
TEST(Colour, FadeAndBlendByPercent) {
    EXPECT_EQ(ZK_RGB_FADE(0xFFFFFF, 100.0f), 0xFEFEFEu);
    EXPECT_EQ(ZK_RGB_FADE(0xFFFFFF, 0.0f), 0u);
    EXPECT_EQ(ZK_RGB_FADE(0xFFFFFF, -3.0f), 0u);
    EXPECT_EQ(ZK_RGB_FADE(0xFFFFFF, 0.99f), 0u);
    EXPECT_EQ(ZK_RGB_FADE(0xFFFFFF, 1000.0f), 0xFFFFFFu);
    EXPECT_EQ(ZK_RGB_FADE(0x010101, 1000.0f), 0x040404u);  // clamped to 500 %: factor 1279
    EXPECT_EQ(ZK_RGB_FADE(0xFF804020, 50.0f), 0x3F1F0Fu);  // factor 127, alpha dropped
    EXPECT_EQ(ZK_RGB_FADE(0xFFFFFF, kNaN), 0u);
    EXPECT_EQ(ZK_RGB_FADE(0xFFFFFF, std::numeric_limits<float>::infinity()), 0u);
    EXPECT_EQ(ZK_RGB_ALPHA_BLEND(0x11223344, 0x55667788, 0.0f), 0x11223344u);
    EXPECT_EQ(ZK_RGB_ALPHA_BLEND(0x11223344, 0x55667788, 100.0f), 0x55667788u);
    EXPECT_EQ(ZK_RGB_ALPHA_BLEND(0, 0xFFFFFF, 50.0f), 0x7E7E7Eu);  // alpha 127
    EXPECT_EQ(ZK_RGB_ALPHA_BLEND(0xFF000000, 0xFFFFFF, 50.0f), 0x7E7E7Eu);
    EXPECT_EQ(ZK_RGB_ALPHA_BLEND(0x11223344, 0x55667788, kNaN), 0x11223344u);
    EXPECT_EQ(ZK_RGB_ALPHA_BLEND(0x11223344, 0x55667788, 1e30f), 0x11223344u);
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
    EXPECT_EQ(ZK_RGB_DEPTH_CUE(0x01020304, 0x05060708, 11, 0, 10), 0x05060708u);
    EXPECT_EQ(ZK_RGB_DEPTH_CUE(0x01020304, 0x05060708, 10, 0, 10), 0x05060708u);
    EXPECT_EQ(ZK_RGB_DEPTH_CUE(0x01020304, 0x05060708, 3, 3, 3), 0x01020304u);
}

TEST(Colour, ChannelArithmetic) {
    EXPECT_EQ(ZK_RGB_SCALE(0x80FF8040, 128), 0x407F4020u);
    EXPECT_EQ(ZK_RGB_SCALE(0x80FF8040, 256), 0x80FF8040u);
    EXPECT_EQ(ZK_RGB_SCALE(0x80FF8040, 512), 0xFFFFFF80u);
    EXPECT_EQ(ZK_RGB_SCALE(0x80FF8040, -1), 0u);
    EXPECT_EQ(ZK_RGB_SCALE(0x01010101, INT32_MAX), 0xFFFFFFFFu);  // saturates, never wraps
    EXPECT_EQ(ZK_RGB_ALPHA_ADD(0xFF808080, 0x00C0C040), 0xFFFFC0u);
    EXPECT_EQ(ZK_RGB_ALPHA_SUB(0xFF404080, 0x00808040), 0x000040u);
    EXPECT_EQ(ZK_RGB_ALPHA_MULT(0xFFFFFF, 0xFFFFFF), 0xFFFFFFu);
    EXPECT_EQ(ZK_RGB_ALPHA_MULT(0xFFFFFF, 0), 0u);
    EXPECT_EQ(ZK_RGB_ALPHA_MULT(0x808080, 0x7F7F7F), 0x404040u);
    EXPECT_EQ(ZK_RGB_ALPHA_50(0xFF0101, 0x010101), 0x7F0000u);
    EXPECT_EQ(ZK_RGB_ALPHA_50(0xFF000000, 0xFF000000), 0u);
    EXPECT_EQ(ZK_RGB_ALPHA_AND(0xF0F0F0F0, 0xFF00FF00), 0xF000F000u);
    EXPECT_EQ(ZK_RGB_ALPHA_OR(0xF0000000, 0x0000000F), 0xF000000Fu);
    EXPECT_EQ(ZK_RGB_ALPHA_XOR(0xFFFFFFFF, 0x0F0F0F0F), 0xF0F0F0F0u);
}

TEST(Colour, TruncationMatchesTheProcessor) {
    const std::pair<double, int32_t> cases[] = {
        {2.9, 2},           {-2.9, -2},           {2147483647.0, INT32_MAX}, {2147483648.0, INT32_MIN},
        {-2147483648.9, INT32_MIN}, {-2147483649.0, INT32_MIN}, {std::nan(""), INT32_MIN}, {-INFINITY, INT32_MIN}};
    for (auto [value, want] : cases) EXPECT_EQ(qrv::TruncToInt32(value), want) << value;
}

}  // namespace
