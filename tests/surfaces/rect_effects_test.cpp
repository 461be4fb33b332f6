#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "support/canvas.h"
#include "surfaces/surface.h"
#include "surfaces/work_rows.h"

namespace {

using qrvtest::Canvas;

struct Surface {
    Canvas canvas;
    QrvSurfaceDesc* desc;
    Surface(int w, int h, int format)
        : canvas(w, h, format, 4), desc(QRV_AllocSurfaceDesc(format, canvas.Base(), canvas.pitch, w, h)) {}
    ~Surface() { QRV_FreeSurfaceDesc(desc); }
    void Fill(uint32_t v) {
        for (int y = 0; y < canvas.height; ++y)
            for (int x = 0; x < canvas.width; ++x) canvas.Set(x, y, v);
    }
};

// One pixel through one effect: a 3 x 3 surface of format 5 filled with the
// input, its centre read back.
TEST(RectEffects, PixelRules) {
    using Effect = std::function<void(QrvSurfaceDesc*)>;
    auto fade = [](int p) { return Effect([p](QrvSurfaceDesc* d) { QRV_FillRect_Fade(d, p); }); };
    auto light = [](float i, float f) {
        return Effect([=](QrvSurfaceDesc* d) { QRV_FillRect_Light(d, 1, 1, i, f, 0); });
    };
    auto phong = [](uint32_t c, float i, float f) {
        return Effect([=](QrvSurfaceDesc* d) { QRV_FillRect_PhongMap(d, 1, 1, c, i, f, 0); });
    };
    auto alpha = [](int mode) { return Effect([mode](QrvSurfaceDesc* d) { QRV_FillRect_Make_Alpha(d, mode); }); };
    const Effect grey = [](QrvSurfaceDesc* d) { QRV_FillRect_GreyScale(d); };
    struct Case { const char* name; Effect effect; uint32_t in, out; } cases[] = {
        {"fade 100", fade(100), 0xFF808080, 0xFE7F7F7F},
        {"fade 50", fade(50), 0xFF808080, 0x7E3F3F3F},
        {"fade 0", fade(0), 0xFF808080, 0},
        {"fade -5", fade(-5), 0xFF808080, 0},
        {"fade 400", fade(400), 0x10203040, 0x3F7FBFFF},
        {"fade 1000 saturates as 1024", fade(1000), 0x10203040, 0x4080C0FF},
        {"fade INT32_MAX", fade(INT32_MAX), 0x10203040, 0x4080C0FF},
        {"grey of red", grey, 0x00FF0000, 0x00383838},
        {"grey keeps alpha", grey, 0x80FFFFFF, 0x80FFFFFF},
        {"grey of low green", grey, 0x12000100, 0x12000000},
        {"mask becomes opaque", alpha(0), 0x00123456, 0xFF123456},
        {"others transparent", alpha(0), 0xAB123457, 0x00123457},
        {"make alpha mode 1", alpha(1), 0xAB123457, 0xAB123457},
        {"light 255 keeps colour", light(255, 0), 0xFF102030, 0x00102030},
        {"light 128", light(128, 0), 0x00C8C8C8, 0x00646464},
        {"light 200", light(51000, 0), 0x00FF0001, 0x00FF00C8},
        {"light beyond 32 bits", light(1e9f, 0), 0x00FF0001, 0x00FF00FF},
        {"dark light", light(-1, 0), 0xFFFFFFFF, 0},
        {"light NaN", light(NAN, 0), 0xFFFFFFFF, 0},
        {"light map", phong(0x00FF8040, 255, 0), 0x12345678, 0x97FF8040},
        {"light map saturates", phong(0x00FF8040, 51000, 0), 0, 0xFFFFFFFF},
        {"light map dark", phong(0x00FF8040, 0, 0), 0x12345678, 0},
    };
    for (const Case& c : cases) {
        Surface s(3, 3, 5);
        QRV_SetSurfaceDescMaskColour(s.desc, 0x00123456);
        s.Fill(c.in);
        c.effect(s.desc);
        EXPECT_EQ(s.canvas.Get(1, 1), c.out) << c.name << std::hex << " got " << s.canvas.Get(1, 1);
    }
}

TEST(RectEffects, LightFallsOffWithDistance) {
    // (4, 5) lies 5 from the centre (1, 1): light (255 - 5 x 10) / 255.
    Surface s(6, 6, 4);
    s.Fill(0x00FF6464);
    QRV_FillRect_Light(s.desc, 1, 1, 255.0f, 10.0f, 0);
    EXPECT_EQ(s.canvas.Get(4, 5), 0x00CC5050u);
    s.Fill(0);
    QRV_FillRect_PhongMap(s.desc, 1, 1, 0x00FF8040, 255.0f, 10.0f, 0);
    EXPECT_EQ(s.canvas.Get(4, 5), 0x78CD6633u);
    // Far centres light every row of the view, once.
    for (int cy : {-1000000, 5, 1000000, INT32_MIN, INT32_MAX}) {
        s.Fill(0x00FFFFFF);
        QRV_FillRect_Light(s.desc, 0, cy, 255.0f, 0.0f, 0);
        for (int y = 0; y < 6; ++y) EXPECT_EQ(s.canvas.Get(0, y), 0x00FFFFFFu) << cy;
    }
}

TEST(RectEffects, NarrowFormatsKeepWhatTheyHold) {
    Surface s(2, 2, 1);
    s.Fill(0xFFFF);
    QRV_FillRect_Fade(s.desc, 50);
    EXPECT_EQ(s.canvas.Get(0, 0), 0x7BEFu);
    Surface t(2, 2, 3);
    t.Fill(0xFF0000);
    QRV_FillRect_GreyScale(t.desc);
    EXPECT_EQ(t.canvas.Get(1, 1), 0x383838u);
}

// Blur against the nine-pixel sums of the original view, rows and columns
// repeating at the view's edges.
TEST(RectEffects, BlurSumsTheOriginalNeighbourhood) {
    std::mt19937 rng(5);
    for (float amount : {9.0f, 1.0f, 4.5f, 300.0f, 0.25f, -2.0f}) {
        for (int format : {4, 5, 1, 3}) {
            Surface s(9, 7, format);
            s.canvas.Randomise(rng);
            QRV_SetSurfaceDescVP(s.desc, 1, 1, 8, 6);
            std::vector<uint32_t> before(9 * 7);
            for (int y = 0; y < 7; ++y)
                for (int x = 0; x < 9; ++x) before[y * 9 + x] = qrv::PeekPixelNC(s.desc, x, y);
            const auto bytes = s.canvas.Snapshot();
            QRV_FillRect_Blur(s.desc, amount);
            const float a = amount > 255 ? 255 : amount;
            for (int y = 1; y < 6; ++y) {
                for (int x = 1; x < 8; ++x) {
                    uint32_t expected = 0;
                    for (int shift = 0; shift < 32; shift += 8) {
                        int sum = 0;
                        for (int yy : {std::max(y - 1, 1), y, std::min(y + 1, 5)})
                            for (int xx : {std::max(x - 1, 1), x, std::min(x + 1, 7)})
                                sum += (before[yy * 9 + xx] >> shift) & 255;
                        const double q = std::trunc(sum / double{a});
                        expected |= uint32_t(q < 0 ? 0 : (q > 255 ? 255 : q)) << shift;
                    }
                    const uint32_t narrowed = qrv::PeekPixelNC(s.desc, x, y);
                    qrv::PokePixelNC(s.desc, x, y, expected);
                    ASSERT_EQ(narrowed, qrv::PeekPixelNC(s.desc, x, y))
                        << "amount " << amount << " format " << format << " at " << x << "," << y;
                }
            }
            EXPECT_TRUE(qrvtest::UnchangedOutside(s.canvas, bytes, 1, 1, 8, 6));
        }
    }
    Surface u(4, 4, 4);
    u.Fill(0x1C0A0B0C);
    for (float amount : {0.0f, NAN}) QRV_FillRect_Blur(u.desc, amount);
    EXPECT_EQ(u.canvas.Get(2, 2), 0x1C0A0B0Cu);
    QRV_FillRect_Blur(u.desc, 9.0f);
    EXPECT_EQ(u.canvas.Get(0, 0), 0x1C0A0B0Cu);
    QRV_FillRect_Blur(u.desc, 1.0f);
    EXPECT_EQ(u.canvas.Get(3, 3), 0xFC5A636Cu);
}

TEST(RectEffects, MirrorSwapsAcrossTheView) {
    for (int format : qrvtest::kAllFormats) {
        for (int mode = 0; mode < 4; ++mode) {
            const bool h = mode & 1, v = mode & 2;
            Surface s(7, 8, format);
            std::mt19937 rng(format * 4 + mode);
            s.canvas.Randomise(rng);
            QRV_SetSurfaceDescVP(s.desc, 2, 1, 6, 6);  // 4 wide, 5 high
            const auto bytes = s.canvas.Snapshot();
            std::vector<uint32_t> before(7 * 8);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 7; ++x) before[y * 7 + x] = QRV_PeekSurface(s.desc, x, y);
            QRV_MirrorRect(s.desc, h ? 3 : 2, v ? 1 : 0);
            for (int y = 1; y < 6; ++y) {
                for (int x = 2; x < 6; ++x) {
                    const int sx = h ? 2 + 5 - x : x, sy = v ? 1 + 5 - y : y;
                    EXPECT_EQ(QRV_PeekSurface(s.desc, x, y), before[sy * 7 + sx]) << format << " mode " << mode;
                }
            }
            EXPECT_TRUE(qrvtest::UnchangedOutside(s.canvas, bytes, 2, 1, 6, 6));
            if (!v) continue;
            // The middle row of the five stays as it was, raw bits included.
            for (int x = 2; x < 6 && !h; ++x)
                EXPECT_EQ(std::memcmp(s.canvas.At(x, 3), bytes.data() + Canvas::kGuard + 3 * s.canvas.pitch +
                                                              x * s.canvas.bpp, s.canvas.bpp), 0);
        }
    }
}

