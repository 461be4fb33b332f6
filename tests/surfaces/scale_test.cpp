#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "primitives/packed.h"
#include "support/kernel_sets.h"
#include "surfaces/test_surface.h"

namespace {

using qrvtest::Surface;

// Modes 0 and 1 against single-pixel samples at (i x step, j x step), for
// every source format, up and down (a half step included), in every kernel
// set; the source's view limits only the nearest samples, the destination's
// view only the old scaler.
TEST(Scale, RowsEqualSingleSamples) {
    std::mt19937 rng(3);
    const int sizes[][4] = {{5, 4, 13, 11}, {13, 11, 5, 4}, {1, 1, 9, 2}, {7, 9, 7, 9}, {6, 3, 12, 5}, {13, 2, 26, 4}};
    std::vector<qrv::KernelSet> sets = qrvtest::PackedSets();
    sets.insert(sets.begin(), qrv::KernelSet::Scalar);
    const qrv::KernelSet before = qrv::ActiveKernelSet();
    for (auto set : sets) {
        qrv::SetKernelSet(set);
        for (const auto& [sw, sh, dw, dh] : sizes)
            for (int sf : qrvtest::kAllFormats)
                for (int df : {1, 3, 4})
                    for (int mode = 0; mode < 4; ++mode) {
                        const bool old = mode >= 2;
                        Surface src(sw, sh, sf), dst(dw, dh, df), want(dw, dh, df);
                        src.canvas.Randomise(rng);
                        dst.canvas.Randomise(rng);
                        want.canvas.storage = dst.canvas.storage;
                        QRV_SetSurfaceDescVP(src.desc, 1, 0, sw, sh - 1);
                        QRV_SetSurfaceDescVP(dst.desc, 1, 1, dw - 1, dh);
                        (old ? QRV_ScaleSurface_OLD : QRV_ScaleSurface)(src.desc, dst.desc, mode & 1);
                        const int stepX = (sw << 16) / dw, stepY = (sh << 16) / dh;
                        for (int j = old; j < dh; ++j)
                            for (int i = old; i < dw - old; ++i)
                                qrv::PokePixelNC(want.desc, i, j,
                                                 mode & 1 ? qrv::SampleSurfaceBilinear(src.desc, i * stepX, j * stepY)
                                                          : QRV_PeekSurface(src.desc, i * stepX >> 16,
                                                                            j * stepY >> 16));
                        ASSERT_EQ(dst.canvas.storage, want.canvas.storage)
                            << "set " << int(set) << " " << sw << "x" << sh << " -> " << dw << "x" << dh << " formats "
                            << sf << "->" << df << " mode " << mode;
                    }
    }
    qrv::SetKernelSet(before);
}

TEST(Scale, PeekedBilinearRoundsEachWeight) {
    // Fractions of 170/256 on both axes: the four weights sum to 254, so a
    // uniform source darkens a step; writes stay inside the destination's view.
    Surface src(2, 2, 5), dst(3, 3, 5);
    src.Fill(0xFFFFFFFF);
    dst.canvas.Clear(0x11);
    QRV_SetSurfaceDescVP(dst.desc, 0, 0, 3, 2);
    QRV_ScaleSurface(src.desc, dst.desc, 1111);
    const uint32_t expected[] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFDFDFDFD, 0xFDFDFDFD, 0x11111111};
    for (int k = 0; k < 7; ++k) EXPECT_EQ(dst.canvas.Get(k % 3, k / 3), expected[k]) << k;
    // Neighbours stop at the source's view; peeks outside it give 0.
    Surface line(2, 1, 4), out(4, 1, 4);
    line.Fill(0x00FF00FF);
    QRV_SetSurfaceDescVP(line.desc, 0, 0, 1, 1);
    QRV_ScaleSurface_OLD(line.desc, out.desc, 1111);
    EXPECT_EQ(out.canvas.Get(1, 0), 0x00FF00FFu);
    EXPECT_EQ(out.canvas.Get(2, 0), 0u);
}

// Null descriptors and destinations without width or height, in every mode
// of both scalers; a source without pixels is refused by the bilinear mode.
TEST(Scale, RefusesWhatItCannotMap) {
    Surface src(4, 4, 4), dst(4, 4, 4);
    dst.canvas.Clear(0x22);
    const auto before = dst.canvas.Snapshot();
    for (auto* scale : {QRV_ScaleSurface, QRV_ScaleSurface_OLD})
        for (int mode : {0, 1, 1111, 2}) {
            scale(nullptr, dst.desc, mode);
            scale(src.desc, nullptr, mode);
            for (int32_t* side : {&dst.desc->width, &dst.desc->height})
                for (int w : {0, -1, INT32_MIN}) {
                    *side = w;
                    scale(src.desc, dst.desc, mode);
                    *side = 4;
                }
        }
    src.desc->pixels = nullptr;
    QRV_ScaleSurface(src.desc, dst.desc, 1);
    EXPECT_EQ(dst.canvas.Snapshot(), before);
    QRV_ScaleSurface(src.desc, dst.desc, 0);  // a source without pixels peeks as 0
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
    EXPECT_EQ(dst.canvas.Get(3, 0) & dst.canvas.Get(0, 2), 0x33333333u) << "beyond the source";

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
}

}  // namespace
