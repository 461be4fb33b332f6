#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>

#include "primitives/draw_test_util.h"

namespace {

using namespace qrvtest;

// An independent statement of the ink rules: split a pixel value into its
// three channels, apply the rule on plain integers, put the channels back.
uint32_t ExpectedPixel(uint32_t d, uint32_t c, int mode, int format, int alpha) {
    const uint32_t wordMask = format <= 2 ? 0xFFFFu : (format == 3 ? 0xFFFFFFu : 0xFFFFFFFFu);
    if (mode == 1 || mode == 2 || (mode == 16 && alpha >= 255)) return c & wordMask;
    if (mode == 256 || mode == 512 || mode == 1024)
        return (mode == 256 ? d & c : mode == 512 ? d | c : d ^ c) & wordMask;
    if (mode == 16 && alpha < 1) return d;
    const int shifts[3][3] = {{11, 5, 0}, {10, 5, 0}, {16, 8, 0}}, widths[3][3] = {{5, 6, 5}, {5, 5, 5}, {8, 8, 8}};
    const int layout = format <= 2 ? format - 1 : 2;
    uint32_t p = 0;
    for (int i = 0; i < 3; ++i) {
        const int shift = shifts[layout][i], width = widths[layout][i], max = (1 << width) - 1;
        const int x = static_cast<int>((d >> shift) & max), y = static_cast<int>((c >> shift) & max);
        int r = 0;
        switch (mode) {
            case 16: r = x + static_cast<int>(std::floor((y - x) * alpha / 256.0)); break;
            case 32: r = format == 3 ? (x + y) / 2 : x / 2 + y / 2; break;
            case 64: r = std::min(x + y, max); break;
            case 128: r = std::max(x - y, 0); break;
            case 2048: r = (x * y) >> width; break;
            case 4096: r = std::max(y - x, 0); break;
            default: return d;
        }
        p |= static_cast<uint32_t>(r) << shift;
    }
    return p;
}

TEST(Pixels, EveryModeInEveryFormatFollowsTheChannelRules) {
    SettingsGuard guard;
    std::mt19937 rng(1234);
    for (int format : kAllFormats) {
        Selected canvas(3, 1, format);
        for (int mode : kAllModes)
            for (int trial = 0; trial < 400; ++trial) {
                // The cut-offs first, then random opacities.
                const int kAlphas[] = {0, 1, 16, 254, 255};
                const int alpha = trial < 5 ? kAlphas[trial] : static_cast<int>(rng() % 256);
                QRV_SetInkAlpha(alpha);
                canvas.Randomise(rng);
                const uint32_t d = canvas.Get(1, 0), left = canvas.Get(0, 0), right = canvas.Get(2, 0);
                // Raw colours: bit 15 of 5-5-5 and the 32-bit top byte take part
                // in the word modes and must vanish in the channel modes.
                const uint32_t c = format <= 2 ? rng() & 0xFFFF : rng();
                QRV_DrawPixel(1, 0, c, mode);
                ASSERT_EQ(canvas.Get(1, 0), ExpectedPixel(d, c, mode, format, alpha))
                    << "format " << format << " mode " << mode << " alpha " << alpha << std::hex << " d " << d
                    << " c " << c;
                ASSERT_TRUE(canvas.Get(0, 0) == left && canvas.Get(2, 0) == right && canvas.GuardsIntact());
            }
    }
}

// Known values, independent of the channel model above.
TEST(Pixels, KnownValues) {
    const struct { int format, mode; uint32_t d, c, expected; } cases[] = {
        {1, 32, 0xFFFF, 0xFFFF, 0xF7DE},  {4, 64, 0xFF808080, 0x00C0C0C0, 0x00FFFFFF}, {4, 128, 0x404040, 0x808080, 0},
        {4, 4096, 0x404040, 0x808080, 0x404040}, {3, 2048, 0xFF8000, 0x80FF40, 0x7F7F00}};
    for (const auto& k : cases) {
        Selected canvas(1, 1, k.format);
        canvas.Set(0, 0, k.d);
        QRV_DrawPixel(0, 0, k.c, k.mode);
        EXPECT_EQ(canvas.Get(0, 0), k.expected) << "format " << k.format << " mode " << k.mode;
    }
}

// Codes 0 and 6 read through the reader table as 5-6-5 and 32-bit; other
// codes outside 1..5 read 0, and no code outside 1..5 draws.
TEST(Pixels, BadModesAndFormatsDrawAndReadNothing) {
    for (auto [format, table] : {std::pair{0, 0xF8FCF8u}, {6, 0xFFFFFFFFu}, {-1, 0u}, {1000, 0u}}) {
        Canvas canvas(2, 2, 4);
        canvas.Set(0, 0, 0xFFFFFFFF);
        QRV_SetBuffer(canvas.Base(), canvas.pitch, format);
        QRV_SetBufferViewPort(0, 0, 2, 2);
        const auto before = canvas.Snapshot();
        QRV_DrawPixel(0, 0, 0x12345678, 1);
        QRV_Dot(1, 1, 0xFFFFFFFF, 1);
        QRV_FastDot(1, 0, 0xFFFFFFFF, 1);
        EXPECT_EQ(canvas.storage, before) << format;
        EXPECT_EQ(QRV_Point(0, 0), 0u) << format;
        EXPECT_EQ(QRV_FastPoint(0, 0), 0u) << format;
        EXPECT_EQ(QRV_FastPoint_JT(0, 0), table) << format;
    }
    Selected canvas(2, 2, 4);
    const auto before = canvas.Snapshot();
    for (int mode : {0, 3, 8, 17, 8192, -1}) QRV_Dot(0, 0, 0xFFFFFF, mode);
    EXPECT_EQ(canvas.storage, before);
}

// The viewport's corners are sorted and its far edges excluded.
TEST(Pixels, DotClipsToTheViewportFastDotDoesNot) {
    for (const auto& v : {std::array{2, 3, 7, 8}, std::array{7, 8, 2, 3}}) {
        Canvas canvas(10, 10, 3);
        QRV_SetBuffer(canvas.Base(), canvas.pitch, canvas.format);
        QRV_SetBufferViewPort(v[0], v[1], v[2], v[3]);
        for (int y = -1; y <= 10; ++y)
            for (int x = -1; x <= 10; ++x) QRV_Dot(x, y, 0xFFFFFF, 1);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                ASSERT_EQ(canvas.Get(x, y), x >= 2 && x < 7 && y >= 3 && y < 8 ? 0xFFFFFFu : 0u) << x << "," << y;
        EXPECT_TRUE(canvas.GuardsIntact());
        QRV_FastDot(0, 0, 0x123456, 1);
        EXPECT_EQ(canvas.Get(0, 0), 0x123456u);
    }
}

// Point clips to the viewport, the fast readers do not.
TEST(Pixels, ReadersExpandByFormat) {
    const struct { int format; uint32_t stored, argb; } cases[] = {
        {1, 0xFFFF, 0xF8FCF8},   {2, 0x8000, 0},                {2, 0xFFFF, 0xF8F8F8},
        {3, 0x112233, 0x112233}, {4, 0xAB123456, 0xAB123456}, {5, 0xAB123456, 0xAB123456}};
    for (const auto& k : cases) {
        Selected canvas(2, 2, k.format);
        canvas.Set(1, 1, k.stored);
        EXPECT_EQ(QRV_Point(1, 1), k.argb) << k.format;
        EXPECT_EQ(QRV_FastPoint(1, 1), k.argb) << k.format;
        EXPECT_EQ(QRV_FastPoint_JT(1, 1), k.argb) << k.format;
        QRV_SetBufferViewPort(0, 0, 1, 1);
        EXPECT_EQ(QRV_Point(1, 1), 0u);
        EXPECT_EQ(QRV_FastPoint(1, 1), k.argb);
    }
}

}  // namespace