// Every effect keeps to the part of its view on the surface, and leaves
// empty views, unusable descriptors and null alone.
TEST(RectEffects, EffectsKeepToTheViewOnTheSurface) {
    using Effect = std::function<void(QrvSurfaceDesc*)>;
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
    struct View { int x1, y1, x2, y2; } views[] = {
        {-3, -2, 4, 3}, {3, 2, 50, 40}, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, {2, 2, 2, 5}, {8, 0, 9, 6}};
    std::mt19937 rng(11);
    for (const Effect& effect : effects) {
        for (int format : qrvtest::kAllFormats) {
            for (const View& v : views) {
                Surface s(8, 6, format);
                s.canvas.Randomise(rng);
                QRV_SetSurfaceDescVP(s.desc, v.x1, v.y1, v.x2, v.y2);
                const auto bytes = s.canvas.Snapshot();
                effect(s.desc);
                EXPECT_TRUE(qrvtest::UnchangedOutside(s.canvas, bytes, std::max(v.x1, 0), std::max(v.y1, 0),
                                                      std::min(v.x2, 8), std::min(v.y2, 6)));
                EXPECT_TRUE(s.canvas.GuardsIntact());
                s.desc->pitch = 8;  // rows overlap: the descriptor is refused
                const auto again = s.canvas.Snapshot();
                effect(s.desc);
                EXPECT_EQ(s.canvas.Snapshot(), again);
            }
        }
        effect(nullptr);
    }
}

TEST(RectEffects, WorkRowsGrowAndKeepTheirContents) {
    uint32_t* row = qrv::GeneralWorkRow(10);
    ASSERT_NE(row, nullptr);
    row[9] = 42;
    EXPECT_EQ(qrv::GeneralWorkRow(5), row);
    EXPECT_EQ(qrv::GeneralWorkRow(10)[9], 42u);
    uint32_t* grown = qrv::GeneralWorkRow(1000);
    ASSERT_NE(grown, nullptr);
    EXPECT_EQ(grown[1031], 0u);
    EXPECT_EQ(qrv::GeneralWorkRow(0), nullptr);
    EXPECT_NE(qrv::LightWorkRow(3), nullptr);
    qrv::FreeWorkRows();
}

}  // namespace
