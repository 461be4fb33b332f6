// Blits beside memcpy, SDL2 and pixman doing the same work: whole 1920x1080
// frames, one pair held in the last-level cache ("/sets:1") or four pairs
// streamed from memory ("/sets:4"), and 64x64 sprites in cache. Rates are in
// pixels per second (items_per_second).
#include <benchmark/benchmark.h>
#include <SDL2/SDL.h>
#include <pixman.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "primitives/packed.h"
#include "quorvel.h"

namespace {

constexpr int kFrameWidth = 1920, kFrameHeight = 1080;
constexpr int kSpriteSize = 64;
constexpr uint32_t kKey = 0x00FF00FF;

// Alpha: every alpha equally likely; Sprite: runs of 8 to 64 pixels, mostly
// transparent or opaque, with a partly covered pixel at each run's edge.
enum class Fill { Opaque, Keyed, Alpha, Sprite };

struct Plane {
    int width, height, bytesPerPixel, pitch;
    std::vector<uint8_t> bytes;
    uint8_t* Data() { return bytes.data(); }
};

Plane MakePlane(int w, int h, int bpp, Fill fill, uint32_t seed) {
    Plane p{w, h, bpp, w * bpp, std::vector<uint8_t>(static_cast<size_t>(w) * h * bpp)};
    std::mt19937 rng(seed);
    if (bpp == 2) {
        for (size_t i = 0; i < p.bytes.size(); ++i) p.bytes[i] = static_cast<uint8_t>(rng());
        return p;
    }
    uint32_t runAlpha = 0, runLeft = 0;
    for (size_t i = 0; i < p.bytes.size() / 4; ++i) {
        uint32_t v = rng();
        if (fill == Fill::Opaque) v |= 0xFF000000;
        if (fill == Fill::Keyed && rng() % 4 == 0) v = kKey;
        if (fill == Fill::Sprite) {
            if (runLeft == 0) {
                runLeft = 8 + rng() % 57;
                runAlpha = rng() % 2 == 0 ? 0 : 255;
                v = (v & 0x00FFFFFF) | (rng() % 255 + 1) << 24;
            } else {
                v = (v & 0x00FFFFFF) | runAlpha << 24;
            }
            --runLeft;
        }
        std::memcpy(&p.bytes[i * 4], &v, 4);
    }
    return p;
}

// Source and destination planes, `sets` pairs of them used in turn.
struct Work {
    std::vector<Plane> src, dst;
    int width, height;
    Work(int w, int h, int srcBpp, int dstBpp, int sets, Fill fill) : width(w), height(h) {
        for (int i = 0; i < sets; ++i) {
            src.push_back(MakePlane(w, h, srcBpp, fill, 100 + i));
            dst.push_back(MakePlane(w, h, dstBpp, Fill::Opaque, 200 + i));
        }
    }
    int Sets() const { return static_cast<int>(src.size()); }
};

void Report(benchmark::State& state, const Work& w) {
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * w.width * w.height);
}

Work MakeWork(benchmark::State& state, int srcBpp, int dstBpp, Fill fill) {
    const bool sprite = state.range(0) == 0;
    const int sets = sprite ? 1 : static_cast<int>(state.range(0));
    return sprite ? Work(kSpriteSize, kSpriteSize, srcBpp, dstBpp, sets, fill)
                  : Work(kFrameWidth, kFrameHeight, srcBpp, dstBpp, sets, fill);
}

// ---- Quorvel ----

// The MMX state picks the pixel rules where they differ; the kernel set picks
// packed (SSE2) or plain loops.
void UseKernels(int mmx, bool packed) {
    QRV_SetMMXState(mmx);
    qrv::SetKernelSet(packed ? qrv::KernelSet::Sse2 : qrv::KernelSet::Scalar);
}

void QuorvelBlit(benchmark::State& state, int srcFormat, int dstFormat, uint32_t flags, Fill fill, int mmx,
                 bool packed) {
    Work w = MakeWork(state, srcFormat <= 2 ? 2 : 4, dstFormat <= 2 ? 2 : 4, fill);
    UseKernels(mmx, packed);
    int i = 0;
    for (auto _ : state) {
        Plane& s = w.src[i % w.Sets()];
        Plane& d = w.dst[i % w.Sets()];
        QRV_SetSrcBuffer(s.Data(), s.pitch, srcFormat);
        QRV_SetBuffer(d.Data(), d.pitch, dstFormat);
        QRV_SetBufferViewPort(0, 0, w.width, w.height);
        QRV_Blit(0, 0, w.width, w.height, 0, 0, kKey, flags);
        benchmark::ClobberMemory();
        ++i;
    }
    UseKernels(1, true);
    Report(state, w);
}

