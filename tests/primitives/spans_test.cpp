// The span filler and the strip: their pixels against the single-pixel
// rules, every packed kernel set against the plain loops, and their edges.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <random>
#include <string>

#include "primitives/draw_test_util.h"

using namespace qrvtest;
using qrv::KernelSet;
using qrv::SpanRecord;

// The pixels of a row of n, each first set to `pixel`, after one run of the
// colour across it through the span filler or the strip.
static std::vector<uint32_t> RowAfterRun(int format, bool strip, uint32_t pixel, uint32_t colour, int mode, int n = 9) {
    Selected c(n, 1, format);
    for (int x = 0; x < n; ++x) c.Set(x, 0, pixel);
    const SpanRecord r = Span(0, 0, n);
    strip ? QRV_DrawStrip(0, 0, n, colour, mode) : qrv::FillSpans(&r, 1, colour, mode);
    EXPECT_TRUE(c.GuardsIntact());
    std::vector<uint32_t> row;
    for (int x = 0; x < n; ++x) row.push_back(c.Get(x, 0));
    return row;
}

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

// Random records and strips on rows of every pitch alignment: empty and
// reversed ones, runs of 0 to 331 pixels from every start column. Every
// packed kernel set gives the bytes of the plain loops, and the plain loops
// give the single-pixel results, but for these rules:
// - with MMX state 1 the packed 32-bit add, subtract, reverse subtract and
//   multiply bodies combine the top byte by its byte rule;
// - adding or subtracting colour 0 leaves the pixels (the 24-bit runs rewrite
//   the same bytes);
// - below the first ink-alpha cut-off nothing is drawn, from the second on
//   the colour is written plainly; the span filler and the strip differ in
//   16-bit formats only.
// Chosen behaviour: the strip draws every mode in every format; where it has
// no body of its own (reverse subtract, multiply outside 5-6-5, add and
// subtract in format 5) it follows the single-pixel rules, with no zero-colour
// shortcut, and clears the top byte whatever the MMX state.
TEST(SpanFiller, FollowsThePixelRulesAndEveryKernelSetAgreesInEveryModeFormatAndMmxState) {
    SettingsGuard guard;
    constexpr int kWidth = 331, kHeight = 24;
    const int alphas[] = {0, 1, 14, 15, 16, 17, 100, 239, 240, 254, 255};
    std::mt19937 rng(20261206);
    for (int format : kAllFormats)
        for (int slack : {0, 1, 2, 3}) {
            Canvas plain(kWidth, kHeight, format, slack), packed = plain, expected = plain;
            for (int mode : kAllModes)
                for (int mmx = 0; mmx < MmxStates(); ++mmx)
                    for (int round = 0; round < 8; ++round) {
                        ASSERT_EQ(QRV_SetMMXState(mmx), mmx);
                        const int alpha = mode == 16 ? alphas[rng() % 11] : 100;
                        QRV_SetInkAlpha(alpha);
                        plain.Randomise(rng);
                        const auto before = plain.storage;
                        // Colour 0 stops add and subtract early; all ones saturates every field.
                        const uint32_t colour = round == 0 ? 0 : round == 1 ? PixelMask(format) : RandomColour(rng, format);
                        const auto spans = RandomSpans(rng, kWidth, kHeight, 40);  // rows overlap
                        const auto strips = RandomSpans(rng, kWidth, kHeight, 4);
                        auto draw = [&](Canvas& c, KernelSet set) {
                            qrv::SetKernelSet(set);
                            c.Select();
                            qrv::FillSpans(spans.data(), static_cast<int32_t>(spans.size()), colour, mode);
                            for (const SpanRecord& s : strips) QRV_DrawStrip(s.y, s.xLeft, s.xRight, colour, mode);
                        };
                        SCOPED_TRACE("format " + std::to_string(format) + " mode " + std::to_string(mode) + " mmx " +
                                     std::to_string(mmx) + " alpha " + std::to_string(alpha) + " colour " +
                                     std::to_string(colour) + " slack " + std::to_string(slack));
                        draw(plain, KernelSet::Scalar);
                        ASSERT_TRUE(plain.GuardsIntact());
                        const bool stripByPixels =
                            mode == 4096 || (mode == 2048 && format != 1) || ((mode == 64 || mode == 128) && format == 5);
                        const bool keepsTop =
                            mmx == 1 && format >= 4 && (mode == 64 || mode == 128 || mode == 2048 || mode == 4096);
                        const bool skipsZero = colour == 0 && (mode == 64 || mode == 128);
                        // The mode a run's pixels take, 0 for none.
                        auto modeOf = [&](bool strip) {
                            if (mode != 16) return mode;
                            const bool sixteen = format <= 2;
                            const int skipBelow = sixteen ? (strip ? 15 : 17) : 1, plainFrom = sixteen && !strip ? 240 : 255;
                            return alpha < skipBelow ? 0 : alpha >= plainFrom ? 1 : 16;
                        };
                        expected.storage = before;
                        expected.Select();
                        auto plot = [&](const SpanRecord& r, int pixelMode, bool top) {
                            for (int x = r.xLeft; x < r.xRight && pixelMode != 0; ++x) {
                                const uint32_t under = expected.Get(x, r.y);
                                QRV_DrawPixel(x, r.y, colour, pixelMode);
                                if (top) expected.Set(x, r.y, (expected.Get(x, r.y) & 0xFFFFFF) | TopByteRule(mode, under, colour) << 24);
                            }
                        };
                        for (const SpanRecord& r : spans)
                            if (!skipsZero) plot(r, modeOf(false), keepsTop);
                        for (const SpanRecord& s : strips)
                            if (!skipsZero || stripByPixels) plot(s, modeOf(true), keepsTop && !stripByPixels);
                        ASSERT_TRUE(plain.storage == expected.storage) << "against the single pixels";
                        for (KernelSet set : PackedSets()) {
                            packed.storage = before;
                            draw(packed, set);
                            ASSERT_TRUE(packed.GuardsIntact());
                            ASSERT_TRUE(plain.storage == packed.storage) << "set " << static_cast<int>(set);
                        }
                    }
        }
}

