// Properties of textured drawing over random textures, descriptors, outlines
// and viewports: the packed loops draw what the plain ones draw, the direct
// 32-bit copy draws what the general pipeline draws, and nothing lands
// outside the viewport.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>

#include "polygons/edge_walk.h"
#include "polygons/poly_test_util.h"

using namespace qrvtest;

namespace {

using TexturedProperty = PolygonTest;

// A texture with random texels, a good share of them the mask colour.
std::unique_ptr<Texture> RandomTexture(std::mt19937& rng, int format, int least = 1, int most = 24) {
    const int sides = most - least + 1;
    const int w = least + static_cast<int>(rng() % sides), h = least + static_cast<int>(rng() % sides);
    const uint32_t mask = rng() % 3 ? rng() : 0;
    auto tex = std::make_unique<Texture>(w, h, format, mask);
    const uint32_t stored = RGBForBuffer(mask, format) & PixelMask(format);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) tex->canvas.Set(x, y, rng() % 3 == 0 ? stored : rng() & PixelMask(format));
    tex->MakeExact();
    return tex;
}

// A random descriptor: sprite flags, output type and level, compression, and
// now and then a hand-added effect (numbers without a routine included).
void RandomiseTpd(std::mt19937& rng, void* t) {
    int32_t flags = static_cast<int32_t>(rng() & 1) | (rng() % 3 == 0 ? INT32_MIN : 0);
    for (int32_t bit : {0x40, 0x80, 0x100, 0x200, 0x400, 0x800, 0x1000, 0x2000, 0x4000, 0x10000, 0x20000})
        if (rng() % 6 == 0) flags |= bit;
    const uint32_t tint = rng() % 2 ? 0xFFFFFF : rng();
    TPD_UpdateSpriteDrawMode(t, flags, tint, rng(), static_cast<int32_t>(rng() % 300) - 20);
    const int32_t type = static_cast<int32_t>(rng() % 8);
    TPD_SetOutputEffect(t, type <= 6 ? type : 1, 0, static_cast<int32_t>(rng() % 260));
    TPD_SetMaskCompression(t, static_cast<int32_t>(rng() & 1));
    if (rng() % 4 == 0)
        TPD_AddTexelEffect(t, static_cast<int32_t>(rng() % 17), nullptr, nullptr, rng(), rng() % 300, rng(), rng());
}

enum class Draw { Tri, Quad, Sprite, SpriteRgb, Texture, Strip };

// One random textured draw; coordinates mostly near the canvas, sometimes
// far outside it or past 16 bits.
struct RandomDraw {
    Draw kind;
    int32_t v[4][4];  // x, y, u, v of each vertex
    uint32_t rgb[4];
    int32_t split;

    RandomDraw(std::mt19937& rng, int w, int h, bool extreme) {
        kind = static_cast<Draw>(rng() % 6);
        auto coord = [&](int range) -> int32_t {
            switch (extreme ? rng() % 8 : 3) {
                case 0: return static_cast<int32_t>(rng());
                case 1: return rng() & 1 ? INT32_MAX - int32_t(rng() % 3) : INT32_MIN + int32_t(rng() % 3);
                case 2: return static_cast<int32_t>(rng() % 65536) - 32768;
                default: return static_cast<int32_t>(rng() % (3 * range)) - range;
            }
        };
        for (int i = 0; i < 4; ++i) {
            auto& p = v[i];
            p[0] = coord(w), p[1] = coord(h), p[2] = coord(30), p[3] = coord(30), rgb[i] = rng();
            if (kind == Draw::Strip) p[2] = coord(30) << 16, p[3] = coord(30) << 16;
        }
        if (!extreme && rng() % 4 != 0) {
            // A convex outline: a rotated rectangle about a point of the canvas.
            const double cx = rng() % w, cy = rng() % h, a = (rng() % 628) / 100.0;
            const double hw = 1 + rng() % 20, hh = 1 + rng() % 20;
            const double sx[4] = {-hw, hw, hw, -hw}, sy[4] = {-hh, -hh, hh, hh};
            for (int i = 0; i < 4; ++i) {
                v[i][0] = static_cast<int32_t>(cx + sx[i] * std::cos(a) - sy[i] * std::sin(a));
                v[i][1] = static_cast<int32_t>(cy + sx[i] * std::sin(a) + sy[i] * std::cos(a));
            }
            if (kind == Draw::Texture) v[0][0] -= static_cast<int32_t>(hw), v[0][1] -= static_cast<int32_t>(hh);
        }
        split = static_cast<int32_t>(rng() % 3);
    }

