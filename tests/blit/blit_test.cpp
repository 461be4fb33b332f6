#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>

#include "primitives/packed.h"
#include "primitives/span_test_util.h"
#include "support/canvas.h"

namespace {

using qrvtest::Canvas;

// The conversion table stated pixel by pixel, independently of the library.
uint32_t Converted(int dst, int src, uint32_t p) {
    if (dst == src || (dst >= 4 && src >= 4)) return p;
    if (src <= 2 && dst <= 2) return src == 2 ? ((p & 0x7FE0) << 1) | (p & 0x1F) : ((p >> 1) & 0x7FE0) | (p & 0x1F);
    // The source as 0x00RRGGBB (0xAARRGGBB from 32 bits).
    const uint32_t argb = src == 1   ? ((p & 0xF800) << 8) | ((p & 0x07E0) << 5) | ((p & 0x1F) << 3)
                          : src == 2 ? ((p & 0x7C00) << 9) | ((p & 0x03E0) << 6) | ((p & 0x1F) << 3)
                                     : p;
    if (dst == 1) return ((argb >> 8) & 0xF800) | ((argb >> 5) & 0x07E0) | ((argb >> 3) & 0x1F);
    if (dst == 2) return ((argb >> 9) & 0x7C00) | ((argb >> 6) & 0x03E0) | ((argb >> 3) & 0x1F);
    return dst == 3 ? argb & 0xFFFFFF : argb;
}

uint32_t RandomPixel(std::mt19937& rng, int format) { return rng() & qrvtest::PixelMask(format); }

uint32_t KeyIn(int format, uint32_t mask) { return RGBForBuffer(mask, format); }

void SelectSource(Canvas& c) { QRV_SetSrcBuffer(c.Base(), c.pitch, c.format); }

class BlitTest : public ::testing::Test {
protected:
    qrvtest::SettingsGuard guard;
    void SetUp() override { QRV_Init_Lib(); }
};

// Every pair and both MMX states, all 65536 16-bit values, random 24- and
// 32-bit ones. (The plain bodies are held to the packed ones row by row.)
TEST_F(BlitTest, SolidConversionMatrixIsExact) {
    std::mt19937 rng(1);
    for (int state = 0; state < 2; ++state) {
        QRV_SetMMXState(state);
        for (int src : qrvtest::kAllFormats) {
            Canvas s(256, 256, src);
            for (int y = 0; y < 256; ++y)
                for (int x = 0; x < 256; ++x) s.Set(x, y, src <= 2 ? uint32_t(y * 256 + x) : RandomPixel(rng, src));
            SelectSource(s);
            for (int dst : qrvtest::kAllFormats) {
                Canvas d(256, 256, dst, 1);
                d.Select();
                QRV_Blit(0, 0, 256, 256, 0, 0, 0, 0);
                for (int y = 0; y < 256; ++y)
                    for (int x = 0; x < 256; ++x)
                        ASSERT_EQ(d.Get(x, y), Converted(dst, src, s.Get(x, y)))
                            << "dst " << dst << " src " << src << " state " << state << " at " << x << "," << y;
                EXPECT_TRUE(d.GuardsIntact());
            }
        }
    }
}

// The blend rules of a 0xAARRGGBB source, stated as the packed formulas.
uint32_t BlendedInto(int dst, int state, uint32_t d, uint32_t p, uint32_t key) {
    uint32_t a = p >> 24;
    if (dst == 4 && state == 1) {
        uint32_t r = 0;  // every byte, alpha included; no pixel is skipped
        for (int sh = 0; sh < 32; sh += 8) r |= ((((d >> sh) & 255) * (256 - a) + ((p >> sh) & 255) * a) >> 8) << sh;
        return r;
    }
    // The alpha keeps as many bits as the widest field; red and blue share a word.
    const int bits = dst == 1 ? 6 : dst == 2 ? 5 : 8;
    a >>= 8 - bits;
    if (a == 0 || (dst == 4 && p == key)) return d;
    if (a >= (bits == 8 ? 254u : (1u << bits) - 1)) return Converted(dst, 4, p);
    const uint32_t w = Converted(4, dst, d), rb = dst <= 2 ? 0xF800F8 : 0xFF00FF;
    const uint32_t gm = dst == 1 ? 0xFC00 : dst == 2 ? 0xF800 : 0xFF00;
    auto blend = [&](uint32_t m) { return (((((p & m) - (w & m)) * a) >> bits) + (w & m)) & m; };
    return Converted(dst, 4, blend(rb) | blend(gm));
}

// Every alpha value in every row, random colours, masked into each format.
TEST_F(BlitTest, AlphaSourceBlendsByThePackedFormulas) {
    std::mt19937 rng(3);
    const uint32_t mask = 0x7F203040;
    for (int state = 0; state < qrvtest::MmxStates(); ++state) {
        QRV_SetMMXState(state);
        for (int dst = 1; dst <= 4; ++dst) {
            Canvas s(256, 16, 5), d(256, 16, dst, 1);
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 256; ++x) s.Set(x, y, (uint32_t(x) << 24) | (rng() & 0xFFFFFF));
            s.Set(0x7F, 3, mask);
            s.Set(0xFF, 4, mask | 0xFF000000);  // the mask colour under another alpha is blended
            d.Randomise(rng);
            Canvas before = d;
            SelectSource(s);
            d.Select();
            QRV_Blit(0, 0, 256, 16, 0, 0, mask, 1);
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 256; ++x)
                    ASSERT_EQ(d.Get(x, y), BlendedInto(dst, state, before.Get(x, y), s.Get(x, y), mask))
                        << "dst " << dst << " state " << state << " at " << x << "," << y;
            EXPECT_TRUE(d.GuardsIntact());
        }
    }
}

