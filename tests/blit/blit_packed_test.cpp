// The packed bodies against their plain twins on random rows: every length
// from 0 to 300 at random start alignments, every format pair and effect, in
// every kernel set. The rows are compared whole, 16 bytes past their end
// included.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "blit/blit.h"
#include "frame/colour.h"
#include "primitives/packed.h"
#include "support/canvas.h"
#include "support/kernel_sets.h"

namespace {

struct Row {
    std::vector<uint8_t> bytes;
    int offset;  // start alignment within the buffer
    uint8_t* At() { return bytes.data() + offset; }
};

Row RandomRow(std::mt19937& rng, int format, int length) {
    Row r{std::vector<uint8_t>(static_cast<size_t>(length) * qrvtest::BytesPerPixel(format) + 32), int(rng() % 16)};
    for (auto& b : r.bytes) b = static_cast<uint8_t>(rng());
    return r;
}

// Runs of one alpha, so that whole packed steps are transparent, opaque or
// mixed; the thresholds as often as the values between. Half the rows meet
// the key in every lane, at times under another top byte.
void PlantAlphasAndKeys(std::mt19937& rng, Row& s, int src, int length, uint32_t key) {
    const int sb = qrvtest::BytesPerPixel(src);
    const bool plantKey = rng() % 2 == 0;
    const uint8_t alphas[] = {0, 1, 63, 128, 254, 255};
    for (int i = 0; i < length;) {
        const int run = 1 + rng() % 9, alpha = rng() % 3 == 0 ? -1 : alphas[rng() % 6];
        for (int j = i; j < i + run && j < length; ++j) {
            if (src == 5) s.At()[j * 4 + 3] = static_cast<uint8_t>(alpha < 0 ? rng() : alpha);
            if (!plantKey || rng() % 4 != 0) continue;
            const uint32_t planted = key ^ (sb == 4 && rng() % 3 == 0 ? rng() << 24 : 0);
            for (int k = 0; k < sb; ++k) s.At()[j * sb + k] = uint8_t(planted >> (src == 3 ? 8 * (2 - k) : 8 * k));
        }
        i += run;
    }
}

TEST(BlitPackedTest, BlitRowsMatchThePlainBodies) {
    if (!qrv::HavePackedKernels()) GTEST_SKIP() << "no packed bodies in this build";
    std::mt19937 rng(21);
    for (int state = 0; state < 2; ++state)
        for (int keyed = 0; keyed < 2; ++keyed)
            for (int dst : qrvtest::kAllFormats)
                for (int src : qrvtest::kAllFormats)
                    for (qrv::KernelSet set : qrvtest::PackedSets()) {
                        const auto plain = qrv::BlitRowFor(dst, src, keyed, state, qrv::KernelSet::Scalar);
                        const auto packed = qrv::BlitRowFor(dst, src, keyed, state, set);
                        ASSERT_NE(plain, nullptr);
                        for (int length = 0; length <= 300; ++length) {
                            const uint32_t key = qrv::ForBuffer(rng(), src);
                            Row s = RandomRow(rng, src, length), a = RandomRow(rng, dst, length), b = a;
                            PlantAlphasAndKeys(rng, s, src, length, key);
                            plain(a.At(), s.At(), length, key);
                            packed(b.At(), s.At(), length, key);
                            ASSERT_EQ(a.bytes, b.bytes) << "set " << int(set) << " dst " << dst << " src " << src
                                                        << " keyed " << keyed << " state " << state << " length "
                                                        << length;
                        }
                    }
}

TEST(BlitPackedTest, EffectRowsMatchThePlainBodies) {
    if (!qrv::HavePackedKernels()) GTEST_SKIP() << "no packed bodies in this build";
    std::mt19937 rng(22);
    const int modes[][2] = {{1, 0},    {32, 1},   {32, 0},   {64, 1},   {64, 0},   {128, 1},
                            {128, 0},  {1024, 1}, {8192, 1}, {8192, 0}, {16384, 0}};
    for (int state = 0; state < 2; ++state)
        for (const auto& [mode, useBlend] : modes) {
            const int effect = qrv::EffectFor(mode, useBlend);
            ASSERT_GE(effect, 0);
            for (int format : qrvtest::kAllFormats)
                for (qrv::KernelSet set : qrvtest::PackedSets()) {
                    const auto plain = qrv::EffectRowFor(effect, format, state, qrv::KernelSet::Scalar);
                    const auto packed = qrv::EffectRowFor(effect, format, state, set);
                    if (plain == nullptr) continue;
                    for (int length = 0; length <= 300; ++length) {
                        const uint32_t colour = qrv::ForBuffer(rng(), format);
                        Row s1 = RandomRow(rng, format, length), d1 = RandomRow(rng, format, length);
                        Row blend = RandomRow(rng, format, length), s2 = s1, d2 = d1;
                        const uint8_t* bp = qrv::EffectUsesBlend(effect) ? blend.At() : nullptr;
                        plain(d1.At(), s1.At(), bp, length, colour);
                        packed(d2.At(), s2.At(), bp, length, colour);
                        ASSERT_TRUE(d1.bytes == d2.bytes && s1.bytes == s2.bytes)
                            << "set " << int(set) << " state " << state << " mode " << mode << " format " << format
                            << " length " << length;
                    }
                }
        }
}

}  // namespace