// With MMX state 1 the 32-bit add, subtract, multiply and reverse subtract
// runs combine the top byte by their byte rule; with 0 they clear it; half
// clears it in both.
TEST(SpanFiller, MmxStateDecidesTheTopByte) {
    SettingsGuard guard;
    const struct { int mode; uint32_t pixel, colour, mmx1, mmx0; } cases[] = {
        {64, 0x80102030, 0x90000000, 0xFF102030, 0x00102030},   {128, 0x80FF8040, 0x40804080, 0x407F4000, 0x007F4000},
        {2048, 0x407F4000, 0x80808080, 0x203F2000, 0x003F2000}, {4096, 0x203F2000, 0x50FF0101, 0x30C00001, 0x00C00001},
        {32, 0xFFFFFFFF, 0xFFFFFFFF, 0x00FEFEFE, 0x00FEFEFE}};
    for (int format : {4, 5})
        for (int mmx = 0; mmx < MmxStates(); ++mmx)
            for (const auto& k : cases) {
                QRV_SetMMXState(mmx);
                EXPECT_EQ(RowAfterRun(format, false, k.pixel, k.colour, k.mode), std::vector<uint32_t>(9, mmx ? k.mmx1 : k.mmx0))
                    << k.mode << " " << mmx;
            }
}

TEST(SpanFiller, UnknownModesAndFormatsDrawNothing) {
    for (int format : {0, 1, 3, 4, 6, -1}) {
        Selected c(4, 1, format >= 1 && format <= 5 ? format : 4);
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

// A run that ends on the last byte before an inaccessible page: any read or
// write past its last pixel faults. Every start byte alignment, every mode.
TEST(PackedSpans, NeverTouchTheByteAfterTheLastPixel) {
    SettingsGuard guard;
    QRV_SetInkAlpha(100);
    const long page = sysconf(_SC_PAGESIZE);
    auto* block = static_cast<uint8_t*>(mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(block, MAP_FAILED);
    ASSERT_EQ(mprotect(block + page, page, PROT_NONE), 0);
    for (auto set : {KernelSet::Scalar, KernelSet::Sse2, KernelSet::Avx2}) {
        qrv::SetKernelSet(set);
        for (int format : kAllFormats)
            for (int pixels : {1, 3, 4, 5, 15, 16, 17, 33, 64, 100})
                for (int skew = 0; skew < 16; ++skew) {
                    const int bytes = pixels * BytesPerPixel(format);
                    QRV_SetBuffer(block + page - skew - bytes, bytes, format);
                    const SpanRecord r = Span(0, 0, pixels);
                    const uint32_t colour = 0x00C08040 & PixelMask(format);
                    for (int mode : kAllModes)
                        for (int mmx : {0, 1}) {
                            QRV_SetMMXState(mmx);
                            qrv::FillSpans(&r, 1, colour, mode);
                            QRV_DrawStrip(0, 0, pixels, colour, mode);
                        }
                }
    }
    munmap(block, 2 * page);
}

TEST(PackedSpans, EnvironmentNamesTheKernelSet) {
    SettingsGuard guard;
    const KernelSet sse2 = qrv::HavePackedKernels() ? KernelSet::Sse2 : KernelSet::Scalar;
    const KernelSet widest = qrv::KernelSetAvailable(KernelSet::Avx2) ? KernelSet::Avx2 : sse2;
    for (auto [name, want] : {std::pair<const char*, KernelSet>{"scalar", KernelSet::Scalar}, {"sse2", sse2},
                              {"avx2", widest}, {nullptr, widest}, {"avx512", widest}})
        EXPECT_EQ(qrv::KernelSetNamed(name), want) << (name ? name : "no value");
    // A set the processor lacks runs as the widest narrower one.
    qrv::SetKernelSet(KernelSet::Avx2);
    EXPECT_EQ(qrv::ActiveKernelSet(), widest);
}
