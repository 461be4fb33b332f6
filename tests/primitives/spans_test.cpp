#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "primitives/packed.h"
#include "primitives/spans.h"
#include "primitives/span_test_util.h"
#include "quorvel.h"
#include "support/canvas.h"

using namespace qrvtest;
using qrv::SpanRecord;

namespace {

// Random records inside the canvas: empty and reversed ones, odd and even
// starts, one-pixel runs, overlapping rows.
std::vector<SpanRecord> RandomSpans(std::mt19937& rng, int width, int height, int count) {
    std::vector<SpanRecord> spans;
    for (int i = 0; i < count; ++i) {
        const int y = static_cast<int>(rng() % height);
        const int a = static_cast<int>(rng() % (width + 1)), b = static_cast<int>(rng() % (width + 1));
        switch (rng() % 4) {
            case 0: spans.push_back(Span(y, b, a)); break;  // reversed or empty
            case 1: spans.push_back(Span(y, a, a < width ? a + 1 : a)); break;
            default: spans.push_back(Span(y, a < b ? a : b, a < b ? b : a));
        }
    }
    return spans;
}

// What the span filler must give with a mid-range alpha and a non-zero colour:
// the pixel rules, and the top-byte rule of the packed 32-bit bodies.
void ExpectSpansFollowPixelRules(int format, int mode, int mmx) {
    std::mt19937 rng(format * 7919 + mode * 31 + mmx);
    Canvas actual(67, 9, format), expected(67, 9, format);
    actual.Randomise(rng);
    expected.storage = actual.storage;
    const uint32_t colour = RandomColour(rng, format);
    const auto spans = RandomSpans(rng, actual.width, actual.height, 40);
    QRV_SetInkAlpha(100);
    ASSERT_EQ(QRV_SetMMXState(mmx), mmx);

    expected.Select();
    for (const SpanRecord& r : spans) {
        for (int x = r.xLeft; x < r.xRight; ++x) {
            const uint32_t before = expected.Get(x, r.y);
            QRV_DrawPixel(x, r.y, colour, mode);
            if (mmx == 1 && CombinesTopByte(mode, format))
                expected.Set(x, r.y, (expected.Get(x, r.y) & 0xFFFFFF) | TopByteRule(mode, before, colour) << 24);
        }
    }
    actual.Select();
    qrv::FillSpans(spans.data(), static_cast<int32_t>(spans.size()), colour, mode);
    ASSERT_TRUE(actual.GuardsIntact());
    ASSERT_TRUE(actual.storage == expected.storage) << "format " << format << " mode " << mode << " mmx " << mmx;
}

}  // namespace

TEST(SpanFiller, EveryModeAndFormatFollowsThePixelRules) {
    SettingsGuard guard;
    for (auto set : {qrv::KernelSet::Scalar, qrv::KernelSet::Sse2}) {
        qrv::SetKernelSet(set);
        for (int format : kAllFormats)
            for (int mode : kAllModes)
                for (int mmx : {0, 1}) ExpectSpansFollowPixelRules(format, mode, mmx);
    }
}

TEST(SpanFiller, EmptyAndReversedRecordsWriteNothingAndOnePixelAtAnOddColumnWritesOne) {
    SettingsGuard guard;
    QRV_SetInkAlpha(100);
    for (int format : kAllFormats) {
        for (int mode : kAllModes) {
            Canvas c(8, 2, format);
            c.Clear(0x35);
            c.Select();
            const auto before = c.Snapshot();
            const SpanRecord none[] = {Span(0, 3, 3), Span(1, 5, 2)};
            const uint32_t colour = 0xAAAAAAAAu & PixelMask(format);
            qrv::FillSpans(none, 2, colour, mode);
            EXPECT_TRUE(c.storage == before) << format << " " << mode;

            const SpanRecord one = Span(1, 3, 4);
            qrv::FillSpans(&one, 1, colour, mode);
            EXPECT_TRUE(UnchangedOutside(c, before, 3, 1, 4, 2)) << format << " " << mode;
            EXPECT_NE(c.Get(3, 1), 0x35353535u & PixelMask(format)) << format << " " << mode;
        }
    }
}

