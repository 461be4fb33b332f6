// The TrueType converter against FreeType itself: metrics, a rendered word,
// and the failures, each leaving no host memory behind.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/ttf_to_crf.h"
#include "crf_font_test_util.h"
#include "quorvel_host.h"

namespace {

using crffonttest::kDejaVu;
using crffonttest::FreeTypeFace;

class TtfToCrf : public ::testing::Test {
protected:
    void SetUp() override {
        QRV_Init_Lib();
        qrvhost::Install();
        qrvhost::FailAllocationsAfter(-1);
        baseline = qrvhost::LiveBlocks();
    }
    void TearDown() override {
        qrvhost::FailAllocationsAfter(-1);
        EXPECT_EQ(qrvhost::LiveBlocks(), baseline) << "host blocks leaked";
    }
    size_t baseline = 0;
};

qrvttf::TtfOptions DejaVu16(int depth = 8) {
    qrvttf::TtfOptions o;
    o.fontPath = kDejaVu;
    o.pixelSize = 16;
    o.first = 32;
    o.last = 255;
    o.depth = depth;
    return o;
}

TEST_F(TtfToCrf, MetricsAreFreeTypesAndSurviveTheFileImage) {
    std::string error;
    qrvttf::CrfFontSummary summary;
    void* built = qrvttf::BuildCrfFont(DejaVu16(), &error, &summary);
    ASSERT_NE(built, nullptr) << error;
    void* font = crffonttest::RoundTrip(built);
    qrvttf::FreeCrfFont(built);
    ASSERT_NE(font, nullptr);

    FreeTypeFace ft(16);
    const FT_Size_Metrics& size = ft.face->size->metrics;
    EXPECT_EQ(summary.lineHeight, size.height >> 6);
    EXPECT_GE(summary.baseline, size.ascender >> 6);
    EXPECT_EQ(summary.penColumn, 1);  // 'T', 'j' and others start one column left of the pen at 16 px
    EXPECT_EQ(CRF_GetChrDepth(font), 8);
    EXPECT_EQ(CRF_GetDrawMode(font), QRV_FONT_BLEND);
    EXPECT_EQ(CRF_GetMaxChrSize(font, 1), summary.height);

    const QrvChrInfo* info = CRF_GetChrInfoPtr(font, 0);
    int glyphs = 0, widest = 0;
    for (int code = 32; code <= 255; ++code) {
        SCOPED_TRACE(code);
        const FT_GlyphSlot g = ft.Render(code);
        const QrvChrInfo& m = info[code];
        if (g == nullptr) {
            EXPECT_EQ(m.underhang + m.width + m.overhang, 0);
            EXPECT_EQ(CRF_GetChrBmp(font, code), nullptr);
            continue;
        }
        EXPECT_EQ(m.underhang + m.width + m.overhang, g->advance.x >> 6);
        EXPECT_EQ(m.width, static_cast<int>(g->bitmap.width));
        if (g->bitmap.width == 0) {
            EXPECT_EQ(CRF_GetChrBmp(font, code), nullptr);
            continue;
        }
        EXPECT_EQ(m.underhang, g->bitmap_left);
        EXPECT_EQ(m.user[qrvttf::kUserBaseline], summary.baseline);
        EXPECT_EQ(m.user[qrvttf::kUserPenColumn], summary.penColumn);
        const auto* header = static_cast<const QrvGlyphHeader*>(CRF_GetChrBmp(font, code));
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->width, summary.penColumn + g->bitmap_left + static_cast<int>(g->bitmap.width));
        EXPECT_EQ(header->height, summary.height);
        const auto [firstInk, endInk] = crffonttest::InkedRows(g->bitmap);
        EXPECT_EQ(header->firstRow, summary.baseline - g->bitmap_top + firstInk);
        EXPECT_EQ(header->endRow, summary.baseline - g->bitmap_top + endInk);
        if (header->width > widest) widest = header->width;
        ++glyphs;
    }
    EXPECT_EQ(glyphs, summary.glyphs);
    EXPECT_EQ(CRF_GetMaxChrSize(font, 0), widest);
    const char* word = "Typejumps";
    int advances = 0;
    for (const char* c = word; *c != 0; ++c) advances += static_cast<int>(ft.Render(*c)->advance.x >> 6);
    EXPECT_EQ(CRF_TextWidth(font, word, 0), advances);
    CRF_Free(font);
}

