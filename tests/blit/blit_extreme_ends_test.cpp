// Blits whose rectangles reach the ends of the 32-bit range: a source
// rectangle up to INT32_MAX wide or high is clipped to exactly the pixels of
// an ordinary one with the same placement; a wider or higher one, which no
// buffer row or column holds, and one whose ends are reversed draw nothing.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "primitives/packed.h"
#include "primitives/span_test_util.h"
#include "support/canvas.h"

using qrvtest::Canvas;

namespace {

constexpr int32_t kMin = INT32_MIN, kMax = INT32_MAX;
constexpr int32_t kLeft = 8, kTop = 6, kRight = 40, kBottom = 34;

// x1, y1, x2, y2, dx, dy; each places source (x, y) at (x - 8, y - 10).
constexpr int32_t kClipped[][6] = {
    {64 - kMax, 0, 64, 64, 56 - kMax, -10},  {0, 64 - kMax, 64, 64, -8, 54 - kMax},
    {0, 0, kMax, kMax, -8, -10},             {-1, -1, kMax - 1, kMax - 1, -9, -11},
    {64 - kMax, 64 - kMax, 64, 64, 56 - kMax, 54 - kMax},
};
constexpr int32_t kReference[6] = {0, 0, 64, 64, -8, -10};
constexpr int32_t kNothing[][6] = {
    {-2, 0, kMax - 1, 64, -10, -10}, {0, -2, 64, kMax - 1, -8, -12},  // one pixel more than INT32_MAX
    {kMin, 0, kMax, 64, kMin, -10},  {0, kMin, 64, kMax, -8, kMin},
    {kMax, 0, kMin, 64, -8, -10},    {0, kMax, 64, kMin, -8, -10},    // reversed: a 32-bit width would be 1
    {0, 0, 64, 64, kMax, -10},       {0, 0, 64, 64, -8, kMin},
};

// (mode, useBlend) of the effect blit; mode 0 is the plain blit.
constexpr int32_t kEffects[][2] = {{0, 0}, {1, 0}, {32, 0}, {64, 1}, {16384, 0}};

TEST(BlitExtremeEnds, HugeRectanglesClipExactlyAndOverlongOnesDrawNothing) {
    QRV_Init_Lib();
    qrvtest::SettingsGuard guard;
    for (const int format : qrvtest::kAllFormats) {
        for (const int packed : {0, 1}) {
            QRV_SetMMXState(packed);
            qrv::SetKernelSet(packed ? qrv::KernelSet::Sse2 : qrv::KernelSet::Scalar);
            for (const auto& effect : kEffects) {
                for (const int32_t flags : {0, 1}) {
                    std::mt19937 rng(static_cast<uint32_t>(format * 7 + effect[0]));
                    Canvas src(64, 64, format), blend(64, 64, format), dst(48, 40, format, 4);
                    src.Randomise(rng), blend.Randomise(rng), dst.Randomise(rng);
                    QRV_SetSrcBuffer(src.Base(), src.pitch, format);
                    QRV_SetSrcBlendBuffer(blend.Base(), blend.pitch, format);
                    dst.Select();
                    QRV_SetBufferViewPort(kLeft, kTop, kRight, kBottom);
                    const auto srcBefore = src.Snapshot(), dstBefore = dst.Snapshot();
                    const uint32_t mask = src.Get(20, 20);
                    auto blit = [&](const int32_t r[6]) {
                        src.storage = srcBefore, dst.storage = dstBefore;
                        QRV_BlitFX(r[0], r[1], r[2], r[3], r[4], r[5], mask, flags, effect[0], 0x806040,
                                   effect[1], 0);
                        EXPECT_TRUE(dst.GuardsIntact() && src.GuardsIntact());
                        EXPECT_TRUE(qrvtest::UnchangedOutside(dst, dstBefore, kLeft, kTop, kRight, kBottom));
                        return std::make_pair(src.Snapshot(), dst.Snapshot());
                    };
                    const auto expected = blit(kReference);
                    if (effect[0] == 0) {
                        EXPECT_NE(expected.second, dstBefore);
                    }
                    for (const auto& r : kClipped) {
                        EXPECT_TRUE(blit(r) == expected)
                            << "format " << format << " mode " << effect[0] << " flags " << flags << " x1 " << r[0]
                            << " y1 " << r[1];
                    }
                    for (const auto& r : kNothing) {
                        EXPECT_TRUE(blit(r) == std::make_pair(srcBefore, dstBefore))
                            << "format " << format << " mode " << effect[0] << " x1 " << r[0] << " y1 " << r[1];
                    }
                }
            }
        }
    }
}

}  // namespace
