#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "primitives/span_test_util.h"
#include "quorvel.h"
#include "support/canvas.h"

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

}  // namespace

TEST(WriteLine, SinglePointAndHorizontalRunsIncludeBothEnds) {
    for (int format : kAllFormats) {
        Canvas c(16, 8, format);
        c.Select();
        QRV_WriteLine(5, 5, 5, 5, 0xFFFFFF, 1);
        EXPECT_EQ(Lit(c), (Pixels{{5, 5}}));
        c.Clear(0);
        QRV_WriteLine(10, 3, 0, 3, 0xFFFFFF, 1);
        Pixels row;
        for (int x = 0; x <= 10; ++x) row.insert({x, 3});
        EXPECT_EQ(Lit(c), row);
        EXPECT_TRUE(c.GuardsIntact());
    }
}

TEST(WriteLine, ShallowReplaceLineRoundsTheMinorAxis) {
    Canvas c(16, 8, 4);
    c.Select();
    QRV_WriteLine(0, 0, 10, 5, 0xFFFFFF, 0);
    Pixels expected;
    for (int x = 0; x <= 10; ++x) expected.insert({x, (x * 32768 + 32768) >> 16});
    EXPECT_EQ(Lit(c), expected);
    EXPECT_TRUE(expected.count({1, 1}));
    // Drawn from the other end, the same pixels.
    Canvas d(16, 8, 4);
    d.Select();
    QRV_WriteLine(10, 5, 0, 0, 0xFFFFFF, 2);
    EXPECT_EQ(Lit(d), expected);
}

TEST(WriteLine, SteepReplaceLineRunsUpwards) {
    for (int format : kAllFormats) {
        Canvas c(8, 12, format);
        c.Select();
        QRV_WriteLine(0, 10, 3, 0, 0xFFFFFF, 1);
        const Pixels lit = Lit(c);
        ASSERT_EQ(lit.size(), 11u);
        std::set<int> rows;
        for (auto [x, y] : lit) rows.insert(y);
        EXPECT_EQ(rows.size(), 11u);
        EXPECT_TRUE(lit.count({0, 10}));
        EXPECT_TRUE(lit.count({3, 0}));
        // Column at row y: x accumulator 0x8000 + (10 - y) * ((3 << 16) / 10).
        for (int y = 0; y <= 10; ++y) EXPECT_TRUE(lit.count({(0x8000 + (10 - y) * ((3 << 16) / 10)) >> 16, y})) << y;
    }
}

TEST(WriteLine, InkAlphaZeroAndUnknownModesLeaveTheBuffer) {
    SettingsGuard guard;
    for (int format : kAllFormats) {
        Canvas c(12, 12, format);
        c.Clear(0x21);
        c.Select();
        const auto before = c.Snapshot();
        QRV_SetInkAlpha(0);
        QRV_WriteLine(1, 4, 9, 4, 0xFFFFFF, 16);
        if (format <= 3) QRV_WriteLine(1, 1, 9, 9, 0xFFFFFF, 16 | 2);  // no plotter: the pixel rule
        EXPECT_TRUE(c.storage == before) << format;
        QRV_SetInkAlpha(255);
        QRV_WriteLine(1, 1, 9, 7, 0xFFFFFF, 8192);
        QRV_WriteLine(1, 6, 9, 6, 0xFFFFFF, 8192);
        QRV_WriteLine(9, 1, 1, 7, 0xFFFFFF, 0x3000);
        EXPECT_TRUE(c.storage == before) << format;
    }
}

TEST(WriteLine, ThirtyTwoBitInkAlphaLinesBlendThroughThePlotter) {
    // The plotter always blends: alpha 0 keeps the colour bytes and clears the
    // top byte, as the single-pixel blend does.
    SettingsGuard guard;
    Canvas c(8, 8, 5);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) c.Set(x, y, 0xFF204060);
    c.Select();
    QRV_SetInkAlpha(0);
    QRV_WriteLine(0, 0, 7, 7, 0xFFFFFFFF, 16);
    EXPECT_EQ(c.Get(3, 3), 0x00204060u);
    EXPECT_EQ(c.Get(3, 4), 0xFF204060u);
    QRV_SetInkAlpha(128);
    QRV_WriteLine(0, 7, 7, 0, 0xFF000000, 16);
    EXPECT_EQ(c.Get(0, 7), 0x00102030u);
}

// Chosen behaviour: a horizontal line takes the mode by the rule every other
// line uses (mode AND 0xFFF0, 0 meaning replace), so mode 0 and style bits
// draw it too.
TEST(WriteLine, HorizontalLinesTakeTheModeLikeOtherLines) {
    SettingsGuard guard;
    QRV_SetInkAlpha(255);
    Canvas c(12, 4, 1);
    c.Select();
    QRV_WriteLine(2, 1, 6, 1, 0xFFFFFF, 0);
    QRV_WriteLine(2, 2, 6, 2, 0xFFFFFF, 0x12);  // style bit + ink alpha
    QRV_WriteLine(2, 3, 2, 0, 0xFFFFFF, 0);     // vertical
    for (int x = 2; x <= 6; ++x) {
        EXPECT_EQ(c.Get(x, 1), 0xFFFFu);
        EXPECT_EQ(c.Get(x, 2), 0xFFFFu);
    }
    EXPECT_EQ(c.Get(7, 1), 0u);
    EXPECT_EQ(c.Get(2, 0), 0xFFFFu);
}

