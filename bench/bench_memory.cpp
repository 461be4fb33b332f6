// Block copies and fills of the memory helpers beside memcpy and memset on the
// same blocks. Names are memory/<op>/<element>/<size>/<impl>; the rate counter
// is in millions of 32-bit words per second (the Mpix/s of a 32-bit buffer),
// so that scripts/bench.sh prints the ratios with the other families.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench_common.h"
#include "quorvel.h"

namespace {

struct Size {
    const char* name;
    size_t bytes;
};

// The bytes of a 32-bit buffer of each shared size.
const Size kSizes[] = {
    {"8x8", 8 * 8 * 4}, {"64x64", 64 * 64 * 4}, {"256x256", 256 * 256 * 4}, {"1920x1080", 1920 * 1080 * 4}};

struct Blocks {
    uint8_t* src;
    uint8_t* dst;
    explicit Blocks(size_t bytes)
        : src(static_cast<uint8_t*>(std::aligned_alloc(64, bytes))),
          dst(static_cast<uint8_t*>(std::aligned_alloc(64, bytes))) {
        std::memset(src, 0x5A, bytes);
        std::memset(dst, 0, bytes);
    }
    ~Blocks() {
        std::free(src);
        std::free(dst);
    }
    Blocks(const Blocks&) = delete;
    Blocks& operator=(const Blocks&) = delete;
};

template <class Body>
void Run(benchmark::State& state, Size size, Body body) {
    Blocks b(size.bytes);
    for (auto _ : state) {
        body(b);
        benchmark::ClobberMemory();
    }
    state.counters["Mpix/s"] =
        benchmark::Counter(static_cast<double>(size.bytes) / 4 / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

int RegisterMemory() {
    for (const Size& size : kSizes) {
        const int32_t n = static_cast<int32_t>(size.bytes);
        auto add = [&](const char* op, const char* impl, auto body) {
            const std::string name = std::string("memory/") + op + "/" + size.name + "/" + impl;
            qrvbench::Register(name, [size, body](benchmark::State& s) { Run(s, size, body); });
        };
        add("copy/bytes", "quorvel", [n](Blocks& b) { CopyMemory(b.src, b.dst, n); });
        add("copy/bytes", "memcpy", [n](Blocks& b) { std::memcpy(b.dst, b.src, static_cast<size_t>(n)); });
        add("fill/bytes", "quorvel", [n](Blocks& b) { FillMemory(b.dst, n, 0x33, 1); });
        add("fill/bytes", "memset", [n](Blocks& b) { std::memset(b.dst, 0x33, static_cast<size_t>(n)); });
        // A 32-bit value whose bytes differ cannot be a memset; memset of one byte is the floor it is held to.
        add("fill/words", "quorvel", [n](Blocks& b) { FillMemory(b.dst, n / 4, 0x00336699, 4); });
        add("fill/words", "memset", [n](Blocks& b) { std::memset(b.dst, 0x33, static_cast<size_t>(n)); });
        add("fill/halfwords", "quorvel", [n](Blocks& b) { FillMemory(b.dst, n / 2, 0x3399, 2); });
        add("fill/halfwords", "memset", [n](Blocks& b) { std::memset(b.dst, 0x33, static_cast<size_t>(n)); });
    }
    return 0;
}

const int kRegistered = RegisterMemory();

}  // namespace
