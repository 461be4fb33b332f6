// Draws the benchmark chart with quorvel itself: for each operation, one bar
// per size of quorvel's speed over the fastest peer's, on a log scale around
// par, with the 1.5x goal marked.
//
// usage: quorvel_bench_chart RATIOS.csv OUT.png [TITLE]
// RATIOS.csv has lines "operation,size,ratio" (scripts/bench_report.py --csv).
#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/png_writer.h"
#include "quorvel.h"

namespace {

constexpr int kFormat = 4;  // xrgb32
constexpr int kWidth = 1280, kLabelWidth = 400, kPlotLeft = 420, kPlotRight = 1250;
constexpr int kTop = 70, kBarHeight = 4, kRowGap = 6, kBottom = 40;
constexpr double kMinRatio = 1.0 / 8, kMaxRatio = 32;
const char* const kSizes[] = {"8x8", "64x64", "256x256", "1920x1080"};
constexpr uint32_t kSizeColours[] = {0x9ecae1, 0x6baed6, 0x3182bd, 0x08519c};
constexpr uint32_t kBelowColours[] = {0xfcbba1, 0xfb6a4a, 0xde2d26, 0xa50f15};

struct Row {
    std::string op;
    double ratio[4] = {0, 0, 0, 0};  // 0: not measured
};

// Reads the CSV; operations keep their first-seen order.
bool ReadRows(const char* path, std::vector<Row>& rows) {
    std::ifstream in(path);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        std::stringstream fields(line);
        std::string op, size, ratio;
        if (!std::getline(fields, op, ',') || !std::getline(fields, size, ',') || !std::getline(fields, ratio))
            continue;
        int s = 0;
        while (s < 4 && size != kSizes[s]) ++s;
        const double r = std::strtod(ratio.c_str(), nullptr);
        if (s == 4 || !(r > 0) || !std::isfinite(r)) continue;
        if (rows.empty() || rows.back().op != op) rows.push_back({op});
        rows.back().ratio[s] = r;
    }
    return true;
}

int XOf(double ratio) {
    const double r = std::fmin(std::fmax(ratio, kMinRatio), kMaxRatio);
    const double t = std::log2(r / kMinRatio) / std::log2(kMaxRatio / kMinRatio);
    return kPlotLeft + static_cast<int>(std::lround(t * (kPlotRight - kPlotLeft)));
}

// A filled box, both corners inside it (the box's far edges are exclusive).
void Fill(int x0, int y0, int x1, int y1, uint32_t rgb) {
    if (x1 < x0) std::swap(x0, x1);
    QRV_Box(x0, y0, x1 + 1, y1 + 1, RGBForBuffer(rgb, kFormat), 2);
}

// The tool font: upper-case letters, digits, '-' and ' ' from the shared
// glyphs, and the few marks operation names use.
void DrawText(int x, int y, const std::string& text, uint32_t rgb, int scale = 2) {
    static const uint16_t kSlash[5] = {1, 1, 2, 4, 4}, kGreater[5] = {4, 2, 1, 2, 4}, kDot[5] = {0, 0, 0, 0, 2};
    for (char ch : text) {
        const uint16_t* rows =
            ch == '/'   ? kSlash
            : ch == '>' ? kGreater
            : ch == '.' ? kDot
                        : qrvtools::GlyphBits(static_cast<char>(std::toupper(static_cast<unsigned char>(ch))));
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 3; ++c)
                if (rows[r] & (4 >> c))
                    Fill(x + c * scale, y + r * scale, x + c * scale + scale - 1, y + r * scale + scale - 1, rgb);
        x += 4 * scale;
    }
}

std::string RatioLabel(double r) {
    char text[16];
    std::snprintf(text, sizeof text, r < 1 ? "%.3g" : "%g", r);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s RATIOS.csv OUT.png [TITLE]\n", argv[0]);
        return 2;
    }
    std::vector<Row> rows;
    if (!ReadRows(argv[1], rows) || rows.empty()) {
        std::fprintf(stderr, "%s: no ratios in %s\n", argv[0], argv[1]);
        return 1;
    }
    const int rowHeight = 4 * kBarHeight + kRowGap;
    const int height = kTop + static_cast<int>(rows.size()) * rowHeight + kBottom;
    std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * height);
    QRV_Init_Lib();
    QRV_SetBuffer(pixels.data(), kWidth * 4, kFormat);
    QRV_SetBufferViewPort(0, 0, kWidth, height);
    Fill(0, 0, kWidth - 1, height - 1, 0xFFFFFF);

    DrawText(10, 10, argc > 3 ? argv[3] : "quorvel over the fastest peer", 0x000000, 3);
    for (int s = 0; s < 4; ++s) {
        const int x = kPlotLeft + s * 160;
        Fill(x, 40, x + 14, 50, kSizeColours[s]);
        DrawText(x + 20, 41, kSizes[s], 0x000000);
    }
    DrawText(kPlotLeft + 660, 41, "red - slower", kBelowColours[2]);

    // Octave grid, par and the 1.5x goal.
    const int plotBottom = kTop + static_cast<int>(rows.size()) * rowHeight;
    for (double r = kMinRatio; r <= kMaxRatio * 1.001; r *= 2) {
        Fill(XOf(r), kTop - 4, XOf(r), plotBottom, 0xDDDDDD);
        DrawText(XOf(r) - 8, plotBottom + 8, RatioLabel(r), 0x444444);
    }
    Fill(XOf(1.5), kTop - 4, XOf(1.5), plotBottom, 0x74c476);
    DrawText(XOf(1.5) + 3, plotBottom + 22, "1.5", 0x238b45);
    Fill(XOf(1.0), kTop - 4, XOf(1.0), plotBottom, 0x000000);

    for (size_t i = 0; i < rows.size(); ++i) {
        const int y = kTop + static_cast<int>(i) * rowHeight;
        if (i % 2 == 1) Fill(0, y - kRowGap / 2, kPlotLeft - 10, y + rowHeight - kRowGap / 2 - 1, 0xF2F2F2);
        std::string label = rows[i].op;
        if (label.size() > kLabelWidth / 8) label.resize(kLabelWidth / 8);
        DrawText(6, y + 3, label, 0x222222);
        for (int s = 0; s < 4; ++s) {
            const double r = rows[i].ratio[s];
            if (r <= 0) continue;
            const int by = y + s * kBarHeight;
            Fill(XOf(1.0), by, XOf(r), by + kBarHeight - 1, r >= 1 ? kSizeColours[s] : kBelowColours[s]);
        }
    }

    qrvtools::RgbImage image(kWidth, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < kWidth; ++x) image.Set(x, y, pixels[static_cast<size_t>(y) * kWidth + x]);
    if (!qrvtools::WritePng(argv[2], image)) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
