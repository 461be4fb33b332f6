// Textured drawing: descriptors, texel effects, output types per format,
// masking, sampling and the texture strips, on small buffers.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

#include "frame/colour.h"
#include "polygons/edge_walk.h"
#include "polygons/poly_test_util.h"
#include "polygons/textured.h"

using namespace qrvtest;
using Pixels = std::vector<uint32_t>;

namespace {

using Textured = PolygonTest;

// A w x h canvas of `dest` pixels, the texture drawn on it at (x, 0).
Canvas DrawOver(Texture& tex, void* tpd, int format, uint32_t dest, int w, int h = 1, int x = 0) {
    Target c(w, h, format);
    Fill(c, dest);
    QRV_DrawTexture(&tex, x, 0, tpd);
    return c;
}

TEST_F(Textured, OutputEffectSettings) {
    TpdHandle t;
    const int32_t cases[][4] = {{1, 0, 1, 1},   {3, 9, 1, 3},   {4, 0, 1, 4}, {5, 0, 1, 5}, {2, 0, 1, 0},
                                {2, 254, 1, 1}, {2, 255, 1, 1}, {2, 1, 1, 2}, {2, 253, 1, 2}, {6, 7, 0, 0},
                                {0, 0, 0, 0},   {-1, 0, 0, 0}};  // type, level, result, type drawn
    for (const auto& [type, level, result, drawn] : cases) {
        SCOPED_TRACE(testing::Message() << type << "/" << level);
        EXPECT_EQ(TPD_SetOutputEffect(t, type, 77, level), result);
        const qrv::Tpd* r = qrv::LiveTpd(t);
        EXPECT_EQ(r->outputType, drawn);
        EXPECT_EQ(r->outputLevel, drawn == 2 ? level : 0);
        EXPECT_EQ(r->outputParam, drawn == 0 ? 0 : 77);
    }
}

// Handles TPD_Alloc did not return, or already freed, act as null.
TEST_F(Textured, UnknownAndFreedHandlesActAsNull) {
    void* h = TPD_Alloc();
    EXPECT_EQ(TPD_GetMaskCompression(h), 1);
    int32_t notATpd[64] = {1, 1, 1, 1};
    std::vector<void*> many;  // enough to make the live set grow
    for (int i = 0; i < 300; ++i) many.push_back(TPD_Alloc());
    for (int i = 0; i < 300; i += 2) TPD_Free(many[i]);
    EXPECT_EQ(TPD_GetMaskCompression(many[1]), 1);
    TPD_Free(h);
    for (void* bad : {h, static_cast<void*>(notATpd), many[0], static_cast<void*>(nullptr)}) {
        EXPECT_EQ(TPD_GetMaskCompression(bad), 0);
        EXPECT_EQ(TPD_SetOutputEffect(bad, 1, 0, 0), 0);
        EXPECT_EQ(TPD_UpdateSpriteDrawMode(bad, 0x40, 0, 0, 0), 0);
        TPD_SetMaskCompression(bad, 1);
        TPD_AddTexelEffect(bad, 10, nullptr, nullptr, 0, 0, 0, 0);
        EXPECT_EQ(TPD_Free(bad), 0);
    }
    EXPECT_EQ(std::vector<int32_t>(notATpd, notATpd + 4), std::vector<int32_t>(4, 1));
    Texture tex(2, 2, 4, {1, 2, 3, 4});
    EXPECT_EQ(DrawOver(tex, h, 4, 0, 4).Get(0, 0), 0u);
    for (int i = 1; i < 300; i += 2) TPD_Free(many[i]);
}

// Textures whose fields do not describe a readable picture draw nothing.
TEST_F(Textured, UnusableTexturesDrawNothing) {
    Target c(8, 8, 4);
    TpdHandle t;
    Texture tex(4, 4, 4, Pixels(16, 0x123456));
    using Desc = QrvSurfaceDesc;
    void (*breakIt[])(Desc&) = {[](Desc& d) { d.format = 0; }, [](Desc& d) { d.format = 6; },
                                [](Desc& d) { d.width = 0; },  [](Desc& d) { d.height = -1; },
                                [](Desc& d) { d.pitch = 15; }, [](Desc& d) { d.pixels = nullptr; }};
    for (auto& change : breakIt) {
        QrvSurfaceDesc d = tex.desc;
        change(d);
        QRV_DrawTexture(&d, 0, 0, t);
        QRV_QuadT(&d, 0, 0, 0, 0, 8, 0, 3, 0, 8, 8, 3, 3, 0, 8, 0, 3, t);
        QRV_HoriTextureStrip(&d, 0, 0, 0, 8, 0x30000, 0, 1);
        QRV_VertTextureStrip(&d, 0, 0, 0, 8, 0, 0x30000, 1);
        QRV_DrawTexture(nullptr, 0, 0, t);
        for (int y = 0; y < 8; ++y) ASSERT_EQ(PixelRow(c, y), Pixels(8, 0));
    }
    QRV_DrawTexture(&tex, 0, 0, t);
    EXPECT_EQ(c.Get(3, 3), 0x123456u);
}

TEST_F(Textured, SpriteDrawModeEffectLists) {
    const uint32_t c = 0x123456;
    // The effects: number, arg1, arg2 and arg3 of each entry.
    struct Case { int32_t flags; uint32_t tint; int32_t value, masked, filtered, gouraud; Pixels effects; };
    const int32_t all = 0x40 | 0x400 | 0x1000 | 0x2000 | 0x10000 | 0x20000 | 0x4000 | 0x80 | 0x100 | 0x200;
    const Case cases[] = {
        {0, 0xFFFFFF, 9, 0, 0, 0, {}},
        {0, 0x808080, 9, 0, 0, 0, {1, 0x808080, 0, 0}},
        {0, 0xF0FFFF, 9, 0, 0, 0, {1, 0xF0FFFF, 0, 0}},  // only 0x?FFFFF tints are neutral
        {0, 0x0FFFFF, 9, 0, 0, 0, {}},
        {INT32_MIN | 1, 0xFFFFFF, 9, 1, 1, 0, {}},
        {0x800, 0xFFFFFF, 255, 0, 0, 0, {}},
        {0x800, 0xFFFFFF, 0, 0, 0, 0, {10, c, 0, 0}},
        {0x800, 0xFFFFFF, 100, 0, 0, 0, {4, c, 100, 0}},
        {all, 0x7FFFF, 5, 0, 0, 1, {1, 0x7FFFF, 0, 0, 1, 5, 0, 0, 10, c, 0, 0, 2, c, 0, 0, 3, c, 0, 0, 11, c, 0, 0,
                                    12, c, 0, 0, 15, c, 0, 5, 7, c, 0, 5, 5, c, 0, 5, 6, c, 0, 5}},
    };
    TpdHandle t;
    for (int i = 0; i < 40; ++i) TPD_AddTexelEffect(t, 2, nullptr, nullptr, 0, 0, 0, 0);  // replaced below
    for (const Case& k : cases) {
        SCOPED_TRACE(k.flags);
        EXPECT_EQ(TPD_UpdateSpriteDrawMode(t, k.flags, k.tint, c, k.value), 1);
        const qrv::Tpd* r = qrv::LiveTpd(t);
        EXPECT_EQ(r->masked, k.masked);
        EXPECT_EQ(r->filtered, k.filtered);
        EXPECT_EQ(TPD_GetGouruaudState(t), k.gouraud);
        EXPECT_EQ(TPD_GetMaskCompression(t), 1);
        ASSERT_EQ(r->texelEffectCount * 4, static_cast<int32_t>(k.effects.size()));
        Pixels got;
        for (int i = 0; i < r->texelEffectCount; ++i) {
            const qrv::TexelEffectEntry& e = r->texelEffects[i];
            got.insert(got.end(), {static_cast<uint32_t>(e.effect), e.arg1, e.arg2, e.arg3});
        }
        EXPECT_EQ(got, k.effects);
        EXPECT_EQ(r->texelEffects[r->texelEffectCount].effect, 0);
    }
    TPD_SetMaskCompression(t, 2);
    EXPECT_EQ(TPD_GetMaskCompression(t), 0);
}

// Each effect on seven texels (four packed, three singly) in every kernel set.
TEST_F(Textured, TexelEffects) {
    constexpr uint32_t s = 0x80FF4010, a = 0x40806020, line = 0x00204080;
    const uint32_t cases[][4] = {{1, 0, 0, 0x207F1802},  {2, 0, 0, 0xC0FFA030}, {3, 0, 0, 0x407F0000},
                                 {4, 64, 0, 0x509F581C}, {4, 0, 0, a},          {4, 256, 0, s},
                                 {5, 0, 0, 0x408F4048},  {6, 0, 0, 0x80FF8090}, {7, 0, 0, 0x001F1008},
                                 {10, 0, 0, a},          {11, 0, 0, 0x00804000}, {12, 0, 0, 0xC0FF6030},
                                 {15, 0, 0x11, s},       {8, 0, 0, s},          {13, 0, 0, s},
                                 {99, 0, 0, s},          {uint32_t(-3), 0, 0, s}};  // effect, arg2, arg3, result
    for (qrv::KernelSet set : AllSets()) {
        qrv::SetKernelSet(set);
        for (const auto& [effect, arg2, arg3, want] : cases) {
            TpdHandle t;
            TPD_AddTexelEffect(t, static_cast<int32_t>(effect), nullptr, nullptr, a, arg2, arg3, 0);
            for (int i = 0; i < 8; ++i) qrv::gLines.texels[i] = s, qrv::gLines.colours[i] = line;
            qrv::ApplyTexelEffects(*qrv::LiveTpd(t), 7);
            Pixels expected(7, want);
            expected.push_back(s);  // only the fetched texels change
            EXPECT_EQ(Pixels(qrv::gLines.texels, qrv::gLines.texels + 8), expected) << int(effect);
        }
    }
    // Key replace swaps only the key; an entry of effect 0 ends the list; a
    // named target is written instead of the texel line.
    TpdHandle t;
    uint32_t own[5] = {};
    TPD_AddTexelEffect(t, 15, nullptr, nullptr, s, 0, 0x11, 0);
    TPD_AddTexelEffect(t, 10, nullptr, own, 0x77, 0, 0, 0);
    TPD_AddTexelEffect(t, 0, nullptr, nullptr, 0, 0, 0, 0);
    TPD_AddTexelEffect(t, 10, nullptr, nullptr, 0x99, 0, 0, 0);
    for (int i = 0; i < 5; ++i) qrv::gLines.texels[i] = i % 2 ? s : a;
    qrv::ApplyTexelEffects(*qrv::LiveTpd(t), 5);
    EXPECT_EQ(Pixels(qrv::gLines.texels, qrv::gLines.texels + 5), (Pixels{a, 0x11, a, 0x11, a}));
    EXPECT_EQ(Pixels(own, own + 5), Pixels(5, 0x77));
}

// One texel 0x12C08040 (format-5 texture, unmasked) over 0x406080 as each
// destination holds it, for every output type and destination format.
TEST_F(Textured, OutputTypesPerFormat) {
    struct Case { int format; uint32_t dest, want[5]; };  // replace, blend at 64, half, add, subtract
    const Case cases[] = {
        {1, 0x4310, {0xC408, 0x634E, 0x838C, 0xFF18, 0x0008}},
        {2, 0x2190, {0x6208, 0x31AE, 0x41CC, 0x7F98, 0x0008}},
        {3, 0x406080, {0xC08040, 0x606870, 0x807060, 0xFFE0C0, 0x000040}},
        {4, 0xFF406080, {0x12C08040, 0x00606870, 0x00807060, 0x00FFE0C0, 0x00000040}},
        {5, 0xFF406080, {0x12C08040, 0x00606870, 0x00807060, 0x00FFE0C0, 0x00000040}},
    };
    Texture tex(9, 1, 5, Pixels(9, 0x12C08040));
    for (qrv::KernelSet set : AllSets())
        for (const Case& k : cases)
            for (int type = 1; type <= 5; ++type)
                for (int compression = 0; compression < 2; ++compression) {
                    qrv::SetKernelSet(set);
                    TpdHandle t;
                    TPD_SetOutputEffect(t, type, 0, 64);
                    TPD_SetMaskCompression(t, compression);
                    Canvas c = DrawOver(tex, t, k.format, k.dest, 11, 1, 1);
                    Pixels want(11, k.want[type - 1]);
                    want.front() = want.back() = k.dest;
                    EXPECT_EQ(PixelRow(c, 0), want) << k.format << " type " << type << " set " << int(set);
                }
}

// Masked format-5 texels blend by their own alpha at the precision of the
// destination, whatever the output type.
TEST_F(Textured, FormatFiveAlphaThresholds) {
    const std::pair<int, Pixels> cases[] = {  // format: the dest, then over it alpha 0x00, 0x07, 0x80, 0xF0, 0xFD
        {1, {0x4310, 0x4310, 0x4310, 0x838C, 0xC408, 0xC408}},
        {2, {0x2190, 0x2190, 0x2190, 0x41CC, 0x6208, 0x6208}},
        {3, {0x406080, 0x406080, 0x43607E, 0x807060, 0xB87E44, 0xC08040}},
        {4, {0xFF406080, 0xFF406080, 0x0043607E, 0x00807060, 0x00B87E44, 0xFDC08040}},
    };
    Texture tex(5, 1, 5, {0x00C08040, 0x07C08040, 0x80C08040, 0xF0C08040, 0xFDC08040}, 0xFFFFFFFF);
    for (qrv::KernelSet set : AllSets())
        for (const auto& [format, want] : cases)
            for (int type = 1; type <= 5; ++type) {
                qrv::SetKernelSet(set);
                TpdHandle t(1, 0xFFFFFF, 0, 0);
                TPD_SetOutputEffect(t, type, 0, 100);
                Canvas c = DrawOver(tex, t, format, want[0], 5);
                EXPECT_EQ(PixelRow(c, 0), Pixels(want.begin() + 1, want.end()))
                    << format << " type " << type << " set " << int(set);
            }
}

// Row 0 is all mask colour, row 1 has it in columns 1 and 2.
TEST_F(Textured, MaskCompressionAndTheMaskedFlag) {
    constexpr uint32_t kMask = 0xF81F, kOther = 0x1234, kDest = 0x0FF0;
    Texture tex(4, 2, 1, {kMask, kMask, kMask, kMask, kOther, kMask, kMask, kOther}, 0xFFFF00FF);
    const Pixels kept = {kOther, kMask, kMask, kOther}, masked = {kOther, kDest, kDest, kOther};
    const std::tuple<int32_t, int32_t, Pixels, Pixels> cases[] = {  // masked, compression, rows 0 and 1
        {1, 1, Pixels(4, kDest), masked}, {0, 1, Pixels(4, kDest), kept},
        {1, 0, Pixels(4, kMask), kept},   {0, 0, Pixels(4, kMask), kept}};
    QRV_SetMMXState(0);  // the lane rule keeps whole-position texels exact
    for (const auto& [mask, compression, row0, row1] : cases)
        for (int filtered = 0; filtered < 2; ++filtered) {
            // Bilinear texels at whole positions are the texels themselves
            // (with masked neighbours read as 0, which fx = 0 ignores).
            TpdHandle t(mask | (filtered ? INT32_MIN : 0), 0xFFFFFF, 0, 0);
            TPD_SetMaskCompression(t, compression);
            Canvas c = DrawOver(tex, t, 1, kDest, 4, 2);
            EXPECT_EQ(PixelRow(c, 0), row0) << mask << compression << filtered;
            EXPECT_EQ(PixelRow(c, 1), row1) << mask << compression << filtered;
        }
}

// Textured polygons sample texel corners, sprites texel centres; vertex
// coordinates beyond the texture are clamped into it and written back.
TEST_F(Textured, SamplingAndClamping) {
    Texture tex(4, 1, 4, {0x10, 0x20, 0x30, 0x40});
    TpdHandle t;
    Target c(8, 2, 4);
    QRV_QuadT(&tex, 0, 0, 0, 0, 8, 0, 3, 0, 8, 1, 3, 0, 0, 1, 0, 0, t);
    EXPECT_EQ(PixelRow(c, 0), (Pixels{0x10, 0x10, 0x10, 0x20, 0x20, 0x20, 0x30, 0x30}));
    QRV_DrawSpriteQuad(&tex, 0, 0, 0, 0, 8, 0, 9, -5, 8, 1, 3, 0, 0, 1, 0, 0, t, 0);
    EXPECT_EQ(std::pair(qrv::PolyU[1], qrv::PolyV[1]), std::pair(3, 0));
    EXPECT_EQ(PixelRow(c, 0), (Pixels{0x10, 0x10, 0x20, 0x20, 0x30, 0x30, 0x30, 0x40}));
    c.Clear(0);
    QRV_DrawSpriteQuad(&tex, 0, 0, 0, 0, 8, 0, 3, 0, 8, 1, 3, 0, 0, 1, 0, 0, t, 2);
    EXPECT_EQ(c.Get(0, 0), 0u) << "split 2 draws nothing";
    // The whole texture, its left three columns clipped off by the viewport.
    QRV_SetBufferViewPort(2, 0, 8, 2);
    QRV_DrawTexture(&tex, -1, 1, t);
    EXPECT_EQ(PixelRow(c, 1), (Pixels{0, 0, 0x40, 0, 0, 0, 0, 0}));
}

// Bilinear fetches repeat the last column and row instead of reading past
// them; the MMX state picks the lane rule or the per-channel rule.
TEST_F(Textured, BilinearAtTheEdges) {
    Texture tex(2, 2, 5, {0x00000000, 0x80FF4020, 0xFFFFFFFF, 0x00000000});
    Texture keyed(2, 1, 4, {0x00404040, 0x00FF00FF}, 0x00FF00FF);
    uint32_t out[3];
    const uint32_t cases[][4] = {
        {0x18000, 0, 0, 0x80FF4020},       // last column: its own neighbour
        {0x18000, 0x18000, 0, 0x00000000},  // last row too
        {0x08000, 0, 0, 0x407F2010},
        {0x08000, 0, 1, 0x3F7E1F0F},
        {0x00000, 0x08000, 1, 0x7F7F7F7F},
    };  // u, v, MMX state, texel
    for (qrv::KernelSet set : AllSets()) {
        qrv::SetKernelSet(set);
        for (const auto& [u, v, mmx, want] : cases) {
            qrv::FetchTexelsBilinear(tex.desc, out, 1, {int32_t(u), int32_t(v), 0, 0}, int32_t(mmx));
            EXPECT_EQ(out[0], want) << std::hex << u << " " << v << " " << mmx;
        }
        // Compressing: the masked right neighbour counts as 0, and the masked
        // texel itself is dropped from the runs.
        int32_t runs[4];
        EXPECT_EQ(qrv::FetchTexelsBilinearCompressed(keyed.desc, out, runs, 2, {0x8000, 0, 0x8000, 0}), 2);
        EXPECT_EQ(std::pair(runs[0], runs[1]), std::pair(0, 1));
        EXPECT_EQ(out[0], 0x00202020u);
    }
}

TEST_F(Textured, GouraudColourLine) {
    Texture tex(4, 4, 4, Pixels(16, 0xFFFFFF));
    Target c(8, 8, 4);
    TpdHandle t(0x80, 0xFFFFFF, 0, 0);  // modulate by the colour line
    QRV_DrawSpriteRGBQuad(&tex, 0, 0, 0, 0, 0x808080, 8, 0, 3, 0, 0x808080, 8, 8, 3, 3, 0x808080, 0, 8, 0, 3,
                          0x808080, t, 1);
    for (int i = 0; i < 64; ++i)
        if (c.Get(i % 8, i / 8) != 0) { ASSERT_EQ(c.Get(i % 8, i / 8), 0x007F7F7Fu) << i % 8 << "," << i / 8; }
    EXPECT_EQ(c.Get(4, 4), 0x007F7F7Fu);
    // A gradient from black to red over one span.
    qrv::SpanRecord r{};
    r.xRight = 4;
    r.rightAttr[0] = 0xFF0000;
    const int32_t runs[4] = {0, 1, 2, 2};
    uint32_t colours[3];
    qrv::BuildColourLine(r, colours, runs, 2);
    EXPECT_EQ(Pixels(colours, colours + 3), (Pixels{0x000000, 0x7F0000, 0xBF0000}));
}

TEST_F(Textured, TextureStrips) {
    Pixels texels;
    for (uint32_t i = 1; i <= 8; ++i) texels.push_back(0x010203u * i);
    Texture tex(8, 2, 3, texels), wide(8, 1, 4, texels);
    Target c(8, 8, 3);
    QRV_HoriTextureStrip(&tex, 0, 0, 0, 4, 0x40000, 0, 0);
    QRV_HoriTextureStrip(&tex, 4, 0x40000, 0, 0, 0, 0, 1);  // ends swapped
    QRV_SetBufferViewPort(2, 0, 6, 8);
    QRV_HoriTextureStrip(&tex, 0, 0, 0, 8, 0x7FFFFFFF, 0, 2);  // u clamped to the last column
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(c.Get(x, 0), x < 4 ? texels[x] : 0u) << x;
        EXPECT_EQ(c.Get(x, 1), x < 4 ? texels[x] : 0u) << x;
        EXPECT_EQ(c.Get(x, 2), x >= 2 && x < 6 ? texels[(x * 7) / 8] : 0u) << x;
    }
    QRV_VertTextureStrip(&tex, 1, 0x30000, 0, 7, 0x30000, 0x60000, 3);
    for (int y = 0; y < 8; ++y) EXPECT_EQ(c.Get(3, y), y < 7 ? texels[3] : 0u) << y;  // row 0 from the first strip
    // Different pixel sizes copy nothing.
    c.Clear(0);
    QRV_HoriTextureStrip(&wide, 0, 0, 0, 8, 0x70000, 0, 5);
    EXPECT_EQ(c.Get(3, 5), 0u);
    EXPECT_TRUE(c.GuardsIntact());
}

// Spans wider than the first line buffers draw whole.
TEST_F(Textured, ViewportWiderThanTheLineBuffers) {
    constexpr int kWide = 5000;
    Pixels texels, want;
    for (int i = 0; i < kWide; ++i) texels.push_back(static_cast<uint32_t>(i * 7) & 0xFFFF);
    for (uint32_t t : texels) want.push_back(qrv::Read565(t));
    Texture tex(kWide, 1, 1, texels, 0xFFFFFFFF);
    TpdHandle t(0, 0xFFFFFF, 0, 0);
    TPD_AddTexelEffect(t, 11, nullptr, nullptr, 0xFFFFFFFF, 0, 0, 0);
    Canvas c = DrawOver(tex, t, 4, 0, kWide);
    EXPECT_EQ(PixelRow(c, 0), want);
    EXPECT_TRUE(c.GuardsIntact());
}

}  // namespace
