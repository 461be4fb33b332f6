#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "primitives/draw_test_util.h"

using namespace qrvtest;

namespace {

using Pixels = std::set<std::pair<int, int>>;

// The pixels whose value is not 0.
Pixels Lit(Canvas& c) {
    Pixels lit;
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x)
            if (c.Get(x, y) != 0) lit.insert({x, y});
    return lit;
}

// A line given by its minor coordinate (one digit) at each step along the
// major axis, which starts at `first`.
Pixels Along(bool steep, int first, const std::string& minor) {
    Pixels p;
    for (int i = 0; i < static_cast<int>(minor.size()); ++i)
        p.insert(steep ? std::pair{minor[i] - '0', first + i} : std::pair{first + i, minor[i] - '0'});
    return p;
}

}  // namespace

// Exact pixels of the three line routines. The general replace line steps in
// 16.16 with the minor axis rounded, includes both ends and gives the same
// pixels from either end. Chosen behaviour: horizontal lines take the mode by
// the rule every other line uses (mode AND 0xFFF0, 0 meaning replace), so mode
// 0 and style bits draw them too. The mode line steps in 18.14 and mode 0
// draws nothing. The 32-bit line stores its colour unconverted and starts its
// interior without a half-pixel offset.
TEST(Lines, ExactPixels) {
    SettingsGuard guard;
    QRV_SetInkAlpha(255);
    enum Entry { kGeneral, kModeLine, k32Bit };
    const struct { Entry entry; int x1, y1, x2, y2, mode; bool steep; int first; const char* minor; } cases[] = {
        {kGeneral, 5, 5, 5, 5, 1, true, 5, "5"},
        {kGeneral, 10, 3, 0, 3, 1, false, 0, "33333333333"},
        {kGeneral, 2, 1, 6, 1, 0, false, 2, "11111"},
        {kGeneral, 2, 1, 6, 1, 0x12, false, 2, "11111"},  // a style bit and ink alpha 255
        {kGeneral, 2, 3, 2, 0, 0, true, 0, "2222"},
        {kGeneral, 0, 0, 10, 5, 0, false, 0, "01122334455"},
        {kGeneral, 10, 5, 0, 0, 2, false, 0, "01122334455"},
        {kGeneral, 0, 10, 3, 0, 1, true, 0, "33222111100"},  // steep, upwards
        {kModeLine, 0, 0, 30, 7, 1, false, 0, "0001111222233333444455556666777"},
        {kModeLine, 2, 30, 9, 0, 1, true, 0, "9998888777766665555544443333222"},
        {kModeLine, 4, 4, 4, 4, 1, true, 4, "4"},
        {kModeLine, 0, 0, 9, 9, 0, true, 0, ""},
        {k32Bit, 0, 0, 10, 2, 0, false, 0, "00000011112"},  // (5, 0) truncated
        {k32Bit, 3, 7, 1, 0, 0, true, 0, "11112223"},
    };
    for (int format : kAllFormats)
        for (const auto& k : cases) {
            if (k.entry == k32Bit && format < 4) continue;  // it writes 32-bit words whatever the format
            const uint32_t colour = k.entry == k32Bit ? 0x80ABCDEF : RGBForBuffer(0xFFFFFF, format);
            Selected c(32, 32, format);
            if (k.entry == kGeneral) QRV_WriteLine(k.x1, k.y1, k.x2, k.y2, 0xFFFFFF, k.mode);
            if (k.entry == kModeLine) QRV_WriteDrawModeLine(k.x1, k.y1, k.x2, k.y2, colour, k.mode);
            if (k.entry == k32Bit) QRV_WriteLine_32Bit(k.x1, k.y1, k.x2, k.y2, colour, 0);
            const Pixels lit = Lit(c);
            EXPECT_EQ(lit, Along(k.steep, k.first, k.minor))
                << "entry " << k.entry << " format " << format << ": " << k.x1 << "," << k.y1 << " mode " << k.mode;
            for (auto [x, y] : lit) EXPECT_EQ(c.Get(x, y), colour);
            EXPECT_TRUE(c.GuardsIntact());
        }
}

// Over a long run the 18.14 slope of the mode line drifts from the 16.16
// slope of the replace line: column 92 of this line is the first where they part.
TEST(Lines, ModeLineAndReplaceLinePartOverLongRuns) {
    Selected c(104, 15, 1);
    QRV_WriteDrawModeLine(0, 14, 103, 0, 0xFFFF, 1);
    EXPECT_TRUE(Lit(c).count({92, 2}) && !Lit(c).count({92, 1}));
    c.Clear(0);
    QRV_WriteLine(0, 14, 103, 0, 0xFFFFFF, 0);
    EXPECT_TRUE(Lit(c).count({92, 1}) && !Lit(c).count({92, 2}));
}

