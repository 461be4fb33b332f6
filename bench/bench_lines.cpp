// Lines: QRV_WriteLine beside SDL2's software renderer and cairo (1-pixel,
// no antialiasing) drawing the same set of lines on a 1920x1080 frame: lines
// as long as the size is wide (8, 64, 256 pixels; 1000 for the frame size).
// Names are line/<op>/<format>/<size>/<impl>; Mpix/s counts the lines' pixels.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "bench_common.h"
#include "quorvel.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080, kLines = 256;

struct Line {
    int x1, y1, x2, y2;
};

// Lines of about `length` pixels in every direction, inside the frame.
std::vector<Line> MakeLines(int length, uint64_t& pixels) {
    std::mt19937 rng(length);
    std::vector<Line> lines;
    pixels = 0;
    for (int i = 0; i < kLines; ++i) {
        const double angle = (rng() % 3600) * (3.14159265358979 / 1800.0);
        const int dx = static_cast<int>(length * std::cos(angle)), dy = static_cast<int>(length * std::sin(angle));
        const int x = kWidth / 2 - dx / 2 + static_cast<int>(rng() % 64) - 32;
        const int y = kHeight / 2 - dy / 2 + static_cast<int>(rng() % 64) - 32;
        lines.push_back({x, y, x + dx, y + dy});
        pixels += static_cast<uint64_t>(std::max(std::abs(dx), std::abs(dy)) + 1);
    }
    return lines;
}

struct Frame : qrvbench::Frame {
    int format, bpp;
    explicit Frame(int f) : qrvbench::Frame(kWidth, kHeight, f == 1 ? 2 : 4), format(f), bpp(f == 1 ? 2 : 4) {}
};

void Report(benchmark::State& state, uint64_t pixels) {
    state.counters["Mpix/s"] =
        benchmark::Counter(static_cast<double>(pixels) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void QuorvelLines(benchmark::State& state, int format, int mode, int length) {
    uint64_t pixels;
    const auto lines = MakeLines(length, pixels);
    Frame f(format);
    QRV_SetBuffer(f.pixels, f.pitch, format);
    QRV_SetBufferViewPort(0, 0, kWidth, kHeight);
    for (auto _ : state) {
        for (const Line& l : lines) QRV_WriteLine(l.x1, l.y1, l.x2, l.y2, 0x00406080, mode);
        benchmark::ClobberMemory();
    }
    Report(state, pixels);
}

void SdlLines(benchmark::State& state, int format, int mode, int length) {
    uint64_t pixels;
    const auto lines = MakeLines(length, pixels);
    Frame f(format);
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(f.pixels, kWidth, kHeight, f.bpp * 8, f.pitch,
                                                        format == 1 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888);
    SDL_Renderer* r = SDL_CreateSoftwareRenderer(s);
    SDL_SetRenderDrawBlendMode(r, mode == 64 ? SDL_BLENDMODE_ADD : SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(r, 0x40, 0x60, 0x80, 255);
    for (auto _ : state) {
        for (const Line& l : lines) SDL_RenderDrawLine(r, l.x1, l.y1, l.x2, l.y2);
        SDL_RenderFlush(r);
        benchmark::ClobberMemory();
    }
    SDL_DestroyRenderer(r);
    SDL_FreeSurface(s);
    Report(state, pixels);
}

void CairoLines(benchmark::State& state, int format, int mode, int length) {
    uint64_t pixels;
    const auto lines = MakeLines(length, pixels);
    Frame f(format);
    cairo_surface_t* s = cairo_image_surface_create_for_data(
        f.pixels, format == 1 ? CAIRO_FORMAT_RGB16_565 : CAIRO_FORMAT_RGB24, kWidth, kHeight, f.pitch);
    cairo_t* cr = cairo_create(s);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(cr, 1.0);
    cairo_set_operator(cr, mode == 64 ? CAIRO_OPERATOR_ADD : CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgb(cr, 0x40 / 255.0, 0x60 / 255.0, 0x80 / 255.0);
    for (auto _ : state) {
        // Each line on its own, as a drawing call per line.
        for (const Line& l : lines) {
            cairo_move_to(cr, l.x1 + 0.5, l.y1 + 0.5);
            cairo_line_to(cr, l.x2 + 0.5, l.y2 + 0.5);
            cairo_stroke(cr);
        }
        cairo_surface_flush(s);
        benchmark::ClobberMemory();
    }
    cairo_destroy(cr);
    cairo_surface_destroy(s);
    Report(state, pixels);
}

// The memory limit of the lines: one store per line pixel (a load and a store
// for add) at the pixels' addresses, listed beforehand.
void LineStores(benchmark::State& state, int format, int mode, int length) {
    uint64_t pixels;
    const auto lines = MakeLines(length, pixels);
    Frame f(format);
    std::vector<uint32_t> offsets;
    for (const Line& l : lines) {
        const int n = std::max(std::abs(l.x2 - l.x1), std::abs(l.y2 - l.y1));
        for (int k = 0; k <= n; ++k) {
            const int x = l.x1 + (n == 0 ? 0 : (l.x2 - l.x1) * k / n), y = l.y1 + (n == 0 ? 0 : (l.y2 - l.y1) * k / n);
            offsets.push_back(static_cast<uint32_t>(y * f.pitch + x * f.bpp));
        }
    }
    auto run = [&]<class T>(T colour) {
        for (auto _ : state) {
            if (mode == 64) {
                for (const uint32_t o : offsets) *reinterpret_cast<T*>(f.pixels + o) |= colour;
            } else {
                for (const uint32_t o : offsets) *reinterpret_cast<T*>(f.pixels + o) = colour;
            }
            benchmark::ClobberMemory();
        }
    };
    if (f.bpp == 2) run(uint16_t{0x4310});
    else run(uint32_t{0x00406080});
    Report(state, pixels);
}

int RegisterLines() {
    struct Op { const char* name; int mode; int format; };
    const Op ops[] = {{"replace", 1, 4}, {"add", 64, 4}, {"replace", 1, 1}, {"add", 64, 1}};
    for (const Op& op : ops) {
        for (const qrvbench::Size& size : qrvbench::kSizes) {
            // QRV_WriteLine does not clip: the longest lines, jittered, stay inside the frame.
            const int length = std::min(size.width, kHeight - 80);
            const std::string base =
                std::string("line/") + op.name + "/" + (op.format == 1 ? "565" : "xrgb32") + "/" + size.name + "/";
            auto add = [&](const char* impl, auto fn) { qrvbench::Register(base + impl, fn); };
            const int mode = op.mode, format = op.format;
            add("quorvel", [=](benchmark::State& s) { QuorvelLines(s, format, mode, length); });
            add("sdl2", [=](benchmark::State& s) { SdlLines(s, format, mode, length); });
            add("cairo", [=](benchmark::State& s) { CairoLines(s, format, mode, length); });
            add("stores", [=](benchmark::State& s) { LineStores(s, format, mode, length); });
        }
    }
    return 0;
}

const int kRegistered = RegisterLines();

}  // namespace
