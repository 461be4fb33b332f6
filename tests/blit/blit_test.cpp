#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>

#include "primitives/packed.h"
#include "support/canvas.h"

namespace {

using qrvtest::Canvas;

// The conversion table stated pixel by pixel, independently of the library.
uint32_t Converted(int dst, int src, uint32_t p) {
    const bool d16 = dst <= 2, s16 = src <= 2;
    if (dst == src || (dst >= 4 && src >= 4)) return p;
    if (s16 && d16) return src == 2 ? ((p & 0x7FE0) << 1) | (p & 0x1F) : ((p >> 1) & 0x7FE0) | (p & 0x1F);
    uint32_t argb;  // the source as 0x00RRGGBB (0xAARRGGBB from 32 bits)
    if (src == 1) argb = ((p & 0xF800) << 8) | ((p & 0x07E0) << 5) | ((p & 0x1F) << 3);
    else if (src == 2) argb = ((p & 0x7C00) << 9) | ((p & 0x03E0) << 6) | ((p & 0x1F) << 3);
    else argb = p;
    if (dst == 1) return ((argb >> 8) & 0xF800) | ((argb >> 5) & 0x07E0) | ((argb >> 3) & 0x1F);
    if (dst == 2) return ((argb >> 9) & 0x7C00) | ((argb >> 6) & 0x03E0) | ((argb >> 3) & 0x1F);
    if (dst == 3) return argb & 0xFFFFFF;
    return argb;
}

uint32_t RandomPixel(std::mt19937& rng, int format) {
    const uint32_t v = rng();
    return format <= 2 ? v & 0xFFFF : (format == 3 ? v & 0xFFFFFF : v);
}

uint32_t KeyIn(int format, uint32_t mask) { return RGBForBuffer(mask, format); }

void SelectSource(Canvas& c) { QRV_SetSrcBuffer(c.Base(), c.pitch, c.format); }

// Blits the whole of s onto d at the origin with flags 1; every pixel of d
// must be want(its old value, the source pixel).
template <class Want>
void MaskedBlitAndCheck(Canvas& s, Canvas& d, uint32_t mask, Want want) {
    Canvas before = d;
    SelectSource(s);
    d.Select();
    QRV_Blit(0, 0, s.width, s.height, 0, 0, mask, 1);
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            ASSERT_EQ(d.Get(x, y), want(before.Get(x, y), s.Get(x, y)))
                << "dst " << d.format << " src " << s.format << " at " << x << "," << y;
    EXPECT_TRUE(d.GuardsIntact());
}

class BlitTest : public ::testing::Test {
protected:
    void SetUp() override { QRV_Init_Lib(); }
    void TearDown() override {
        QRV_SetMMXState(1);
        qrv::SetKernelSet(qrv::KernelSet::Sse2);
    }
};

// Every pair, both MMX states and both kernel sets: all 65536 16-bit values,
// random 24- and 32-bit ones.
TEST_F(BlitTest, SolidConversionMatrixIsExact) {
    std::mt19937 rng(1);
    for (int run = 0; run < 4; ++run) {
        const int state = run & 1;
        QRV_SetMMXState(state);
        qrv::SetKernelSet(run < 2 ? qrv::KernelSet::Sse2 : qrv::KernelSet::Scalar);
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

// Masked copies and conversions skip exactly the source pixels equal to the
// mask colour in the source format; 5-6-5 and 5-5-5 skip it too.
TEST_F(BlitTest, MaskedPairsSkipTheMaskColour) {
    std::mt19937 rng(2);
    const uint32_t mask = 0x80C0A060;
    for (int state = 0; state < 2; ++state) {
        QRV_SetMMXState(state);
        for (int src : qrvtest::kAllFormats) {
            for (int dst : qrvtest::kAllFormats) {
                if (src == 5 && dst != 5) continue;  // alpha blends, tested below
                Canvas s(37, 5, src), d(37, 5, dst);
                const uint32_t key = KeyIn(src, mask);
                for (int y = 0; y < 5; ++y)
                    for (int x = 0; x < 37; ++x) s.Set(x, y, rng() % 3 == 0 ? key : RandomPixel(rng, src));
                if (src >= 4) s.Set(1, 1, key ^ 0xFF000000);  // same colour, other top byte: copied
                d.Randomise(rng);
                MaskedBlitAndCheck(s, d, mask, [&](uint32_t old, uint32_t p) {
                    return p == key ? old : Converted(dst, src, p);
                });
            }
        }
    }
}

// Flag values other than 0 and 1 act as their low bit.
TEST_F(BlitTest, FlagsActAsTheirLowBit) {
    Canvas s(4, 1, 4), d(4, 1, 4);
    for (int x = 0; x < 4; ++x) s.Set(x, 0, x == 1 ? 0x00123456 : 0x00FFFFFF);
    SelectSource(s);
    d.Select();
    QRV_Blit(0, 0, 4, 1, 0, 0, 0x00123456, 3);
    EXPECT_EQ(d.Get(1, 0), 0u);
    QRV_Blit(0, 0, 4, 1, 0, 0, 0x00123456, 2);
    EXPECT_EQ(d.Get(1, 0), 0x00123456u);
}

// The blend rules of a 0xAARRGGBB source, stated as the packed formulas.
uint32_t BlendedInto(int dst, int state, uint32_t d, uint32_t p, uint32_t key) {
    if (dst == 4 && state == 1) {
        const uint32_t a = p >> 24;
        uint32_t r = 0;
        for (int sh = 0; sh < 32; sh += 8)
            r |= ((((d >> sh) & 255) * (256 - a) + ((p >> sh) & 255) * a) >> 8) << sh;
        return r;
    }
    if (dst >= 3) {
        const uint32_t a = p >> 24;
        if (a == 0 || (dst == 4 && p == key)) return d;
        if (a >= 254) return dst == 3 ? p & 0xFFFFFF : p;
        return ((((((p & 0xFF00FF) - (d & 0xFF00FF)) * a) >> 8) + (d & 0xFF00FF)) & 0xFF00FF) |
               ((((((p & 0xFF00) - (d & 0xFF00)) * a) >> 8) + (d & 0xFF00)) & 0xFF00);
    }
    const int bits = dst == 1 ? 6 : 5;
    const uint32_t a = p >> (32 - bits), full = (1u << bits) - 1;
    if (a == 0) return d;
    uint32_t r = p;
    if (a != full) {
        const uint32_t drb = dst == 1 ? ((d & 0xF800) << 8) | ((d & 0x1F) << 3) : ((d & 0x7C00) << 9) | ((d & 0x1F) << 3);
        const uint32_t dg = dst == 1 ? (d & 0x07E0) << 5 : (d & 0x03E0) << 6;
        const uint32_t gm = dst == 1 ? 0xFC00 : 0xF800;
        r = ((((((p & 0xF800F8) - drb) * a) >> bits) + drb) & 0xF800F8) |
            ((((((p & gm) - dg) * a) >> bits) + dg) & gm);
    }
    return Converted(dst, 4, r);
}

TEST_F(BlitTest, AlphaSourceBlendsByThePackedFormulas) {
    std::mt19937 rng(3);
    const uint32_t mask = 0x7F203040;
    for (int state = 0; state < 2; ++state) {
        QRV_SetMMXState(state);
        for (int dst = 1; dst <= 4; ++dst) {
            // Every alpha value in every row, random colours.
            Canvas s(256, 16, 5), d(256, 16, dst, 1);
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 256; ++x) s.Set(x, y, (uint32_t(x) << 24) | (rng() & 0xFFFFFF));
            s.Set(0x7F, 3, mask);
            d.Randomise(rng);
            MaskedBlitAndCheck(s, d, mask, [&](uint32_t old, uint32_t p) {
                return BlendedInto(dst, state, old, p, mask);
            });
        }
    }
}

// Wholly outside on each side, at an edge, empty, or with coordinates near
// the ends of the 32-bit range (nothing may wrap back into the viewport).
TEST_F(BlitTest, RejectedRectanglesDrawNothing) {
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
    EXPECT_EQ(d.Snapshot(), before);
}

// Random rectangles and positions against a viewport inside a guarded
// destination: every pixel that lands inside the viewport comes from the
// source pixel at the same offset, nothing else changes.
TEST_F(BlitTest, ClippedBlitsStayAlignedAndInsideTheViewport) {
    std::mt19937 rng(4);
    for (int state = 0; state < 2; ++state) {
        QRV_SetMMXState(state);
        for (int src : qrvtest::kAllFormats)
            for (int dst : qrvtest::kAllFormats) {
                Canvas s(48, 40, src, 3), d(50, 44, dst, 1);
                s.Randomise(rng);
                SelectSource(s);
                d.Select();
                const int flags = rng() & 1;
                for (int i = 0; i < 30; ++i) {
                    const int l = rng() % 20, t = rng() % 20, r = l + rng() % 30, b = t + rng() % 24;
                    QRV_SetBufferViewPort(l, t, r, b);
                    const int x1 = rng() % 48, y1 = rng() % 40;
                    const int x2 = x1 + rng() % (49 - x1), y2 = y1 + rng() % (41 - y1);
                    const int dx = int(rng() % 70) - 20, dy = int(rng() % 64) - 20;
                    d.Randomise(rng);
                    Canvas before = d;
                    const auto srcBefore = s.Snapshot();
                    QRV_Blit(x1, y1, x2, y2, dx, dy, 0, flags);
                    const int cl = std::max(l, dx), ct = std::max(t, dy);
                    const int cr = std::min(r, dx + x2 - x1), cb = std::min(b, dy + y2 - y1);
                    ASSERT_TRUE(qrvtest::UnchangedOutside(d, before.Snapshot(), cl, ct, cr, cb));
                    ASSERT_TRUE(d.GuardsIntact());
                    ASSERT_EQ(s.Snapshot(), srcBefore);
                    if (flags == 1 && src == 5 && dst != 5) continue;
                    for (int y = ct; y < cb; ++y)
                        for (int x = cl; x < cr; ++x) {
                            const uint32_t p = s.Get(x - dx + x1, y - dy + y1);
                            const bool skipped = flags == 1 && p == KeyIn(src, 0);
                            ASSERT_EQ(d.Get(x, y), skipped ? before.Get(x, y) : Converted(dst, src, p));
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
    for (int run = 0; run < 2; ++run) {
        qrv::SetKernelSet(run == 0 ? qrv::KernelSet::Sse2 : qrv::KernelSet::Scalar);
        for (int format : {1, 3, 4})
            for (int flags : {0, 1})
                for (int dir = 0; dir < 5; ++dir) {
                    Canvas c(800, 32, format);
                    const uint32_t key = KeyIn(format, mask);
                    for (int y = 0; y < 32; ++y)
                        for (int x = 0; x < 800; ++x) c.Set(x, y, (x * 3 + y) % 7 == 0 ? key : uint32_t(y * 800 + x + 1));
                    Canvas original = c;
                    c.Select();
                    SelectSource(c);
                    const int ox = dir == 0 ? 3 : dir == 1 ? -3 : 0, oy = dir == 2 ? 5 : dir == 3 ? -5 : dir == 4 ? 4 : 0;
                    const int x1 = dir == 4 ? 0 : 8, y1 = dir == 4 ? 0 : 8, x2 = dir == 4 ? 800 : 792, y2 = dir == 4 ? 20 : 24;
                    QRV_Blit(x1, y1, x2, y2, x1 + ox, y1 + oy, mask, flags);
                    for (int y = y1; y < y2; ++y)
                        for (int x = x1; x < x2; ++x) {
                            const uint32_t p = original.Get(x, y);
                            ASSERT_EQ(c.Get(x + ox, y + oy), flags == 1 && p == key ? original.Get(x + ox, y + oy) : p)
                                << "format " << format << " flags " << flags << " dir " << dir << " run " << run;
                        }
                }
    }
}

TEST_F(BlitTest, InvalidFormatsOrBuffersDrawNothing) {
    Canvas s(4, 4, 4), d(4, 4, 4);
    s.Clear(0x33);
    d.Select();
    const auto before = d.Snapshot();
    QRV_SetSrcBuffer(s.Base(), s.pitch, 6);
    QRV_Blit(0, 0, 4, 4, 0, 0, 0, 0);
    QRV_SetSrcBuffer(nullptr, s.pitch, 4);
    QRV_Blit(0, 0, 4, 4, 0, 0, 0, 0);
    SelectSource(s);
    QRV_SetBuffer(d.Base(), d.pitch, 0);
    QRV_Blit(0, 0, 4, 4, 0, 0, 0, 0);
    EXPECT_EQ(d.Snapshot(), before);
}

}  // namespace
