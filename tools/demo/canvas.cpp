#include "canvas.h"

#include <png.h>

#include <cstdio>
#include <utility>

namespace gallery {

const int kFormats[kFormatCount] = {QRV_FORMAT_565, QRV_FORMAT_555, QRV_FORMAT_24, QRV_FORMAT_32, QRV_FORMAT_ARGB};
const char* const kFormatNames[kFormatCount] = {"5-6-5", "5-5-5", "24-bit", "32-bit", "32-bit ARGB"};
const char* const kFormatTags[kFormatCount] = {"565", "555", "24", "32", "argb"};

const InkMode kInkModes[kInkModeCount] = {{QRV_MODE_REPLACE, "replace"},
                                          {QRV_MODE_INK_ALPHA, "ink alpha"},
                                          {QRV_MODE_HALF, "half"},
                                          {QRV_MODE_ADD, "add"},
                                          {QRV_MODE_SUBTRACT, "subtract"},
                                          {QRV_MODE_AND, "and"},
                                          {QRV_MODE_OR, "or"},
                                          {QRV_MODE_XOR, "xor"},
                                          {QRV_MODE_MULTIPLY, "multiply"},
                                          {QRV_MODE_REVERSE_SUBTRACT, "rev. subtract"}};

int BytesPerPixel(int format) { return format <= QRV_FORMAT_555 ? 2 : format == QRV_FORMAT_24 ? 3 : 4; }

Surface::Surface(int w, int h, int fmt)
    : width(w), height(h), format(fmt), pitch(w * BytesPerPixel(fmt)), pixels(static_cast<size_t>(pitch) * h) {}

Surface::~Surface() {
    if (desc_) QRV_FreeSurfaceDesc(desc_);
}

Surface::Surface(Surface&& other) noexcept
    : width(other.width),
      height(other.height),
      format(other.format),
      pitch(other.pitch),
      pixels(std::move(other.pixels)),
      desc_(std::exchange(other.desc_, nullptr)) {}

void Surface::Select() const {
    QRV_SetBuffer(const_cast<uint8_t*>(pixels.data()), pitch, format);
    QRV_SetBufferViewPort(0, 0, width, height);
}

void Surface::SelectAsSource() const { QRV_SetSrcBuffer(const_cast<uint8_t*>(pixels.data()), pitch, format); }

void Surface::SelectAsBlendSource() const { QRV_SetSrcBlendBuffer(const_cast<uint8_t*>(pixels.data()), pitch, format); }

QrvSurfaceDesc* Surface::Desc() {
    if (!desc_) desc_ = QRV_AllocSurfaceDesc(format, pixels.data(), pitch, width, height);
    return desc_;
}

void Surface::CopyFrom(const Surface& source) {
    source.SelectAsSource();
    Select();
    QRV_Blit(0, 0, source.width, source.height, 0, 0, 0, 0);
}

Surface MakeRamp(int w, int h) {
    // Hue across, brightness down to a dark (not black) bottom so that every mode shows.
    Surface s(w, h, QRV_FORMAT_32);
    for (int y = 0; y < h; ++y) {
        uint32_t* row = s.Row32(y);
        const int level = 255 - (y * 200) / (h > 1 ? h - 1 : 1);
        for (int x = 0; x < w; ++x) {
            const int segment = (x * 6 * 256) / w, phase = segment & 255;
            int r = 0, g = 0, b = 0;
            switch (segment >> 8) {
                case 0:
                    r = 255;
                    g = phase;
                    break;
                case 1:
                    r = 255 - phase;
                    g = 255;
                    break;
                case 2:
                    g = 255;
                    b = phase;
                    break;
                case 3:
                    g = 255 - phase;
                    b = 255;
                    break;
                case 4:
                    r = phase;
                    b = 255;
                    break;
                default:
                    r = 255;
                    b = 255 - phase;
                    break;
            }
            row[x] = ZK_RGB(r * level / 255, g * level / 255, b * level / 255);
        }
    }
    return s;
}

Surface MakeChecker(int w, int h, int square) {
    Surface s(w, h, QRV_FORMAT_32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) s.Row32(y)[x] = ((x / square + y / square) & 1) ? 0x9A9A9A : 0x6A6A6A;
    return s;
}

namespace {

struct Entry {
    std::string file, title, caption;
};

std::string g_dir = ".";
std::vector<Entry> g_entries;
bool g_failed = false;

bool WritePng(const std::string& path, const Surface& canvas) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    std::vector<uint8_t> row(static_cast<size_t>(canvas.width) * 3);
    if (info && !setjmp(png_jmpbuf(png))) {
        png_init_io(png, f);
        png_set_compression_level(png, 6);
        png_set_IHDR(png, info, canvas.width, canvas.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < canvas.height; ++y) {
            const uint8_t* p = canvas.pixels.data() + static_cast<size_t>(y) * canvas.pitch;
            for (int x = 0; x < canvas.width; ++x) {
                // 0x00RRGGBB stored little-endian: blue first.
                row[3 * x] = p[4 * x + 2];
                row[3 * x + 1] = p[4 * x + 1];
                row[3 * x + 2] = p[4 * x];
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return std::fclose(f) == 0 && ok;
}

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '&')
            out += "&amp;";
        else
            out += c;
    }
    return out;
}

}  // namespace

