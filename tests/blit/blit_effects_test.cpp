#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "support/canvas.h"

namespace {

using qrvtest::Canvas;

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

class BlitFxTest : public ::testing::Test {
protected:
    void SetUp() override { QRV_Init_Lib(); }
    void TearDown() override { QRV_SetMMXState(1); }
};

struct Case {
    int mode;
    Op op;
    int useBlend;
    bool writesBack, destIsOldSource;
    int formats;  // bit n: format n served
};

// The last four are served in no format: left alone.
constexpr Case kCases[] = {
    {1, kCut, 0, true, true, 0x16},      {32, kMix, 1, false, false, 0x16},  {33, kMix, 0, true, true, 0x16},
    {64, kAdd, 1, false, false, 0x16},   {64, kAdd, 0, true, false, 0x16},   {128, kSub, 1, false, false, 0x16},
    {129, kSub, 2, true, false, 0x16},   {1024, kMul, 1, false, false, 0x16}, {8192, kMul, 1, false, false, 0x3E},
    {8192, kMul, 0, false, false, 0x3E}, {16384, kMul, 0, true, true, 0x36}, {16384, kMul, 1, true, true, 0},
    {1024, kMul, 0, false, false, 0},    {2048, kMul, 1, false, false, 0},   {96, kMix, 1, false, false, 0},
};

// Every mode, every source format, both MMX states, random pixels and colours:
// the destination and the source end as the rules say, or untouched for a
// format the mode does not serve or a destination whose pixels have another
// size (it would be written past its rows).
TEST_F(BlitFxTest, EveryModeAndFormat) {
    std::mt19937 rng(11);
    for (int state = 0; state < qrvtest::MmxStates(); ++state) {
        QRV_SetMMXState(state);
        for (const Case& c : kCases) {
            for (int format : qrvtest::kAllFormats) {
                Canvas s(23, 6, format), b(23, 6, format), d(23, 6, format, 1);
                for (Canvas* canvas : {&s, &b, &d}) canvas->Randomise(rng);
                Canvas s0 = s, d0 = d;
                const uint32_t colour = rng();
                QRV_SetSrcBuffer(s.Base(), s.pitch, format);
                QRV_SetSrcBlendBuffer(b.Base(), b.pitch, format);
                QRV_SetBuffer(d.Base(), d.pitch, format <= 2 ? 4 : 1);
                QRV_BlitFX(0, 0, 23, 6, 0, 0, 0, 0, c.mode, colour, c.useBlend, 0);
                d.Select();
                QRV_BlitFX(0, 0, 23, 6, 0, 0, 0, 0, c.mode, colour, c.useBlend, 0);
                const bool served = (c.formats >> format & 1) != 0;
                const uint32_t x0 = RGBForBuffer(colour, format);
                for (int y = 0; y < 6; ++y)
                    for (int x = 0; x < 23; ++x) {
                        const uint32_t sp = s0.Get(x, y);
                        const uint32_t r = Expected(c.op, format, sp, c.useBlend == 1 ? b.Get(x, y) : x0,
                                                    c.useBlend == 1, state == 1);
                        const uint32_t wantS = served && c.writesBack ? r : sp;
                        const uint32_t wantD = !served ? d0.Get(x, y) : c.destIsOldSource ? sp : r;
                        ASSERT_EQ(s.Get(x, y), wantS) << "mode " << c.mode << " format " << format << " mmx " << state;
                        ASSERT_EQ(d.Get(x, y), wantD) << "mode " << c.mode << " format " << format << " mmx " << state;
                    }
                EXPECT_TRUE(d.GuardsIntact());
            }
        }
    }
}

// Random rectangles against a viewport: the destination changes only inside
// the clipped rectangle, the source only inside its aligned counterpart.
TEST_F(BlitFxTest, ClippedEffectsStayInside) {
    std::mt19937 rng(14);
    for (int format : {1, 2, 4}) {
        Canvas s(40, 40, format, 2), d(40, 40, format, 2);
        QRV_SetSrcBuffer(s.Base(), s.pitch, format);
        d.Select();
        for (int i = 0; i < 60; ++i) {
            const int l = rng() % 15, t = rng() % 15, r = l + rng() % 25, b = t + rng() % 25;
            QRV_SetBufferViewPort(l, t, r, b);
            const int x1 = rng() % 30, y1 = rng() % 30, w = rng() % 11, h = rng() % 11;
            const int dx = int(rng() % 50) - 10, dy = int(rng() % 50) - 10;
            s.Randomise(rng);
            d.Randomise(rng);
            const auto sBefore = s.Snapshot(), dBefore = d.Snapshot();
            QRV_BlitFX(x1, y1, x1 + w, y1 + h, dx, dy, 0, 0, 64, rng() | 0x010101, 0, 0);
            const int cl = std::max(l, dx), ct = std::max(t, dy);
            const int cr = std::min(r, dx + w), cb = std::min(b, dy + h);
            ASSERT_TRUE(d.GuardsIntact());
            ASSERT_TRUE(s.GuardsIntact());
            ASSERT_TRUE(qrvtest::UnchangedOutside(d, dBefore, cl, ct, cr, cb));
            ASSERT_TRUE(qrvtest::UnchangedOutside(s, sBefore, cl - dx + x1, ct - dy + y1, cr - dx + x1, cb - dy + y1));
            for (int y = ct; y < cb; ++y)
                for (int x = cl; x < cr; ++x) ASSERT_EQ(d.Get(x, y), s.Get(x - dx + x1, y - dy + y1));
        }
    }
}

// Stored and read back; async keeps its low bit.
TEST_F(BlitFxTest, SettingsAreStoredAndReadBack) {
    EXPECT_EQ(QRV_GetBlitThreads(), 4);
    EXPECT_TRUE(QRV_BlitThreads(-7) == -7 && QRV_GetBlitThreads() == -7);
    EXPECT_EQ(QRV_GetBlitAsync(), 0);
    EXPECT_TRUE(QRV_BlitAsync(3) == 1 && QRV_GetBlitAsync() == 1 && QRV_BlitAsync(2) == 0);
}

}  // namespace
