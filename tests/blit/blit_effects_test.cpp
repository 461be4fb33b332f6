#include <algorithm>
#include <random>

#include "blit/blit_test_util.h"

namespace {

using namespace qrvtest;

enum Op { kCut, kMix, kAdd, kSub, kMul };

// The effect rules channel by channel. packedAlpha: the 32-bit top byte is a
// fourth channel of add, subtract and multiply.
uint32_t Expected(Op op, int format, uint32_t s, uint32_t x, bool againstBlend, bool packedAlpha) {
    if (op == kCut) return x;
    constexpr int kShift[3][4] = {{11, 5, 0}, {10, 5, 0}, {16, 8, 0, 24}};
    constexpr int kWidth[3][4] = {{5, 6, 5}, {5, 5, 5}, {8, 8, 8, 8}};
    const int f = format <= 2 ? format - 1 : 2, channels = format >= 4 && packedAlpha && op != kMix ? 4 : 3;
    uint32_t r = 0;
    for (int i = 0; i < channels; ++i) {
        const int shift = kShift[f][i], width = kWidth[f][i];
        const uint32_t max = (1u << width) - 1, a = (s >> shift) & max, b = (x >> shift) & max;
        uint32_t v;
        switch (op) {
            case kMix: v = format == 2 && againstBlend ? (a + b) >> 1 : (a >> 1) + (b >> 1); break;
            case kAdd: v = std::min(a + b, max); break;
            case kSub: v = a > b ? a - b : 0; break;
            default: v = (a * b) >> width; break;
        }
        r |= v << shift;
    }
    return r;
}

// Every mode, every source format, both MMX states, random pixels and colours:
// the destination and the source end as the rules say, or untouched for a
// format the mode does not serve or a destination whose pixels have another
// size (it would be written past its rows).
TEST_F(BlitTest, EveryEffectModeAndFormat) {
    // formats: bit n set where format n is served.
    struct Case { int mode; Op op; int useBlend; bool writesBack, destIsOldSource; int formats; };
    // The last four are served in no format: left alone.
    constexpr Case kCases[] = {
        {1, kCut, 0, true, true, 0x16},      {32, kMix, 1, false, false, 0x16},   {33, kMix, 0, true, true, 0x16},
        {64, kAdd, 1, false, false, 0x16},   {64, kAdd, 0, true, false, 0x16},    {128, kSub, 1, false, false, 0x16},
        {129, kSub, 2, true, false, 0x16},   {1024, kMul, 1, false, false, 0x16}, {8192, kMul, 1, false, false, 0x3E},
        {8192, kMul, 0, false, false, 0x3E}, {16384, kMul, 0, true, true, 0x36},  {16384, kMul, 1, true, true, 0},
        {1024, kMul, 0, false, false, 0},    {2048, kMul, 1, false, false, 0},    {96, kMix, 1, false, false, 0},
    };
    std::mt19937 rng(11);
    for (int state = 0; state < MmxStates(); ++state) {
        QRV_SetMMXState(state);
        for (const Case& c : kCases)
            for (int format : kAllFormats) {
                Canvas s(23, 6, format), b(23, 6, format), d(23, 6, format, 1);
                for (Canvas* canvas : {&s, &b, &d}) canvas->Randomise(rng);
                Canvas s0 = s, d0 = d;
                const uint32_t colour = rng();
                SelectSource(s);
                QRV_SetSrcBlendBuffer(b.Base(), b.pitch, format);
                QRV_SetBuffer(d.Base(), d.pitch, format <= 2 ? 4 : 1);
                QRV_BlitFX(0, 0, 23, 6, 0, 0, 0, 0, c.mode, colour, c.useBlend, 0);
                d.Select();
                QRV_BlitFX(0, 0, 23, 6, 0, 0, 0, 0, c.mode, colour, c.useBlend, 0);
                const bool served = (c.formats >> format & 1) != 0;
                auto result = [&](int x, int y) {
                    const uint32_t with = c.useBlend == 1 ? b.Get(x, y) : RGBForBuffer(colour, format);
                    return Expected(c.op, format, s0.Get(x, y), with, c.useBlend == 1, state == 1);
                };
                SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " format " << format << " mmx " << state);
                ASSERT_TRUE(PixelsAre(s, 0, 0, 23, 6, [&](int x, int y) {
                    return served && c.writesBack ? result(x, y) : s0.Get(x, y);
                })) << "source";
                ASSERT_TRUE(PixelsAre(d, 0, 0, 23, 6, [&](int x, int y) {
                    return !served ? d0.Get(x, y) : c.destIsOldSource ? s0.Get(x, y) : result(x, y);
                }));
                EXPECT_TRUE(d.GuardsIntact());
            }
    }
}

// Stored and read back; async keeps its low bit.
TEST_F(BlitTest, SettingsAreStoredAndReadBack) {
    EXPECT_EQ(QRV_GetBlitThreads(), 4);
    EXPECT_TRUE(QRV_BlitThreads(-7) == -7 && QRV_GetBlitThreads() == -7);
    EXPECT_EQ(QRV_GetBlitAsync(), 0);
    EXPECT_TRUE(QRV_BlitAsync(3) == 1 && QRV_GetBlitAsync() == 1 && QRV_BlitAsync(2) == 0);
}

}  // namespace