// Ink alpha 0 and unknown modes leave the buffer, but for the 32-bit
// plotter: it always blends, so alpha 0 keeps the colour bytes and clears the
// top byte, as the single-pixel blend does, and alpha 255 stops short of white.
TEST(WriteLine, InkAlphaZeroAndUnknownModes) {
    SettingsGuard guard;
    for (int format : kAllFormats) {
        Selected c(12, 12, format);
        c.Clear(0x21);
        QRV_SetInkAlpha(0);
        QRV_WriteLine(1, 4, 9, 4, 0xFFFFFF, 16);
        QRV_WriteLine(1, 1, 9, 9, 0xFFFFFF, 16 | 2);
        QRV_SetInkAlpha(255);
        QRV_WriteLine(1, 1, 9, 7, 0xFFFFFF, 8192);
        QRV_WriteLine(1, 6, 9, 6, 0xFFFFFF, 8192);
        QRV_WriteLine(9, 1, 1, 7, 0xFFFFFF, 0x3000);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x)
                EXPECT_EQ(c.Get(x, y), format >= 4 && x == y && x >= 1 && x <= 9 ? 0x00212121u
                                                                                  : 0x21212121u & PixelMask(format))
                    << format << " " << x << "," << y;
        c.Clear(0);
        QRV_WriteLine(0, 0, 3, 2, 0xFFFFFF, 16);
        EXPECT_EQ(c.Get(3, 2), format >= 4 ? 0xFEFEFEu : RGBForBuffer(0xFFFFFF, format)) << format;
    }
}

// Every mode and format through the general line equals the mode line of
// QRV_DrawPixel, except the 32-bit alpha plotter (it always blends).
TEST(WriteLine, BlendedLinesMatchTheModeLine) {
    SettingsGuard guard;
    QRV_SetInkAlpha(90);
    const int ends[][4] = {{0, 0, 19, 7}, {3, 14, 9, 0}, {0, 9, 19, 2}, {5, 0, 6, 14}, {19, 3, 0, 11}};
    for (int format : kAllFormats)
        for (int mode : {16, 32, 64, 128, 256, 512, 1024, 2048, 4096})
            for (const auto& e : ends) {
                std::mt19937 rng(format + mode);
                Canvas a(20, 15, format), b(20, 15, format);
                a.Randomise(rng);
                b.storage = a.storage;
                a.Select();
                QRV_WriteLine(e[0], e[1], e[2], e[3], 0x00C08040, mode);
                b.Select();
                const int s = e[0] < e[2] ? 0 : 2;  // the mode line runs from its left end
                QRV_WriteDrawModeLine(e[s], e[s + 1], e[2 - s], e[3 - s], RGBForBuffer(0x00C08040, format), mode);
                EXPECT_TRUE(a.storage == b.storage) << format << " " << mode << " " << e[0];
            }
}

// The 32-bit line clips only a point and a vertical line's column, and writes
// whole words even into a 16-bit buffer.
TEST(WriteLine32Bit, ClipsOnlyThePointAndTheVerticalColumnAndWritesWholeWords) {
    Selected c(10, 10, 4);
    QRV_SetBufferViewPort(2, 2, 8, 8);
    QRV_WriteLine_32Bit(0, 5, 0, 9, 0xFF, 0);   // vertical outside the columns
    QRV_WriteLine_32Bit(1, 1, 1, 1, 0xFF, 0);   // point outside
    EXPECT_TRUE(Lit(c).empty());
    QRV_WriteLine_32Bit(0, 0, 9, 0, 0xFF, 0);   // horizontal: no test
    QRV_WriteLine_32Bit(3, 0, 3, 9, 0xFF, 0);   // vertical: rows not tested
    QRV_WriteLine_32Bit(4, 4, 4, 4, 0x00FF0000, 0);
    const Pixels lit = Lit(c);
    EXPECT_EQ(lit.size(), 10u + 9u + 1u);
    EXPECT_TRUE(lit.count({3, 9}) && lit.count({9, 0}) && lit.count({4, 4}));
    EXPECT_TRUE(c.GuardsIntact());
    Selected w(8, 2, 1);
    QRV_WriteLine_32Bit(0, 0, 1, 0, 0x12345678, 0);
    EXPECT_EQ(w.Get(0, 0), 0x5678u);
    EXPECT_EQ(w.Get(1, 0), 0x1234u);
    EXPECT_EQ(w.Get(2, 0), 0x5678u);
}