// Against the source-blend picture; inPlace makes the destination that
// picture (D = S op D, the work of the peers' two-buffer operators).
void QuorvelEffect(benchmark::State& state, int mode, int mmx, bool packed, bool inPlace) {
    Work w = MakeWork(state, 4, 4, Fill::Opaque);
    std::vector<Plane> blend;
    for (int k = 0; k < w.Sets() && !inPlace; ++k)
        blend.push_back(MakePlane(w.width, w.height, 4, Fill::Opaque, 300 + k));
    UseKernels(mmx, packed);
    int i = 0;
    for (auto _ : state) {
        Plane& s = w.src[i % w.Sets()];
        Plane& d = w.dst[i % w.Sets()];
        Plane& b = inPlace ? d : blend[i % w.Sets()];
        QRV_SetSrcBuffer(s.Data(), s.pitch, 4);
        QRV_SetSrcBlendBuffer(b.Data(), b.pitch, 4);
        QRV_SetBuffer(d.Data(), d.pitch, 4);
        QRV_SetBufferViewPort(0, 0, w.width, w.height);
        QRV_BlitFX(0, 0, w.width, w.height, 0, 0, 0, 0, mode, 0, 1, 0);
        benchmark::ClobberMemory();
        ++i;
    }
    UseKernels(1, true);
    Report(state, w);
}

// ---- memcpy ----

void Memcpy(benchmark::State& state) {
    Work w = MakeWork(state, 4, 4, Fill::Opaque);
    int i = 0;
    for (auto _ : state) {
        Plane& s = w.src[i % w.Sets()];
        Plane& d = w.dst[i % w.Sets()];
        std::memcpy(d.Data(), s.Data(), s.bytes.size());
        benchmark::ClobberMemory();
        ++i;
    }
    Report(state, w);
}

// ---- SDL2 ----

uint32_t SdlFormat(int bpp, bool alpha) {
    if (bpp == 2) return SDL_PIXELFORMAT_RGB565;
    return alpha ? SDL_PIXELFORMAT_ARGB8888 : SDL_PIXELFORMAT_RGB888;
}

SDL_Surface* SdlSurface(Plane& p, uint32_t format) {
    return SDL_CreateRGBSurfaceWithFormatFrom(p.Data(), p.width, p.height, p.bytesPerPixel * 8, p.pitch, format);
}

// blendMode SDL_BLENDMODE_NONE for copies and conversions; colour key when keyed.
void SdlBlit(benchmark::State& state, int srcBpp, bool srcAlpha, int dstBpp, SDL_BlendMode mode, bool keyed,
             Fill alphaFill = Fill::Alpha) {
    Work w = MakeWork(state, srcBpp, dstBpp, keyed ? Fill::Keyed : srcAlpha ? alphaFill : Fill::Opaque);
    std::vector<SDL_Surface*> src, dst;
    for (int k = 0; k < w.Sets(); ++k) {
        src.push_back(SdlSurface(w.src[k], SdlFormat(srcBpp, srcAlpha)));
        dst.push_back(SdlSurface(w.dst[k], SdlFormat(dstBpp, false)));
        SDL_SetSurfaceBlendMode(src.back(), mode);
        if (keyed) SDL_SetColorKey(src.back(), SDL_TRUE, kKey);
    }
    int i = 0;
    for (auto _ : state) {
        SDL_BlitSurface(src[i % w.Sets()], nullptr, dst[i % w.Sets()], nullptr);
        benchmark::ClobberMemory();
        ++i;
    }
    for (auto* s : src) SDL_FreeSurface(s);
    for (auto* s : dst) SDL_FreeSurface(s);
    Report(state, w);
}

// ---- pixman ----

pixman_format_code_t PixmanFormat(int bpp, bool alpha) {
    if (bpp == 2) return PIXMAN_r5g6b5;
    return alpha ? PIXMAN_a8r8g8b8 : PIXMAN_x8r8g8b8;
}

void Pixman(benchmark::State& state, pixman_op_t op, int srcBpp, bool srcAlpha, int dstBpp, bool dstAlpha,
            Fill alphaFill = Fill::Alpha) {
    Work w = MakeWork(state, srcBpp, dstBpp, srcAlpha ? alphaFill : Fill::Opaque);
    std::vector<pixman_image_t*> src, dst;
    for (int k = 0; k < w.Sets(); ++k) {
        src.push_back(pixman_image_create_bits(PixmanFormat(srcBpp, srcAlpha), w.width, w.height,
                                               reinterpret_cast<uint32_t*>(w.src[k].Data()), w.src[k].pitch));
        dst.push_back(pixman_image_create_bits(PixmanFormat(dstBpp, dstAlpha), w.width, w.height,
                                               reinterpret_cast<uint32_t*>(w.dst[k].Data()), w.dst[k].pitch));
    }
    int i = 0;
    for (auto _ : state) {
        pixman_image_composite32(op, src[i % w.Sets()], nullptr, dst[i % w.Sets()], 0, 0, 0, 0, 0, 0, w.width,
                                 w.height);
        benchmark::ClobberMemory();
        ++i;
    }
    for (auto* p : src) pixman_image_unref(p);
    for (auto* p : dst) pixman_image_unref(p);
    Report(state, w);
}

