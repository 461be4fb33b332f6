#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "support/canvas.h"

namespace {

using qrvtest::Canvas;

struct Fields {
    int shift[3], width[3];
};

Fields FieldsOf(int format) {
    if (format == 1) return {{11, 5, 0}, {5, 6, 5}};
    if (format == 2) return {{10, 5, 0}, {5, 5, 5}};
    return {{16, 8, 0}, {8, 8, 8}};
}

enum Op { kMix, kAdd, kSub, kMul };

// The effect rules channel by channel. packedAlpha: the 32-bit top byte is a
// fourth channel of add, subtract and multiply.
uint32_t Expected(Op op, int format, uint32_t s, uint32_t x, bool againstBlend, bool packedAlpha) {
    const Fields f = FieldsOf(format);
    const int channels = format >= 4 && packedAlpha && op != kMix ? 4 : 3;
    uint32_t r = 0;
    for (int i = 0; i < channels; ++i) {
        const int shift = i < 3 ? f.shift[i] : 24, width = i < 3 ? f.width[i] : 8;
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

constexpr Case kCases[] = {
    {32, kMix, 1, false, false, 0x16},   {33, kMix, 0, true, true, 0x16},  {64, kAdd, 1, false, false, 0x16},
    {64, kAdd, 0, true, false, 0x16},    {128, kSub, 1, false, false, 0x16}, {129, kSub, 2, true, false, 0x16},
    {1024, kMul, 1, false, false, 0x16}, {8192, kMul, 1, false, false, 0x3E}, {8192, kMul, 0, false, false, 0x3E},
    {16384, kMul, 0, true, true, 0x36},
};

// Every mode, every source format, both MMX states, random pixels and colours:
// the destination and the source end as the rules say, or untouched for a
// format the mode does not serve.
TEST_F(BlitFxTest, EveryModeAndFormat) {
    std::mt19937 rng(11);
    for (int state = 0; state < 2; ++state) {
        QRV_SetMMXState(state);
        for (const Case& c : kCases) {
            for (int format : qrvtest::kAllFormats) {
                Canvas s(23, 6, format), b(23, 6, format), d(23, 6, format, 1);
                s.Randomise(rng);
                b.Randomise(rng);
                d.Randomise(rng);
                Canvas s0 = s, d0 = d;
                const uint32_t colour = rng();
                QRV_SetSrcBuffer(s.Base(), s.pitch, format);
                QRV_SetSrcBlendBuffer(b.Base(), b.pitch, format);
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
                        ASSERT_EQ(s.Get(x, y), wantS) << "mode " << c.mode << " format " << format << " state " << state;
                        ASSERT_EQ(d.Get(x, y), wantD) << "mode " << c.mode << " format " << format << " state " << state;
                    }
                EXPECT_TRUE(d.GuardsIntact());
            }
        }
    }
}

TEST_F(BlitFxTest, CutCopiesThenFillsTheSource) {
    for (int format : {1, 2, 4}) {
        Canvas s(9, 3, format), d(9, 3, format);
        std::mt19937 rng(12);
        s.Randomise(rng);
        Canvas s0 = s;
        QRV_SetSrcBuffer(s.Base(), s.pitch, format);
        d.Select();
        QRV_BlitFX(0, 0, 9, 3, 0, 0, 0, 0, 1, 0x80FF8040, 0, 0);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 9; ++x) {
                ASSERT_EQ(d.Get(x, y), s0.Get(x, y));
                ASSERT_EQ(s.Get(x, y), RGBForBuffer(0x80FF8040, format));
            }
    }
}

TEST_F(BlitFxTest, SaturationExamples) {
    Canvas s(1, 1, 4), d(1, 1, 4);
    QRV_SetSrcBuffer(s.Base(), s.pitch, 4);
    d.Select();
    s.Set(0, 0, 0x00F0F0F0);
    QRV_BlitFX(0, 0, 1, 1, 0, 0, 0, 0, 64, 0x00101010, 0, 0);
    EXPECT_EQ(s.Get(0, 0), 0x00FFFFFFu);
    EXPECT_EQ(d.Get(0, 0), 0x00FFFFFFu);
    s.Set(0, 0, 0x00080808);
    QRV_BlitFX(0, 0, 1, 1, 0, 0, 0, 0, 128, 0x00101010, 0, 0);
    EXPECT_EQ(s.Get(0, 0), 0u);
    EXPECT_EQ(d.Get(0, 0), 0u);
}

// Mixing against a colour halves the way each time; the halves are rounded
// down, so from below white the source settles at 253 and from white at 254.
TEST_F(BlitFxTest, RepeatedMixSettlesNearTheColour) {
    Canvas s(2, 1, 4), d(2, 1, 4);
    QRV_SetSrcBuffer(s.Base(), s.pitch, 4);
    d.Select();
    s.Set(0, 0, 0x00000000);
    s.Set(1, 0, 0x00FFFFFF);
    QRV_BlitFX(0, 0, 2, 1, 0, 0, 0, 0, 32, 0x00FFFFFF, 0, 0);
    EXPECT_EQ(s.Get(0, 0), 0x007F7F7Fu);
    EXPECT_EQ(d.Get(1, 0), 0x00FFFFFFu);
    for (int i = 0; i < 12; ++i) QRV_BlitFX(0, 0, 2, 1, 0, 0, 0, 0, 32, 0x00FFFFFF, 0, 0);
    EXPECT_EQ(s.Get(0, 0), 0x00FDFDFDu);
    EXPECT_EQ(s.Get(1, 0), 0x00FEFEFEu);
    EXPECT_EQ(d.Get(1, 0), 0x00FEFEFEu);
}

TEST_F(BlitFxTest, ModeZeroIsThePlainBlit) {
    std::mt19937 rng(13);
    Canvas s(20, 20, 1), a(30, 30, 4), b(30, 30, 4);
    s.Randomise(rng);
    for (int y = 0; y < 20; y += 3) s.Set(5, y, RGBto565(0x00FF00FF));
    QRV_SetSrcBuffer(s.Base(), s.pitch, 1);
    a.Select();
    QRV_SetBufferViewPort(4, 3, 26, 25);
    QRV_Blit(2, 1, 19, 20, -3, 10, 0x00FF00FF, 1);
    b.Select();
    QRV_SetBufferViewPort(4, 3, 26, 25);
    QRV_BlitFX(2, 1, 19, 20, -3, 10, 0x00FF00FF, 1, 0, 0x123456, 1, 0);
    EXPECT_EQ(a.Snapshot(), b.Snapshot());
}

TEST_F(BlitFxTest, UnservedCombinationsDrawNothing) {
    Canvas s(4, 4, 4), b(4, 4, 4), d(4, 4, 4);
    s.Clear(0x40);
    b.Clear(0x40);
    QRV_SetSrcBuffer(s.Base(), s.pitch, 4);
    QRV_SetSrcBlendBuffer(b.Base(), b.pitch, 4);
    d.Select();
    const auto sBefore = s.Snapshot(), dBefore = d.Snapshot();
    QRV_BlitFX(0, 0, 4, 4, 0, 0, 0, 0, 16384, 0xFFFFFF, 1, 0);
    QRV_BlitFX(0, 0, 4, 4, 0, 0, 0, 0, 1024, 0xFFFFFF, 0, 0);
    QRV_BlitFX(0, 0, 4, 4, 0, 0, 0, 0, 2048, 0xFFFFFF, 1, 0);
    QRV_BlitFX(0, 0, 4, 4, 0, 0, 0, 0, 96, 0xFFFFFF, 1, 0);
    // A destination with another pixel size would be overrun: left alone.
    QRV_SetBuffer(d.Base(), d.pitch, 1);
    QRV_BlitFX(0, 0, 4, 4, 0, 0, 0, 0, 8192, 0xFFFFFF, 0, 0);
    EXPECT_EQ(s.Snapshot(), sBefore);
    EXPECT_EQ(d.Snapshot(), dBefore);
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

TEST_F(BlitFxTest, SettingsAreStoredAndReadBack) {
    EXPECT_EQ(QRV_GetBlitThreads(), 4);
    EXPECT_EQ(QRV_BlitThreads(100), 100);
    EXPECT_EQ(QRV_GetBlitThreads(), 100);
    EXPECT_EQ(QRV_BlitThreads(-7), -7);
    EXPECT_EQ(QRV_GetBlitAsync(), 0);
    EXPECT_EQ(QRV_BlitAsync(3), 1);
    EXPECT_EQ(QRV_GetBlitAsync(), 1);
    EXPECT_EQ(QRV_BlitAsync(2), 0);
}

}  // namespace
