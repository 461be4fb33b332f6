// What every benchmark file shares: the four sizes each operation runs at,
// aligned pixel frames, the rate counters scripts/bench_report.py reads, and
// registration with a run time that QRV_BENCH_TIME scales (the quick mode of
// scripts/bench.sh runs with a fraction of the full time).
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "primitives/packed.h"

namespace qrvbench {

struct Size {
    const char* name;
    int width, height;
};

// From a sprite to a full HD frame, so that the table shows the cost per call
// beside the cost per pixel.
inline constexpr Size kSizes[] = {{"8x8", 8, 8}, {"64x64", 64, 64}, {"256x256", 256, 256}, {"1920x1080", 1920, 1080}};

inline int Bpp(int format) { return format <= 2 ? 2 : format == 3 ? 3 : 4; }

inline const char* FormatName(int format) {
    return format == 1 ? "565" : format == 3 ? "rgb24" : format == 5 ? "argb32" : "xrgb32";
}

// One frame of pixels, 64-byte aligned, rows padded to a multiple of 64 bytes.
struct Frame {
    int width, height, pitch;
    uint8_t* pixels;
    Frame(int w, int h, int bytesPerPixel, uint8_t fill = 0x55)
        : width(w), height(h), pitch((w * bytesPerPixel + 63) & ~63) {
        pixels = static_cast<uint8_t*>(std::aligned_alloc(64, Bytes()));
        std::memset(pixels, fill, Bytes());
    }
    ~Frame() { std::free(pixels); }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;
    size_t Bytes() const { return static_cast<size_t>(pitch) * height; }
    uint8_t* Row(int y) const { return pixels + static_cast<size_t>(y) * pitch; }
};

// The kernel set the process chose at start (QUORVEL_SIMD or the widest the
// processor runs); "quorvel" runs with it, "quorvel-scalar" with the plain loops.
// main() calls it first, before any benchmark changes the set.
inline qrv::KernelSet BestKernelSet() {
    static const qrv::KernelSet best = qrv::ActiveKernelSet();
    return best;
}

// Rates per second of wall time over all iterations: Mpix/s of pixels written,
// and, where the work is counted in items, "<unit>/s" too (shapes, chars, pairs).
inline void ReportPixels(benchmark::State& state, double pixelsPerIteration) {
    state.counters["Mpix/s"] =
        benchmark::Counter(pixelsPerIteration / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

inline void ReportItems(benchmark::State& state, const char* unit, double itemsPerIteration) {
    state.counters[std::string(unit) + "/s"] =
        benchmark::Counter(itemsPerIteration, benchmark::Counter::kIsIterationInvariantRate);
}

// The minimum run time of one benchmark, scaled by QRV_BENCH_TIME (default 1).
inline double RunTime(double seconds) {
    static const double scale = [] {
        const char* s = std::getenv("QRV_BENCH_TIME");
        const double v = s ? std::atof(s) : 1.0;
        return v > 0 ? v : 1.0;
    }();
    return seconds * scale;
}

template <class Fn>
benchmark::internal::Benchmark* Register(const std::string& name, Fn fn, double seconds = 0.05) {
    return benchmark::RegisterBenchmark(name.c_str(), fn)->MinTime(RunTime(seconds))->Unit(benchmark::kMicrosecond);
}

}  // namespace qrvbench
