// FreeType's view of the test font, to hold the converted font against.
#pragma once

#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "quorvel.h"
#include "quorvel_host.h"

namespace crffonttest {

constexpr const char* kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

struct FreeTypeFace {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    explicit FreeTypeFace(int pixelSize) {
        if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, kDejaVu, 0, &face) != 0 ||
            FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0)
            std::abort();
    }
    ~FreeTypeFace() {
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
    FreeTypeFace(const FreeTypeFace&) = delete;
    FreeTypeFace& operator=(const FreeTypeFace&) = delete;

    // The rendered character, null when the face lacks it.
    FT_GlyphSlot Render(uint32_t code) const {
        const FT_UInt index = FT_Get_Char_Index(face, code);
        if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_RENDER) != 0) return nullptr;
        return face->glyph;
    }

    // The coverage (0..1) of a text set from the pen at (x, baseline), each
    // glyph composited over those before it.
    std::vector<double> Coverage(const std::string& text, int width, int height, int x, int baseline) const {
        std::vector<double> cover(static_cast<size_t>(width) * height, 0.0);
        for (unsigned char ch : text) {
            const FT_GlyphSlot g = Render(ch);
            if (g == nullptr) continue;
            for (unsigned r = 0; r < g->bitmap.rows; ++r)
                for (unsigned c = 0; c < g->bitmap.width; ++c) {
                    const int px = x + g->bitmap_left + static_cast<int>(c);
                    const int py = baseline - g->bitmap_top + static_cast<int>(r);
                    if (px < 0 || py < 0 || px >= width || py >= height) continue;
                    const double v = g->bitmap.buffer[r * g->bitmap.pitch + c] / 255.0;
                    double& d = cover[static_cast<size_t>(py) * width + px];
                    d += (1 - d) * v;
                }
            x += static_cast<int>(g->advance.x >> 6);
        }
        return cover;
    }
};

// The first row with ink and the row after the last one.
inline std::pair<int, int> InkedRows(const FT_Bitmap& b) {
    int first = -1, end = 0;
    for (unsigned r = 0; r < b.rows; ++r)
        for (unsigned c = 0; c < b.width; ++c)
            if (b.buffer[r * b.pitch + c] != 0) {
                if (first < 0) first = static_cast<int>(r);
                end = static_cast<int>(r) + 1;
            }
    return {first, end};
}

// The library with the reference host; every test must leave no block alive.
class HostTest : public ::testing::Test {
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

}  // namespace crffonttest