// Range argument: 0 = a 64x64 sprite, 1 = one frame pair, 4 = four frame pairs.
void Sizes(benchmark::internal::Benchmark* b) { b->Arg(0)->Arg(1)->Arg(4)->ArgName("sets")->Unit(benchmark::kMicrosecond); }

#define QRV_BENCH(...) BENCHMARK_CAPTURE(__VA_ARGS__)->Apply(Sizes)

// Copy 32 -> 32.
QRV_BENCH(QuorvelBlit, copy32_quorvel, 4, 4, 0u, Fill::Opaque, 1, true);
BENCHMARK(Memcpy)->Apply(Sizes)->Name("copy32_memcpy");
QRV_BENCH(SdlBlit, copy32_sdl, 4, false, 4, SDL_BLENDMODE_NONE, false);
QRV_BENCH(Pixman, copy32_pixman_src, PIXMAN_OP_SRC, 4, false, 4, false);

// Colour-key copy 32 -> 32.
QRV_BENCH(QuorvelBlit, keycopy32_quorvel, 4, 4, 1u, Fill::Keyed, 1, true);
QRV_BENCH(QuorvelBlit, keycopy32_quorvel_plain, 4, 4, 1u, Fill::Keyed, 1, false);
QRV_BENCH(SdlBlit, keycopy32_sdl, 4, false, 4, SDL_BLENDMODE_NONE, true);

// ARGB over RGB: both MMX states (their pixels differ), packed and plain loops.
QRV_BENCH(QuorvelBlit, alpha32_quorvel_mmx1, 5, 4, 1u, Fill::Alpha, 1, true);
QRV_BENCH(QuorvelBlit, alpha32_quorvel_mmx1_plain, 5, 4, 1u, Fill::Alpha, 1, false);
QRV_BENCH(QuorvelBlit, alpha32_quorvel_mmx0, 5, 4, 1u, Fill::Alpha, 0, true);
QRV_BENCH(QuorvelBlit, alpha32_quorvel_mmx0_plain, 5, 4, 1u, Fill::Alpha, 0, false);
QRV_BENCH(SdlBlit, alpha32_sdl_blend, 4, true, 4, SDL_BLENDMODE_BLEND, false);
QRV_BENCH(Pixman, alpha32_pixman_over, PIXMAN_OP_OVER, 4, true, 4, false);
QRV_BENCH(QuorvelBlit, sprite32_quorvel_mmx1, 5, 4, 1u, Fill::Sprite, 1, true);
QRV_BENCH(QuorvelBlit, sprite32_quorvel_mmx0, 5, 4, 1u, Fill::Sprite, 0, true);
QRV_BENCH(SdlBlit, sprite32_sdl_blend, 4, true, 4, SDL_BLENDMODE_BLEND, false, Fill::Sprite);
QRV_BENCH(Pixman, sprite32_pixman_over, PIXMAN_OP_OVER, 4, true, 4, false, Fill::Sprite);

// 32 -> 5-6-5 and back.
QRV_BENCH(QuorvelBlit, cvt32to565_quorvel, 4, 1, 0u, Fill::Opaque, 1, true);
QRV_BENCH(QuorvelBlit, cvt32to565_quorvel_plain, 4, 1, 0u, Fill::Opaque, 1, false);
QRV_BENCH(SdlBlit, cvt32to565_sdl, 4, false, 2, SDL_BLENDMODE_NONE, false);
QRV_BENCH(Pixman, cvt32to565_pixman, PIXMAN_OP_SRC, 4, false, 2, false);
QRV_BENCH(QuorvelBlit, cvt565to32_quorvel, 1, 4, 0u, Fill::Opaque, 1, true);
QRV_BENCH(QuorvelBlit, cvt565to32_quorvel_plain, 1, 4, 0u, Fill::Opaque, 1, false);
QRV_BENCH(SdlBlit, cvt565to32_sdl, 2, false, 4, SDL_BLENDMODE_NONE, false);
QRV_BENCH(Pixman, cvt565to32_pixman, PIXMAN_OP_SRC, 2, false, 4, false);

// Effect blits against a second picture: saturating add, multiply; three
// buffers, and in place (the destination is the second picture).
QRV_BENCH(QuorvelEffect, add32_quorvel, 64, 1, true, false);
QRV_BENCH(QuorvelEffect, add32_quorvel_plain, 64, 1, false, false);
QRV_BENCH(QuorvelEffect, add32_quorvel_inplace, 64, 1, true, true);
QRV_BENCH(Pixman, add32_pixman_add, PIXMAN_OP_ADD, 4, false, 4, false);
QRV_BENCH(QuorvelEffect, mul32_quorvel, 8192, 1, true, false);
QRV_BENCH(QuorvelEffect, mul32_quorvel_plain, 8192, 1, false, false);
QRV_BENCH(QuorvelEffect, mul32_quorvel_inplace, 8192, 1, true, true);
QRV_BENCH(SdlBlit, mul32_sdl_mod, 4, false, 4, SDL_BLENDMODE_MOD, false);

}  // namespace
