// Glyph blocks from raw glyphs: exact bytes for small glyphs at both depths,
// the row pools shared at any byte offset, and the failures.
#include <vector>

#include "fonts/font_test_util.h"

namespace {

using namespace fonttest;

class Compression : public HostTest {};

// The block bytes of a raw glyph; the block is released at once.
ByteVec Block(int w, int h, int depth, uint32_t key, const std::vector<uint32_t>& pixels) {
    uint8_t* glyph = Compress(RawGlyph(w, h, depth, key, pixels));
    if (glyph == nullptr) return {};
    ByteVec bytes = BlockBytes(glyph);
    HostFree(reinterpret_cast<intptr_t>(glyph));
    return bytes;
}

TEST_F(Compression, SmallGlyphsGiveExactBlocks) {
    // Header words: size, width, height, depth, first row, end row, run table, value table.
    const struct {
        const char* name;
        int w, h, depth;
        uint32_t key;
        std::vector<uint32_t> pixels;
        ByteVec block;
    } cases[] = {
        {"all transparent", 3, 2, 8, 5, {5, 5, 5, 5, 5, 5}, Bytes().I32({32, 3, 2, 8, 0, 2, 0, 0}).b},
        {"empty raw", 0, 4, 32, 0, {}, Bytes().I32({32, 0, 4, 32, 0, 4, 0, 0}).b},
        {"two runs with values", 5, 1, 8, 0, {0, 7, 9, 0, 4},
         Bytes().I32({53, 5, 1, 8, 0, 1, 32, 46, 4}).U16({2, 1, 2, 4, 1}).I32({4}).U8({7, 9, 4}).b},
        {"solid coverage has no values", 3, 1, 8, 0, {255, 0, 255},
         Bytes().I32({46, 3, 1, 8, 0, 1, 32, 0, 4}).U16({2, 0, 1, 2, 1}).b},
        {"one value below 255 keeps them all", 3, 1, 8, 0, {255, 0, 254},
         Bytes().I32({52, 3, 1, 8, 0, 1, 32, 46, 4}).U16({2, 0, 1, 2, 1}).I32({4}).U8({255, 254}).b},
        // The whole word is compared with the key: a zero word is opaque.
        {"32-bit key with alpha", 2, 2, 32, 0xFF000000u, {0xFF000000u, 0x00000000u, 0x11223344u, 0xFF000000u},
         Bytes().I32({68, 2, 2, 32, 0, 2, 32, 52, 8, 14}).U16({1, 1, 1, 1, 0, 1}).I32({8, 12})
             .U8({0, 0, 0, 0, 0x44, 0x33, 0x22, 0x11}).b},
        // Rows 2 and 4 repeat row 1's runs and values; the blank rows 0 and 5
        // stay out of the tables, the blank row 3 between has entries of 0.
        {"repeated rows and blank borders", 2, 6, 8, 0, {0, 0, 9, 0, 9, 0, 0, 0, 9, 0, 0, 0},
         Bytes().I32({71, 2, 6, 8, 1, 5, 32, 54, 16, 16, 0, 16}).U16({1, 0, 1}).I32({16, 16, 0, 16}).U8({9}).b},
    };
    for (const auto& c : cases) EXPECT_EQ(Block(c.w, c.h, c.depth, c.key, c.pixels), c.block) << c.name;
}

TEST_F(Compression, PoolsReuseRowDataAtAnyByteOffset) {
    // Value rows 1 2 | 3 4 | 2 3: the third lies across the first two.
    const ByteVec b = Block(2, 3, 8, 0, {1, 2, 3, 4, 2, 3});
    ASSERT_FALSE(b.empty());
    const int32_t values = Word(b, 28), rows = 3;
    EXPECT_EQ(std::vector<int32_t>({Word(b, values), Word(b, values + 4), Word(b, values + 8)}),
              std::vector<int32_t>({rows * 4 + 0, rows * 4 + 2, rows * 4 + 1}));
    EXPECT_EQ(b.size(), static_cast<size_t>(values + rows * 4 + 4));
    // All three rows hold one run (0, 2): one run entry serves them.
    EXPECT_TRUE(Word(b, 32) == Word(b, 36) && Word(b, 32) == Word(b, 40));

    // Ink on rows 3 to 10 of 16: tables of 8 entries.
    std::vector<uint32_t> tall(16 * 4, 0);
    for (int y = 3; y <= 10; ++y) tall[y * 4 + (y % 4)] = 200 + y;
    const ByteVec t = Block(4, 16, 8, 0, tall);
    EXPECT_EQ(std::vector<int32_t>({Word(t, 16), Word(t, 20), Word(t, 32)}), std::vector<int32_t>({3, 11, 8 * 4}));
}

TEST_F(Compression, BadRawGlyphsAndFailedAllocationsGiveNothing) {
    EXPECT_EQ(CRF_CompressChr(nullptr), 0);
    for (int depth : {0, 16, 24, 31}) {
        ByteVec padded = RawGlyph(1, 1, depth, 0, {});
        padded.resize(padded.size() + 4, 1);
        EXPECT_EQ(CRF_CompressChr(AsRaw(padded)), 0) << depth;
    }
    EXPECT_EQ(CRF_CompressChr(AsRaw(RawGlyph(-1, 2, 8, 0, {}))), 0);
    EXPECT_EQ(CRF_CompressChr(AsRaw(RawGlyph(2, -1, 8, 0, {}))), 0);
    const ByteVec raw = RawGlyph(3, 3, 32, 0, {1, 0, 2, 3, 3, 0, 0, 0, 9});
    for (long allowed : {0L, 1L}) {
        qrvhost::FailAllocationsAfter(allowed);
        EXPECT_EQ(CRF_CompressChr(AsRaw(raw)), 0) << allowed;
    }
}

}  // namespace
