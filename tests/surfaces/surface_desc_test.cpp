#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>
#include <vector>

#include "support/canvas.h"
#include "surfaces/surface.h"

namespace {

using qrvtest::Canvas;

QrvSurfaceDesc* DescOver(Canvas& c) { return QRV_AllocSurfaceDesc(c.format, c.Base(), c.pitch, c.width, c.height); }

// Widening by the published rules, stated independently of the library.
uint32_t Widened(int format, uint32_t p) {
    switch (format) {
        case 1: return ((p & 0xF800) << 8) | ((p & 0x07E0) << 5) | ((p & 0x1F) << 3);
        case 2: return ((p & 0x7C00) << 9) | ((p & 0x03E0) << 6) | ((p & 0x1F) << 3);
        default: return p;
    }
}

TEST(SurfaceDesc, RecordFields) {
    struct Case { int32_t pitch; uint32_t shift; } cases[] = {
        {1280, 0}, {1024, 10}, {1, 0}, {2, 1}, {1 << 23, 23}, {1 << 24, 0}, {-1024, 0}, {0, 0}};
    for (const Case& c : cases) {
        int dummy;
        QrvSurfaceDesc* d = QRV_AllocSurfaceDesc(4, &dummy, c.pitch, 640, 480);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->pitchShift, c.shift) << c.pitch;
        EXPECT_EQ(d->format, 4);
        EXPECT_EQ(d->pixels, &dummy);
        EXPECT_EQ(d->maskColour, 0u);
        EXPECT_EQ(d->viewLeft, 0);
        EXPECT_EQ(d->viewTop, 0);
        EXPECT_EQ(d->viewRight, 640);
        EXPECT_EQ(d->viewBottom, 480);
        EXPECT_EQ(QRV_GetSurfaceDescType(d), 4);

        EXPECT_EQ(QRV_SetSurfaceDescVP(d, 100, 50, 10, 5), d);
        EXPECT_EQ(d->viewLeft, 10);
        EXPECT_EQ(d->viewTop, 5);
        EXPECT_EQ(d->viewRight, 100);
        EXPECT_EQ(d->viewBottom, 50);
        EXPECT_EQ(QRV_SetSurfaceDescMaskColour(d, 0xFF00FF00u), d);
        EXPECT_EQ(d->maskColour, 0xFF00FF00u);
        EXPECT_EQ(QRV_FreeSurfaceDesc(d), 1);
    }
    EXPECT_EQ(QRV_SetSurfaceDescVP(nullptr, 1, 2, 3, 4), nullptr);
    EXPECT_EQ(QRV_SetSurfaceDescMaskColour(nullptr, 1), nullptr);
    EXPECT_EQ(QRV_GetSurfaceDescType(nullptr), 0);
}

// Peek and poke of every format: widening, narrowing by truncation, the view
// test at each edge, and nothing outside the view or the surface.
TEST(SurfaceDesc, PeekAndPokeFollowTheViewAndTheFormat) {
    struct Case { int format; uint32_t stored; uint32_t peeked; uint32_t poked; uint32_t storedAfter; } cases[] = {
        {1, 0xF81F, 0x00F800F8, 0x12345678, 0x32AF},
        {2, 0xFC1F, 0x00F800F8, 0xFF345678, 0x194F},
        {3, 0x8090A0, 0x008090A0, 0xFF345678, 0x345678},
        {4, 0xAB8090A0, 0xAB8090A0, 0xFF345678, 0xFF345678},
        {5, 0x018090A0, 0x018090A0, 0x00345678, 0x00345678},
    };
    for (const Case& c : cases) {
        Canvas canvas(8, 6, c.format, 4);
        QrvSurfaceDesc* d = DescOver(canvas);
        QRV_SetSurfaceDescVP(d, 2, 1, 6, 5);
        canvas.Set(5, 4, c.stored);
        canvas.Set(6, 4, c.stored);
        EXPECT_EQ(QRV_PeekSurface(d, 5, 4), c.peeked) << c.format;
        EXPECT_EQ(QRV_PeekSurface(d, 6, 4), 0u) << "x = viewRight";
        EXPECT_EQ(QRV_PeekSurface(d, 5, 5), 0u) << "y = viewBottom";
        EXPECT_EQ(QRV_PeekSurface(d, 1, 1), 0u) << "x < viewLeft";
        EXPECT_EQ(QRV_PeekSurface(d, 2, 0), 0u) << "y < viewTop";

        uint32_t strip[3] = {};
        QRV_PeekPixelStrip(d, 4, 7, 4, strip);
        EXPECT_EQ(strip[1], c.peeked);
        EXPECT_EQ(strip[2], c.peeked) << "strips do not clip";

        const auto before = canvas.Snapshot();
        for (int y = -1; y <= 6; ++y)
            for (int x = -1; x <= 8; ++x) QRV_PokeSurface(d, x, y, c.poked);
        EXPECT_TRUE(qrvtest::UnchangedOutside(canvas, before, 2, 1, 6, 5));
        EXPECT_EQ(canvas.Get(2, 1), c.storedAfter);
        EXPECT_EQ(canvas.Get(5, 4), c.storedAfter);

        QRV_PokeSurfaceNC(d, 0, 0, c.poked);
        EXPECT_EQ(canvas.Get(0, 0), c.storedAfter);

        // A view larger than the surface still keeps to the surface.
        QRV_SetSurfaceDescVP(d, -100, -100, 100, 100);
        const auto wide = canvas.Snapshot();
        for (int y : {-1, 6, 100, INT32_MIN})
            for (int x : {-1, 8, 99, INT32_MAX}) QRV_PokeSurface(d, x, y, 0);
        EXPECT_EQ(canvas.Snapshot(), wide);
        EXPECT_EQ(QRV_PeekSurface(d, 8, 0), 0u);
        EXPECT_TRUE(canvas.GuardsIntact());
        QRV_FreeSurfaceDesc(d);
    }
}

