#include <gtest/gtest.h>

#include <random>

#include "primitives/span_test_util.h"

using namespace qrvtest;
using qrv::KernelSet;
using qrv::SpanRecord;

// The top byte of a 32-bit pixel under the packed add, subtract, reverse
// subtract and multiply bodies with MMX state 1: the byte rule of the mode.
static uint32_t TopByteRule(int mode, uint32_t d, uint32_t c) {
    const uint32_t x = d >> 24, y = c >> 24;
    switch (mode) {
        case 64: return x + y > 255 ? 255 : x + y;
        case 128: return x > y ? x - y : 0;
        case 4096: return y > x ? y - x : 0;
        default: return (x * y) >> 8;
    }
}

// Random records and strips with a mid-range alpha and a non-zero colour give
// the single-pixel results, except the top byte of the packed 32-bit bodies
// under MMX state 1. Chosen behaviour: the strip draws every mode in every
// format; where it has no body of its own (reverse subtract, multiply outside
// 5-6-5, add and subtract in format 5) it follows the single-pixel rules and
// clears the top byte whatever the MMX state.
TEST(SpanFiller, RecordsAndStripsFollowThePixelRulesInEveryModeFormatAndMmxState) {
    SettingsGuard guard;
    QRV_SetInkAlpha(100);
    for (auto set : {KernelSet::Scalar, KernelSet::Sse2}) {
        qrv::SetKernelSet(set);
        for (int format : kAllFormats)
            for (int mode : kAllModes)
                for (int mmx = 0; mmx < MmxStates(); ++mmx) {
                    ASSERT_EQ(QRV_SetMMXState(mmx), mmx);
                    std::mt19937 rng(format * 7919 + mode * 31 + mmx);
                    Canvas actual(67, 9, format), expected(67, 9, format);
                    actual.Randomise(rng);
                    expected.storage = actual.storage;
                    const uint32_t colour = RandomColour(rng, format);
                    const auto spans = RandomSpans(rng, actual.width, actual.height, 40);
                    const auto strips = RandomSpans(rng, actual.width, actual.height, 4);
                    actual.Select();
                    qrv::FillSpans(spans.data(), static_cast<int32_t>(spans.size()), colour, mode);
                    for (const SpanRecord& s : strips) QRV_DrawStrip(s.y, s.xLeft, s.xRight, colour, mode);

                    const bool stripByPixels = mode == 4096 || (mode == 2048 && format != 1) ||
                                               ((mode == 64 || mode == 128) && format == 5);
                    const bool keepsTop =
                        mmx == 1 && format >= 4 && (mode == 64 || mode == 128 || mode == 2048 || mode == 4096);
                    expected.Select();
                    auto plot = [&](const SpanRecord& r, bool top) {
                        for (int x = r.xLeft; x < r.xRight; ++x) {
                            const uint32_t before = expected.Get(x, r.y);
                            QRV_DrawPixel(x, r.y, colour, mode);
                            if (top) expected.Set(x, r.y, (expected.Get(x, r.y) & 0xFFFFFF) | TopByteRule(mode, before, colour) << 24);
                        }
                    };
                    for (const SpanRecord& r : spans) plot(r, keepsTop);
                    for (const SpanRecord& s : strips) plot(s, keepsTop && !stripByPixels);
                    ASSERT_TRUE(actual.GuardsIntact());
                    ASSERT_TRUE(actual.storage == expected.storage)
                        << "format " << format << " mode " << mode << " mmx " << mmx << " set " << int(set);
                }
    }
}

// Below the first cut-off nothing is drawn, from the second on the colour is
// written plainly, between them the pixels blend as single pixels do. The
// span filler and the strip differ in 16-bit formats only.
TEST(InkAlpha, CutoffsOfTheSpanFillerAndTheStrip) {
    SettingsGuard guard;
    struct Case { bool strip, sixteen; int firstBlend, firstPlain; };
    const Case cases[] = {{false, true, 17, 240}, {true, true, 15, 255}, {false, false, 1, 255}, {true, false, 1, 255}};
    for (const Case& k : cases)
        for (int format : kAllFormats)
            for (int alpha : {k.firstBlend - 1, k.firstBlend, k.firstPlain - 1, k.firstPlain}) {
                if ((format <= 2) != k.sixteen) continue;
                const uint32_t colour = 0xFFC0C0C0 & PixelMask(format);
                QRV_SetInkAlpha(alpha);
                Canvas blend(1, 1, format), c(9, 1, format);
                blend.Clear(0x20);
                blend.Select();
                QRV_DrawPixel(0, 0, colour, 16);
                const uint32_t expected = alpha < k.firstBlend    ? 0x20202020 & PixelMask(format)
                                          : alpha >= k.firstPlain ? colour : blend.Get(0, 0);
                c.Clear(0x20);
                c.Select();
                const SpanRecord r = Span(0, 0, 9);
                k.strip ? QRV_DrawStrip(0, 0, 9, colour, 16) : qrv::FillSpans(&r, 1, colour, 16);
                for (int x = 0; x < 9; ++x)
                    EXPECT_EQ(c.Get(x, 0), expected) << "strip " << k.strip << " format " << format << " alpha " << alpha;
            }
}

