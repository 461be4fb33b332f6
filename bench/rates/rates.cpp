// Rates of the memory-bound operations through the public exports, beside
// memset or memcpy moving the same bytes in the same process: for the builds
// that have no benchmark library and no peers (i686 Linux and quorvel.dll
// under wine). Each operation and its limit take turns, five rounds of at
// least 40 ms each; the best round of each is kept.
//
//   quorvel_rates [label]     prints one Markdown table
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <vector>

#include "quorvel.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

// The exports this program calls: linked on Linux; on Windows looked up in
// quorvel.dll by the decorated names that the DLL's user resolves.
struct Api {
    decltype(&QRV_Init_Lib) init = nullptr;
    decltype(&QRV_SetInkAlpha) setInkAlpha = nullptr;
    decltype(&QRV_SetBuffer) setBuffer = nullptr;
    decltype(&QRV_SetBufferViewPort) setViewPort = nullptr;
    decltype(&QRV_SetSrcBuffer) setSrcBuffer = nullptr;
    decltype(&QRV_Box) box = nullptr;
    decltype(&QRV_Blit) blit = nullptr;

    bool Load() {
#if defined(_WIN32)
        const HMODULE dll = LoadLibraryA("quorvel.dll");
        if (dll == nullptr) return false;
        auto find = [dll](auto& fn, const char* name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(
                reinterpret_cast<void*>(GetProcAddress(dll, name)));
            return fn != nullptr;
        };
        return find(init, "_QRV_Init_Lib@0") && find(setInkAlpha, "_QRV_SetInkAlpha@4") &&
               find(setBuffer, "_QRV_SetBuffer@12") && find(setViewPort, "_QRV_SetBufferViewPort@16") &&
               find(setSrcBuffer, "_QRV_SetSrcBuffer@12") && find(box, "_QRV_Box@24") &&
               find(blit, "_QRV_Blit@32");
#else
        init = &QRV_Init_Lib, setInkAlpha = &QRV_SetInkAlpha, setBuffer = &QRV_SetBuffer;
        setViewPort = &QRV_SetBufferViewPort, setSrcBuffer = &QRV_SetSrcBuffer, box = &QRV_Box, blit = &QRV_Blit;
        return true;
#endif
    }
};

struct Buffer {
    int width, height, bytes, pitch;
    std::vector<uint8_t> storage;
    uint8_t* pixels;
    Buffer(int w, int h, int b) : width(w), height(h), bytes(b), pitch((w * b + 63) & ~63) {
        storage.assign(static_cast<size_t>(pitch) * h + 64, 0);
        pixels = storage.data() + (64 - reinterpret_cast<uintptr_t>(storage.data()) % 64) % 64;
    }
    uint8_t* Row(int y) { return pixels + static_cast<size_t>(y) * pitch; }
};

// A sprite-like source: random colours, a quarter of them the key colour or
// fully transparent, the rest of random alpha.
constexpr uint32_t kKey = 0x00FF00FF;

void FillSource(Buffer& b, uint32_t seed) {
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            uint32_t p = seed >> 4;
            if ((seed >> 30) == 0) p = kKey;
            if (b.bytes == 4) std::memcpy(b.Row(y) + x * 4, &p, 4);
            else std::memcpy(b.Row(y) + x * 2, &p, 2);
        }
}

double Seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// Mpix/s of draw over the best of the rounds given to it.
template <class Draw>
double Round(Draw draw, int pixels) {
    const double start = Seconds();
    long calls = 0;
    double now;
    do {
        draw();
        ++calls;
        now = Seconds();
    } while (now - start < 0.04);
    return static_cast<double>(calls) * pixels / (now - start) / 1e6;
}

struct Op {
    const char* name;
    int srcBytes, srcFormat, dstFormat;  // srcBytes 0: a fill
    int32_t flags;                       // QRV_Box flags or QRV_Blit flags
};

const Op kOps[] = {
    {"fill/replace/xrgb32", 0, 0, 4, 2},
    {"fill/add/xrgb32", 0, 0, 4, 2 | 64},
    {"fill/alpha/xrgb32", 0, 0, 4, 2 | 16},
    {"fill/replace/565", 0, 0, 1, 2},
    {"blit/copy/xrgb32", 4, 4, 4, 0},
    {"blit/keycopy/xrgb32", 4, 4, 4, 1},
    {"blit/alpha/argb32>xrgb32", 4, 5, 4, 1},
    {"blit/convert/xrgb32>565", 4, 4, 1, 0},
    {"blit/convert/565>xrgb32", 2, 1, 4, 0},
};

}  // namespace

int main(int argc, char** argv) {
    const char* label = argc > 1 ? argv[1] : "this build";
    Api api;
    if (!api.Load()) {
        std::fprintf(stderr, "quorvel_rates: the library's exports were not found\n");
        return 1;
    }
    api.init();
    api.setInkAlpha(128);
    const struct {
        const char* name;
        int w, h;
    } sizes[] = {{"256x256", 256, 256}, {"1920x1080", 1920, 1080}};
    std::printf("| operation | size | quorvel (%s) | limit | x memory |\n|---|---|---:|---:|---:|\n", label);
    for (const Op& op : kOps) {
        for (const auto& size : sizes) {
            const int dstBytes = op.dstFormat == 1 ? 2 : 4;
            Buffer dst(size.w, size.h, dstBytes);
            Buffer src(size.w, size.h, op.srcBytes == 0 ? 4 : op.srcBytes);
            FillSource(src, 7);
            FillSource(dst, 9);
            api.setBuffer(dst.pixels, dst.pitch, op.dstFormat);
            api.setViewPort(0, 0, size.w, size.h);
            if (op.srcBytes != 0) api.setSrcBuffer(src.pixels, src.pitch, op.srcFormat);
            // The limit moves as many bytes a row as the operation writes
            // (fills) or as the mean of the two pixel sizes (blits).
            const int limitBytes = op.srcBytes == 0 ? dstBytes : (op.srcBytes + dstBytes) / 2;
            Buffer from(size.w, size.h, limitBytes), to(size.w, size.h, limitBytes);
            const size_t rowBytes = static_cast<size_t>(size.w) * limitBytes;
            auto quorvel = [&] {
                if (op.srcBytes == 0) api.box(0, 0, size.w, size.h, 0x00406080, op.flags);
                else api.blit(0, 0, size.w, size.h, 0, 0, kKey, op.flags);
            };
            auto limit = [&] {
                for (int y = 0; y < size.h; ++y) {
                    if (op.srcBytes == 0) std::memset(to.Row(y), 0x40 + (y & 1), rowBytes);
                    else std::memcpy(to.Row(y), from.Row(y), rowBytes);
                }
            };
            double best = 0, bestLimit = 0;
            for (int round = 0; round < 5; ++round) {
                best = std::max(best, Round(quorvel, size.w * size.h));
                bestLimit = std::max(bestLimit, Round(limit, size.w * size.h));
            }
            std::printf("| %s | %s | %.0f Mpix/s | %.0f (%s) | %.2f |\n", op.name, size.name, best, bestLimit,
                        op.srcBytes == 0 ? "memset" : "memcpy", best / bestLimit);
        }
    }
    return 0;
}