TEST(WriteLine, BlendedLinesMatchTheModeLine) {
    // Every mode and format through the general line equals the mode line of
    // QRV_DrawPixel, except the 32-bit alpha plotter (it always blends).
    SettingsGuard guard;
    QRV_SetInkAlpha(90);
    const int ends[][4] = {{0, 0, 19, 7}, {3, 14, 9, 0}, {0, 9, 19, 2}, {5, 0, 6, 14}, {19, 3, 0, 11}};
    for (int format : kAllFormats) {
        for (int mode : {16, 32, 64, 128, 256, 512, 1024, 2048, 4096}) {
            for (const auto& e : ends) {
                std::mt19937 rng(format + mode);
                Canvas a(20, 15, format), b(20, 15, format);
                a.Randomise(rng);
                b.storage = a.storage;
                const uint32_t argb = 0x00C08040;
                a.Select();
                QRV_WriteLine(e[0], e[1], e[2], e[3], argb, mode);
                b.Select();
                const bool forward = e[0] < e[2];
                const int xs = forward ? e[0] : e[2], ys = forward ? e[1] : e[3];
                const int xe = forward ? e[2] : e[0], ye = forward ? e[3] : e[1];
                QRV_WriteDrawModeLine(xs, ys, xe, ye, RGBForBuffer(argb, format), mode);
                EXPECT_TRUE(a.storage == b.storage) << format << " " << mode << " " << e[0];
            }
        }
    }
}

TEST(WriteDrawModeLine, StepsInEighteenFourteenFixedPoint) {
    Canvas c(40, 40, 1);
    c.Select();
    QRV_WriteDrawModeLine(0, 0, 30, 7, 0xFFFF, 1);
    Pixels expected;
    const int slope = (7 << 14) / 30;
    for (int x = 0; x <= 30; ++x) expected.insert({x, (0x2000 + x * slope) >> 14});
    EXPECT_EQ(Lit(c), expected);

    c.Clear(0);
    QRV_WriteDrawModeLine(2, 30, 9, 0, 0xFFFF, 1);  // steep, upwards
    expected.clear();
    const int steep = (-7 << 14) / -30;
    for (int k = 0; k <= 30; ++k) expected.insert({((2 << 14 | 0x2000) + k * steep) >> 14, 30 - k});
    EXPECT_EQ(Lit(c), expected);

    c.Clear(0);
    QRV_WriteDrawModeLine(4, 4, 4, 4, 0xFFFF, 1);
    EXPECT_EQ(Lit(c), (Pixels{{4, 4}}));
    QRV_WriteDrawModeLine(0, 0, 9, 9, 0xFFFF, 0);
    EXPECT_EQ(Lit(c), (Pixels{{4, 4}})) << "mode 0 draws nothing here";
}

TEST(WriteLine32Bit, StoresTheColourUnconverted) {
    Canvas c(16, 8, 4);
    c.Select();
    QRV_WriteLine_32Bit(0, 0, 10, 2, 0x80ABCDEF, 0);
    Pixels expected;
    for (int x = 0; x < 10; ++x) expected.insert({x, (x * ((2 << 16) / 10)) >> 16});
    expected.insert({10, 2});
    EXPECT_EQ(Lit(c), expected);
    EXPECT_EQ(c.Get(10, 2), 0x80ABCDEFu);
    EXPECT_EQ(c.Get(5, 0), 0x80ABCDEFu) << "interior rows truncate";

    c.Clear(0);
    QRV_WriteLine_32Bit(3, 7, 1, 0, 0x11, 0);
    const Pixels steep = Lit(c);
    EXPECT_EQ(steep.size(), 8u);
    EXPECT_TRUE(steep.count({1, 0}) && steep.count({3, 7}));
    for (int k = 1; k < 7; ++k) EXPECT_TRUE(steep.count({(1 * 65536 + k * ((2 << 16) / 7)) >> 16, k})) << k;

    // A 16-bit buffer still gets 32-bit pixels.
    Canvas w(8, 2, 1);
    w.Select();
    QRV_WriteLine_32Bit(0, 0, 1, 0, 0x12345678, 0);
    EXPECT_EQ(w.Get(0, 0), 0x5678u);
    EXPECT_EQ(w.Get(1, 0), 0x1234u);
    EXPECT_EQ(w.Get(2, 0), 0x5678u);
}

TEST(WriteLine32Bit, ClipsOnlyThePointAndTheVerticalColumn) {
    Canvas c(10, 10, 4);
    c.Select();
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
}