Picture::Picture(int w, int h, const std::string& title) : canvas(w, h, QRV_FORMAT_32), title_(title) {
    canvas.Select();
    QRV_Box(0, 0, w, h, 0x1C1C22, QRV_STYLE_FILLED);
    QRV_Box(0, 0, w, kTitleBand - 6, 0x2C3448, QRV_STYLE_FILLED);
    Text(10, 3, title, 0xFFFFFFFF, Font::Title);
}

void Picture::Paste(const Surface& s, int x, int y) {
    s.SelectAsSource();
    canvas.Select();
    QRV_Blit(0, 0, s.width, s.height, x, y, 0, 0);
}

void Picture::Text(int x, int y, const std::string& text, uint32_t colour, Font font) {
    canvas.Select();
    DrawText(x, y, text, colour, font);
}

void Picture::ColumnLabels(const Grid& grid, const std::vector<std::string>& names) {
    for (size_t c = 0; c < names.size(); ++c) {
        // Centred over the cell, kept inside the picture when wider than the cell.
        const int width = TextWidth(names[c]);
        int x = grid.X(static_cast<int>(c)) + (grid.cellW - width) / 2;
        if (x + width > canvas.width - 4) x = canvas.width - 4 - width;
        Text(x < 0 ? 0 : x, grid.top - 17, names[c]);
    }
}

void Picture::RowLabels(const Grid& grid, const std::vector<std::string>& names) {
    for (size_t r = 0; r < names.size(); ++r) Text(6, grid.Y(static_cast<int>(r)) + grid.cellH / 2 - 7, names[r]);
}

void Picture::Save(const std::string& name, const std::string& caption) {
    const std::string file = name + ".png";
    if (WritePng(g_dir + "/" + file, canvas)) {
        std::printf("wrote %s/%s\n", g_dir.c_str(), file.c_str());
        g_entries.push_back({file, title_, caption});
    } else {
        Fail("could not write " + g_dir + "/" + file);
    }
}

void Fail(const std::string& message) {
    std::fprintf(stderr, "quorvel-demo: %s\n", message.c_str());
    g_failed = true;
}

void SetOutputDir(const std::string& dir) { g_dir = dir; }

bool Finish() {
    const std::string path = g_dir + "/index.html";
    FILE* f = std::fopen(path.c_str(), "w");
    if (!f) {
        std::fprintf(stderr, "could not write %s\n", path.c_str());
        return false;
    }
    std::fprintf(f,
                 "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                 "<title>Quorvel gallery</title>\n<style>\n"
                 "body { background: #15151a; color: #ddd; font-family: sans-serif; margin: 2em; }\n"
                 "figure { margin: 0 0 2.5em 0; }\n"
                 "img { max-width: 100%%; border: 1px solid #333; }\n"
                 "figcaption { margin-top: 0.4em; max-width: 80em; }\n"
                 "</style>\n</head>\n<body>\n<h1>Quorvel gallery</h1>\n"
                 "<p>Every picture below was drawn by the library into its own pixel buffers.</p>\n");
    for (const Entry& e : g_entries)
        std::fprintf(f, "<figure>\n<img src=\"%s\" alt=\"%s\">\n<figcaption><b>%s.</b> %s</figcaption>\n</figure>\n",
                     e.file.c_str(), Escape(e.title).c_str(), Escape(e.title).c_str(), Escape(e.caption).c_str());
    std::fprintf(f, "</body>\n</html>\n");
    const bool ok = std::fclose(f) == 0;
    if (ok) std::printf("wrote %s (%zu pictures)\n", path.c_str(), g_entries.size());
    return ok && !g_failed;
}

}  // namespace gallery
