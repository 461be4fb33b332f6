#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "primitives/packed.h"
#include "support/canvas.h"
#include "surfaces/surface.h"

namespace {

using qrvtest::Canvas;

struct Surface {
    Canvas canvas;
    QrvSurfaceDesc* desc;
    Surface(int w, int h, int format)
        : canvas(w, h, format, 4), desc(QRV_AllocSurfaceDesc(format, canvas.Base(), canvas.pitch, w, h)) {}
    ~Surface() { QRV_FreeSurfaceDesc(desc); }
};

struct KernelSetGuard {
    ~KernelSetGuard() { qrv::SetKernelSet(qrv::KernelSet::Sse2); }
};

TEST(Scale, NearestRepeatsPixels) {
    for (int format : {4, 1}) {
        Surface src(2, 2, format), dst(4, 4, format);
        const uint32_t px[4] = {0x1111, 0x2222, 0x3333, 0x4444};
        for (int i = 0; i < 4; ++i) src.canvas.Set(i & 1, i >> 1, px[i]);
        QRV_ScaleSurface(src.desc, dst.desc, 0);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.canvas.Get(x, y), px[(y / 2) * 2 + x / 2]) << x << "," << y;
    }
}

// Modes 0 and 1 against single-pixel samples at i x step, j x step, for every
// pair of formats, up and down, with both kernel sets; the source's view only
// limits the nearest samples, the destination's view only the old scaler.
TEST(Scale, RowsEqualSingleSamples) {
    KernelSetGuard guard;
    std::mt19937 rng(3);
    struct Size { int sw, sh, dw, dh; } sizes[] = {{5, 4, 13, 11}, {13, 11, 5, 4}, {1, 1, 9, 2}, {31, 3, 64, 7},
                                                   {7, 9, 7, 9}, {6, 3, 12, 5}, {13, 2, 26, 4}};
    for (int set = 0; set < 2; ++set) {
        qrv::SetKernelSet(set ? qrv::KernelSet::Sse2 : qrv::KernelSet::Scalar);
        for (const Size& z : sizes) {
            for (int sf : qrvtest::kAllFormats) {
                for (int df : {1, 3, 4}) {
                    for (int mode : {0, 1}) {
                        for (bool old : {false, true}) {
                            Surface src(z.sw, z.sh, sf), dst(z.dw, z.dh, df);
                            src.canvas.Randomise(rng);
                            dst.canvas.Randomise(rng);
                            QRV_SetSurfaceDescVP(src.desc, 1, 0, z.sw, z.sh - 1);
                            QRV_SetSurfaceDescVP(dst.desc, 1, 1, z.dw - 1, z.dh);
                            const auto before = dst.canvas.Snapshot();
                            (old ? QRV_ScaleSurface_OLD : QRV_ScaleSurface)(src.desc, dst.desc, mode);
                            const int stepX = (z.sw << 16) / z.dw, stepY = (z.sh << 16) / z.dh;
                            for (int j = 0; j < z.dh; ++j) {
                                for (int i = 0; i < z.dw; ++i) {
                                    const bool written = !old || (i >= 1 && i < z.dw - 1 && j >= 1);
                                    uint32_t expected;
                                    if (!written) {
                                        qrvtest::Canvas probe(1, 1, df);
                                        std::memcpy(probe.Base(), before.data() + Canvas::kGuard + j * dst.canvas.pitch +
                                                                      i * dst.canvas.bpp, dst.canvas.bpp);
                                        expected = probe.Get(0, 0);
                                    } else {
                                        const uint32_t c =
                                            mode == 0 ? QRV_PeekSurface(src.desc, (i * stepX) >> 16, (j * stepY) >> 16)
                                                      : qrv::SampleSurfaceBilinear(src.desc, i * stepX, j * stepY);
                                        qrvtest::Canvas probe(1, 1, df);
                                        QrvSurfaceDesc* p = QRV_AllocSurfaceDesc(df, probe.Base(), probe.pitch, 1, 1);
                                        qrv::PokePixelNC(p, 0, 0, c);
                                        QRV_FreeSurfaceDesc(p);
                                        expected = probe.Get(0, 0);
                                    }
                                    ASSERT_EQ(dst.canvas.Get(i, j), expected)
                                        << "set " << set << " " << z.sw << "x" << z.sh << " -> " << z.dw << "x" << z.dh
                                        << " formats " << sf << "->" << df << " mode " << mode << " old " << old
                                        << " at " << i << "," << j;
                                }
                            }
                            EXPECT_TRUE(dst.canvas.GuardsIntact());
                        }
                    }
                }
            }
        }
    }
}