// A word drawn by the library over a light picture against FreeType's own
// coverage of it composited exactly (in real numbers). The library blends by
// coverage v as D + ((I - D) * v >> 8): dividing by 256 instead of 255 and
// truncating each cost less than one step, so a channel may differ by at
// most 2 from the exact result; a glyph out of place would differ by far more.
TEST_F(TtfToCrf, DrawsAWordAsFreeTypeRendersIt) {
    struct Case {
        int depth;
        uint32_t glyphColour;  // depth 32
        uint32_t ink;
        uint32_t expectedColour;
    };
    const Case cases[] = {
        {8, 0, 0xFF202060u, 0x202060u},
        {32, 0xFF2080C0u, 0xFFFFFFFFu, 0x2080C0u},  // the glyphs' own colour, ink white leaves it
        {32, 0xFFFFFFFFu, 0xFF603010u, 0x603010u},  // white glyphs take the ink's colour
    };
    const std::string word = "Quirky_Jumps,Typeset!";
    constexpr int kW = 240, kH = 40, kX = 7, kBaseline = 25;
    constexpr uint32_t kPaper = 0xF0E8D0u;
    FreeTypeFace ft(16);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.depth);
        qrvttf::TtfOptions o = DejaVu16(c.depth);
        o.colour = c.glyphColour;
        std::string error;
        qrvttf::CrfFontSummary summary;
        void* font = qrvttf::BuildCrfFont(o, &error, &summary);
        ASSERT_NE(font, nullptr) << error;

        std::vector<uint32_t> pixels(kW * kH, kPaper);
        QRV_SetBuffer(pixels.data(), kW * 4, QRV_FORMAT_32);
        QRV_SetBufferViewPort(0, 0, kW, kH);
        CRF_Draw(font, word.c_str(), 0, kX - summary.penColumn, kBaseline - summary.baseline, c.ink);
        qrvttf::FreeCrfFont(font);

        const std::vector<double> coverage = ft.Coverage(word, kW, kH, kX, kBaseline);
        int worst = 0, inked = 0;
        for (int i = 0; i < kW * kH; ++i) {
            if (coverage[i] > 0) ++inked;
            for (int shift = 0; shift <= 16; shift += 8) {
                const double paper = (kPaper >> shift) & 255, ink = (c.expectedColour >> shift) & 255;
                const double exact = paper + (ink - paper) * coverage[i];
                const int got = static_cast<int>((pixels[i] >> shift) & 255);
                worst = std::max(worst, static_cast<int>(std::ceil(std::fabs(got - exact) - 1e-9)));
            }
        }
        EXPECT_LE(worst, 2);
        EXPECT_GT(inked, 200);
    }
}

TEST_F(TtfToCrf, RefusesWhatItCannotConvert) {
    struct Case {
        const char* what;
        qrvttf::TtfOptions options;
        const char* message;
    };
    auto with = [](auto change) {
        qrvttf::TtfOptions o = DejaVu16();
        change(o);
        return o;
    };
    const Case cases[] = {
        {"missing file", with([](auto& o) { o.fontPath = "/nonexistent/font.ttf"; }), "cannot read font file"},
        {"not a font", with([](auto& o) { o.fontPath = "/etc/hostname"; }), "cannot read font file"},
        {"reversed range", with([](auto& o) { o.first = 100, o.last = 99; }), "empty"},
        {"range past 65535", with([](auto& o) { o.last = 65536; }), "outside"},
        {"negative range", with([](auto& o) { o.first = -1; }), "outside"},
        {"no character", with([](auto& o) { o.first = 1, o.last = 31; }), "no character"},
        {"depth 16", with([](auto& o) { o.depth = 16; }), "depth"},
        {"pixel size 0", with([](auto& o) { o.pixelSize = 0; }), "pixel size"},
        {"pixel size too large", with([](auto& o) { o.pixelSize = 100000; }), "pixel size"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_EQ(qrvttf::BuildCrfFont(c.options, &error), nullptr) << c.what;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
    }
    EXPECT_EQ(qrvttf::BuildCrfFont(with([](auto& o) { o.depth = 3; }), nullptr), nullptr);
}

TEST_F(TtfToCrf, HostMemoryRunningOutReleasesEverything) {
    qrvttf::TtfOptions o = DejaVu16();
    o.last = 126;
    for (long after : {0L, 1L, 2L, 3L, 50L}) {
        qrvhost::FailAllocationsAfter(after);
        std::string error;
        EXPECT_EQ(qrvttf::BuildCrfFont(o, &error), nullptr) << after;
        EXPECT_NE(error.find("memory"), std::string::npos) << error;
        qrvhost::FailAllocationsAfter(-1);
        EXPECT_EQ(qrvhost::LiveBlocks(), baseline) << after;
    }
}

}  // namespace
