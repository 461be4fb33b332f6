// The converter program: DejaVu Sans at 16 px through the file it writes,
// held against FreeType's metrics and FreeType's own rendering, and its exits
// on bad input, which leave no file behind.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/ttf_to_crf.h"
#include "crf_font_test_util.h"
#include "quorvel_host.h"

namespace {

namespace fs = std::filesystem;
using crffonttest::FreeTypeFace;
using crffonttest::kDejaVu;

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class CrfFontTool : public crffonttest::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        std::string pattern = (fs::temp_directory_path() / "crf-font-test.XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        fs::remove_all(dir);
        HostTest::TearDown();
    }

    // Runs the converter; its exit status, with what it printed in out and err.
    int Run(const std::vector<std::string>& args) {
        std::string command = Quote(CRF_FONT_TOOL);
        for (const std::string& a : args) command += " " + Quote(a);
        command += " >" + Quote((dir / "stdout").string()) + " 2>" + Quote((dir / "stderr").string());
        const int status = std::system(command.c_str());
        out = Slurp(dir / "stdout");
        err = Slurp(dir / "stderr");
        fs::remove(dir / "stdout");
        fs::remove(dir / "stderr");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // The font the converter writes for these options, loaded by the library.
    void* Convert(std::vector<std::string> options) {
        const std::string file = (dir / "font.crf").string();
        options.insert(options.end(), {kDejaVu, "16", file});
        EXPECT_EQ(Run(options), 0) << err;
        void* font = CRF_Load(qrvhost::Path(file.c_str()));
        fs::remove(file);
        return font;
    }

    fs::path dir;
    std::string out, err;
};

TEST_F(CrfFontTool, MetricsAreFreeTypes) {
    void* font = Convert({"--range", "32-255", "--quiet"});
    ASSERT_NE(font, nullptr);
    FreeTypeFace ft(16);
    const QrvChrInfo* info = CRF_GetChrInfoPtr(font, 0);
    const int baseline = info[0].user[qrvttf::kUserBaseline], penColumn = info[0].user[qrvttf::kUserPenColumn];
    const int height = CRF_GetMaxChrSize(font, 1);
    EXPECT_GE(baseline, ft.face->size->metrics.ascender >> 6);
    EXPECT_GE(height - baseline, -ft.face->size->metrics.descender >> 6);
    EXPECT_EQ(penColumn, 1);  // 'T', 'j' and others start one column left of the pen at 16 px
    EXPECT_EQ(CRF_GetChrDepth(font), 8);
    EXPECT_EQ(CRF_GetDrawMode(font), QRV_FONT_BLEND);
    EXPECT_TRUE(out.empty());

    int widest = 0;
    for (int code = 0; code <= 255; ++code) {
        SCOPED_TRACE(code);
        const QrvChrInfo& m = info[code];
        EXPECT_EQ(m.user[qrvttf::kUserBaseline], baseline);
        const FT_GlyphSlot g = code >= 32 ? ft.Render(code) : nullptr;
        if (g == nullptr) {
            EXPECT_EQ(m.underhang + m.width + m.overhang, 0);
            EXPECT_EQ(CRF_GetChrBmp(font, code), nullptr);
            continue;
        }
        EXPECT_EQ(m.underhang + m.width + m.overhang, g->advance.x >> 6);
        EXPECT_EQ(m.width, static_cast<int>(g->bitmap.width));
        const auto* header = static_cast<const QrvGlyphHeader*>(CRF_GetChrBmp(font, code));
        if (g->bitmap.width == 0) {
            EXPECT_EQ(header, nullptr);
            continue;
        }
        EXPECT_EQ(m.underhang, g->bitmap_left);
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->width, penColumn + g->bitmap_left + static_cast<int>(g->bitmap.width));
        EXPECT_EQ(header->height, height);
        const auto [firstInk, endInk] = crffonttest::InkedRows(g->bitmap);
        EXPECT_EQ(header->firstRow, baseline - g->bitmap_top + firstInk);
        EXPECT_EQ(header->endRow, baseline - g->bitmap_top + endInk);
        widest = std::max(widest, header->width);
    }
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
// most 2 from the exact result (1 is seen); a glyph one column out of place
// differs by about 200.
TEST_F(CrfFontTool, DrawsAWordAsFreeTypeRendersIt) {
    struct Case {
        std::vector<std::string> options;
        uint32_t ink;
        uint32_t expectedColour;
    };
    const Case cases[] = {
        {{}, 0xFF202060u, 0x202060u},
        {{"--depth", "32", "--colour", "0xFF2080C0"}, 0xFFFFFFFFu, 0x2080C0u},  // white ink keeps the glyphs' colour
        {{"--depth", "32"}, 0xFF603010u, 0x603010u},                           // white glyphs take the ink's colour
    };
    const std::string word = "Quirky_Jumps,Typeset!";
    constexpr int kW = 240, kH = 40, kX = 7, kBaseline = 25;
    constexpr uint32_t kPaper = 0xF0E8D0u;
    FreeTypeFace ft(16);
    const std::vector<double> coverage = ft.Coverage(word, kW, kH, kX, kBaseline);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.size());
        void* font = Convert(c.options);
        ASSERT_NE(font, nullptr);
        const QrvChrInfo* info = CRF_GetChrInfoPtr(font, 0);
        std::vector<uint32_t> pixels(kW * kH, kPaper);
        QRV_SetBuffer(pixels.data(), kW * 4, QRV_FORMAT_32);
        QRV_SetBufferViewPort(0, 0, kW, kH);
        CRF_Draw(font, word.c_str(), 0, kX - info[0].user[qrvttf::kUserPenColumn],
                 kBaseline - info[0].user[qrvttf::kUserBaseline], c.ink);
        CRF_Free(font);

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

TEST_F(CrfFontTool, BadInputExitsWithAMessageAndWritesNothing) {
    const std::string output = (dir / "font.crf").string();
    fs::create_directory(dir / "sub");
    std::ofstream(dir / "not-a-font.ttf") << "plain text";
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{"/nonexistent/font.ttf", "16", output}, 1, "cannot read font file"},
        {{(dir / "not-a-font.ttf").string(), "16", output}, 1, "cannot read font file"},
        {{"--range", "100-99", kDejaVu, "16", output}, 1, "empty"},
        {{"--range", "1-31", kDejaVu, "16", output}, 1, "no character"},
        {{"--range", "32-70000", kDejaVu, "16", output}, 1, "outside"},
        {{kDejaVu, "16", (dir / "missing" / "font.crf").string()}, 1, "cannot write"},
        {{kDejaVu, "16", (dir / "sub").string()}, 1, "cannot write"},
        {{"--range", "a-z", kDejaVu, "16", output}, 2, "bad range"},
        {{"--depth", "16", kDejaVu, "16", output}, 2, "depth"},
        {{"--mode", "3", kDejaVu, "16", output}, 2, "mode"},
        {{"--colour", "0x1FFFFFFFF", kDejaVu, "16", output}, 2, "colour"},
        {{kDejaVu, "0", output}, 2, "pixel size"},
        {{kDejaVu, "16px", output}, 2, "pixel size"},
        {{kDejaVu, "16"}, 2, "expected FONT SIZE OUTPUT"},
        {{"--frobnicate", "1", kDejaVu, "16", output}, 2, "unknown option"},
        {{kDejaVu, "16", output, "--range"}, 2, "needs a value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args.back());
        EXPECT_EQ(Run(c.args), c.status);
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
        EXPECT_TRUE(out.empty());
        std::vector<std::string> left;
        for (const auto& e : fs::recursive_directory_iterator(dir)) left.push_back(e.path().filename().string());
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, (std::vector<std::string>{"not-a-font.ttf", "sub"}));
    }
    // A failed conversion leaves an earlier file as it was; a good one replaces it whole.
    std::ofstream(output) << "earlier";
    EXPECT_EQ(Run({"--range", "1-31", kDejaVu, "16", output}), 1);
    EXPECT_EQ(Slurp(output), "earlier");
    EXPECT_EQ(Run({kDejaVu, "16", output}), 0) << err;
    EXPECT_EQ(Slurp(output).compare(0, 8, std::string("ZINKCRF\0", 8)), 0);
    EXPECT_NE(out.find("pen column 1"), std::string::npos) << out;
}

TEST_F(CrfFontTool, HelpDocumentsTheOptions) {
    EXPECT_EQ(Run({"--help"}), 0);
    for (const char* word : {"Usage: crf-font", "--range", "--depth", "--colour", "--mode", "baseline", "Exit status"})
        EXPECT_NE(out.find(word), std::string::npos) << word;
}

}  // namespace