TEST(SpanFiller, RecordsAreFilledInArrayOrder) {
    // Half twice on the same pixels is not half once: both records are applied.
    Canvas c(4, 1, 4);
    c.Clear(0);
    c.Select();
    const SpanRecord twice[] = {Span(0, 0, 4), Span(0, 1, 3)};
    qrv::FillSpans(twice, 2, 0x00808080, 32);
    EXPECT_EQ(c.Get(0, 0), 0x00404040u);
    EXPECT_EQ(c.Get(1, 0), 0x00606060u);
}

TEST(SpanFiller, SixteenBitInkAlphaCutoffs) {
    SettingsGuard guard;
    for (int format : {1, 2}) {
        Canvas c(6, 1, format);
        c.Select();
        const SpanRecord r = Span(0, 0, 6);
        QRV_SetInkAlpha(16);
        qrv::FillSpans(&r, 1, 0x7FFF, 16);
        EXPECT_EQ(c.Get(0, 0), 0u) << "alpha 16 leaves spans alone";
        QRV_DrawPixel(0, 0, 0x7FFF, 16);
        EXPECT_NE(c.Get(0, 0), 0u) << "while a single pixel blends";

        QRV_SetInkAlpha(17);
        qrv::FillSpans(&r, 1, 0x7FFF, 16);
        EXPECT_NE(c.Get(5, 0), 0u);
        EXPECT_NE(c.Get(5, 0), 0x7FFFu);

        QRV_SetInkAlpha(240);
        qrv::FillSpans(&r, 1, 0x7FFF, 16);
        for (int x = 0; x < 6; ++x) EXPECT_EQ(c.Get(x, 0), 0x7FFFu) << "alpha 240 fills plainly";
    }
}

TEST(SpanFiller, WideFormatInkAlphaCutoffs) {
    SettingsGuard guard;
    for (int format : {3, 4, 5}) {
        Canvas c(3, 1, format);
        c.Clear(0x20);
        c.Select();
        const SpanRecord r = Span(0, 0, 3);
        const uint32_t colour = format == 3 ? 0xC0C0C0 : 0xFFC0C0C0;
        QRV_SetInkAlpha(0);
        qrv::FillSpans(&r, 1, colour, 16);
        EXPECT_EQ(c.Get(1, 0), format == 3 ? 0x202020u : 0x20202020u);
        QRV_SetInkAlpha(1);
        qrv::FillSpans(&r, 1, colour, 16);
        EXPECT_EQ(c.Get(1, 0), format == 3 ? 0x202020u : 0x00202020u) << "alpha 1 blends (by less than one step)";
        QRV_SetInkAlpha(254);
        qrv::FillSpans(&r, 1, colour, 16);
        EXPECT_EQ(c.Get(1, 0), 0x00BEBEBEu) << "alpha 254 blends, the top byte becomes 0";
        QRV_SetInkAlpha(255);
        qrv::FillSpans(&r, 1, colour, 16);
        EXPECT_EQ(c.Get(1, 0), colour) << "alpha 255 writes the colour, top byte included";
    }
}

TEST(SpanFiller, AddAndSubtractOfColourZero) {
    SettingsGuard guard;
    for (int mmx : {0, 1}) {
        QRV_SetMMXState(mmx);
        for (int format : kAllFormats) {
            for (int mode : {64, 128}) {
                Canvas c(5, 1, format);
                c.Clear(0x9C);
                c.Select();
                const auto before = c.Snapshot();
                const SpanRecord r = Span(0, 0, 5);
                qrv::FillSpans(&r, 1, 0, mode);
                // 16-bit and 32-bit stop at once; 24-bit rewrites the same bytes.
                EXPECT_TRUE(c.storage == before) << format << " " << mode;
                qrv::DrawStrip(0, 0, 5, 0, mode);
                if (format != 5) {
                    EXPECT_TRUE(c.storage == before) << "strip " << format << " " << mode;
                } else {
                    // The strip has no format-5 add or subtract body of its
                    // own: the single-pixel rule clears the top byte.
                    for (int x = 0; x < 5; ++x) EXPECT_EQ(c.Get(x, 0), 0x009C9C9Cu) << mmx << " " << mode;
                }
            }
        }
    }
}