TEST(SurfaceDesc, UnusableDescriptorsAreLeftAlone) {
    Canvas canvas(4, 4, 4);
    canvas.Clear(0x11);
    const auto before = canvas.Snapshot();
    struct Case { int format; void* pixels; int pitch, width, height; } cases[] = {
        {0, canvas.Base(), 16, 4, 4}, {6, canvas.Base(), 16, 4, 4}, {4, nullptr, 16, 4, 4},
        {4, canvas.Base(), 12, 4, 4}, {4, canvas.Base(), 16, 0, 4}, {4, canvas.Base(), 16, 4, -1}};
    for (const Case& c : cases) {
        QrvSurfaceDesc* d = QRV_AllocSurfaceDesc(c.format, c.pixels, c.pitch, c.width, c.height);
        QRV_SetSurfaceDescVP(d, 0, 0, 4, 4);
        QRV_PokeSurface(d, 1, 1, 0xFFFFFFFF);
        EXPECT_EQ(QRV_PeekSurface(d, 1, 1), 0u);
        QRV_FreeSurfaceDesc(d);
    }
    uint32_t out = 7;
    QRV_PeekSurface(nullptr, 0, 0);
    QRV_PokeSurface(nullptr, 0, 0, 1);
    QRV_PokeSurfaceNC(nullptr, 0, 0, 1);
    QRV_PeekPixelStrip(nullptr, 0, 1, 0, &out);
    qrv::PokePixelStrip(nullptr, &out, 1, 0, 0, 0, 0);
    EXPECT_EQ(qrv::SampleSurfaceBilinear(nullptr, 0, 0), 0u);
    EXPECT_EQ(out, 7u);
    QrvSurfaceDesc* d = DescOver(canvas);
    QRV_PeekPixelStrip(d, 3, 3, 0, &out);
    QRV_PeekPixelStrip(d, INT32_MAX, INT32_MIN, 0, &out);
    QRV_PeekPixelStrip(d, 0, 1, 0, nullptr);
    EXPECT_EQ(out, 7u);
    QRV_FreeSurfaceDesc(d);
    EXPECT_EQ(canvas.Snapshot(), before);
}

TEST(SurfaceDesc, PokePixelStripModes) {
    constexpr uint32_t kMask = 0x00102030;
    struct Case { int format; int mode; uint32_t stored; uint32_t value; uint32_t expected; } cases[] = {
        {4, 0, 0x11111111, 0x80ABCDEF, 0x80ABCDEF},
        {4, 2, 0x11111111, 0x80ABCDEF, 0x80ABCDEF},
        {4, 1, 0x11111111, kMask, 0x11111111},
        {4, 1, 0x11111111, kMask | 0x01000000, 0x01102030},
        {4, 3, 0x11223344, 0x00FFFFFF, 0x11223344},   // alpha 0 skipped
        {4, 3, 0x11223344, 0xFDABCDEF, 0xFDABCDEF},   // 253 and above written whole
        {4, 3, 0x11223344, 0xFCABCDEF, 0x00A8CAEC},   // 252 still blends
        {5, 3, 0xFF000000, 0x80FF8040, 0x007F4020},   // alpha byte of a blend is 0
        {5, 3, 0x00FF80FF, 0x80000000, 0x007F407F},   // lanes borrow: (0 - ff) * 128 >> 8
        {3, 3, 0x102030, 0x80F0E0D0, 0x808080},
        {1, 3, 0xFFFF, 0x80000000, 0x7BEF},
        {1, 0, 0x0000, 0xFFFFFFFF, 0xFFFF},
        {2, 0, 0x0000, 0xFFFFFFFF, 0x7FFF},
        {2, 1, 0x0000, kMask, 0x0000},
    };
    for (const Case& c : cases) {
        Canvas canvas(4, 2, c.format);
        QrvSurfaceDesc* d = DescOver(canvas);
        for (int x = 0; x < 4; ++x) canvas.Set(x, 1, c.stored);
        const auto before = canvas.Snapshot();
        const uint32_t values[2] = {c.value, c.value};
        qrv::PokePixelStrip(d, values, 2, 1, 1, kMask, c.mode);
        EXPECT_EQ(canvas.Get(1, 1), c.expected) << c.format << " mode " << c.mode << " value " << std::hex << c.value;
        EXPECT_EQ(canvas.Get(2, 1), c.expected);
        EXPECT_TRUE(qrvtest::UnchangedOutside(canvas, before, 1, 1, 3, 2));
        QRV_FreeSurfaceDesc(d);
    }
}

