// Gouraud spans per format and mode, Gouraud polygons and strips.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "frame/colour.h"
#include "polygons/edge_walk.h"
#include "polygons/gouraud_spans.h"
#include "polygons/poly_test_util.h"

using namespace qrvtest;
using qrv::SpanRecord;

namespace {

SpanRecord GouraudSpan(int y, int x0, int x1, uint32_t left, uint32_t right) {
    SpanRecord r = Span(y, x0, x1);
    r.leftAttr[0] = static_cast<int32_t>(left), r.rightAttr[0] = static_cast<int32_t>(right);
    return r;
}

constexpr int kGouraudModes[] = {1, 2, 32, 64, 128, 2048, 4096};

struct Gouraud : PolygonTest {
    Canvas canvas{32, 24, 4};
    void SetUp() override { PolygonTest::SetUp(), canvas.Select(); }
};

// Each channel's integer part cut to the field width; the pixels either side
// of the span keep their bytes.
TEST_F(Gouraud, SpanChannelReductionPerFormat) {
    struct Case { int format; uint32_t left, right; std::vector<uint32_t> want; };
    // Red 0 -> 0xFF over 4 pixels: integer parts 0, 63, 127, 191.
    const Case cases[] = {{1, 0x000000, 0x0000FF, {0, 3, 7, 11, 15, 19, 23, 27}},
                          {1, 0x000010, 0xFF0010, {0x0002, 0x3802, 0x7802, 0xB802}},
                          {2, 0x000010, 0xFF0010, {0x0002, 0x1C02, 0x3C02, 0x5C02}},
                          {3, 0x000010, 0xFF0010, {0x000010, 0x3F0010, 0x7F0010, 0xBF0010}},
                          {4, 0x000010, 0xFF0010, {0x000010, 0x3F0010, 0x7F0010, 0xBF0010}},
                          {5, 0x000010, 0xFF0010, {0x000010, 0x3F0010, 0x7F0010, 0xBF0010}}};
    for (const Case& k : cases) {
        const int n = static_cast<int>(k.want.size());
        Target c(n + 2, 1, k.format);
        c.Clear(0xFF);
        const SpanRecord r = GouraudSpan(0, 1, n + 1, k.left, k.right);
        qrv::DrawGouraudSpans(&r, 1, 0, 1);
        std::vector<uint32_t> want = k.want;
        want.insert(want.begin(), PixelMask(k.format)), want.push_back(PixelMask(k.format));
        EXPECT_EQ(PixelRow(c, 0), want) << k.format;
    }
}

// Pixel 1 has the interpolated colour 0x3F0010 over 0xFF808080: blending modes
// combine per channel and clear the top byte; modes without a Gouraud renderer
// draw nothing.
TEST_F(Gouraud, SpanBlendingModesCombinePerChannelAndClearTheTopByte) {
    Target c(4, 1, 5);
    const SpanRecord r = GouraudSpan(0, 0, 4, 0x000010, 0xFF0010);
    const uint32_t cases[][2] = {{32, 0x005F4048}, {64, 0x00BF8090}, {128, 0x00418070}, {2048, 0x001F0008},
                                 {4096, 0},        {0, 0xFF808080},  {8, 0xFF808080},   {16, 0xFF808080},
                                 {256, 0xFF808080}, {512, 0xFF808080}, {1024, 0xFF808080}, {8192, 0xFF808080}};
    for (const auto& [mode, pixel1] : cases) {
        Fill(c, 0xFF808080);
        qrv::DrawGouraudSpans(&r, 1, 0, static_cast<int32_t>(mode));
        EXPECT_EQ(c.Get(1, 0), pixel1) << "mode " << mode;
    }
}

// Equal ends go to the flat span filler, with its pixels (top bytes included).
TEST_F(Gouraud, SpanEqualEndsGiveTheSpanFillersPixels) {
    std::mt19937 rng(5);
    for (int format : kAllFormats)
        for (int mode : kGouraudModes)
            for (int mmx : {0, 1}) {
                QRV_SetMMXState(mmx);
                Canvas a(20, 1, format);
                a.Randomise(rng);
                Canvas b = a;
                const uint32_t colour = rng() & 0xFFFFFF;
                // 16-bit ends that differ only below the format's precision count as equal.
                const uint32_t other = format <= 2 ? colour ^ 0x030303 : colour;
                const uint32_t mask = format <= 2 ? 0xF8FCF8 : 0xFFFFFF;
                const bool shortcut = mode != 32 ? (mode > 2 || format >= 4) : format <= 2;
                if (!shortcut || (other & mask) != (colour & mask)) continue;
                a.Select();
                const SpanRecord g = GouraudSpan(0, 3, 17, colour, other), f = Span(0, 3, 17);
                qrv::DrawGouraudSpans(&g, 1, 0, mode);
                b.Select();
                qrv::FillSpans(&f, 1, qrv::ForBuffer(colour, format), mode);
                EXPECT_TRUE(a.storage == b.storage) << "format " << format << " mode " << mode << " mmx " << mmx;
            }
}

// The packed bodies give the plain bodies' pixels, in every packed set.
TEST_F(Gouraud, SpanPackedBodiesMatchPlainBodies) {
    std::mt19937 rng(99);
    for (int format : kAllFormats)
        for (int mode : kGouraudModes) {
            Canvas plain(310, 6, format);
            plain.Randomise(rng);
            const auto before = plain.storage;
            std::vector<SpanRecord> spans;
            for (int i = 0; i < 60; ++i) {
                const int x0 = static_cast<int>(rng() % 310);
                const int x1 = std::min(310, x0 + static_cast<int>(rng() % 301) - 4);
                spans.push_back(GouraudSpan(static_cast<int>(rng() % 6), x0, x1, rng() & 0xFFFFFF, rng() & 0xFFFFFF));
            }
            for (qrv::KernelSet set : AllSets()) {
                Canvas c(310, 6, format);
                c.storage = before;
                qrv::SetKernelSet(set);
                c.Select();
                qrv::DrawGouraudSpans(spans.data(), static_cast<int32_t>(spans.size()), 0, mode);
                ASSERT_TRUE(c.GuardsIntact());
                if (set == qrv::KernelSet::Scalar) plain = c;
                EXPECT_TRUE(plain.storage == c.storage) << format << " mode " << mode << " set " << int(set);
            }
        }
}

// Equal vertex colours render as the flat quad; a flat quad's slots shaded
// with other colours keep its outline; top bytes of vertex colours are ignored.
TEST_F(Gouraud, PolygonSharesTheFlatOutline) {
    Target flat(32, 24, 4);
    QRV_Quad(1, 1, 14, 3, 11, 11, 2, 8, 0x00345678, 2);
    canvas.Select();
    QRV_QuadG(1, 1, 0xFF345678, 14, 3, 0x345678, 11, 11, 0x7F345678, 2, 8, 0x345678, 2);
    EXPECT_TRUE(canvas.storage == flat.storage);
    canvas.Clear(0);
    QRV_QuadSetGouraud(0x102030, 0xF0F0F0, 0x808080, 0x203040);
    QRV_DrawGouraudPoly(4, 2);
    EXPECT_EQ(Picture(canvas), Picture(flat));
}

TEST_F(Gouraud, PolygonColoursFollowTheEdgesAcrossVertices) {
    // A vertical gradient down a rectangle: every row has one colour, stepping
    // by 0x10 per row in green.
    QRV_QuadG(2, 0, 0x000000, 10, 0, 0x000000, 10, 8, 0x008000, 2, 8, 0x008000, 2);
    for (int y = 0; y < 8; ++y) {
        EXPECT_EQ(canvas.Get(2, y), static_cast<uint32_t>(y * 0x10) << 8) << y;
        EXPECT_EQ(canvas.Get(9, y), canvas.Get(2, y));
    }
    EXPECT_EQ(RowExtent(canvas, 8), "");
}

// Rows cut by the viewport recompute their end colours from the chain
// colours and the per-pixel slope over the unclipped width.
TEST_F(Gouraud, ClippedPolygonRowsAdvanceTheirEndColours) {
    for (int32_t right : {32, 8}) {
        canvas.Clear(0);
        QRV_SetBufferViewPort(0, 0, right, 24);
        QRV_QuadG(-4, 0, 0x000000, 12, 0, 0x0000FF, 12, 4, 0x0000FF, -4, 4, 0x000000, 2);
        EXPECT_EQ(canvas.Get(0, 0), 0x3Fu);  // 4 pixels of (255 << 16) / 16 in, then 16 per pixel
        EXPECT_EQ(canvas.Get(std::min(right, 12) - 1, 3), right == 8 ? 0xAFu : 0xEFu);
        EXPECT_EQ(RowExtent(canvas, 3), right == 8 ? "0..7" : "0..11");
    }
}

// A strip stops before its end column, whichever end comes first, and keeps
// its gradient when clipped; the vertical strip draws in every format.
TEST_F(Gouraud, Strips) {
    QRV_HoriGouraudStrip(10, 0x000000, 20, 0xFF0000, 3);
    EXPECT_EQ(RowExtent(canvas, 3), "11..19");  // column 10 is black
    EXPECT_EQ(canvas.Get(19, 3), 0x00E50000u);  // 9 * (255 << 16) / 10
    Target swapped(32, 24, 4);
    QRV_HoriGouraudStrip(20, 0xFF0000, 10, 0x000000, 3);
    EXPECT_TRUE(swapped.storage == canvas.storage);

    canvas.Clear(0);
    canvas.Select();
    QRV_HoriGouraudStrip(-10, 0x000000, 10, 0x0000FF, 0);
    QRV_VertGouraudStrip(-10, 0x000000, 10, 0x0000FF, 0);
    EXPECT_EQ(RowExtent(canvas, 0), "0..9");
    EXPECT_EQ(canvas.Get(0, 0), 10u * 255 / 20);
    EXPECT_EQ(canvas.Get(9, 0), 19u * 255 / 20);
    EXPECT_EQ(canvas.Get(0, 9), 19u * 255 / 20);
    EXPECT_EQ(canvas.Get(0, 10), 0u);
    QRV_HoriGouraudStrip(5, 0xFFFFFF, 5, 0xFFFFFF, 5);  // zero length
    EXPECT_EQ(canvas.Get(5, 5), 0u);

    for (int format : kAllFormats) {
        Target c(4, 8, format);
        QRV_VertGouraudStrip(0, 0xFFFFFF, 8, 0xFFFFFF, 2);
        QRV_HoriGouraudStrip(0, 0xFFFFFF, 2, 0xFFFFFF, 0);
        EXPECT_EQ(RowExtent(c, 7), "2..2") << format;
        EXPECT_EQ(RowExtent(c, 0), "0..2") << format;
    }
}

}  // namespace
