#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "surfaces/test_surface.h"

namespace {

using qrvtest::Surface;
using Effect = std::function<void(QrvSurfaceDesc*)>;

// One pixel through one effect: a 6 x 6 surface filled with the input, the
// pixel at (x, y) read back. Lights are centred on (1, 1).
TEST(RectEffects, PixelRules) {
    auto fade = [](int p) { return Effect([p](QrvSurfaceDesc* d) { QRV_FillRect_Fade(d, p); }); };
    auto light = [](float i, float f) {
        return Effect([=](QrvSurfaceDesc* d) { QRV_FillRect_Light(d, 1, 1, i, f, 0); });
    };
    auto phong = [](float i, float f) {
        return Effect([=](QrvSurfaceDesc* d) { QRV_FillRect_PhongMap(d, 1, 1, 0x00FF8040, i, f, 0); });
    };
    auto alpha = [](int mode) { return Effect([mode](QrvSurfaceDesc* d) { QRV_FillRect_Make_Alpha(d, mode); }); };
    const Effect grey = [](QrvSurfaceDesc* d) { QRV_FillRect_GreyScale(d); };
    const struct { const char* name; int format, x, y; Effect effect; uint32_t in, out; } cases[] = {
        {"fade 100", 5, 1, 1, fade(100), 0xFF808080, 0xFE7F7F7F},
        {"fade 50", 5, 1, 1, fade(50), 0xFF808080, 0x7E3F3F3F},
        {"fade -5", 5, 1, 1, fade(-5), 0xFF808080, 0},
        {"fade 400", 5, 1, 1, fade(400), 0x10203040, 0x3F7FBFFF},
        {"fade 1000 as 1024", 5, 1, 1, fade(1000), 0x10203040, 0x4080C0FF},
        {"fade INT32_MAX saturates", 5, 1, 1, fade(INT32_MAX), 0x10203040, 0x4080C0FF},
        {"fade 5-6-5", 1, 1, 1, fade(50), 0xFFFF, 0x7BEF},
        {"grey of red", 5, 1, 1, grey, 0x00FF0000, 0x00383838},
        {"grey keeps alpha", 5, 1, 1, grey, 0x80FFFFFF, 0x80FFFFFF},
        {"grey 24-bit", 3, 1, 1, grey, 0xFF0000, 0x383838},
        {"mask becomes opaque", 5, 1, 1, alpha(0), 0x00123456, 0xFF123456},
        {"others transparent", 5, 1, 1, alpha(0), 0xAB123457, 0x00123457},
        {"make alpha mode 1", 5, 1, 1, alpha(1), 0xAB123457, 0xAB123457},
        {"light 255 keeps colour", 5, 1, 1, light(255, 0), 0xFF102030, 0x00102030},
        {"light 128", 5, 1, 1, light(128, 0), 0x00C8C8C8, 0x00646464},
        {"light 200", 5, 1, 1, light(51000, 0), 0x00FF0001, 0x00FF00C8},
        {"light beyond 32 bits", 5, 1, 1, light(1e9f, 0), 0x00FF0001, 0x00FF00FF},
        {"light NaN", 5, 1, 1, light(NAN, 0), 0xFFFFFFFF, 0},
        {"light 5 away", 4, 4, 5, light(255, 10), 0x00FF6464, 0x00CC5050},
        {"light map", 5, 1, 1, phong(255, 0), 0x12345678, 0x97FF8040},
        {"light map 5 away", 5, 4, 5, phong(255, 10), 0, 0x78CD6633},
        {"light map saturates", 5, 1, 1, phong(51000, 0), 0, 0xFFFFFFFF},
        {"light map dim", 5, 1, 1, phong(64, 0), 0, 0x25402010},
        {"light map dark", 5, 1, 1, phong(0, 0), 0x12345678, 0},
    };
    for (const auto& c : cases) {
        Surface s(6, 6, c.format);
        QRV_SetSurfaceDescMaskColour(s.desc, 0x00123456);
        s.Fill(c.in);
        c.effect(s.desc);
        EXPECT_EQ(s.canvas.Get(c.x, c.y), c.out) << c.name << std::hex << " got " << s.canvas.Get(c.x, c.y);
    }
    // Centres far away still light every row, once.
    for (int cy : {-1000000, 1000000, INT32_MIN, INT32_MAX}) {
        Surface s(2, 6, 4);
        s.Fill(0xFF7F7F7F);
        QRV_FillRect_Light(s.desc, 0, cy, 255.0f, 0.0f, 0);
        for (int y = 0; y < 6; ++y) EXPECT_EQ(s.canvas.Get(1, y), 0x007F7F7Fu) << cy;
    }
}

// Blur against the nine-pixel sums of the original view, rows and columns
// repeating at the view's edges; amounts of 0 or NaN change nothing.
TEST(RectEffects, BlurSumsTheOriginalNeighbourhood) {
    std::mt19937 rng(5);
    for (float amount : {9.0f, 1.0f, 4.5f, 300.0f, -2.0f})
        for (int format : {5, 1, 3}) {
            Surface s(9, 7, format), expected(9, 7, format);
            s.canvas.Randomise(rng);
            QRV_SetSurfaceDescVP(s.desc, 1, 1, 8, 6);
            const std::vector<uint32_t> before = s.Peeks();
            const auto bytes = s.canvas.Snapshot();
            QRV_FillRect_Blur(s.desc, amount);
            for (int y = 1; y < 6; ++y)
                for (int x = 1; x < 8; ++x) {
                    uint32_t c = 0;
                    for (int shift = 0; shift < 32; shift += 8) {
                        int sum = 0;
                        for (int yy : {std::max(y - 1, 1), y, std::min(y + 1, 5)})
                            for (int xx : {std::max(x - 1, 1), x, std::min(x + 1, 7)})
                                sum += before[yy * 9 + xx] >> shift & 255;
                        const double a = std::min(amount, 255.0f);
                        c |= uint32_t(std::clamp(std::trunc(sum / a), 0.0, 255.0)) << shift;
                    }
                    qrv::PokePixelNC(expected.desc, x, y, c);
                    ASSERT_EQ(s.canvas.Get(x, y), expected.canvas.Get(x, y))
                        << amount << " " << format << " at " << x << "," << y;
                }
            EXPECT_TRUE(qrvtest::UnchangedOutside(s.canvas, bytes, 1, 1, 8, 6));
        }
    Surface u(4, 4, 4);
    u.Fill(0x1C0A0B0C);
    for (float amount : {0.0f, NAN, 9.0f}) QRV_FillRect_Blur(u.desc, amount);
    EXPECT_EQ(u.canvas.Get(0, 0), 0x1C0A0B0Cu);
}

TEST(RectEffects, MirrorSwapsAcrossTheView) {
    std::mt19937 rng(9);
    for (int format : qrvtest::kAllFormats)
        for (int mode = 0; mode < 4; ++mode) {
            const bool h = mode & 1, v = mode & 2;
            Surface s(7, 8, format);
            s.canvas.Randomise(rng);
            QRV_SetSurfaceDescVP(s.desc, 2, 1, 6, 6);  // 4 wide, 5 high
            const auto bytes = s.canvas.Snapshot();
            const uint32_t middle = s.canvas.Get(3, 3);
            const std::vector<uint32_t> before = s.Peeks();
            QRV_MirrorRect(s.desc, h ? 3 : 2, v ? 1 : 0);  // bit 0 only
            for (int y = 1; y < 6; ++y)
                for (int x = 2; x < 6; ++x)
                    EXPECT_EQ(QRV_PeekSurface(s.desc, x, y), before[(v ? 6 - y : y) * 7 + (h ? 7 - x : x)])
                        << format << " mode " << mode;
            EXPECT_TRUE(qrvtest::UnchangedOutside(s.canvas, bytes, 2, 1, 6, 6));
            if (mode == 2) {
                EXPECT_EQ(s.canvas.Get(3, 3), middle) << "the middle row stays, raw bits included";
            }
        }
}

// Every effect keeps to the part of its view on the surface, and leaves
// empty views, unusable descriptors and null alone.
TEST(RectEffects, EffectsKeepToTheViewOnTheSurface) {
    const Effect effects[] = {
        [](QrvSurfaceDesc* d) { QRV_FillRect_Fade(d, 70); },
        [](QrvSurfaceDesc* d) { QRV_FillRect_GreyScale(d); },
        [](QrvSurfaceDesc* d) { QRV_FillRect_Make_Alpha(d, 0); },
        [](QrvSurfaceDesc* d) { QRV_FillRect_Blur(d, 3.0f); },
        [](QrvSurfaceDesc* d) { QRV_FillRect_Light(d, 2, 2, 200.0f, 5.0f, 0); },
        [](QrvSurfaceDesc* d) { QRV_FillRect_PhongMap(d, 2, 2, 0xFFFFFFFF, 200.0f, 5.0f, 0); },
        [](QrvSurfaceDesc* d) { QRV_MirrorRect(d, 1, 1); },
        [](QrvSurfaceDesc* d) { QRV_MirrorRect(d, 1, 0); },
    };
    const int views[][4] = {
        {-3, -2, 4, 3}, {3, 2, 50, 40}, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, {2, 2, 2, 5}, {8, 0, 9, 6}};
    std::mt19937 rng(11);
    for (const Effect& effect : effects) {
        for (int format : qrvtest::kAllFormats)
            for (const auto& v : views) {
                Surface s(8, 6, format);
                s.canvas.Randomise(rng);
                QRV_SetSurfaceDescVP(s.desc, v[0], v[1], v[2], v[3]);
                const auto bytes = s.canvas.Snapshot();
                effect(s.desc);
                EXPECT_TRUE(qrvtest::UnchangedOutside(s.canvas, bytes, std::max(v[0], 0), std::max(v[1], 0),
                                                      std::min(v[2], 8), std::min(v[3], 6)));
                EXPECT_TRUE(s.canvas.GuardsIntact());
                s.desc->pitch = 8;  // rows overlap: the descriptor is refused
                const auto again = s.canvas.Snapshot();
                effect(s.desc);
                EXPECT_EQ(s.canvas.Snapshot(), again);
            }
        effect(nullptr);
    }
}

}  // namespace