    void Run(QrvSurfaceDesc* t, void* tpd) const {
#define XYUV(i) v[i][0], v[i][1], v[i][2], v[i][3]
        switch (kind) {
            case Draw::Tri: QRV_TriT(t, XYUV(0), XYUV(1), XYUV(2), tpd); break;
            case Draw::Quad: QRV_QuadT(t, XYUV(0), XYUV(1), XYUV(2), XYUV(3), tpd); break;
            case Draw::Sprite: QRV_DrawSpriteQuad(t, XYUV(0), XYUV(1), XYUV(2), XYUV(3), tpd, split); break;
            case Draw::SpriteRgb:
                QRV_DrawSpriteRGBQuad(t, XYUV(0), rgb[0], XYUV(1), rgb[1], XYUV(2), rgb[2], XYUV(3), rgb[3], tpd,
                                      split);
                break;
            case Draw::Texture: QRV_DrawTexture(t, v[0][0], v[0][1], tpd); break;
            case Draw::Strip:
                if (split == 0) QRV_HoriTextureStrip(t, v[0][0], v[0][2], v[0][3], v[1][0], v[1][2], v[1][3], v[2][1]);
                else QRV_VertTextureStrip(t, v[0][1], v[0][2], v[0][3], v[1][1], v[1][2], v[1][3], v[2][0]);
                break;
        }
#undef XYUV
    }
};

TEST_F(TexturedProperty, PackedEqualsPlainAndNothingOutsideTheViewport) {
    std::mt19937 rng(2024);
    for (int trial = 0; trial < 3000; ++trial) {
        const int destFormat = kAllFormats[trial % 5];
        const int texFormat = rng() % 3 == 0 ? destFormat : kAllFormats[rng() % 5];
        auto tex = RandomTexture(rng, texFormat);
        TpdHandle tpd;
        RandomiseTpd(rng, tpd);
        const bool extreme = trial % 4 == 0;
        Canvas plain(36, 28, destFormat, 4);
        ViewRect v = RandomDrawingSetup(rng, plain);
        if (rng() % 3 != 0) {
            v = {int32_t(rng() % 4), int32_t(rng() % 4), 36 - int32_t(rng() % 4), 28 - int32_t(rng() % 4)};
            QRV_SetBufferViewPort(v.left, v.top, v.right, v.bottom);
        }
        const auto before = plain.Snapshot();
        const auto texBefore = tex->exact;
        const RandomDraw draw(rng, 36, 28, extreme);
        qrv::SetKernelSet(qrv::KernelSet::Scalar);
        draw.Run(&tex->desc, tpd);
        ASSERT_TRUE(plain.GuardsIntact()) << "trial " << trial;
        ASSERT_TRUE(UnchangedOutside(plain, before, v.left, v.top, v.right, v.bottom)) << "trial " << trial;
        for (qrv::KernelSet set : PackedSets()) {
            Canvas packed(36, 28, destFormat, 4);
            packed.storage = before;
            qrv::SetKernelSet(set);
            QRV_SetBuffer(packed.Base(), packed.pitch, packed.format);
            draw.Run(&tex->desc, tpd);
            ASSERT_EQ(plain.storage, packed.storage) << "trial " << trial << " set " << int(set);
        }
        ASSERT_EQ(tex->exact, texBefore) << "trial " << trial;
    }
}

