// The font record, glyph sharing, measurement and the file image: exact
// bytes, round trips, and images that must not be trusted.
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "fonts/font_test_util.h"

namespace {

using namespace fonttest;

class Fonts : public HostTest {};

// A glyph whose bytes depend on seed; equal seeds give byte-identical glyphs.
uint8_t* Glyph(int seed, int depth = 8) {
    std::vector<uint32_t> px(12);
    for (int i = 0; i < 12; ++i)
        px[i] = (i * 7 + seed) % 5 == 0 ? 0 : static_cast<uint32_t>(seed * 31 + i) | 0x80000000u;
    return Compress(RawGlyph(4, 3, depth, 0, px));
}

// A font with metrics, properties and a glyph of each non-zero seed.
void* MakeFont(const std::vector<int>& seeds, int depth = 8) {
    void* f = CRF_Alloc(static_cast<int32_t>(seeds.size()));
    CRF_SetMaxChrSize(f, 4, 3);
    CRF_SetChrDepth(f, depth);
    CRF_DrawMode(f, 1);
    CRF_BackdropColour(f, 0x80402010u);
    QrvChrInfo* info = CRF_GetChrInfoPtr(f, 0);
    for (int32_t i = 0; i < static_cast<int32_t>(seeds.size()); ++i) {
        info[i] = QrvChrInfo{i, 4, -1, {1, 2, 3, 4, i * 100}};
        if (seeds[i] != 0) CRF_SetChrBmp(f, i, Glyph(seeds[i], depth));
    }
    return f;
}

ByteVec WithWord(ByteVec image, size_t at, int64_t value, int bytes = 4) {
    for (int i = 0; i < bytes; ++i) image[at + i] = static_cast<uint8_t>(value >> (8 * i));
    return image;
}

TEST_F(Fonts, FreshFontAndProperties) {
    for (int32_t bad : {0, -5}) EXPECT_EQ(CRF_Alloc(bad), nullptr) << bad;
    void* big = CRF_Alloc(70000);   // held to 65536 characters
    ASSERT_NE(big, nullptr);
    EXPECT_NE(CRF_GetChrInfoPtr(big, 65535), nullptr);
    EXPECT_EQ(CRF_GetChrInfoPtr(big, 65536), nullptr);
    CRF_Free(big);

    void* f = CRF_Alloc(4);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(CRF_GetDrawMode(f) | CRF_GetChrDepth(f) | CRF_GetMaxChrSize(f, 0) | CRF_GetMaxChrSize(f, 1), 0);
    EXPECT_EQ(CRF_GetBackdropColour(f), 0xFF000000u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(CRF_GetChrBmp(f, i), nullptr);
        EXPECT_EQ(RFCI_GetChrWidth(CRF_GetChrInfoPtr(f, 0), i), 0);
    }
    EXPECT_EQ(CRF_SetMaxChrSize(f, 11, 17), f);
    EXPECT_EQ(CRF_GetMaxChrSize(f, 0), 11);
    EXPECT_EQ(CRF_GetMaxChrSize(f, -3), 17);   // any selector but 0 is the height
    QrvChrInfo* info = CRF_GetChrInfoPtr(f, 0);
    EXPECT_EQ(CRF_GetChrInfoPtr(f, 3), info + 3);
    for (int32_t outside : {-1, 4}) EXPECT_EQ(CRF_GetChrInfoPtr(f, outside), nullptr) << outside;
    EXPECT_EQ(RFCI_SetChrOverHang(info, 2, 4), info);
    EXPECT_EQ(info[2].overhang, 4);
    CRF_Free(f);

    // A null font or info: setters give 0, getters 0, nothing happens.
    EXPECT_EQ(CRF_SetChrDepth(nullptr, 8), nullptr);
    EXPECT_EQ(CRF_GetBackdropColour(nullptr), 0u);
    EXPECT_EQ(CRF_GetChrInfoPtr(nullptr, 0), nullptr);
    EXPECT_EQ(RFCI_GetChrWidth(nullptr, 0), 0);
    EXPECT_EQ(RFCI_SetChrWidth(nullptr, 0, 1), nullptr);
    CRF_Free(nullptr);

    // Any failed allocation of the three gives 0 with nothing kept.
    for (long allowed : {0L, 1L, 2L}) {
        qrvhost::FailAllocationsAfter(allowed);
        EXPECT_EQ(CRF_Alloc(3), nullptr) << allowed;
    }
}

TEST_F(Fonts, SharedGlyphsAreReleasedOnceWhenTheLastHolderLetsGo) {
    void* f = CRF_Alloc(5);
    uint8_t *a = Glyph(1), *b = Glyph(2);
    EXPECT_EQ(CRF_SetChrBmp(f, 1, a), a);
    EXPECT_EQ(CRF_SetChrBmp(f, 2, a), a);
    for (int32_t outside : {5, -1}) EXPECT_EQ(CRF_SetChrBmp(f, outside, b), f) << outside;  // the font comes back
    EXPECT_EQ(CRF_SetChrBmp(f, 1, a), a);   // the glyph it holds stays
    EXPECT_FALSE(WasReleased(a));
    CRF_SetChrBmp(f, 1, b);
    EXPECT_FALSE(WasReleased(a));           // character 2 still holds it
    CRF_SetChrBmp(f, 2, nullptr);
    EXPECT_TRUE(WasReleased(a));
    CRF_SetChrBmp(f, 3, b);
    CRF_SetChrBmp(f, 4, b);
    EXPECT_EQ(CRF_GetChrBmp(f, 4), b);
    EXPECT_EQ(CRF_GetChrBmp(f, 5), nullptr);
    CRF_Free(f);                            // b, held three times, released once (checked on tear-down)
    EXPECT_TRUE(WasReleased(b));
}

TEST_F(Fonts, DuplicateSearch) {
    const struct { std::vector<int> seeds; std::vector<int32_t> dup; } cases[] = {
        {{0, 0, 0, 5, 0, 0, 0, 5, 0, 5}, {0, 0, 0, 0, 0, 0, 0, 3, 0, 3}},
        {{4, 0, 0, 0, 0, 4}, {0, 0, 0, 0, 0, 0}},          // character 0 is never a target
        {{4, 0, 0, 0, 0, 4, 0, 0, 4}, {0, 0, 0, 0, 0, 0, 0, 0, 5}},
        {{1, 2, 3, 2, 1, 3}, {0, 0, 0, 1, 0, 2}},
    };
    for (const auto& c : cases) {
        void* f = MakeFont(c.seeds);
        std::vector<int32_t> dup(c.seeds.size(), 0);
        CRF_Find_Duplicate_Chr_Buffers(f, dup.data());
        EXPECT_EQ(dup, c.dup);
        CRF_Free(f);
    }
}

TEST_F(Fonts, TextWidthAndHeight) {
    void* f = CRF_Alloc(100);
    QrvChrInfo* info = CRF_GetChrInfoPtr(f, 0);
    RFCI_SetChrWidth(info, 0, 100);
    RFCI_SetChrOverHang(RFCI_SetChrWidth(RFCI_SetChrUnderHang(info, 65, 1), 65, 5), 65, 2);
    RFCI_SetChrUnderHang(RFCI_SetChrWidth(info, 66, 7), 66, -1);
    CRF_SetMaxChrSize(f, 9, 12);
    // Glyphs with rows 1..2 (A) and 0..2 (B) of 3.
    CRF_SetChrBmp(f, 65, Compress(RawGlyph(2, 3, 8, 0, {0, 0, 1, 0, 1, 1})));
    CRF_SetChrBmp(f, 66, Compress(RawGlyph(2, 3, 8, 0, {1, 0, 0, 0, 0, 1})));

    const char ab[] = "AB";
    const uint8_t high[] = {200, 65, 0};  // a code past the table measures as character 0
    std::vector<uint8_t> unterminated(40000, 'A'), ended(40000, 'A');
    ended[31999] = 0;
    const struct { void* font; const void* text; int32_t length, want; } widths[] = {
        {f, ab, 0, 8 + 6}, {f, ab, 1, 8}, {f, high, -1, 100 + 8}, {f, unterminated.data(), 0, 0},
        {f, ended.data(), 0, 31999 * 8}, {nullptr, ab, 2, 0}, {f, nullptr, 2, 0},
    };
    for (const auto& w : widths) EXPECT_EQ(CRF_TextWidth(w.font, w.text, w.length), w.want) << "case " << &w - widths;

    EXPECT_EQ(CRF_TextHeight(f, ab, 2, 1), 12);   // the max height is the start value
    CRF_SetMaxChrSize(f, 9, 2);
    EXPECT_EQ(CRF_TextHeight(f, ab, 2, 1), 3);
    EXPECT_EQ(CRF_TextHeight(f, nullptr, 2, 1), 2);
    EXPECT_EQ(CRF_TextHeight(f, ab, 2, 0), 0);    // 0 never exceeds a first row
    EXPECT_EQ(CRF_TextHeight(f, ab, 2, 2), 0);
    EXPECT_EQ(CRF_TextHeight(nullptr, ab, 2, 1), 0);
    CRF_Free(f);
}

TEST_F(Fonts, ImagesAreByteExactAndSharedGlyphsWrittenOnceAndReadBackShared) {
    // 3, 7 and 9 hold byte-identical (separate) glyphs; so do 0 and 5, but
    // character 0 is never shared.
    const std::vector<int> seeds = {6, 0, 0, 5, 0, 6, 0, 5, 2, 5};
    void* f = MakeFont(seeds, 32);
    Bytes want;
    want.U8({'Z', 'I', 'N', 'K', 'C', 'R', 'F', 0}).I32({0, 1, 4, 3, 32, 10, 1, 0x80402010});
    for (int i = 0; i < 10; ++i) want.I32({i, 4, -1, 1, 2, 3, 4, i * 100});
    for (int i = 0; i < 10; ++i) {
        if (seeds[i] != 0 && i != 7 && i != 9) want.Raw(BlockBytes(CRF_GetChrBmp(f, i)));
        else want.I32({0});
    }
    want.U16({0, 0, 0, 0, 0, 0, 0, 3, 0, 3});
    const ByteVec image = WithWord(want.b, 8, static_cast<int64_t>(want.b.size()) - 8);  // counts from itself
    EXPECT_EQ(WriteImage(f), image);

    // Written from the middle of a stream: the length counts from the field.
    const intptr_t s = qrvhost::OpenMemoryStream("abc", 3);
    reinterpret_cast<intptr_t(QRV_CALL*)(intptr_t, intptr_t)>(qrvhost::Record().slot[QRV_HOST_STREAM_SEEK])(s, 3);
    CRF_Write(f, s);
    const ByteVec tail = qrvhost::MemoryStreamBytes(s);
    EXPECT_EQ(ByteVec(tail.begin() + 3, tail.end()), image);
    qrvhost::CloseStream(s);
    CRF_Free(f);

    void* back = ReadImage(image);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(CRF_GetChrBmp(back, 7), CRF_GetChrBmp(back, 3));
    EXPECT_EQ(CRF_GetChrBmp(back, 9), CRF_GetChrBmp(back, 3));
    EXPECT_NE(CRF_GetChrBmp(back, 5), CRF_GetChrBmp(back, 0));
    EXPECT_EQ(WriteImage(back), image);   // every field read back where the writer takes it from
    const void* shared = CRF_GetChrBmp(back, 3);
    released.clear();
    CRF_Free(back);
    EXPECT_TRUE(WasReleased(shared));   // once: stray releases are counted on tear-down
}

TEST_F(Fonts, SaveAndLoadThroughFiles) {
    const std::string path = testing::TempDir() + "qrv_font_test.crf";
    void* f = MakeFont({0, 3, 4, 3});
    CRF_Save(f, qrvhost::Path(path.c_str()));
    void* back = CRF_Load(qrvhost::Path(path.c_str()));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(WriteImage(back), WriteImage(f));
    CRF_Free(f);
    CRF_Free(back);
    std::remove(path.c_str());
    EXPECT_EQ(CRF_Load(qrvhost::Path(path.c_str())), nullptr);
    EXPECT_EQ(CRF_Load(0), nullptr);
    CRF_Save(nullptr, qrvhost::Path(path.c_str()));
    EXPECT_EQ(std::fopen(path.c_str(), "rb"), nullptr);
}

// A valid image with glyphs at 1 and 3, 2 sharing 1; the first glyph's entry at 172.
ByteVec ValidImage() {
    void* f = MakeFont({0, 7, 7, 9});
    const ByteVec image = WriteImage(f);
    CRF_Free(f);
    return image;
}

TEST_F(Fonts, UntrustworthyImagesGiveNothing) {
    const ByteVec image = ValidImage();
    void* intact = ReadImage(image);
    ASSERT_NE(intact, nullptr) << "the unaltered image loads";
    CRF_Free(intact);
    const size_t g = 40 + 4 * 32 + 4;
    const int64_t length = Word(image, 8), size = Word(image, g);
    const size_t values = static_cast<size_t>(Word(image, g + 28));
    const size_t g3 = g + size + 4;                         // character 3's glyph, the last entry
    const size_t list = g + 32 + Word(image, g + 32);       // the first glyph's first run list
    const struct { const char* what; size_t at; int64_t value; int bytes = 4; } cases[] = {
        {"magic", 0, 0x4B4E495A - 1}, {"magic zero byte", 4, 0x01465243}, {"version 2", 12, 2}, {"version 0", 12, 0},
        {"length short by one", 8, length - 1}, {"length negative", 8, -1},
        {"count 0", 28, 0}, {"count negative", 28, -4}, {"count above 65536", 28, 65537},
        {"count past the length", 28, 1000},
        {"glyph size below a header", g, 31}, {"glyph size past the length", g, 1 << 30},
        {"last glyph past the length", g3, size + 1},
        {"glyph block narrower than its runs", g + 4, 1}, {"glyph width negative", g + 4, -4},
        {"glyph depth", g + 12, 16}, {"first row negative", g + 16, -1}, {"end row past the height", g + 20, 4},
        {"rows inverted", g + 16, 3}, {"run table moved", g + 24, 36}, {"values without runs", g + 24, 0},
        {"value table inside the run table", g + 28, 33}, {"value table past the end", g + 28, size},
        {"run entry inside the table", g + 32, 2}, {"run entry past the end", g + 32, size},
        {"run entry negative", g + 32, -40},
        {"run count", list, 0xFFFF, 2}, {"run start at the width", list + 2, 4, 2},
        {"run length", list + 4, 0x7FFF, 2},
        {"row with runs but no values", g + values, 0}, {"values past the end", g + values, size},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadImage(WithWord(image, c.at, c.value, c.bytes)), nullptr) << c.what;

    // Sharing indices that are not below the character's own are ignored; one
    // beside a glyph of the character's own replaces it.
    const size_t dupAt = image.size() - 8;
    for (const auto& [index, shared, glyphOf] :
         {std::tuple{2, 2, -1}, {2, 3, -1}, {2, 4, -1}, {2, 0xFFFF, -1}, {3, 1, 1}}) {
        void* f = ReadImage(WithWord(image, dupAt + 2 * index, shared, 2));
        ASSERT_NE(f, nullptr) << index << " " << shared;
        EXPECT_EQ(CRF_GetChrBmp(f, index), glyphOf < 0 ? nullptr : CRF_GetChrBmp(f, glyphOf)) << index << " " << shared;
        CRF_Free(f);
    }

    // The reader seeks back over a wrong magic, not over a wrong version.
    for (const auto& [at, value, back] : {std::tuple{2, 0, true}, {12, 2, false}}) {
        const ByteVec bad = WithWord(image, at, value);
        const intptr_t s = qrvhost::OpenMemoryStream(bad.data(), bad.size());
        EXPECT_EQ(CRF_Read(s), nullptr);
        const auto pos = reinterpret_cast<intptr_t(QRV_CALL*)(intptr_t)>(qrvhost::Record().slot[QRV_HOST_STREAM_POS]);
        EXPECT_EQ(pos(s), back ? 0 : 40);
        qrvhost::CloseStream(s);
    }
    EXPECT_EQ(CRF_Read(0), nullptr);
}

TEST_F(Fonts, CutImagesAndFailedAllocationsNeverLeak) {
    const ByteVec image = ValidImage();
    std::vector<uint32_t> pixels(16 * 8, 0);
    for (size_t cut = 0; cut < image.size(); ++cut) {
        // Whatever comes back draws within its buffer.
        if (void* f = ReadImage(ByteVec(image.begin(), image.begin() + static_cast<ptrdiff_t>(cut)))) {
            QRV_SetBuffer(pixels.data(), 16 * 4, 4);
            QRV_SetBufferViewPort(0, 0, 16, 8);
            CRF_Draw(f, "\0\1\2\3", 4, 0, 0, 0xFFFFFFFF);
            CRF_Free(f);
        }
    }
    // Alloc's three blocks, then two glyphs: a failure at any of them abandons the read.
    for (long allowed = 0; allowed <= 5; ++allowed) {
        qrvhost::FailAllocationsAfter(allowed);
        void* f = ReadImage(image);
        qrvhost::FailAllocationsAfter(-1);
        EXPECT_EQ(f != nullptr, allowed == 5) << allowed;
        CRF_Free(f);
    }
}

TEST_F(Fonts, ServicesMissingOrFailingGiveNothing) {
    const QrvHostRecord empty{};
    GCF_Retrieve(&empty);
    EXPECT_EQ(CRF_Alloc(4), nullptr);
    EXPECT_EQ(CRF_CompressChr(AsRaw(RawGlyph(1, 1, 8, 0, {1}))), 0);
    EXPECT_EQ(CRF_Load(qrvhost::Path("/nonexistent")), nullptr);
    EXPECT_EQ(CRF_Read(1), nullptr);
    GCF_Retrieve(nullptr);   // ignored: the services stay empty
    EXPECT_EQ(CRF_Alloc(4), nullptr);
    qrvhost::Install();
    void* f = CRF_Alloc(4);
    EXPECT_NE(f, nullptr);
    CRF_Free(f);
}

}  // namespace
