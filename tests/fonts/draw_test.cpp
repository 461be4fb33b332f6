// Text drawing against a per-channel model of every renderer, in every kernel
// set; clipping at every viewport edge; the string walk.
#include <random>
#include <vector>

#include "fonts/font_test_util.h"
#include "primitives/packed.h"
#include "support/canvas.h"

namespace {

using fonttest::Compress;
using fonttest::RawGlyph;
using qrvtest::Canvas;

struct Channels {
    int a, r, g, b;
};

Channels Split(uint32_t c) { return {int(c >> 24), int(c >> 16 & 255), int(c >> 8 & 255), int(c & 255)}; }

// A stored pixel with its fields moved to the top of 8-bit channels.
Channels Expand(uint32_t p, int format) {
    if (format == 1) return {0, int(p >> 11 & 31) << 3, int(p >> 5 & 63) << 2, int(p & 31) << 3};
    if (format == 2) return {0, int(p >> 10 & 31) << 3, int(p >> 5 & 31) << 3, int(p & 31) << 3};
    return Split(p);
}

uint32_t Pack(Channels c, int format) {
    if (format == 1) return uint32_t(c.r >> 3) << 11 | uint32_t(c.g >> 2) << 5 | uint32_t(c.b >> 3);
    if (format == 2) return uint32_t(c.r >> 3) << 10 | uint32_t(c.g >> 3) << 5 | uint32_t(c.b >> 3);
    return uint32_t(format == 3 ? 0 : c.a) << 24 | uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | uint32_t(c.b);
}

// under moved towards over by a / 256, channel by channel; alpha a0.
Channels Mix(int a0, Channels under, Channels over, int a) {
    auto m = [a](int u, int o) { return u + ((o - u) * a >> 8); };
    return {a0, m(under.r, over.r), m(under.g, over.g), m(under.b, over.b)};
}

// The pixel a renderer leaves for glyph value v over stored pixel d; false
// when the cell draws nothing.
bool Model(int format, int depth, int mode, uint32_t ink, uint32_t backdrop, uint32_t v, uint32_t d, uint32_t* out) {
    const Channels i = Split(ink), k = Split(backdrop), dst = Expand(d, format);
    Channels r{};
    if (depth == 8) {
        const int a = int(v) * (i.a + 1) >> 8;
        if (mode == 0) r = {i.a * int(v) >> 8, i.r * int(v) >> 8, i.g * int(v) >> 8, i.b * int(v) >> 8};
        else if (mode == 1) r = Mix(format == 5 ? 255 : 0, dst, i, a);
        else if (mode == 2) r = Mix(0, k, i, a);
        else return false;
    } else {
        const Channels p = Split(v);
        const Channels m = {0, p.r * (i.r + 1) >> 8, p.g * (i.g + 1) >> 8, p.b * (i.b + 1) >> 8};
        const int a = p.a * (i.a + 1) >> 8;
        if (mode == 1 && format <= 2 && i.a < 7) return false;
        r = mode == 1 ? Mix(0, dst, m, a) : mode == 2 ? Mix(0, k, m, a) : m;
    }
    *out = Pack(r, format);
    return true;
}

class Drawing : public fonttest::HostTest {
protected:
    void TearDown() override {
        qrv::SetKernelSet(qrv::KernelSetNamed(nullptr));
        fonttest::HostTest::TearDown();
    }
};

struct Glyph {
    int w, h, depth;
    uint32_t key;
    std::vector<uint32_t> px;
    uint32_t At(int x, int y) const { return px[size_t(y) * w + x]; }
};

// Random pixels, a third of them transparent, with runs of every length.
Glyph RandomGlyph(std::mt19937& rng, int w, int h, int depth, bool solid) {
    Glyph g{w, h, depth, depth == 8 ? 0u : 0x00FFFFFFu, std::vector<uint32_t>(size_t(w) * h)};
    for (auto& p : g.px) {
        const bool clear = rng() % 3 == 0;
        if (depth == 8) p = clear ? 0 : solid ? 255 : 1 + rng() % 255;
        else p = clear ? g.key : static_cast<uint32_t>(rng()) & ~uint32_t(rng() % 4 == 0 ? 0 : 0x00000001);
    }
    return g;
}

// A font whose character 65 is the glyph, advancing by its width.
void* FontOf(const Glyph& g, int mode, uint32_t backdrop) {
    void* f = CRF_Alloc(128);
    CRF_SetChrDepth(f, g.depth);
    CRF_SetMaxChrSize(f, g.w, g.h);
    CRF_DrawMode(f, mode);
    CRF_BackdropColour(f, backdrop);
    RFCI_SetChrWidth(CRF_GetChrInfoPtr(f, 0), 65, g.w);
    CRF_SetChrBmp(f, 65, Compress(RawGlyph(g.w, g.h, g.depth, g.key, g.px)));
    return f;
}

// Draws the glyph at (x, y) in the viewport [l, r) x [t, b) and checks every pixel of the canvas.
void CheckDraw(Canvas& c, std::mt19937& rng, const Glyph& g, int mode, uint32_t ink, int x, int y, int l, int t, int r,
               int b) {
    const uint32_t backdrop = rng();
    void* f = FontOf(g, mode, backdrop);
    c.Randomise(rng);
    Canvas before = c;
    QRV_SetBuffer(c.Base(), c.pitch, c.format);
    QRV_SetBufferViewPort(l, t, r, b);
    CRF_Draw(f, "A", 1, x, y, ink);
    CRF_Free(f);
    ASSERT_TRUE(c.GuardsIntact());
    for (int py = 0; py < c.height; ++py)
        for (int px = 0; px < c.width; ++px) {
            uint32_t want = before.Get(px, py);
            const int gx = px - x, gy = py - y;
            if (px >= l && px < r && py >= t && py < b && gx >= 0 && gx < g.w && gy >= 0 && gy < g.h &&
                g.At(gx, gy) != g.key) {
                uint32_t drawn;
                if (Model(c.format, g.depth, mode, ink, backdrop, g.At(gx, gy), want, &drawn)) want = drawn;
            }
            ASSERT_EQ(c.Get(px, py), want) << "at " << px << "," << py;
        }
}

TEST_F(Drawing, EveryRendererGivesTheModelsPixels) {
    std::mt19937 rng(61);
    // Wide single rows give the long runs; solid coverage leaves the values out.
    const struct { int w, h; bool solid; } shapes[] = {{300, 1, false}, {9, 7, false}, {13, 5, true}};
    for (int set = 0; set < qrv::kKernelSets; ++set) {
        qrv::SetKernelSet(static_cast<qrv::KernelSet>(set));
        for (int format : qrvtest::kAllFormats)
            for (int depth : {8, 32})
                for (int mode : {0, 1, 2, 3, 5})
                    for (uint32_t ink : {0xFFFFFFFFu, 0x00FF8040u, 0x06C08020u, 0x07102030u, 0x80FF00FFu})
                        for (const auto& s : shapes) {
                            SCOPED_TRACE(testing::Message() << "set " << set << " format " << format << " depth "
                                                            << depth << " mode " << mode << " ink " << ink
                                                            << " shape " << s.w << "x" << s.h);
                            const Glyph g = RandomGlyph(rng, s.w, s.h, depth, s.solid);
                            Canvas c(g.w + 10, g.h + 4, format);
                            CheckDraw(c, rng, g, mode, ink, 3, 2, 0, 0, c.width, c.height);
                        }
    }
}

TEST_F(Drawing, ClippedAtEveryViewportEdge) {
    std::mt19937 rng(62);
    const Glyph g = RandomGlyph(rng, 12, 10, 8, false);
    const Glyph g32 = RandomGlyph(rng, 12, 10, 32, false);
    // The viewport is [5, 25) x [4, 20) of a 30 x 24 canvas.
    // Boxes ending 1 to 3 pixels inside the right edge (x 10 to 12) as well as further in.
    const int positions[][2] = {{-7, 6},  {-11, 6}, {-12, 6}, {0, 6},   {5, 6},   {10, 6}, {11, 6}, {12, 6},
                                {14, 6},  {18, 6},  {24, 6},  {25, 6},  {10, -5}, {10, -6}, {10, 0}, {10, 4},
                                {10, 15}, {10, 19}, {10, 20}, {-3, -3}, {20, 16}, {-3, 16}, {20, -3}, {0, 0}};
    for (int set = 0; set < qrv::kKernelSets; ++set) {
        qrv::SetKernelSet(static_cast<qrv::KernelSet>(set));
        for (int format : {1, 3, 4, 5})
            for (const auto& p : positions)
                for (const Glyph* glyph : {&g, &g32}) {
                    SCOPED_TRACE(testing::Message() << "set " << set << " format " << format << " depth "
                                                    << glyph->depth << " at " << p[0] << "," << p[1]);
                    Canvas c(30, 24, format);
                    CheckDraw(c, rng, *glyph, 1, 0xC0A0B0C0u, p[0], p[1], 5, 4, 25, 20);
                }
    }
    // Positions at the ends of the coordinate range draw nothing and stay in bounds.
    Canvas c(30, 24, 4);
    const Canvas before = c;
    void* f = FontOf(g, 1, 0);
    c.Select();
    for (int32_t x : {INT32_MIN, INT32_MIN + 5, -100000, 100000, INT32_MAX - 5, INT32_MAX})
        for (int32_t y : {INT32_MIN, INT32_MIN + 5, 3, INT32_MAX - 5, INT32_MAX})
            if (y != 3 || x < -100 || x > 100) CRF_Draw(f, "AAAA", 4, x, y, 0xFFFFFFFF);
    EXPECT_EQ(c.storage, before.storage);
    CRF_Free(f);
}

TEST_F(Drawing, TheStringWalk) {
    // Character 65: a 2 x 2 solid square, advance 1 + 2 + 1; character 0 advances 5.
    void* f = FontOf(Glyph{2, 2, 8, 0, {255, 255, 255, 255}}, 0, 0);
    QrvChrInfo* info = CRF_GetChrInfoPtr(f, 0);
    info[65] = {1, 2, 1, {}};
    info[0] = {0, 5, 0, {}};
    Canvas c(40, 6, 4);
    const struct { const char* what; const char* text; int x, right; const char* row; } walks[] = {
        // Glyph boxes start at x, x + 4, ...; the glyph is drawn at its box, the advance moves on.
        {"boxes", "AAA", 2, 40, "..##..##..##.."},
        // Left of the viewport: still advanced, clipped at the edge; a box ending
        // at or before the edge is not rendered.
        {"clipped left", "AAA", -5, 40, "#..##........."},
        {"left of the edge", "AAA", -7, 40, ".##..........."},
        {"code past the table", "A\xC8" "A", 0, 40, "##.......##..."},  // no glyph, character 0's advance
        {"right edge", "AAAAAAAAAA", 0, 9, "##..##..#....."},  // stops at the first box at or past it
    };
    for (const auto& w : walks) {
        c.Clear(0);
        QRV_SetBuffer(c.Base(), c.pitch, 4);
        QRV_SetBufferViewPort(0, 0, w.right, 6);
        CRF_Draw(f, w.text, 0, w.x, 1, 0xFF804020u);
        std::string row;
        for (int px = 0; px < c.width; ++px) row += c.Get(px, 1) != 0 ? '#' : '.';
        EXPECT_EQ(row, std::string(w.row) + std::string(26, '.')) << w.what;
    }
    // Mode 0 without values: every run pixel is ramp[255].
    c.Clear(0);
    c.Select();
    CRF_Draw(f, "A", 1, 0, 0, 0xFF804020u);
    EXPECT_EQ(c.Get(0, 0), 0xFE7F3F1Fu);
    // Nothing drawn: y at the bottom, or the box ending above the top; an
    // empty text, or one without its zero byte; no text or no font; a font
    // depth other than 8 or 32, or a format outside 1..5.
    CRF_DrawMode(f, 1);
    Canvas c16(40, 6, 1);
    std::mt19937 rng(3);
    c16.Randomise(rng);
    const Canvas random = c16;
    c16.Select();
    QRV_SetBufferViewPort(0, 2, 40, 5);
    CRF_Draw(f, "A", 1, 0, 5, 0xFFFFFFFF);
    CRF_Draw(f, "A", 1, 0, -1, 0xFFFFFFFF);
    CRF_Draw(f, "", 0, 0, 3, 0xFFFFFFFF);
    const std::vector<uint8_t> unterminated(33000, 'A');
    CRF_Draw(f, unterminated.data(), 0, 0, 2, 0xFFFFFFFF);
    CRF_Draw(f, nullptr, 1, 0, 3, 0xFFFFFFFF);
    CRF_Draw(nullptr, "A", 1, 0, 3, 0xFFFFFFFF);
    CRF_SetChrDepth(f, 16);
    CRF_Draw(f, "A", 1, 0, 2, 0xFFFFFFFF);
    CRF_SetChrDepth(f, 8);
    QRV_SetBuffer(c16.Base(), c16.pitch, 6);
    CRF_Draw(f, "A", 1, 0, 2, 0xFFFFFFFF);
    EXPECT_EQ(c16.storage, random.storage);
    CRF_Free(f);
}

}  // namespace