// Wholly outside on each side, at an edge, empty, with coordinates near the
// ends of the 32-bit range (nothing may wrap back into the viewport), or
// without a valid source, format or destination.
TEST_F(BlitTest, RejectedBlitsDrawNothing) {
    Canvas s(16, 16, 4), d(40, 40, 4);
    s.Clear(0x77);
    SelectSource(s);
    d.Select();
    QRV_SetBufferViewPort(10, 10, 30, 30);
    const auto before = d.Snapshot();
    const int big = INT_MAX, small = INT_MIN;
    const int cases[][6] = {
        {0, 0, 4, 4, 31, 12},  {0, 0, 4, 4, 30, 12},  // right of, and at, the right edge
        {0, 0, 4, 4, 12, 31},  {0, 0, 4, 4, 12, 30},  // below
        {0, 0, 4, 4, 5, 12},   {0, 0, 4, 4, 6, 12},   // left: ends on the left edge
        {0, 0, 4, 4, 12, 5},   {0, 0, 4, 4, 12, 6},   // above
        {4, 0, 4, 4, 12, 12},  {5, 0, 4, 4, 12, 12},  // no width
        {0, 4, 4, 4, 12, 12},  {0, 5, 4, 4, 12, 12},  // no height
        {0, 0, 8, 8, big - 3, 12}, {small, 0, big, 4, 12, 12}, {0, 0, 4, 4, small, small},
        {0, 0, 4, 4, big, big},    {0, small, 4, big, 12, small + 10},
    };
    for (const auto& c : cases) QRV_Blit(c[0], c[1], c[2], c[3], c[4], c[5], 0, 0);
    QRV_SetSrcBuffer(s.Base(), s.pitch, 6);
    QRV_Blit(0, 0, 4, 4, 12, 12, 0, 0);
    QRV_SetSrcBuffer(nullptr, s.pitch, 4);
    QRV_Blit(0, 0, 4, 4, 12, 12, 0, 0);
    SelectSource(s);
    QRV_SetBuffer(d.Base(), d.pitch, 0);
    QRV_Blit(0, 0, 4, 4, 12, 12, 0, 0);
    EXPECT_EQ(d.Snapshot(), before);
}

