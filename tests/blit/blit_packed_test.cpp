// The packed bodies against their plain twins on random rows: every length
// from 0 to 300 at random start alignments, every format pair and effect.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "blit/blit.h"
#include "frame/colour.h"
#include "primitives/packed.h"
#include "support/canvas.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kMaxLength = 300;

struct Row {
    Bytes bytes;
    int offset;  // start alignment within the buffer
    uint8_t* At() { return bytes.data() + offset; }
};

Row RandomRow(std::mt19937& rng, int bytesPerPixel, int length, int offset) {
    Row r{Bytes(static_cast<size_t>(length) * bytesPerPixel + offset + 16), offset};
    for (auto& b : r.bytes) b = static_cast<uint8_t>(rng());
    return r;
}

// Sprinkles the key over a source row so that keyed bodies meet it in every lane.
void PlantKey(std::mt19937& rng, Row& row, int format, int length, uint32_t key) {
    const int bpp = qrvtest::BytesPerPixel(format);
    for (int i = 0; i < length; ++i) {
        if (rng() % 4 != 0) continue;
        for (int k = 0; k < bpp; ++k) {
            const int shift = format == 3 ? 8 * (2 - k) : 8 * k;
            row.At()[i * bpp + k] = static_cast<uint8_t>(key >> shift);
        }
    }
}

TEST(BlitPackedTest, BlitRowsMatchThePlainBodies) {
    if (!qrv::HavePackedKernels()) GTEST_SKIP() << "no packed bodies in this build";
    std::mt19937 rng(21);
    for (int state = 0; state < 2; ++state)
        for (int keyed = 0; keyed < 2; ++keyed)
            for (int dst : qrvtest::kAllFormats)
                for (int src : qrvtest::kAllFormats) {
                    const auto plain = qrv::BlitRowFor(dst, src, keyed, state, false);
                    const auto packed = qrv::BlitRowFor(dst, src, keyed, state, true);
                    ASSERT_NE(plain, nullptr);
                    for (int length = 0; length <= kMaxLength; ++length) {
                        const int db = qrvtest::BytesPerPixel(dst), sb = qrvtest::BytesPerPixel(src);
                        const uint32_t key = qrv::ForBuffer(rng(), src);
                        Row s = RandomRow(rng, sb, length, rng() % 16);
                        if (src == 5) {
                            // Runs of one alpha, so that whole packed steps are transparent,
                            // opaque or mixed; the thresholds as often as the values between.
                            const uint8_t alphas[] = {0, 1, 63, 128, 254, 255};
                            for (int i = 0; i < length;) {
                                const int run = 1 + rng() % 9;
                                const int alpha = rng() % 3 == 0 ? -1 : alphas[rng() % 6];
                                for (int j = i; j < i + run && j < length; ++j)
                                    s.At()[j * 4 + 3] = static_cast<uint8_t>(alpha < 0 ? rng() : alpha);
                                i += run;
                            }
                        }
                        if (rng() % 2 == 0) PlantKey(rng, s, src, length, key);
                        Row a = RandomRow(rng, db, length, rng() % 16);
                        Row b = a;
                        plain(a.At(), s.At(), length, key);
                        packed(b.At(), s.At(), length, key);
                        ASSERT_EQ(a.bytes, b.bytes) << "dst " << dst << " src " << src << " keyed " << keyed
                                                    << " state " << state << " length " << length;
                    }
                }
}

TEST(BlitPackedTest, EffectRowsMatchThePlainBodies) {
    if (!qrv::HavePackedKernels()) GTEST_SKIP() << "no packed bodies in this build";
    std::mt19937 rng(22);
    const int modes[][2] = {{1, 0}, {32, 1}, {32, 0}, {64, 1}, {64, 0}, {128, 1}, {128, 0},
                            {1024, 1}, {8192, 1}, {8192, 0}, {16384, 0}};
    for (int state = 0; state < 2; ++state) {
        for (const auto& m : modes) {
            const int effect = qrv::EffectFor(m[0], m[1]);
            ASSERT_GE(effect, 0);
            for (int format : qrvtest::kAllFormats) {
                const auto plain = qrv::EffectRowFor(effect, format, state, false);
                const auto packed = qrv::EffectRowFor(effect, format, state, true);
                if (plain == nullptr) continue;
                const int bpp = qrvtest::BytesPerPixel(format);
                for (int length = 0; length <= kMaxLength; ++length) {
                    const uint32_t colour = qrv::ForBuffer(rng(), format);
                    Row s1 = RandomRow(rng, bpp, length, rng() % 16), d1 = RandomRow(rng, bpp, length, rng() % 16);
                    const Row blend = RandomRow(rng, bpp, length, rng() % 16);
                    Row s2 = s1, d2 = d1;
                    const uint8_t* bp = qrv::EffectUsesBlend(effect) ? blend.bytes.data() + blend.offset : nullptr;
                    plain(d1.At(), s1.At(), bp, length, colour);
                    packed(d2.At(), s2.At(), bp, length, colour);
                    ASSERT_EQ(d1.bytes, d2.bytes) << "state " << state << " mode " << m[0] << " format " << format;
                    ASSERT_EQ(s1.bytes, s2.bytes) << "state " << state << " mode " << m[0] << " format " << format;
                }
            }
        }
    }
}

}  // namespace