// 32-bit texture to 32-bit destination, replace: the direct copy (no
// effects; filtered spans on whole texels too) gives the pixels of the
// fetch-and-render pipeline (forced by an effect without a routine), for mask
// colours with a clear top byte; two thirds of the draws axis-aligned, wide
// enough for the widest keyed rows.
TEST_F(TexturedProperty, DirectCopyEqualsThePipeline) {
    std::mt19937 rng(99);
    for (int trial = 0; trial < 1500; ++trial) {
        // Half the axis-aligned draws on a texture larger than they reach.
        const bool large = trial % 3 != 2 && trial % 2 == 0;
        auto tex = RandomTexture(rng, 4, large ? 40 : 1, large ? 48 : 24);
        tex->desc.maskColour &= 0xFFFFFF;
        const int32_t masked = static_cast<int32_t>(rng() & 1), filtered = rng() & 1 ? INT32_MIN : 0;
        // Unfiltered, the copy skips mask texels exactly when masked; the
        // pipeline when compressing (and then draws nothing of an all-mask
        // span even when not masked).
        const int32_t compression = filtered == 0 ? masked : static_cast<int32_t>(rng() & 1);
        TpdHandle direct(masked | filtered, 0xFFFFFF, 0, 0), general(masked | filtered, 0xFFFFFF, 0, 0);
        TPD_AddTexelEffect(general, 9, nullptr, nullptr, 0, 0, 0, 0);
        TPD_SetMaskCompression(direct, compression);
        TPD_SetMaskCompression(general, compression);
        Canvas a(36, 28, 4);
        const ViewRect view = RandomDrawingSetup(rng, a);
        Canvas b = a;
        RandomDraw draw(rng, 36, 28, false);
        if (draw.kind == Draw::Strip) draw.kind = Draw::Quad;
        if (trial % 3 != 2) {
            // Axis-aligned, across at scale 1 (every position on a whole
            // texel), a little larger than its texels (or held to the
            // texture's edge: runs of consecutive texels with repeats between)
            // or smaller; down at 1/2 to 2 texels a row. The corners come in
            // any order round either way, over the viewport's edges, with no
            // width or height now and then, and now and then the texture turned
            // a quarter or one corner's texel or place moved.
            // Filtered, mostly on whole texels.
            const bool whole = filtered != 0 && rng() % 4 != 0;
            draw.kind = whole || rng() & 1 ? Draw::Quad : Draw::Sprite;
            draw.split = 0;
            const int32_t w = rng() % 8 ? 8 + static_cast<int32_t>(rng() % 20) : 0;
            const int32_t h = rng() % 8 ? 2 + static_cast<int32_t>(rng() % 9) : 0;
            const int32_t across = trial % 3 == 0 || whole ? 0 : static_cast<int32_t>(rng() % (w / 4 + 2));
            const int32_t texels = rng() % 4 == 0 ? w + across : w - across;
            const int32_t rows = h * static_cast<int32_t>(whole ? 2 + 2 * (rng() & 1) : 1 + rng() % 4) / 2;
            auto within = [&](int32_t from, int32_t to) {
                return from + static_cast<int32_t>(rng() % static_cast<uint32_t>(to - from + 1));
            };
            const int32_t x = within(view.left - w, view.right), y = within(view.top - h, view.bottom);
            const int32_t u = static_cast<int32_t>(rng() % 8), v = static_cast<int32_t>(rng() % 8);
            const int32_t first = static_cast<int32_t>(rng() % 4), step = rng() & 1 ? 1 : 3;
            const uint32_t look = rng() % 8;  // 0: turned; 1: a corner's texel moved; 2, 3: its place; 4: key rows
            const int32_t corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
            for (int i = 0; i < 4; ++i) {
                const int32_t *k = corners[(first + step * i) % 4], *t = corners[(first + step * i + (look == 0)) % 4];
                draw.v[i][0] = x + w * k[0], draw.v[i][1] = y + h * k[1];
                draw.v[i][2] = u + texels * t[0], draw.v[i][3] = v + rows * t[1];
            }
            if (look == 1) {
                // Moved inwards, where the texture's edge does not hold it.
                const uint32_t c = 2 + rng() % 2;
                int32_t& t = draw.v[rng() % 4][c];
                t = std::min(t, (c == 2 ? tex->desc.width : tex->desc.height) - 1);
                t += t > 0 ? -1 - static_cast<int32_t>(rng() % static_cast<uint32_t>(std::min(t, 3))) : 1;
            }
            if (look == 2 || look == 3) draw.v[rng() % 4][rng() % 2] += rng() & 1 ? 2 : -2;
            if (look == 4) {
                // Texture rows of nothing but the mask colour.
                for (int32_t ty = v; ty < v + 3 && ty < tex->canvas.height; ++ty)
                    for (int32_t tx = 0; tx < tex->canvas.width; ++tx) tex->canvas.Set(tx, ty, tex->desc.maskColour);
                tex->MakeExact();
            }
        }
        QRV_SetBuffer(a.Base(), a.pitch, 4);
        draw.Run(&tex->desc, direct);
        QRV_SetBuffer(b.Base(), b.pitch, 4);
        draw.Run(&tex->desc, general);
        ASSERT_EQ(a.storage, b.storage) << "trial " << trial;
    }
}

// A quad whose texture is turned a quarter, at one texel a pixel: its rows
// step down the texture (which the 32-byte set gathers) on whole texels. Its
// direct copy, plain, masked and filtered under each rule, gives the
// pipeline's pixels in every kernel set.
TEST_F(TexturedProperty, TurnedCopiesEqualThePipeline) {
    std::mt19937 rng(5);
    auto tex = RandomTexture(rng, 4, 40, 40);
    tex->desc.maskColour &= 0xFFFFFF;
    for (const qrv::KernelSet set : AllSets())
        for (const int32_t flags : {0, 1, INT32_MIN, INT32_MIN | 1})
            for (const int32_t compression : {0, 1})
                for (const int32_t mmx : {0, 1}) {
                    TpdHandle direct(flags, 0xFFFFFF, 0, 0), general(flags, 0xFFFFFF, 0, 0);
                    TPD_AddTexelEffect(general, 9, nullptr, nullptr, 0, 0, 0, 0);
                    TPD_SetMaskCompression(direct, compression);
                    TPD_SetMaskCompression(general, compression);
                    Canvas a(36, 28, 4);
                    a.Randomise(rng);
                    Canvas b = a;
                    for (Canvas* c : {&a, &b}) {
                        c->Select();
                        qrv::SetKernelSet(set);
                        QRV_SetMMXState(mmx);
                        QRV_QuadT(&tex->desc, 3, 2, 30, 0, 32, 2, 30, 29, 32, 22, 10, 29, 3, 22, 10, 0,
                                  c == &a ? direct : general);
                    }
                    ASSERT_EQ(a.storage, b.storage)
                        << "set " << int(set) << " flags " << flags << " compression " << compression << " mmx " << mmx;
                }
}

}  // namespace