TEST(SpanFiller, MmxStateDecidesTheTopByteOfAdd) {
    SettingsGuard guard;
    for (int format : {4, 5}) {
        Canvas c(3, 1, format);
        c.Select();
        const SpanRecord r = Span(0, 0, 3);
        for (int mmx : {1, 0}) {
            for (int x = 0; x < 3; ++x) c.Set(x, 0, 0x80102030);
            QRV_SetMMXState(mmx);
            qrv::FillSpans(&r, 1, 0x90000000, 64);
            for (int x = 0; x < 3; ++x) EXPECT_EQ(c.Get(x, 0), mmx ? 0xFF102030u : 0x00102030u);
        }
        for (int x = 0; x < 3; ++x) c.Set(x, 0, 0x80FF8040);
        QRV_SetMMXState(1);
        qrv::FillSpans(&r, 1, 0x40804080, 128);
        EXPECT_EQ(c.Get(1, 0), 0x407F4000u);
        qrv::FillSpans(&r, 1, 0x80808080, 2048);
        EXPECT_EQ(c.Get(1, 0), 0x203F2000u);
        qrv::FillSpans(&r, 1, 0x50FF0101, 4096);
        EXPECT_EQ(c.Get(1, 0), 0x30C00001u);
        for (int x = 0; x < 3; ++x) c.Set(x, 0, 0xFFFFFFFF);
        qrv::FillSpans(&r, 1, 0xFFFFFFFF, 32);
        EXPECT_EQ(c.Get(1, 0), 0x00FEFEFEu) << "half clears the top byte in both states";
    }
}

TEST(SpanFiller, TwentyFourBitReplaceStopsAtTheLastPixel) {
    Canvas c(8, 1, 3);
    c.Clear(0xEE);
    c.Select();
    const SpanRecord r = Span(0, 0, 5);
    qrv::FillSpans(&r, 1, 0x123456, 1);
    const uint8_t rgb[] = {0x12, 0x34, 0x56};
    for (int i = 0; i < 15; ++i) EXPECT_EQ(c.Base()[i], rgb[i % 3]) << i;
    for (int i = 15; i < 24; ++i) EXPECT_EQ(c.Base()[i], 0xEE) << i;
}

TEST(SpanFiller, UnknownModesAndFormatsDrawNothing) {
    SettingsGuard guard;
    for (int format : {0, 1, 3, 4, 6, -1}) {
        Canvas c(4, 1, format >= 1 && format <= 5 ? format : 4);
        c.Select();
        QRV_SetBuffer(c.Base(), c.pitch, format);
        const auto before = c.Snapshot();
        const SpanRecord r = Span(0, 0, 4);
        for (int mode : {0, 3, 8, 17, 8192, -1, 0x10000})
            qrv::FillSpans(&r, 1, 0xFFFFFFFF, mode);
        if (format < 1 || format > 5) qrv::FillSpans(&r, 1, 0xFFFFFFFF, 1);
        EXPECT_TRUE(c.storage == before) << format;
    }
}

TEST(DrawStrip, InkAlphaCutoffsDifferFromTheSpanFiller) {
    SettingsGuard guard;
    for (int format : {1, 2}) {
        Canvas c(5, 1, format);
        c.Select();
        QRV_SetInkAlpha(14);
        QRV_DrawStrip(0, 0, 5, 0x7FFF, 16);
        EXPECT_EQ(c.Get(2, 0), 0u) << "alpha 14 writes nothing";
        QRV_SetInkAlpha(15);
        QRV_DrawStrip(0, 0, 5, 0x7FFF, 16);
        EXPECT_EQ(c.Get(2, 0), format == 1 ? 0x0061u : 0x0421u) << "alpha 15 blends";
        QRV_SetInkAlpha(250);
        QRV_DrawStrip(0, 0, 5, 0x7FFF, 16);
        EXPECT_NE(c.Get(4, 0), 0x7FFFu & (format == 1 ? 0xFFFF : 0x7FFF)) << "alpha 250 still blends";
        QRV_SetInkAlpha(255);
        QRV_DrawStrip(0, 1, 5, 0x7FFF, 16);
        EXPECT_EQ(c.Get(4, 0), 0x7FFFu);
        EXPECT_NE(c.Get(0, 0), 0x7FFFu);
    }
}

TEST(DrawStrip, WritesTheHalfOpenRunOnly) {
    for (int format : kAllFormats) {
        Canvas c(10, 3, format);
        c.Select();
        const auto before = c.Snapshot();
        QRV_DrawStrip(1, 4, 4, 0xFFFF, 1);
        QRV_DrawStrip(1, 6, 2, 0xFFFF, 1);
        EXPECT_TRUE(c.storage == before);
        QRV_DrawStrip(1, 3, 8, 0x1234, 2);
        EXPECT_TRUE(UnchangedOutside(c, before, 3, 1, 8, 2));
        for (int x = 3; x < 8; ++x) EXPECT_EQ(c.Get(x, 1), 0x1234u);
        EXPECT_TRUE(c.GuardsIntact());
    }
}

