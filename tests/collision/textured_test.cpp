// Textured span buffers and the comparisons: opaque texels that must and must
// not meet, in both kernel sets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "collision_test_util.h"
#include "primitives/packed.h"
#include "quorvel.h"
#include "support/canvas.h"

namespace qrvtest {
namespace {

constexpr uint32_t kKeyArgb = 0xFFFF00FF;

// A square texture of key colour with opaque texels where asked.
struct Texture {
    Canvas c;
    uint32_t key;
    Texture(int size, int format) : c(size, size, format), key(format == 1 ? 0xF81F : format == 2 ? 0x7C1F : 0xFF00FF) {
        for (int i = 0; i < size * size; ++i) c.Set(i % size, i / size, key);
    }
    void Opaque(int x, int y) { c.Set(x, y, 0x001234); }
};

// The buffer of a size x size sprite quad at (x, y) over the texture.
void SpriteSpans(TexturedBuf& buf, Texture& t, int x, int y, int size) {
    QRV_SetSrcBuffer(t.c.Base(), t.c.pitch, t.c.format);
    Vertices v = SpriteQuad(x, y, size, size);
    QRV_SpanBufferCollisionPolygon(v.words, 4, buf.Header(), kKeyArgb);
}

using TexturedSpans = CollisionTest;

struct KernelSets : CollisionTest, ::testing::WithParamInterface<qrv::KernelSet> {
    void SetUp() override { CollisionTest::SetUp(), qrv::SetKernelSet(GetParam()); }
    void TearDown() override { qrv::SetKernelSet(qrv::KernelSet::Sse2); }
};

TEST_F(TexturedSpans, QuadWords) {
    Texture t(8, QRV_FORMAT_32);
    TexturedBuf buf;
    SpriteSpans(buf, t, 3, 2, 4);
    const QrvTexturedSpanHeader& h = *buf.Header();
    EXPECT_EQ(h.base, t.c.Base());
    EXPECT_EQ((Words{h.top, h.bottom, h.format, h.pitch, int32_t(h.key)}), (Words{2, 6, 4, t.c.pitch, 0xFF00FF}));
    // Each chain keeps its own vertex's texel: the right end of the top row
    // is texel 4, half a texel in. A zero record closes the list.
    for (int y = 0; y < 4; ++y) {
        const int32_t v = 0x8000 + y * 0x10000;
        EXPECT_EQ(buf.Record(y), (Words{2 + y, 3, 0x8000, v, 7, 0x48000, v})) << y;
    }
    EXPECT_EQ(buf.Record(4), Words(7, 0));
    EXPECT_EQ(buf.Records()[5].y, kMarker);

    // Too many vertices: an empty buffer closed at once.
    TexturedBuf refused;
    Vertices v = SpriteQuad(0, 0, 4, 4);
    QRV_SpanBufferCollisionPolygon(v.words, 9, refused.Header(), kKeyArgb);
    EXPECT_EQ(refused.Header()->top | refused.Header()->bottom, 0);
    EXPECT_EQ(refused.Records()[0].y | refused.Records()[0].right, 0);
    EXPECT_EQ(refused.Records()[1].y, kMarker);
}

// Sprites of every texel size meet where their opaque texels share a screen
// pixel, the last shared row and single-column overlaps excepted.
TEST_P(KernelSets, TexturedPairsAgreeWithAPixelTest) {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> offset(-14, 14), texel(0, 15);
    int hits = 0;
    for (int iter = 0; iter < 600; ++iter) {
        const int fa = iter % 2 ? QRV_FORMAT_32 : QRV_FORMAT_565, fb = iter % 3 ? QRV_FORMAT_32 : QRV_FORMAT_555;
        Texture ta(16, fa), tb(16, fb);
        for (int k = 0; k < 16; ++k) ta.Opaque(texel(rng), texel(rng)), tb.Opaque(texel(rng), texel(rng));
        const int bx = offset(rng), by = offset(rng);
        TexturedBuf a, b;
        SpriteSpans(a, ta, 0, 0, 16);
        SpriteSpans(b, tb, bx, by, 16);
        int32_t expected = 0;
        const int lastRow = std::min(16, by + 16) - 1;
        const int x0 = std::max(0, bx), x1 = std::min(16, bx + 16);
        for (int y = std::max(0, by); y < lastRow && x1 - x0 >= 2; ++y)
            for (int x = x0; x < x1; ++x)
                if (ta.c.Get(x, y) != ta.key && tb.c.Get(x - bx, y - by) != tb.key) expected = 1;
        ASSERT_EQ(QRV_CompareTexturedSpans(a.Header(), b.Header()), expected) << bx << "," << by;
        hits += expected;
    }
    EXPECT_GT(hits, 50);
    EXPECT_LT(hits, 550);
}

TEST_P(KernelSets, FilledSpansAgainstTexels) {
    const int32_t cases[][5] = {  // the rect's corners, whether it meets the texel
        {0, 0, 40, 40, 1}, {29, 16, 31, 18, 1}, {28, 16, 30, 18, 1}, {0, 14, 40, 18, 1},
        {30, 0, 40, 40, 0},   // right of it
        {29, 16, 30, 18, 0},  // one column overlap is not examined
        {0, 14, 40, 17, 0},   // on the rect's last record, which is never examined
    };
    for (int format : {QRV_FORMAT_565, QRV_FORMAT_24, QRV_FORMAT_32}) {
        Texture t(16, format);
        t.Opaque(9, 6);
        TexturedBuf tex;
        SpriteSpans(tex, t, 20, 10, 16);  // the opaque texel at (29, 16)
        for (const auto& [x1, y1, x2, y2, expected] : cases) {
            SpanBuf rect;
            CreateSpanCollision_Rect(rect.Header(), x1, y1, x2, y2);
            EXPECT_EQ(QRV_CompareFilledToTexturedSpans(rect.Header(), tex.Header()), expected)
                << format << ": " << x1 << "," << y1 << " " << x2 << "," << y2;
        }
    }
}

TEST_F(TexturedSpans, BadHeadersReadNothingTheyDoNotDescribe) {
    Texture t(16, QRV_FORMAT_32);
    for (int i = 0; i < 256; ++i) t.Opaque(i % 16, i / 16);
    // Buffers sized for their 16 rows and the closing record, whose headers
    // claim 1000 rows: nothing past the closing record is read.
    TexturedBuf a(17), b(17);
    SpriteSpans(a, t, 0, 0, 16);
    SpriteSpans(b, t, 0, 0, 16);
    SpanBuf rect(1000);
    CreateSpanCollision_Rect(rect.Header(), 0, 0, 16, 1000);
    EXPECT_EQ(QRV_CompareTexturedSpans(a.Header(), b.Header()), 1);
    a.Header()->bottom = b.Header()->bottom = 1000;
    a.Records()[0] = b.Records()[0] = {};
    EXPECT_EQ(QRV_CompareTexturedSpans(a.Header(), b.Header()), 0);
    EXPECT_EQ(QRV_CompareFilledToTexturedSpans(rect.Header(), a.Header()), 0);
    QRV_DrawSpansEdges(a.Header());
    // 24-bit or unknown formats are not compared pairwise; no source buffer
    // (format 0) is never read.
    SpriteSpans(a, t, 0, 0, 16);
    a.Header()->format = 3;
    EXPECT_EQ(QRV_CompareTexturedSpans(a.Header(), b.Header()), 0);
    b.Header()->format = 0;
    b.Header()->base = nullptr;
    EXPECT_EQ(QRV_CompareTexturedSpans(b.Header(), b.Header()), 0);
    EXPECT_EQ(QRV_CompareFilledToTexturedSpans(rect.Header(), b.Header()), 0);
    EXPECT_EQ(QRV_CompareTexturedSpans(nullptr, b.Header()), 0);
    EXPECT_EQ(QRV_CompareFilledToTexturedSpans(nullptr, b.Header()), 0);
}

TEST_F(TexturedSpans, EdgesOfAllRowsButTheLast) {
    Texture t(8, QRV_FORMAT_32);
    TexturedBuf buf;
    SpriteSpans(buf, t, 2, 1, 4);  // rows 1..4, columns 2..5
    Canvas c(10, 8, QRV_FORMAT_32);
    c.Select();
    QRV_DrawSpansEdges(buf.Header());
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(c.Get(x, y), (y >= 1 && y <= 3 && (x == 2 || x == 6)) ? 0xFF0000u : 0u) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Both, KernelSets, ::testing::Values(qrv::KernelSet::Scalar, qrv::KernelSet::Sse2),
                         [](const auto& info) { return info.param == qrv::KernelSet::Scalar ? "Scalar" : "Packed"; });

}  // namespace
}  // namespace qrvtest
