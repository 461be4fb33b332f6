// The packed loops against the plain per-pixel loops on random input.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <random>
#include <vector>

#include "primitives/span_test_util.h"

using namespace qrvtest;
using qrv::KernelSet;
using qrv::SpanRecord;

// Runs of 0 to 331 pixels from every start column, some reversed.
constexpr int kWidth = 331;
constexpr int kHeight = 24;

TEST(PackedSpans, EqualThePlainLoopsForEveryModeFormatAndMmxState) {
    SettingsGuard guard;
    if (!qrv::HavePackedKernels()) GTEST_SKIP() << "no packed loops in this build";
    const int alphas[] = {1, 15, 16, 17, 100, 239, 240, 254, 255};
    std::mt19937 rng(20261206);
    for (int format : kAllFormats)
        for (int slack : {0, 1, 2, 3}) {
            Canvas plain(kWidth, kHeight, format, slack), packed(kWidth, kHeight, format, slack);
            for (int mode : kAllModes)
                for (int mmx : {0, 1})
                    for (int round = 0; round < 8; ++round) {
                        QRV_SetMMXState(mmx);
                        QRV_SetInkAlpha(mode == 16 ? alphas[rng() % 9] : 100);
                        plain.Randomise(rng);
                        const auto before = plain.storage;
                        // Colour 0 stops add and subtract early; all ones saturates every field.
                        const uint32_t colour = round == 0 ? 0 : round == 1 ? PixelMask(format) : RandomColour(rng, format);
                        const auto spans = RandomSpans(rng, kWidth, kHeight, kHeight);
                        const int stripY = static_cast<int>(rng() % kHeight), stripX = static_cast<int>(rng() % 40);
                        const int stripEnd = stripX + static_cast<int>(rng() % 290);
                        auto draw = [&](Canvas& c, KernelSet set) {
                            qrv::SetKernelSet(set);
                            c.Select();
                            qrv::FillSpans(spans.data(), static_cast<int32_t>(spans.size()), colour, mode);
                            QRV_DrawStrip(stripY, stripX, stripEnd, colour, mode);
                        };
                        draw(plain, KernelSet::Scalar);
                        for (KernelSet set : PackedSets()) {
                            packed.storage = before;
                            draw(packed, set);
                            ASSERT_TRUE(packed.GuardsIntact());
                            ASSERT_TRUE(plain.storage == packed.storage)
                                << "set " << static_cast<int>(set) << " format " << format << " mode " << mode
                                << " mmx " << mmx << " alpha " << QRV_GetInkAlpha() << " colour " << std::hex
                                << colour << " slack " << slack;
                        }
                    }
        }
}

// A run that ends on the last byte before an inaccessible page: any read or
// write past its last pixel faults. Every start byte alignment, every mode.
TEST(PackedSpans, NeverTouchTheByteAfterTheLastPixel) {
    SettingsGuard guard;
    QRV_SetInkAlpha(100);
    const long page = sysconf(_SC_PAGESIZE);
    auto* block = static_cast<uint8_t*>(mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(block, MAP_FAILED);
    ASSERT_EQ(mprotect(block + page, page, PROT_NONE), 0);
    for (auto set : {KernelSet::Scalar, KernelSet::Sse2, KernelSet::Avx2}) {
        qrv::SetKernelSet(set);
        for (int format : kAllFormats)
            for (int pixels : {1, 3, 4, 5, 15, 16, 17, 33, 64, 100})
                for (int skew = 0; skew < 16; ++skew) {
                    const int bytes = pixels * BytesPerPixel(format);
                    QRV_SetBuffer(block + page - skew - bytes, bytes, format);
                    const SpanRecord r = Span(0, 0, pixels);
                    const uint32_t colour = 0x00C08040 & PixelMask(format);
                    for (int mode : kAllModes)
                        for (int mmx : {0, 1}) {
                            QRV_SetMMXState(mmx);
                            qrv::FillSpans(&r, 1, colour, mode);
                            QRV_DrawStrip(0, 0, pixels, colour, mode);
                        }
                }
    }
    munmap(block, 2 * page);
}

TEST(PackedSpans, EnvironmentNamesTheKernelSet) {
    SettingsGuard guard;
    const KernelSet sse2 = qrv::HavePackedKernels() ? KernelSet::Sse2 : KernelSet::Scalar;
    const KernelSet widest = qrv::KernelSetAvailable(KernelSet::Avx2) ? KernelSet::Avx2 : sse2;
    EXPECT_EQ(qrv::KernelSetNamed("scalar"), KernelSet::Scalar);
    EXPECT_EQ(qrv::KernelSetNamed("sse2"), sse2);
    EXPECT_EQ(qrv::KernelSetNamed("avx2"), widest);
    EXPECT_EQ(qrv::KernelSetNamed(nullptr), widest);
    EXPECT_EQ(qrv::KernelSetNamed("avx512"), widest);
    // A set the processor lacks runs as the widest narrower one.
    qrv::SetKernelSet(KernelSet::Avx2);
    EXPECT_EQ(qrv::ActiveKernelSet(), widest);
}