// Chosen behaviour: the strip draws every mode in every format. Where it has
// no body of its own (reverse subtract, multiply outside 5-6-5, add and
// subtract in format 5) it follows the single-pixel rules: no zero-colour
// shortcut, and the 32-bit top byte cleared whatever the MMX state.
TEST(DrawStrip, DrawsTheRemainingModesByThePixelRules) {
    SettingsGuard guard;
    struct Case { int format, mode; uint32_t pixel, colour, expected; };
    const Case cases[] = {
        {1, 4096, 0x8410, 0xFFFF, 0x7BEF},
        {2, 2048, 0x7FFF, 0x4210, 0x3DEF},
        {3, 2048, 0xFF8000, 0x80FF40, 0x7F7F00},
        {4, 2048, 0x80FF8000, 0x8080FF40, 0x007F7F00},
        {4, 4096, 0x10404040, 0x50808080, 0x00404040},
        {5, 64, 0xFF808080, 0x00C0C0C0, 0x00FFFFFF},
        {5, 64, 0x80102030, 0x90000000, 0x00102030},
        {5, 64, 0x9C9C9C9C, 0, 0x009C9C9C},
        {5, 128, 0x80404040, 0x00808080, 0},
        {5, 2048, 0xFFFF8000, 0xFF80FF40, 0x007F7F00},
        {5, 4096, 0x40404040, 0x80808080, 0x00404040},
    };
    for (int mmx : {0, 1}) {
        QRV_SetMMXState(mmx);
        for (const Case& k : cases) {
            Canvas c(3, 1, k.format);
            c.Select();
            for (int x = 0; x < 3; ++x) c.Set(x, 0, k.pixel);
            QRV_DrawStrip(0, 0, 3, k.colour, k.mode);
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(c.Get(x, 0), k.expected) << k.format << " " << k.mode << " mmx " << mmx;
        }
    }
}

TEST(DrawStrip, RemainingModesEqualSinglePixelsOnRandomRuns) {
    SettingsGuard guard;
    struct Gap { int format, mode; };
    const Gap gaps[] = {{1, 4096}, {2, 4096}, {3, 4096}, {4, 4096}, {5, 4096}, {2, 2048}, {3, 2048},
                        {4, 2048}, {5, 2048}, {5, 64},   {5, 128}};
    std::mt19937 rng(4096);
    for (auto set : {qrv::KernelSet::Scalar, qrv::KernelSet::Sse2}) {
        qrv::SetKernelSet(set);
        for (const Gap& k : gaps) {
            for (int mmx : {0, 1}) {
                QRV_SetMMXState(mmx);
                for (int round = 0; round < 4; ++round) {
                    Canvas strip(90, 1, k.format), pixels(90, 1, k.format);
                    strip.Randomise(rng);
                    pixels.storage = strip.storage;
                    const uint32_t colour = round == 0 ? 0 : RandomColour(rng, k.format);
                    const int x0 = static_cast<int>(rng() % 10), x1 = x0 + static_cast<int>(rng() % 80);
                    strip.Select();
                    QRV_DrawStrip(0, x0, x1, colour, k.mode);
                    pixels.Select();
                    for (int x = x0; x < x1; ++x) QRV_DrawPixel(x, 0, colour, k.mode);
                    EXPECT_TRUE(strip.GuardsIntact());
                    EXPECT_TRUE(strip.storage == pixels.storage)
                        << k.format << " " << k.mode << " mmx " << mmx << " colour " << std::hex << colour;
                }
            }
        }
    }
}

TEST(SpanBuffer, GrowsOnlyAndHoldsWhatWasAskedFor) {
    qrv::SpanRecord* small = qrv::GetSpanBuffer(4);
    ASSERT_NE(small, nullptr);
    qrv::SpanRecord* big = qrv::GetSpanBuffer(5000);
    ASSERT_NE(big, nullptr);
    for (int i = 0; i < 5000; ++i) big[i] = Span(i, 0, 1);  // all of it is writable (checked under ASan)
    EXPECT_EQ(qrv::GetSpanBuffer(10), big);
    EXPECT_EQ(qrv::GetSpanBuffer(5000), big);
    EXPECT_EQ(qrv::GetSpanBuffer(0), big);
}
