#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "surfaces/test_surface.h"

namespace {

using qrvtest::Surface;

TEST(SurfaceDesc, RecordFields) {
    const int32_t pitches[][2] = {{1280, 0}, {1024, 10}, {1, 0}, {1 << 23, 23}, {1 << 24, 0}, {-1024, 0}};
    for (const auto& [pitch, shift] : pitches) {
        int pixels;
        QrvSurfaceDesc* d = QRV_AllocSurfaceDesc(4, &pixels, pitch, 640, 480);
        auto view = [d] { return std::vector{d->viewLeft, d->viewTop, d->viewRight, d->viewBottom}; };
        EXPECT_EQ(d->pitchShift, uint32_t(shift)) << pitch;
        EXPECT_EQ(d->maskColour, 0u);
        EXPECT_EQ(view(), (std::vector{0, 0, 640, 480}));
        EXPECT_EQ(QRV_SetSurfaceDescVP(d, 100, 50, 10, 5), d);
        EXPECT_EQ(view(), (std::vector{10, 5, 100, 50}));
        EXPECT_EQ(QRV_FreeSurfaceDesc(d), 1);
    }
    EXPECT_EQ(QRV_SetSurfaceDescVP(nullptr, 1, 2, 3, 4), nullptr);
    EXPECT_EQ(QRV_SetSurfaceDescMaskColour(nullptr, 1), nullptr);
    EXPECT_EQ(QRV_GetSurfaceDescType(nullptr), 0);
}

// Widening, narrowing by truncation, the view test at each edge, nothing
// written outside the view or the surface, and unusable descriptors refused.
TEST(SurfaceDesc, PeekAndPokeFollowTheViewAndTheFormat) {
    struct Case { int format; uint32_t stored, peeked, poked, storedAfter; } cases[] = {
        {1, 0xF81F, 0x00F800F8, 0x12345678, 0x32AF},        {2, 0xFC1F, 0x00F800F8, 0xFF345678, 0x194F},
        {3, 0x8090A0, 0x008090A0, 0xFF345678, 0x345678},    {4, 0xAB8090A0, 0xAB8090A0, 0xFF345678, 0xFF345678},
        {5, 0x018090A0, 0x018090A0, 0x00345678, 0x00345678},
    };
    for (const Case& c : cases) {
        Surface s(8, 6, c.format);
        auto& canvas = s.canvas;
        QrvSurfaceDesc* d = s.desc;
        QRV_SetSurfaceDescVP(d, 2, 1, 6, 5);
        canvas.Set(5, 4, c.stored);
        canvas.Set(6, 4, c.stored);
        EXPECT_EQ(QRV_PeekSurface(d, 5, 4), c.peeked) << c.format;
        for (auto [x, y] : {std::pair{6, 4}, {5, 5}, {1, 1}, {2, 0}})
            EXPECT_EQ(QRV_PeekSurface(d, x, y), 0u) << "outside the view";
        uint32_t strip[3] = {};
        QRV_PeekPixelStrip(d, 4, 7, 4, strip);
        EXPECT_EQ(strip[1] + strip[2], 2 * c.peeked) << "strips do not clip";

        const auto before = canvas.Snapshot();
        for (int y = -1; y <= 6; ++y)
            for (int x = -1; x <= 8; ++x) QRV_PokeSurface(d, x, y, c.poked);
        EXPECT_TRUE(qrvtest::UnchangedOutside(canvas, before, 2, 1, 6, 5));
        EXPECT_EQ(canvas.Get(5, 4), c.storedAfter);
        QRV_PokeSurfaceNC(d, 0, 0, c.poked);
        EXPECT_EQ(canvas.Get(0, 0), c.storedAfter);

        // Views beyond the surface, and rows closer than a row's bytes.
        QRV_SetSurfaceDescVP(d, -100, -100, 100, 100);
        const auto wide = canvas.Snapshot();
        for (int y : {-1, 6, INT32_MIN})
            for (int x : {-1, 8, INT32_MAX}) QRV_PokeSurface(d, x, y, 0);
        EXPECT_EQ(QRV_PeekSurface(d, 8, 0), 0u);
        d->pitch = 8 * canvas.bpp - 1;
        QRV_PokeSurface(d, 1, 1, 0);
        EXPECT_EQ(QRV_PeekSurface(d, 0, 0), 0u);
        EXPECT_EQ(canvas.Snapshot(), wide);
    }
    uint32_t out = 7;
    QRV_PokeSurface(nullptr, 0, 0, 1);
    QRV_PokeSurfaceNC(nullptr, 0, 0, 1);
    QRV_PeekPixelStrip(nullptr, 0, 1, 0, &out);
    qrv::PokePixelStrip(nullptr, &out, 1, 0, 0, 0, 0);
    Surface s(4, 1, 4);
    QRV_PeekPixelStrip(s.desc, 3, 3, 0, &out);
    QRV_PeekPixelStrip(s.desc, INT32_MAX, INT32_MIN, 0, &out);
    EXPECT_EQ(out + QRV_PeekSurface(nullptr, 0, 0) + qrv::SampleSurfaceBilinear(nullptr, 0, 0), 7u);
}

TEST(SurfaceDesc, PokePixelStripModes) {
    constexpr uint32_t kMask = 0x00102030;
    struct Case { int format, mode; uint32_t stored, value, expected; } cases[] = {
        {4, 0, 0x11111111, 0x80ABCDEF, 0x80ABCDEF}, {4, 2, 0x11111111, 0x80ABCDEF, 0x80ABCDEF},
        {4, 1, 0x11111111, kMask, 0x11111111},      {4, 1, 0x11111111, kMask | 0x01000000, 0x01102030},
        {4, 3, 0x11223344, 0x00FFFFFF, 0x11223344},  // alpha 0 skipped
        {4, 3, 0x11223344, 0xFDABCDEF, 0xFDABCDEF},  // 253 and above written whole
        {4, 3, 0x11223344, 0xFCABCDEF, 0x00A8CAEC}, {5, 3, 0xFF000000, 0x80FF8040, 0x007F4020},
        {5, 3, 0x00FF80FF, 0x80000000, 0x007F407F},  // lanes borrow
        {3, 3, 0x102030, 0x80F0E0D0, 0x808080},     {1, 3, 0xFFFF, 0x80000000, 0x7BEF},
        {2, 0, 0x0000, 0xFFFFFFFF, 0x7FFF},
    };
    for (const Case& c : cases) {
        Surface s(4, 2, c.format);
        for (int x = 0; x < 4; ++x) s.canvas.Set(x, 1, c.stored);
        const auto before = s.canvas.Snapshot();
        const uint32_t values[2] = {c.value, c.value};
        qrv::PokePixelStrip(s.desc, values, 2, 1, 1, kMask, c.mode);
        EXPECT_EQ(s.canvas.Get(2, 1), c.expected) << c.format << " mode " << c.mode << " value " << std::hex << c.value;
        EXPECT_TRUE(qrvtest::UnchangedOutside(s.canvas, before, 1, 1, 3, 2));
    }
}

// Per channel: t + floor((b - t) * f / 256) along x, then between the rows;
// neighbours repeat at the right and bottom edges; the view is ignored.
TEST(SurfaceDesc, BilinearSamplesMatchTheChannelRule) {
    std::mt19937 rng(17);
    constexpr int kW = 5, kH = 3;
    for (int format : qrvtest::kAllFormats) {
        Surface s(kW, kH, format);
        s.canvas.Randomise(rng);
        QRV_SetSurfaceDescVP(s.desc, 1, 1, 2, 2);
        const std::vector<uint32_t> p = s.Peeks();
        auto ch = [&](int x, int y, int sh) {
            return int(p[std::min(y, kH - 1) * kW + std::min(x, kW - 1)] >> sh & 255);
        };
        auto lerp = [](int a, int b, int f) { return a + int(std::floor((b - a) * f / 256.0)); };
        for (int i = 0; i < 2000; ++i) {
            const int32_t fx = int32_t(rng() % (kW << 16)), fy = int32_t(rng() % (kH << 16));
            const int x = fx >> 16, y = fy >> 16, u = fx >> 8 & 255, v = fy >> 8 & 255;
            uint32_t expected = 0;
            for (int sh = 0; sh < 32; sh += 8)
                expected |= uint32_t(lerp(lerp(ch(x, y, sh), ch(x + 1, y, sh), u),
                                          lerp(ch(x, y + 1, sh), ch(x + 1, y + 1, sh), u), v)) << sh;
            ASSERT_EQ(qrv::SampleSurfaceBilinear(s.desc, fx, fy), expected) << format << " at " << fx << "," << fy;
        }
        EXPECT_TRUE(s.canvas.GuardsIntact());
    }
}

TEST(SurfaceDesc, OwnedSurfaces) {
    // format, pitch, width, height, made
    const int cases[][5] = {{4, 16, 4, 3, 1}, {1, 9, 4, 2, 1}, {4, 0, 4, 3, 0}, {4, 16, 0, 3, 0},
                            {4, 16, 4, 0, 0}, {4, 15, 4, 3, 0}, {0, 16, 4, 3, 0}};
    for (const auto& [format, pitch, w, h, made] : cases) {
        QrvSurfaceDesc* d = qrv::CreateOwnedSurface(format, pitch, w, h);
        ASSERT_EQ(d != nullptr, made == 1) << format << " " << pitch << " " << w << "x" << h;
        if (!d) continue;
        EXPECT_EQ(QRV_PeekSurface(d, w - 1, h - 1), 0u);
        QRV_PokeSurface(d, w - 1, h - 1, 0xFFFFFFFF);
        EXPECT_NE(QRV_PeekSurface(d, w - 1, h - 1), 0u);
        EXPECT_EQ(qrv::DestroyOwnedSurface(d), 1);
    }
    EXPECT_EQ(qrv::DestroyOwnedSurface(nullptr), 0);
}

}  // namespace
