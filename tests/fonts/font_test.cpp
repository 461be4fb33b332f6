// The font record, glyph sharing, measurement and the file image: exact
// bytes, round trips, and images that must not be trusted.
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "fonts/font_test_util.h"

namespace {

using fonttest::Bytes;
using fonttest::Compress;
using fonttest::RawGlyph;
using fonttest::ReadImage;
using fonttest::Released;
using fonttest::WriteImage;

class Fonts : public fonttest::HostTest {};

// A glyph whose bytes depend on seed; equal seeds give byte-identical glyphs.
uint8_t* Glyph(int seed, int depth = 8) {
    std::vector<uint32_t> px(12);
    for (int i = 0; i < 12; ++i)
        px[i] = (i * 7 + seed) % 5 == 0 ? 0 : static_cast<uint32_t>(seed * 31 + i) | 0x80000000u;
    return Compress(RawGlyph(4, 3, depth, 0, px));
}

bool WasReleased(const void* p) { return Released().count(reinterpret_cast<intptr_t>(p)) != 0; }

TEST_F(Fonts, FreshFontAndProperties) {
    EXPECT_EQ(CRF_Alloc(0), nullptr);
    EXPECT_EQ(CRF_Alloc(-5), nullptr);
    void* big = CRF_Alloc(70000);
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
    EXPECT_EQ(CRF_GetChrInfoPtr(f, -1), nullptr);
    EXPECT_EQ(CRF_GetChrInfoPtr(f, 4), nullptr);
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
    uint8_t* a = Glyph(1);
    uint8_t* b = Glyph(2);
    EXPECT_EQ(CRF_SetChrBmp(f, 1, a), a);
    EXPECT_EQ(CRF_SetChrBmp(f, 2, a), a);
    EXPECT_EQ(CRF_SetChrBmp(f, 5, b), f);   // out of range: the font comes back
    EXPECT_EQ(CRF_SetChrBmp(f, -1, b), f);
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
    struct Case {
        std::vector<int> seeds;     // glyph seed per character, 0 = none
        std::vector<int32_t> dup;
    };
    const Case cases[] = {
        {{0, 0, 0, 5, 0, 0, 0, 5, 0, 5}, {0, 0, 0, 0, 0, 0, 0, 3, 0, 3}},
        {{4, 0, 0, 0, 0, 4}, {0, 0, 0, 0, 0, 0}},          // character 0 is never a target
        {{4, 0, 0, 0, 0, 4, 0, 0, 4}, {0, 0, 0, 0, 0, 0, 0, 0, 5}},
        {{1, 2, 3, 2, 1, 3}, {0, 0, 0, 1, 0, 2}},
    };
    for (const Case& c : cases) {
        void* f = CRF_Alloc(static_cast<int32_t>(c.seeds.size()));
        for (size_t i = 0; i < c.seeds.size(); ++i)
            if (c.seeds[i] != 0) CRF_SetChrBmp(f, static_cast<int32_t>(i), Glyph(c.seeds[i]));
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
    RFCI_SetChrUnderHang(info, 65, 1);
    RFCI_SetChrWidth(info, 65, 5);
    RFCI_SetChrOverHang(info, 65, 2);
    RFCI_SetChrWidth(info, 66, 7);
    RFCI_SetChrUnderHang(info, 66, -1);
    CRF_SetMaxChrSize(f, 9, 12);
    // Glyphs with rows 1..2 (A) and 0..2 (B) of 3.
    CRF_SetChrBmp(f, 65, Compress(RawGlyph(2, 3, 8, 0, {0, 0, 1, 0, 1, 1})));
    CRF_SetChrBmp(f, 66, Compress(RawGlyph(2, 3, 8, 0, {1, 0, 0, 0, 0, 1})));

    const char ab[] = "AB";
    EXPECT_EQ(CRF_TextWidth(f, ab, 0), 8 + 6);
    EXPECT_EQ(CRF_TextWidth(f, ab, 1), 8);
    const uint8_t high[] = {200, 65, 0};  // a code past the table measures as character 0
    EXPECT_EQ(CRF_TextWidth(f, high, -1), 100 + 8);
    std::vector<uint8_t> unterminated(40000, 'A');
    EXPECT_EQ(CRF_TextWidth(f, unterminated.data(), 0), 0);
    unterminated[31999] = 0;
    EXPECT_EQ(CRF_TextWidth(f, unterminated.data(), 0), 31999 * 8);
    EXPECT_EQ(CRF_TextWidth(nullptr, ab, 2), 0);
    EXPECT_EQ(CRF_TextWidth(f, nullptr, 2), 0);

    EXPECT_EQ(CRF_TextHeight(f, ab, 2, 1), 12);   // the max height is the start value
    CRF_SetMaxChrSize(f, 9, 2);
    EXPECT_EQ(CRF_TextHeight(f, ab, 2, 1), 3);
    EXPECT_EQ(CRF_TextHeight(f, nullptr, 2, 1), 2);
    EXPECT_EQ(CRF_TextHeight(f, ab, 2, 0), 0);    // 0 never exceeds a first row
    EXPECT_EQ(CRF_TextHeight(f, ab, 2, 2), 0);
    EXPECT_EQ(CRF_TextHeight(nullptr, ab, 2, 1), 0);
    CRF_Free(f);
}

// A font of count characters with metrics, properties and the given glyphs.
void* MakeFont(const std::vector<int>& seeds, int depth = 8) {
    void* f = CRF_Alloc(static_cast<int32_t>(seeds.size()));
    CRF_SetMaxChrSize(f, 4, 3);
    CRF_SetChrDepth(f, depth);
    CRF_DrawMode(f, 1);
    CRF_BackdropColour(f, 0x80402010u);
    QrvChrInfo* info = CRF_GetChrInfoPtr(f, 0);
    for (size_t i = 0; i < seeds.size(); ++i) {
        info[i] = QrvChrInfo{static_cast<int32_t>(i), 4, -1, {1, 2, 3, 4, static_cast<int32_t>(i) * 100}};
        if (seeds[i] != 0) CRF_SetChrBmp(f, static_cast<int32_t>(i), Glyph(seeds[i], depth));
    }
    return f;
}

TEST_F(Fonts, ImageIsByteExact) {
    void* f = MakeFont({0, 3, 0});
    const std::vector<uint8_t> glyph = fonttest::BlockBytes(static_cast<uint8_t*>(CRF_GetChrBmp(f, 1)));
    Bytes expected;
    expected.U8({'Z', 'I', 'N', 'K', 'C', 'R', 'F', 0});
    expected.I32(static_cast<int64_t>(32 + 96 + 8 + glyph.size() + 6)).I32(1).I32(4).I32(3).I32(8).I32(3).I32(1);
    expected.I32(0x80402010);
    for (int i = 0; i < 3; ++i) expected.I32(i).I32(4).I32(-1).I32(1).I32(2).I32(3).I32(4).I32(i * 100);
    expected.I32(0).Raw(glyph).I32(0).U16(0).U16(0).U16(0);
    const std::vector<uint8_t> image = WriteImage(f);
    EXPECT_EQ(image, expected.b);
    CRF_Free(f);

    // Written from the middle of a stream: the length counts from the field.
    const intptr_t s = qrvhost::OpenMemoryStream("abc", 3);
    using Seek = intptr_t(QRV_CALL*)(intptr_t, intptr_t);
    reinterpret_cast<Seek>(qrvhost::Record().slot[QRV_HOST_STREAM_SEEK])(s, 3);
    void* g = MakeFont({0, 3, 0});
    CRF_Write(g, s);
    std::vector<uint8_t> tail = qrvhost::MemoryStreamBytes(s);
    tail.erase(tail.begin(), tail.begin() + 3);
    EXPECT_EQ(tail, expected.b);
    CRF_Free(g);
    qrvhost::CloseStream(s);
}

TEST_F(Fonts, SharedGlyphsAreWrittenOnceAndReadBackShared) {
    // 3, 7 and 9 hold byte-identical (separate) glyphs; so do 0 and 5.
    const std::vector<int> seeds = {6, 0, 0, 5, 0, 6, 0, 5, 2, 5};
    void* f = MakeFont(seeds, 32);
    const std::vector<uint8_t> image = WriteImage(f);
    const size_t glyphSize = fonttest::BlockBytes(static_cast<uint8_t*>(CRF_GetChrBmp(f, 3))).size();
    CRF_Free(f);

    // Entries: full glyphs at 0, 3, 5 and 8, single zero words elsewhere.
    size_t at = 40 + 10 * 32;
    for (size_t i = 0; i < seeds.size(); ++i) {
        int32_t word;
        std::memcpy(&word, image.data() + at, 4);
        const bool full = i == 0 || i == 3 || i == 5 || i == 8;
        EXPECT_EQ(word, full ? static_cast<int32_t>(glyphSize) : 0) << i;
        at += full ? glyphSize : 4;
    }
    std::vector<uint16_t> dup(10);
    std::memcpy(dup.data(), image.data() + at, 20);
    EXPECT_EQ(dup, (std::vector<uint16_t>{0, 0, 0, 0, 0, 0, 0, 3, 0, 3}));
    EXPECT_EQ(at + 20, image.size());
    int32_t length;
    std::memcpy(&length, image.data() + 8, 4);
    EXPECT_EQ(static_cast<size_t>(length), image.size() - 8);

    void* back = ReadImage(image);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(CRF_GetChrBmp(back, 7), CRF_GetChrBmp(back, 3));
    EXPECT_EQ(CRF_GetChrBmp(back, 9), CRF_GetChrBmp(back, 3));
    EXPECT_NE(CRF_GetChrBmp(back, 5), CRF_GetChrBmp(back, 0));
    EXPECT_EQ(CRF_GetChrBmp(back, 1), nullptr);
    EXPECT_EQ(CRF_GetChrDepth(back), 32);
    EXPECT_EQ(CRF_GetBackdropColour(back), 0x80402010u);
    EXPECT_EQ(CRF_GetChrInfoPtr(back, 9)->user[4], 900);
    EXPECT_EQ(WriteImage(back), image);
    const void* shared = CRF_GetChrBmp(back, 3);
    Released().clear();
    CRF_Free(back);
    EXPECT_TRUE(WasReleased(shared));   // once: stray releases are counted on tear-down
}

TEST_F(Fonts, SaveAndLoadThroughFiles) {
    const std::string path = testing::TempDir() + "qrv_font_test.crf";
    void* f = MakeFont({0, 3, 4, 3});
    CRF_Save(f, qrvhost::Path(path.c_str()));
    const std::vector<uint8_t> image = WriteImage(f);
    CRF_Free(f);
    void* back = CRF_Load(qrvhost::Path(path.c_str()));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(WriteImage(back), image);
    CRF_Free(back);
    std::remove(path.c_str());
    EXPECT_EQ(CRF_Load(qrvhost::Path(path.c_str())), nullptr);
    EXPECT_EQ(CRF_Load(0), nullptr);
    CRF_Save(nullptr, qrvhost::Path(path.c_str()));
    EXPECT_EQ(std::fopen(path.c_str(), "rb"), nullptr);
}

// A valid image of both depths' worth of checks: glyphs at 1 and 3, 2 sharing 1.
std::vector<uint8_t> ValidImage(size_t* glyphAt, size_t* glyphSize) {
    void* f = MakeFont({0, 7, 7, 9});
    std::vector<uint8_t> image = WriteImage(f);
    *glyphSize = fonttest::BlockBytes(static_cast<uint8_t*>(CRF_GetChrBmp(f, 1))).size();
    *glyphAt = 40 + 4 * 32 + 4;
    CRF_Free(f);
    return image;
}

std::vector<uint8_t> WithWord(std::vector<uint8_t> image, size_t at, int64_t value, int bytes = 4) {
    for (int i = 0; i < bytes; ++i) image[at + i] = static_cast<uint8_t>(value >> (8 * i));
    return image;
}

TEST_F(Fonts, UntrustworthyImagesGiveNothing) {
    size_t g, size;
    const std::vector<uint8_t> image = ValidImage(&g, &size);
    void* intact = ReadImage(image);
    ASSERT_NE(intact, nullptr) << "the unaltered image loads";
    CRF_Free(intact);
    int32_t length;
    std::memcpy(&length, image.data() + 8, 4);
    const size_t g3 = g + size + 4;   // character 3's glyph, the last entry
    struct Case {
        const char* what;
        size_t at;
        int64_t value;
    };
    const Case cases[] = {
        {"magic", 0, 0x4B4E495A - 1},
        {"magic zero byte", 4, 0x01465243},
        {"version 2", 12, 2},
        {"version 0", 12, 0},
        {"length short by one", 8, length - 1},
        {"length negative", 8, -1},
        {"count 0", 28, 0},
        {"count negative", 28, -4},
        {"count above 65536", 28, 65537},
        {"count past the length", 28, 1000},
        {"glyph size below a header", g, 31},
        {"glyph size past the length", g, 1 << 30},
        {"last glyph past the length", g3, static_cast<int64_t>(size) + 1},
        {"glyph block narrower than its runs", g + 4, 1},
        {"glyph width negative", g + 4, -4},
        {"glyph depth", g + 12, 16},
        {"first row negative", g + 16, -1},
        {"end row past the height", g + 20, 4},
        {"rows inverted", g + 16, 3},
        {"run table moved", g + 24, 36},
        {"values without runs", g + 24, 0},
        {"value table inside the run table", g + 28, 33},
        {"value table past the end", g + 28, static_cast<int64_t>(size)},
        {"run entry inside the table", g + 32, 2},
        {"run entry past the end", g + 32, static_cast<int64_t>(size)},
        {"run entry negative", g + 32, -40},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadImage(WithWord(image, c.at, c.value)), nullptr) << c.what;
    }

    // Inside the first glyph's first row: its run count, start and value entry.
    int32_t values, firstEntry;
    std::memcpy(&values, image.data() + g + 28, 4);
    std::memcpy(&firstEntry, image.data() + g + 32, 4);
    const size_t list = g + 32 + static_cast<size_t>(firstEntry);
    EXPECT_EQ(ReadImage(WithWord(image, list, 0xFFFF, 2)), nullptr) << "run count";
    EXPECT_EQ(ReadImage(WithWord(image, list + 2, 4, 2)), nullptr) << "run start at the width";
    EXPECT_EQ(ReadImage(WithWord(image, list + 4, 0x7FFF, 2)), nullptr) << "run length";
    EXPECT_EQ(ReadImage(WithWord(image, g + values, 0)), nullptr) << "row with runs but no values";
    EXPECT_EQ(ReadImage(WithWord(image, g + values, static_cast<int64_t>(size))), nullptr) << "values past the end";

    // Sharing indices that are not below the character's own are ignored.
    const size_t dupAt = image.size() - 8;
    for (int64_t bad : {2, 3, 4, 0xFFFF}) {
        void* f = ReadImage(WithWord(image, dupAt + 2 * 2, bad, 2));
        ASSERT_NE(f, nullptr) << bad;
        EXPECT_EQ(CRF_GetChrBmp(f, 2), nullptr) << bad;
        CRF_Free(f);
    }
    // An index beside a glyph of the character's own: the own glyph gives way.
    void* f = ReadImage(WithWord(image, dupAt + 3 * 2, 1, 2));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(CRF_GetChrBmp(f, 3), CRF_GetChrBmp(f, 1));
    CRF_Free(f);

    // The reader seeks back over a wrong magic, not over a wrong version.
    const std::tuple<size_t, int64_t, bool> probes[] = {{2, 0, true}, {12, 2, false}};
    for (const auto& [at, value, back] : probes) {
        const std::vector<uint8_t> bad = WithWord(image, at, value);
        const intptr_t s = qrvhost::OpenMemoryStream(bad.data(), bad.size());
        using Pos = intptr_t(QRV_CALL*)(intptr_t);
        EXPECT_EQ(CRF_Read(s), nullptr);
        EXPECT_EQ(reinterpret_cast<Pos>(qrvhost::Record().slot[QRV_HOST_STREAM_POS])(s), back ? 0 : 40);
        qrvhost::CloseStream(s);
    }
    EXPECT_EQ(CRF_Read(0), nullptr);
}

TEST_F(Fonts, CutImagesAndFailedAllocationsNeverLeak) {
    size_t g, size;
    const std::vector<uint8_t> image = ValidImage(&g, &size);
    for (size_t cut = 0; cut < image.size(); ++cut) {
        void* f = ReadImage(std::vector<uint8_t>(image.begin(), image.begin() + static_cast<ptrdiff_t>(cut)));
        // Whatever comes back draws within its buffer.
        if (f != nullptr) {
            std::vector<uint32_t> pixels(16 * 8, 0);
            QRV_SetBuffer(pixels.data(), 16 * 4, 4);
            QRV_SetBufferViewPort(0, 0, 16, 8);
            const uint8_t text[] = {0, 1, 2, 3};
            CRF_Draw(f, text, 4, 0, 0, 0xFFFFFFFF);
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
    const auto raw = RawGlyph(1, 1, 8, 0, {1});
    EXPECT_EQ(CRF_CompressChr(reinterpret_cast<const QrvRawGlyph*>(raw.data())), 0);
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