// Random rectangles and positions against a viewport inside a guarded
// destination, every format pair and MMX state, plain and masked (flags act as
// their low bit), through the blit and the effect blit's mode 0: every pixel
// that lands inside the viewport comes from the source pixel at the same
// offset, skipped exactly where that equals the mask colour in the source
// format (5-6-5 and 5-5-5 included; another 32-bit top byte is copied);
// nothing else changes, the source included.
TEST_F(BlitTest, ClippedBlitsStayAlignedAndSkipTheMaskColour) {
    std::mt19937 rng(4);
    const uint32_t mask = 0x80C0A060;
    for (int state = 0; state < 2; ++state) {
        QRV_SetMMXState(state);
        for (int src : qrvtest::kAllFormats)
            for (int dst : qrvtest::kAllFormats) {
                Canvas s(48, 40, src, 3), d(50, 44, dst, 1);
                const uint32_t key = KeyIn(src, mask), otherTop = src >= 4 ? 0xFF000000 : 0;
                for (int y = 0; y < 40; ++y)
                    for (int x = 0; x < 48; ++x)
                        s.Set(x, y, rng() % 3 ? RandomPixel(rng, src) : rng() % 4 ? key : key ^ otherTop);
                const auto srcBefore = s.Snapshot();
                SelectSource(s);
                d.Select();
                for (int i = 0; i < 32; ++i) {
                    const int flags = i % 4;
                    const int l = rng() % 20, t = rng() % 20, r = l + rng() % 30, b = t + rng() % 24;
                    QRV_SetBufferViewPort(l, t, r, b);
                    const int x1 = rng() % 48, y1 = rng() % 40;
                    const int x2 = x1 + rng() % (49 - x1), y2 = y1 + rng() % (41 - y1);
                    const int dx = int(rng() % 70) - 20, dy = int(rng() % 64) - 20;
                    d.Randomise(rng);
                    Canvas before = d;
                    if (i & 4) QRV_BlitFX(x1, y1, x2, y2, dx, dy, mask, flags, 0, rng(), 1, 0);
                    else QRV_Blit(x1, y1, x2, y2, dx, dy, mask, flags);
                    const int cl = std::max(l, dx), ct = std::max(t, dy);
                    const int cr = std::min(r, dx + x2 - x1), cb = std::min(b, dy + y2 - y1);
                    ASSERT_TRUE(qrvtest::UnchangedOutside(d, before.Snapshot(), cl, ct, cr, cb));
                    ASSERT_TRUE(d.GuardsIntact());
                    ASSERT_EQ(s.Snapshot(), srcBefore);
                    if ((flags & 1) && src == 5 && dst != 5) continue;  // alpha blends, tested above
                    for (int y = ct; y < cb; ++y)
                        for (int x = cl; x < cr; ++x) {
                            const uint32_t p = s.Get(x - dx + x1, y - dy + y1);
                            const bool skipped = (flags & 1) && p == key;
                            ASSERT_EQ(d.Get(x, y), skipped ? before.Get(x, y) : Converted(dst, src, p))
                                << "dst " << dst << " src " << src << " state " << state << " flags " << flags;
                        }
                }
            }
    }
}

// Moving a picture within one buffer copies it whole in every direction,
// masked or not, in both kernel sets; rows long enough to be worked in
// pieces, and the last case moves whole rows down.
TEST_F(BlitTest, OverlappingCopyWithinOneBuffer) {
    const uint32_t mask = 0x00FF00FF;
    // {x1, y1, x2, y2, offset x, offset y}: right, left, down, up, whole rows down.
    const int moves[][6] = {{8, 8, 792, 24, 3, 0}, {8, 8, 792, 24, -3, 0}, {8, 8, 792, 24, 0, 5},
                            {8, 8, 792, 24, 0, -5}, {0, 0, 800, 20, 0, 4}};
    for (auto set : {qrv::KernelSet::Sse2, qrv::KernelSet::Scalar}) {
        qrv::SetKernelSet(set);
        for (int format : {1, 3, 4})
            for (int flags : {0, 1})
                for (const auto& [x1, y1, x2, y2, ox, oy] : moves) {
                    Canvas c(800, 32, format);
                    const uint32_t key = KeyIn(format, mask);
                    for (int y = 0; y < 32; ++y)
                        for (int x = 0; x < 800; ++x)
                            c.Set(x, y, (x * 3 + y) % 7 == 0 ? key : static_cast<uint32_t>(y * 800 + x + 1));
                    Canvas original = c;
                    c.Select();
                    SelectSource(c);
                    QRV_Blit(x1, y1, x2, y2, x1 + ox, y1 + oy, mask, flags);
                    for (int y = y1; y < y2; ++y)
                        for (int x = x1; x < x2; ++x) {
                            const uint32_t p = original.Get(x, y);
                            ASSERT_EQ(c.Get(x + ox, y + oy), flags == 1 && p == key ? original.Get(x + ox, y + oy) : p)
                                << "format " << format << " flags " << flags << " move " << ox << "," << oy;
                        }
                }
    }
}

}  // namespace
