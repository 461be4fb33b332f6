#include <algorithm>
#include <climits>
#include <random>

#include "blit/blit_test_util.h"
#include "primitives/packed.h"
#include "support/kernel_sets.h"

namespace {

using namespace qrvtest;

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

// Whole 256-pixel rows of every pair in both MMX states: all 65536 16-bit
// values, random 24- and 32-bit ones, converted exactly; a 32-bit source with
// alpha keyed is blended by every alpha value in every row, the mask colour
// skipped only under its own alpha. (The plain bodies are held to the packed
// ones row by row.)
TEST_F(BlitTest, WholeRowsConvertAndBlendExactly) {
    std::mt19937 rng(1);
    const uint32_t mask = 0x7F203040;
    for (int state = 0; state < MmxStates(); ++state) {
        QRV_SetMMXState(state);
        for (int src : kAllFormats) {
            Canvas s(256, 256, src);
            FillWith(s, 0, 0, 256, 256, [&](int x, int y) {
                return src <= 2 ? uint32_t(y * 256 + x) : src == 5 ? uint32_t(x) << 24 | (rng() & 0xFFFFFF) : rng();
            });
            if (src == 5) {
                s.Set(0x7F, 3, mask);
                s.Set(0xFF, 4, mask | 0xFF000000);  // the mask colour under another alpha is blended
            }
            SelectSource(s);
            for (int dst : kAllFormats)
                for (int flags = 0; flags < (src == 5 && dst != 5 ? 2 : 1); ++flags) {
                    Canvas d(256, 256, dst, 1);
                    d.Randomise(rng);
                    Canvas before = d;
                    d.Select();
                    QRV_Blit(0, 0, 256, 256, 0, 0, mask, flags);
                    ASSERT_TRUE(PixelsAre(d, 0, 0, 256, 256, [&](int x, int y) {
                        const uint32_t p = s.Get(x, y);
                        return flags ? BlendedInto(dst, state, before.Get(x, y), p, mask)
                                     : Converted(dst, src, p);
                    })) << "dst " << dst << " src " << src << " state " << state << " alpha " << flags;
                    EXPECT_TRUE(d.GuardsIntact());
                }
        }
    }
}

// Random rectangles and positions against a viewport inside a guarded
// destination, every format pair and MMX state, plain and masked (flags act as
// their low bit), through the blit, the effect blit's mode 0 and its add mode:
// every pixel that lands inside the viewport comes from the source pixel at
// the same offset, skipped exactly where that equals the mask colour in the
// source format (5-6-5 and 5-5-5 included; another 32-bit top byte is
// copied); the add writes its result back into the aligned source rectangle
// only, and draws nothing in the formats it does not serve or where the pixel
// sizes differ; nothing else changes.
TEST_F(BlitTest, ClippedBlitsStayAlignedAndSkipTheMaskColour) {
    std::mt19937 rng(4);
    const uint32_t mask = 0x80C0A060;
    for (int state = 0; state < 2; ++state) {
        QRV_SetMMXState(state);
        for (int src : kAllFormats)
            for (int dst : kAllFormats) {
                Canvas s(48, 40, src, 3), d(50, 44, dst, 1);
                const uint32_t key = RGBForBuffer(mask, src), otherTop = src >= 4 ? 0xFF000000 : 0;
                FillWith(s, 0, 0, 48, 40, [&](int, int) {
                    return rng() % 3 ? rng() & PixelMask(src) : rng() % 4 ? key : key ^ otherTop;
                });
                const auto srcOriginal = s.Snapshot();
                SelectSource(s);
                d.Select();
                for (int i = 0; i < 48; ++i) {
                    const int flags = i % 4, kind = i % 3;  // blit, effect mode 0, effect add
                    const int l = rng() % 20, t = rng() % 20, r = l + rng() % 30, b = t + rng() % 24;
                    QRV_SetBufferViewPort(l, t, r, b);
                    const int x1 = rng() % 48, y1 = rng() % 40;
                    const int x2 = x1 + rng() % (49 - x1), y2 = y1 + rng() % (41 - y1);
                    const int dx = int(rng() % 70) - 20, dy = int(rng() % 64) - 20;
                    d.Randomise(rng);
                    s.storage = srcOriginal;
                    Canvas before = d;
                    if (kind == 0) QRV_Blit(x1, y1, x2, y2, dx, dy, mask, flags);
                    else QRV_BlitFX(x1, y1, x2, y2, dx, dy, mask, flags, kind == 1 ? 0 : 64, rng() | 0x010101, 0, 0);
                    int cl = std::max(l, dx), ct = std::max(t, dy);
                    int cr = std::min(r, dx + x2 - x1), cb = std::min(b, dy + y2 - y1);
                    if (kind == 2 && (s.bpp != d.bpp || src == 3 || src == 5)) cr = cl;  // the add serves 1, 2 and 4
                    SCOPED_TRACE(::testing::Message() << "dst " << dst << " src " << src << " state " << state
                                                      << " flags " << flags << " kind " << kind);
                    ASSERT_TRUE(UnchangedOutside(d, before.Snapshot(), cl, ct, cr, cb));
                    ASSERT_TRUE(d.GuardsIntact() && s.GuardsIntact());
                    const int ox = x1 - dx, oy = y1 - dy;  // source = destination + offset
                    if (kind == 2) {
                        ASSERT_TRUE(UnchangedOutside(s, srcOriginal, cl + ox, ct + oy, cr + ox, cb + oy));
                        ASSERT_TRUE(PixelsAre(d, cl, ct, cr, cb, [&](int x, int y) { return s.Get(x + ox, y + oy); }));
                        continue;
                    }
                    ASSERT_EQ(s.Snapshot(), srcOriginal);
                    if ((flags & 1) && src == 5 && dst != 5) continue;  // alpha blends, tested above
                    ASSERT_TRUE(PixelsAre(d, cl, ct, cr, cb, [&](int x, int y) {
                        const uint32_t p = s.Get(x + ox, y + oy);
                        return (flags & 1) && p == key ? before.Get(x, y) : Converted(dst, src, p);
                    }));
                }
            }
    }
}

// Rectangles reaching the ends of the 32-bit range, through the blit and
// effects that write the destination, the source or both: up to INT32_MAX
// wide or high they clip to exactly the pixels of an ordinary rectangle with
// the same placement; one pixel more, reversed, empty, wholly outside or
// touching a viewport edge from outside, placed where only wrapping would
// bring them in, or without a valid source, format or destination, they
// change nothing.
TEST_F(BlitTest, ExtremeAndRejectedRectangles) {
    constexpr int32_t kMin = INT32_MIN, kMax = INT32_MAX, kLeft = 8, kTop = 6, kRight = 40, kBottom = 34;
    // x1, y1, x2, y2, dx, dy; each places source (x, y) at (x - 8, y - 10).
    constexpr int32_t kReference[6] = {0, 0, 64, 64, -8, -10};
    constexpr int32_t kClipped[][6] = {
        {64 - kMax, 0, 64, 64, 56 - kMax, -10}, {0, 64 - kMax, 64, 64, -8, 54 - kMax}, {0, 0, kMax, kMax, -8, -10},
        {-1, -1, kMax - 1, kMax - 1, -9, -11},  {64 - kMax, 64 - kMax, 64, 64, 56 - kMax, 54 - kMax},
    };
    constexpr int32_t kNothing[][6] = {
        {-2, 0, kMax - 1, 64, -10, -10}, {0, -2, 64, kMax - 1, -8, -12},  // one pixel more than INT32_MAX
        {kMin, 0, kMax, 64, kMin, -10},  {0, kMin, 64, kMax, -8, kMin},   {0, kMin, 4, kMax, 12, kMin + 10},
        {kMax, 0, kMin, 64, -8, -10},    {0, kMax, 64, kMin, -8, -10},    // reversed: a 32-bit width would be 1
        {0, 0, 64, 64, kMax, -10},       {0, 0, 64, 64, -8, kMin},        {0, 0, 8, 8, kMax - 3, 12},
        {0, 0, 4, 4, kMin, kMin},        {0, 0, 4, 4, kMax, kMax},        {kMin, 0, kMax, 4, 12, 12},
        {0, 0, 4, 4, 41, 12}, {0, 0, 4, 4, 40, 12}, {0, 0, 4, 4, 12, 35}, {0, 0, 4, 4, 12, 34},  // right, below
        {0, 0, 4, 4, 3, 12},  {0, 0, 4, 4, 4, 12},  {0, 0, 4, 4, 12, 1},  {0, 0, 4, 4, 12, 2},   // left, above
        {4, 0, 4, 4, 12, 12}, {5, 0, 4, 4, 12, 12}, {0, 4, 4, 4, 12, 12}, {0, 5, 4, 4, 12, 12},  // no width, height
    };
    // (mode, useBlend) of the effect blit; mode 0 is the plain blit.
    constexpr int32_t kEffects[][2] = {{0, 0}, {1, 0}, {32, 0}, {64, 1}, {16384, 0}};
    for (const int format : kAllFormats)
        for (const int packed : {0, 1}) {
            QRV_SetMMXState(packed);
            qrv::SetKernelSet(packed ? qrv::KernelSet::Sse2 : qrv::KernelSet::Scalar);
            for (const auto& effect : kEffects)
                for (const int32_t flags : {0, 1}) {
                    const int32_t mode = effect[0], useBlend = effect[1];
                    std::mt19937 rng(static_cast<uint32_t>(format * 7 + mode));
                    Canvas src(64, 64, format), blend(64, 64, format), dst(48, 40, format, 4);
                    src.Randomise(rng), blend.Randomise(rng), dst.Randomise(rng);
                    QRV_SetSrcBlendBuffer(blend.Base(), blend.pitch, format);
                    const auto srcBefore = src.Snapshot(), dstBefore = dst.Snapshot();
                    const uint32_t mask = src.Get(20, 20);
                    auto blit = [&](const int32_t r[6], int srcFormat = 0, bool srcNull = false, bool dstNoFormat = false) {
                        src.storage = srcBefore, dst.storage = dstBefore;
                        QRV_SetSrcBuffer(srcNull ? nullptr : src.Base(), src.pitch, srcFormat ? srcFormat : format);
                        QRV_SetBuffer(dst.Base(), dst.pitch, dstNoFormat ? 0 : format);
                        QRV_SetBufferViewPort(kLeft, kTop, kRight, kBottom);
                        QRV_BlitFX(r[0], r[1], r[2], r[3], r[4], r[5], mask, flags, mode, 0x806040, useBlend, 0);
                        EXPECT_TRUE(dst.GuardsIntact() && src.GuardsIntact());
                        EXPECT_TRUE(UnchangedOutside(dst, dstBefore, kLeft, kTop, kRight, kBottom));
                        return std::make_pair(src.Snapshot(), dst.Snapshot());
                    };
                    SCOPED_TRACE(::testing::Message() << "format " << format << " mode " << mode << " flags " << flags
                                                      << " packed " << packed);
                    const auto untouched = std::make_pair(srcBefore, dstBefore);
                    const auto expected = blit(kReference);
                    if (mode == 0) {
                        EXPECT_NE(expected.second, dstBefore);
                    }
                    for (const auto& r : kClipped)
                        EXPECT_TRUE(blit(r) == expected) << "x1 " << r[0] << " y1 " << r[1];
                    for (const auto& r : kNothing)
                        EXPECT_TRUE(blit(r) == untouched) << r[0] << "," << r[1] << " " << r[2] << "," << r[3] << " to "
                                                          << r[4] << "," << r[5];
                    EXPECT_TRUE(blit(kReference, 6) == untouched) << "source format 6";
                    EXPECT_TRUE(blit(kReference, 0, true) == untouched) << "no source";
                    EXPECT_TRUE(blit(kReference, 0, false, true) == untouched) << "destination format 0";
                }
        }
}

// Moving a picture within one buffer copies it whole in every direction,
// masked or not, in every kernel set; rows long enough to be worked in
// pieces, and the last case moves whole rows down.
TEST_F(BlitTest, OverlappingCopyWithinOneBuffer) {
    const uint32_t mask = 0x00FF00FF;
    // {x1, y1, x2, y2, offset x, offset y}: right, left, down, up, whole rows down.
    const int moves[][6] = {{8, 8, 792, 24, 3, 0}, {8, 8, 792, 24, -3, 0}, {8, 8, 792, 24, 0, 5},
                            {8, 8, 792, 24, 0, -5}, {0, 0, 800, 20, 0, 4}};
    auto sets = PackedSets();
    sets.push_back(qrv::KernelSet::Scalar);
    for (auto set : sets) {
        qrv::SetKernelSet(set);
        for (int format : {1, 3, 4})
            for (int flags : {0, 1})
                for (const auto& move : moves) {
                    const int x1 = move[0], y1 = move[1], x2 = move[2], y2 = move[3], ox = move[4], oy = move[5];
                    Canvas c(800, 32, format);
                    const uint32_t key = RGBForBuffer(mask, format);
                    FillWith(c, 0, 0, 800, 32,
                             [&](int x, int y) { return (x * 3 + y) % 7 ? uint32_t(y * 800 + x + 1) : key; });
                    Canvas original = c;
                    c.Select();
                    SelectSource(c);
                    QRV_Blit(x1, y1, x2, y2, x1 + ox, y1 + oy, mask, flags);
                    ASSERT_TRUE(PixelsAre(c, x1 + ox, y1 + oy, x2 + ox, y2 + oy, [&](int x, int y) {
                        const uint32_t p = original.Get(x - ox, y - oy);
                        return flags == 1 && p == key ? original.Get(x, y) : p;
                    })) << "set " << int(set) << " format " << format << " flags " << flags << " move " << ox << ","
                        << oy;
                }
    }
}

// Short rows (tiles): every width from 1 pixel to past the inline copy, at odd
// destination columns, in each format.
TEST_F(BlitTest, ShortRowsCopyExactly) {
    std::mt19937 rng(3);
    for (int format : kAllFormats) {
        Canvas src(64, 4, format, 3);
        src.Randomise(rng);
        SelectSource(src);
        for (int w = 1; w <= 60; ++w) {
            Canvas dst(80, 6, format, 1);
            dst.Randomise(rng);
            dst.Select();
            const auto before = dst.Snapshot();
            const int dx = w % 7, sx = w % 3;
            QRV_Blit(sx, 0, sx + w, 4, dx, 1, 0, 0);
            EXPECT_TRUE(PixelsAre(dst, dx, 1, dx + w, 5, [&](int x, int y) { return src.Get(x - dx + sx, y - 1); }))
                << format << " width " << w;
            EXPECT_TRUE(UnchangedOutside(dst, before, dx, 1, dx + w, 5) && dst.GuardsIntact())
                << format << " width " << w;
        }
    }
}

}  // namespace