// Per channel: the row pair blended with fx, then the rows with fy, each
// t + floor((b - t) * f / 256); neighbours repeat at the right and bottom.
uint32_t ReferenceBilinear(const std::vector<uint32_t>& px, int w, int h, int32_t fx, int32_t fy) {
    const int x0 = fx >> 16, y0 = fy >> 16;
    const int x1 = x0 + 1 >= w ? x0 : x0 + 1, y1 = y0 + 1 >= h ? y0 : y0 + 1;
    const int u = (fx >> 8) & 255, v = (fy >> 8) & 255;
    auto lerp = [](int a, int b, int f) { return a + static_cast<int>(std::floor((b - a) * f / 256.0)); };
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        auto ch = [&](int x, int y) { return static_cast<int>((px[y * w + x] >> shift) & 255); };
        const int top = lerp(ch(x0, y0), ch(x1, y0), u), bottom = lerp(ch(x0, y1), ch(x1, y1), u);
        out |= static_cast<uint32_t>(lerp(top, bottom, v)) << shift;
    }
    return out;
}

TEST(SurfaceDesc, BilinearSamplesMatchTheChannelRule) {
    std::mt19937 rng(17);
    for (int format : qrvtest::kAllFormats) {
        constexpr int kW = 5, kH = 3;
        Canvas canvas(kW, kH, format);
        canvas.Randomise(rng);
        QrvSurfaceDesc* d = DescOver(canvas);
        QRV_SetSurfaceDescVP(d, 1, 1, 2, 2);  // sampling ignores the view
        std::vector<uint32_t> px;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) px.push_back(Widened(format, canvas.Get(x, y)));
        for (int i = 0; i < 2000; ++i) {
            const int32_t fx = static_cast<int32_t>(rng() % (kW << 16)), fy = static_cast<int32_t>(rng() % (kH << 16));
            ASSERT_EQ(qrv::SampleSurfaceBilinear(d, fx, fy), ReferenceBilinear(px, kW, kH, fx, fy))
                << format << " at " << fx << "," << fy;
        }
        // The last column and row repeat themselves instead of reading on.
        EXPECT_EQ(qrv::SampleSurfaceBilinear(d, ((kW - 1) << 16) | 0xFFFF, ((kH - 1) << 16) | 0xFFFF),
                  px[kH * kW - 1]);
        EXPECT_TRUE(canvas.GuardsIntact());
        QRV_FreeSurfaceDesc(d);
    }
}

TEST(SurfaceDesc, OwnedSurfaces) {
    struct Case { int format, pitch, width, height; bool made; } cases[] = {
        {4, 16, 4, 3, true}, {3, 12, 4, 1, true}, {1, 9, 4, 2, true}, {4, 0, 4, 3, false}, {4, 16, 0, 3, false},
        {4, 16, 4, 0, false}, {4, 15, 4, 3, false}, {0, 16, 4, 3, false}};
    for (const Case& c : cases) {
        QrvSurfaceDesc* d = qrv::CreateOwnedSurface(c.format, c.pitch, c.width, c.height);
        ASSERT_EQ(d != nullptr, c.made) << c.format << " " << c.pitch << " " << c.width << "x" << c.height;
        if (!d) continue;
        EXPECT_EQ(d->viewRight, c.width);
        EXPECT_EQ(d->viewBottom, c.height);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) EXPECT_EQ(QRV_PeekSurface(d, x, y), 0u);
        QRV_PokeSurface(d, c.width - 1, c.height - 1, 0xFFFFFFFF);
        EXPECT_NE(QRV_PeekSurface(d, c.width - 1, c.height - 1), 0u);
        EXPECT_EQ(qrv::DestroyOwnedSurface(d), 1);
    }
    EXPECT_EQ(qrv::DestroyOwnedSurface(nullptr), 0);
}

}  // namespace
