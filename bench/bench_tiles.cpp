// Tile maps beside the same tiles blitted one by one with SDL2, and a step of
// the bouncing-squares demo beside pixman filling the same number of
// translucent squares. Names are tiles/<op>/<format>/<size>/<impl>; every
// benchmark reports Mpix/s.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "primitives/packed.h"
#include "bench_common.h"
#include "quorvel.h"

namespace {

constexpr int kSheetTiles = 64;

// A map covering each size: tiles of 32x32 pixels (one 8x8 tile for the
// smallest), as many whole tiles as fit.
struct MapShape {
    const char* name;
    int tile, cols, rows;
    int Width() const { return tile * cols; }
    int Height() const { return tile * rows; }
};
constexpr MapShape kMaps[] = {{"8x8", 8, 1, 1}, {"64x64", 32, 2, 2}, {"256x256", 32, 8, 8}, {"1920x1080", 32, 60, 33}};

struct Pixels {
    int width, height, pitch;
    uint32_t* data;
    Pixels(int w, int h, uint32_t seed, int bytes = 4) : width(w), height(h), pitch(w * bytes) {
        data = static_cast<uint32_t*>(std::aligned_alloc(64, static_cast<size_t>(pitch) * h));
        std::mt19937 rng(seed);
        for (size_t i = 0; i < static_cast<size_t>(pitch) * h / 4; ++i) data[i] = rng() | 0xFF000000u;
    }
    ~Pixels() { std::free(data); }
    Pixels(const Pixels&) = delete;
    Pixels& operator=(const Pixels&) = delete;
};

std::vector<int32_t> RandomMap(const MapShape& m) {
    std::mt19937 rng(11);
    std::vector<int32_t> map(static_cast<size_t>(m.cols) * m.rows);
    for (int32_t& t : map) t = static_cast<int32_t>(rng() % kSheetTiles);
    return map;
}

void Report(benchmark::State& state, double pixels) {
    state.counters["Mpix/s"] = benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

struct TileFormat {
    const char* name;
    int format, bytes;
    uint32_t sdlFormat;
};

const TileFormat kTileFormats[] = {{"xrgb32", 4, 4, SDL_PIXELFORMAT_RGB888}, {"565", 1, 2, SDL_PIXELFORMAT_RGB565}};

struct TileWork {
    Pixels sheet, screen;
    std::vector<int32_t> map;
    TileWork(const TileFormat& f, const MapShape& m)
        : sheet(m.tile, m.tile * kSheetTiles, 1, f.bytes),
          screen(m.Width(), m.Height(), 2, f.bytes),
          map(RandomMap(m)) {}
};

void QuorvelTileMap(benchmark::State& state, TileFormat f, MapShape m, qrv::KernelSet set) {
    TileWork w(f, m);
    qrv::SetKernelSet(set);
    QRV_SetSrcBuffer(w.sheet.data, w.sheet.pitch, f.format);
    QRV_SetBuffer(w.screen.data, w.screen.pitch, f.format);
    QRV_SetBufferViewPort(0, 0, m.Width(), m.Height());
    for (auto _ : state) {
        QRV_Blit_Tile_Array(nullptr, w.map.data(), m.cols, m.rows, m.tile, m.tile, 0, 0, 0);
        benchmark::ClobberMemory();
    }
    qrv::SetKernelSet(qrvbench::BestKernelSet());
    Report(state, double(m.Width()) * m.Height());
}

// The floor for any implementation: each tile row copied with memcpy.
void MemcpyTileMap(benchmark::State& state, TileFormat f, MapShape m) {
    TileWork w(f, m);
    const size_t rowBytes = static_cast<size_t>(m.tile) * f.bytes;
    auto* sheet = reinterpret_cast<const uint8_t*>(w.sheet.data);
    auto* screen = reinterpret_cast<uint8_t*>(w.screen.data);
    for (auto _ : state) {
        for (int r = 0; r < m.rows; ++r)
            for (int c = 0; c < m.cols; ++c) {
                const uint8_t* s = sheet + static_cast<size_t>(w.map[r * m.cols + c]) * m.tile * w.sheet.pitch;
                uint8_t* d = screen + static_cast<size_t>(r) * m.tile * w.screen.pitch + c * rowBytes;
                for (int y = 0; y < m.tile; ++y)
                    std::memcpy(d + y * w.screen.pitch, s + y * w.sheet.pitch, rowBytes);
            }
        benchmark::ClobberMemory();
    }
    Report(state, double(m.Width()) * m.Height());
}

void SdlTileMap(benchmark::State& state, TileFormat f, MapShape m) {
    TileWork w(f, m);
    SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(w.sheet.data, w.sheet.width, w.sheet.height, f.bytes * 8,
                                                          w.sheet.pitch, f.sdlFormat);
    SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormatFrom(w.screen.data, w.screen.width, w.screen.height,
                                                          f.bytes * 8, w.screen.pitch, f.sdlFormat);
    SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_NONE);
    for (auto _ : state) {
        for (int r = 0; r < m.rows; ++r)
            for (int c = 0; c < m.cols; ++c) {
                SDL_Rect from{0, w.map[r * m.cols + c] * m.tile, m.tile, m.tile};
                SDL_Rect to{c * m.tile, r * m.tile, m.tile, m.tile};
                SDL_BlitSurface(src, &from, dst, &to);
            }
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(src);
    SDL_FreeSurface(dst);
    Report(state, double(m.Width()) * m.Height());
}

constexpr int kDemoWidth = 800, kDemoHeight = 600, kSquares = 4096, kSquareSide = 32;

void QuorvelSquares(benchmark::State& state, qrv::KernelSet set) {
    Pixels frame(kDemoWidth, kDemoHeight, 3);
    qrv::SetKernelSet(set);
    for (auto _ : state) {
        QRV_R2D2(frame.data, 0, kDemoWidth, kDemoHeight);
        benchmark::ClobberMemory();
    }
    qrv::SetKernelSet(qrvbench::BestKernelSet());
    Report(state, double(kSquares) * kSquareSide * kSquareSide);
}

// Squares at random places in the frame, as many as a step draws.
std::vector<pixman_box32_t> SquareBoxes() {
    std::mt19937 rng(4);
    std::vector<pixman_box32_t> boxes(kSquares);
    for (pixman_box32_t& b : boxes) {
        b.x1 = static_cast<int32_t>(rng() % (kDemoWidth - kSquareSide + 1));
        b.y1 = static_cast<int32_t>(rng() % (kDemoHeight - kSquareSide + 1));
        b.x2 = b.x1 + kSquareSide;
        b.y2 = b.y1 + kSquareSide;
    }
    return boxes;
}

// The memory limit of a step: memcpy reading and writing each square's bytes
// (from a second frame into the same place of the first).
void MemcpySquares(benchmark::State& state) {
    Pixels frame(kDemoWidth, kDemoHeight, 3), from(kDemoWidth, kDemoHeight, 5);
    const auto boxes = SquareBoxes();
    const auto* src = reinterpret_cast<const uint8_t*>(from.data);
    auto* dst = reinterpret_cast<uint8_t*>(frame.data);
    for (auto _ : state) {
        for (const pixman_box32_t& b : boxes)
            for (int32_t y = b.y1; y < b.y2; ++y) {
                const size_t at = static_cast<size_t>(y) * frame.pitch + static_cast<size_t>(b.x1) * 4;
                std::memcpy(dst + at, src + at, kSquareSide * 4);
            }
        benchmark::ClobberMemory();
    }
    Report(state, double(kSquares) * kSquareSide * kSquareSide);
}

void PixmanSquares(benchmark::State& state) {
    Pixels frame(kDemoWidth, kDemoHeight, 3);
    pixman_image_t* image =
        pixman_image_create_bits(PIXMAN_x8r8g8b8, kDemoWidth, kDemoHeight, frame.data, frame.pitch);
    const auto boxes = SquareBoxes();
    // Alpha 128 over the frame, premultiplied as pixman takes it.
    const pixman_color_t colour{0x4040, 0x2020, 0x6060, 0x8080};
    for (auto _ : state) {
        pixman_image_fill_boxes(PIXMAN_OP_OVER, image, &colour, kSquares, boxes.data());
        benchmark::ClobberMemory();
    }
    pixman_image_unref(image);
    Report(state, double(kSquares) * kSquareSide * kSquareSide);
}

int RegisterTiles() {
    auto add = [](const std::string& name, auto fn) { qrvbench::Register(name, fn, 0.2); };
    for (const TileFormat& f : kTileFormats) {
        for (const MapShape& m : kMaps) {
            const std::string map = std::string("tiles/map/") + f.name + "/" + m.name + "/";
            add(map + "quorvel", [=](benchmark::State& s) { QuorvelTileMap(s, f, m, qrvbench::BestKernelSet()); });
            add(map + "quorvel-scalar", [=](benchmark::State& s) { QuorvelTileMap(s, f, m, qrv::KernelSet::Scalar); });
            add(map + "memcpy", [=](benchmark::State& s) { MemcpyTileMap(s, f, m); });
            add(map + "sdl2", [=](benchmark::State& s) { SdlTileMap(s, f, m); });
        }
    }
    const std::string squares = "tiles/r2d2/xrgb32/800x600x4096/";
    add(squares + "quorvel", [](benchmark::State& s) { QuorvelSquares(s, qrvbench::BestKernelSet()); });
    add(squares + "quorvel-scalar", [](benchmark::State& s) { QuorvelSquares(s, qrv::KernelSet::Scalar); });
    add(squares + "pixman", PixmanSquares);
    add(squares + "memcpy", MemcpySquares);
    return 0;
}

const int kRegistered = RegisterTiles();

}  // namespace