// Adding or subtracting colour 0 leaves the pixels (the 24-bit runs rewrite
// the same bytes). The strip has no format-5 add or subtract body of its own:
// the single-pixel rule clears the top byte there, whatever the MMX state.
TEST(SpanFiller, AddAndSubtractOfColourZero) {
    SettingsGuard guard;
    for (int mmx : {0, 1})
        for (int format : kAllFormats)
            for (int mode : {64, 128})
                for (bool strip : {false, true}) {
                    QRV_SetMMXState(mmx);
                    Canvas c(5, 1, format);
                    c.Clear(0x9C);
                    c.Select();
                    const SpanRecord r = Span(0, 0, 5);
                    strip ? QRV_DrawStrip(0, 0, 5, 0, mode) : qrv::FillSpans(&r, 1, 0, mode);
                    for (int x = 0; x < 5; ++x)
                        EXPECT_EQ(c.Get(x, 0), strip && format == 5 ? 0x009C9C9Cu : 0x9C9C9C9Cu & PixelMask(format))
                            << "strip " << strip << " format " << format << " mode " << mode << " mmx " << mmx;
                }
}

// With MMX state 1 the 32-bit add, subtract, multiply and reverse subtract
// runs combine the top byte by their byte rule; with 0 they clear it; half
// clears it in both. Each case starts from the result of the one before.
TEST(SpanFiller, MmxStateDecidesTheTopByte) {
    SettingsGuard guard;
    struct Case { int mode; uint32_t pixel, colour, mmx1, mmx0; };
    const Case cases[] = {
        {64, 0x80102030, 0x90000000, 0xFF102030, 0x00102030},   {128, 0x80FF8040, 0x40804080, 0x407F4000, 0x007F4000},
        {2048, 0x407F4000, 0x80808080, 0x203F2000, 0x003F2000}, {4096, 0x203F2000, 0x50FF0101, 0x30C00001, 0x00C00001},
        {32, 0xFFFFFFFF, 0xFFFFFFFF, 0x00FEFEFE, 0x00FEFEFE},
    };
    for (int format : {4, 5})
        for (int mmx = 0; mmx < MmxStates(); ++mmx)
            for (const Case& k : cases) {
                QRV_SetMMXState(mmx);
                Canvas c(9, 1, format);
                c.Select();
                for (int x = 0; x < 9; ++x) c.Set(x, 0, k.pixel);
                const SpanRecord r = Span(0, 0, 9);
                qrv::FillSpans(&r, 1, k.colour, k.mode);
                for (int x = 0; x < 9; ++x) EXPECT_EQ(c.Get(x, 0), mmx ? k.mmx1 : k.mmx0) << k.mode << " " << mmx;
            }
}

TEST(SpanFiller, TwentyFourBitReplaceWritesRedFirstAndStopsAtTheLastPixel) {
    Canvas c(8, 1, 3);
    c.Clear(0xEE);
    c.Select();
    const SpanRecord r = Span(0, 0, 5);
    qrv::FillSpans(&r, 1, 0x123456, 1);
    const uint8_t rgb[] = {0x12, 0x34, 0x56};
    for (int i = 0; i < 24; ++i) EXPECT_EQ(c.Base()[i], i < 15 ? rgb[i % 3] : 0xEE) << i;
}

TEST(SpanFiller, UnknownModesAndFormatsDrawNothing) {
    for (int format : {0, 1, 3, 4, 6, -1}) {
        Canvas c(4, 1, format >= 1 && format <= 5 ? format : 4);
        c.Select();
        QRV_SetBuffer(c.Base(), c.pitch, format);
        const auto before = c.Snapshot();
        const SpanRecord r = Span(0, 0, 4);
        for (int mode : {0, 3, 8, 17, 8192, -1, 0x10000}) qrv::FillSpans(&r, 1, 0xFFFFFFFF, mode);
        if (format < 1 || format > 5) qrv::FillSpans(&r, 1, 0xFFFFFFFF, 1);
        EXPECT_TRUE(c.storage == before) << format;
    }
}

TEST(SpanBuffer, GrowsOnlyAndHoldsWhatWasAskedFor) {
    ASSERT_NE(qrv::GetSpanBuffer(4), nullptr);
    SpanRecord* big = qrv::GetSpanBuffer(5000);
    ASSERT_NE(big, nullptr);
    for (int i = 0; i < 5000; ++i) big[i] = Span(i, 0, 1);  // all of it is writable (checked under ASan)
    for (int records : {10, 5000, 0}) EXPECT_EQ(qrv::GetSpanBuffer(records), big);
}