TEST(Scale, PeekedBilinearRoundsEachWeight) {
    // Two fractions of 170/256: the four weights sum to 254, so a uniform
    // source darkens by a step; the neighbours stop at the source's view.
    for (bool old : {false, true}) {
        Surface src(2, 2, 5), dst(3, 3, 5);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x) src.canvas.Set(x, y, 0xFFFFFFFF);
        dst.canvas.Clear(0x11);
        QRV_SetSurfaceDescVP(dst.desc, 0, 0, 3, 2);
        (old ? QRV_ScaleSurface_OLD : QRV_ScaleSurface)(src.desc, dst.desc, 1111);
        EXPECT_EQ(dst.canvas.Get(0, 0), 0xFFFFFFFFu);
        EXPECT_EQ(dst.canvas.Get(1, 1), 0xFDFDFDFDu);
        EXPECT_EQ(dst.canvas.Get(2, 0), 0xFFFFFFFFu) << "fy 0: the weights along x sum to 256";
        EXPECT_EQ(dst.canvas.Get(1, 2), 0x11111111u) << "outside the destination's view";
    }
    // Neighbours outside the source's view peek as 0.
    Surface src(2, 1, 4), dst(4, 1, 4);
    src.canvas.Set(0, 0, 0x00FF00FF);
    src.canvas.Set(1, 0, 0x00FF00FF);
    QRV_SetSurfaceDescVP(src.desc, 0, 0, 2, 1);
    QRV_ScaleSurface(src.desc, dst.desc, 1111);
    EXPECT_EQ(dst.canvas.Get(1, 0), 0x00FF00FFu);
    QRV_SetSurfaceDescVP(src.desc, 0, 0, 1, 1);
    QRV_ScaleSurface(src.desc, dst.desc, 1111);
    EXPECT_EQ(dst.canvas.Get(1, 0), 0x00FF00FFu) << "x1 held at viewRight - 1";
    EXPECT_EQ(dst.canvas.Get(2, 0), 0u) << "x0 outside the view";
}

TEST(Scale, RefusesWhatItCannotMap) {
    Surface src(4, 4, 4), dst(4, 4, 4);
    dst.canvas.Clear(0x22);
    const auto before = dst.canvas.Snapshot();
    for (auto* scale : {QRV_ScaleSurface, QRV_ScaleSurface_OLD}) {
        for (int mode : {0, 1, 1111, 2, -1}) {
            scale(nullptr, dst.desc, mode);
            scale(src.desc, nullptr, mode);
            for (int w : {0, -1, INT32_MIN}) {
                dst.desc->width = w;
                scale(src.desc, dst.desc, mode);
                dst.desc->width = 4;
                dst.desc->height = w;
                scale(src.desc, dst.desc, mode);
                dst.desc->height = 4;
            }
        }
        scale(src.desc, dst.desc, 2);
    }
    EXPECT_EQ(dst.canvas.Snapshot(), before);
    // A source without pixels samples nothing bilinearly and peeks as 0.
    src.desc->pixels = nullptr;
    QRV_ScaleSurface(src.desc, dst.desc, 1);
    EXPECT_EQ(dst.canvas.Snapshot(), before);
    QRV_ScaleSurface(src.desc, dst.desc, 0);
    EXPECT_EQ(dst.canvas.Get(3, 3), 0u);
}

TEST(Scale, PrepareFXSurface) {
    Surface src(3, 2, 1), dst(4, 3, 5);
    src.canvas.Set(0, 0, 0xF81F);  // the mask colour in 5-6-5
    src.canvas.Set(1, 0, 0x07E0);
    QRV_SetSurfaceDescMaskColour(src.desc, 0x00FF00FF);
    dst.canvas.Clear(0x33);
    QRV_PrepareFXSurface(src.desc, dst.desc, 1);
    EXPECT_EQ(dst.canvas.Get(0, 0), 0x33333333u);
    QRV_PrepareFXSurface(src.desc, dst.desc, 0);
    EXPECT_EQ(dst.canvas.Get(0, 0), 0x00F800F8u);
    EXPECT_EQ(dst.canvas.Get(1, 0), 0xFF00FC00u);
    EXPECT_EQ(dst.canvas.Get(2, 1), 0xFF000000u);
    EXPECT_EQ(dst.canvas.Get(3, 0), 0x33333333u) << "beyond the source";
    EXPECT_EQ(dst.canvas.Get(0, 2), 0x33333333u);

    Surface argb(2, 1, 5), out5(2, 1, 5), out4(2, 1, 4);
    argb.canvas.Set(0, 0, 0x80123456);
    QRV_SetSurfaceDescVP(argb.desc, 1, 0, 2, 1);
    QRV_PrepareFXSurface(argb.desc, out5.desc, 0);
    EXPECT_EQ(out5.canvas.Get(0, 0), 0x80123456u) << "32-bit texels keep their alpha, views aside";
    out4.canvas.Clear(0x44);
    QRV_PrepareFXSurface(argb.desc, out4.desc, 0);
    EXPECT_EQ(out4.canvas.Get(0, 0), 0u) << "peeked through the source's view";
    argb.desc->viewLeft = 0;
    QRV_PrepareFXSurface(argb.desc, out4.desc, 0);
    EXPECT_EQ(out4.canvas.Get(0, 0), 0x00123456u);
    EXPECT_TRUE(dst.canvas.GuardsIntact() && out4.canvas.GuardsIntact() && out5.canvas.GuardsIntact());
}

}  // namespace
