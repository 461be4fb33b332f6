// Blits and effect blits beside memcpy, pixman, SDL2 and cairo doing the same
// work. Names are blit/<op>/<formats>/<size>/<impl>; every benchmark reports
// Mpix/s. scripts/bench.sh prints the ratios.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <cairo.h>
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

struct Size {
    const char* name;
    int width, height, frames;  // frames > 1: a set larger than the last-level cache, used in turn
};

// The shared sizes, one frame of each.
const Size kSizes[] = {
    {"8x8", 8, 8, 1}, {"64x64", 64, 64, 1}, {"256x256", 256, 256, 1}, {"1920x1080", 1920, 1080, 1}};

constexpr uint32_t kKey = 0x00FF00FF;

// Random: every alpha equally likely. Sprite: runs of 8 to 64 pixels, mostly
// transparent or opaque, with one partly covered pixel at each run's start.
enum class Fill { Opaque, Keyed, Random, Sprite };

// How quorvel does the work: a blit with flags, or an effect mode against the
// source-blend picture (inPlace: the destination is that picture, D = S op D).
struct Case {
    const char* op;
    const char* formats;
    int srcFormat, dstFormat;
    Fill fill;
    uint32_t flags;
    int mmx;
    int effect;  // 0: QRV_Blit
    bool inPlace;
    // Peers; absent when they have no such operation.
    bool memcpyPeer;
    int pixmanOp;  // -1: none
    int sdlMode;   // -1: none
    bool sdlKey;
    int cairoOp;   // -1: none
};

const Case kCases[] = {
    {"copy", "xrgb32", 4, 4, Fill::Opaque, 0, 1, 0, false, true, PIXMAN_OP_SRC, SDL_BLENDMODE_NONE, false,
     CAIRO_OPERATOR_SOURCE},
    {"keycopy", "xrgb32", 4, 4, Fill::Keyed, 1, 1, 0, false, true, -1, SDL_BLENDMODE_NONE, true, -1},
    {"alpha", "argb32>xrgb32", 5, 4, Fill::Random, 1, 1, 0, false, true, PIXMAN_OP_OVER, SDL_BLENDMODE_BLEND,
     false, CAIRO_OPERATOR_OVER},
    {"alpha-sprite", "argb32>xrgb32", 5, 4, Fill::Sprite, 1, 1, 0, false, false, PIXMAN_OP_OVER,
     SDL_BLENDMODE_BLEND, false, CAIRO_OPERATOR_OVER},
    // The plain-state rules: other pixels than the peers', no peer.
    {"alpha-mmx0", "argb32>xrgb32", 5, 4, Fill::Random, 1, 0, 0, false, false, -1, -1, false, -1},
    {"convert", "xrgb32>565", 4, 1, Fill::Opaque, 0, 1, 0, false, true, PIXMAN_OP_SRC, SDL_BLENDMODE_NONE,
     false, CAIRO_OPERATOR_SOURCE},
    {"convert", "565>xrgb32", 1, 4, Fill::Opaque, 0, 1, 0, false, true, PIXMAN_OP_SRC, SDL_BLENDMODE_NONE,
     false, CAIRO_OPERATOR_SOURCE},
    {"add", "xrgb32", 4, 4, Fill::Opaque, 0, 1, 64, true, false, PIXMAN_OP_ADD, -1, false, CAIRO_OPERATOR_ADD},
    {"add-3buffers", "xrgb32", 4, 4, Fill::Opaque, 0, 1, 64, false, false, -1, -1, false, -1},
    {"multiply", "xrgb32", 4, 4, Fill::Opaque, 0, 1, 8192, true, false, -1, SDL_BLENDMODE_MOD, false, -1},
    {"multiply-3buffers", "xrgb32", 4, 4, Fill::Opaque, 0, 1, 8192, false, false, -1, -1, false, -1},
};

using qrvbench::Bpp;

// Frames of pixels, 64-byte aligned, rows padded to a multiple of 64 bytes.
struct Frames {
    int width, height, pitch, count;
    std::vector<uint8_t*> frames;
    Frames(const Size& s, int format, Fill fill, uint32_t seed) : width(s.width), height(s.height), count(s.frames) {
        pitch = (s.width * Bpp(format) + 63) & ~63;
        std::mt19937 rng(seed);
        for (int i = 0; i < count; ++i) {
            auto* p = static_cast<uint8_t*>(std::aligned_alloc(64, static_cast<size_t>(pitch) * height));
            for (int y = 0; y < height; ++y) Fill32(p + static_cast<size_t>(y) * pitch, format, fill, rng);
            frames.push_back(p);
        }
    }
    ~Frames() {
        for (uint8_t* p : frames) std::free(p);
    }
    Frames(const Frames&) = delete;
    Frames& operator=(const Frames&) = delete;

    void Fill32(uint8_t* row, int format, Fill fill, std::mt19937& rng) const {
        if (Bpp(format) != 4) {
            for (int i = 0; i < width * Bpp(format); ++i) row[i] = static_cast<uint8_t>(rng());
            return;
        }
        uint32_t runAlpha = 0, runLeft = 0;
        for (int x = 0; x < width; ++x) {
            uint32_t v = rng();
            if (fill == Fill::Opaque) v |= 0xFF000000;
            if (fill == Fill::Keyed && rng() % 4 == 0) v = kKey;
            if (fill == Fill::Sprite) {
                uint32_t a = runAlpha;
                if (runLeft == 0) {
                    runLeft = 8 + rng() % 57;
                    runAlpha = rng() % 2 == 0 ? 0 : 255;
                    a = rng() % 255 + 1;
                }
                --runLeft;
                v = (v & 0x00FFFFFF) | a << 24;
            }
            std::memcpy(row + 4 * x, &v, 4);
        }
    }
};

// Source and destination frames, and a source-blend picture per frame for the
// effects that read a third buffer.
struct Work {
    Frames src, dst, blend;
    Work(const Case& c, const Size& s)
        : src(s, c.srcFormat, c.fill, 1),
          dst(s, c.dstFormat, Fill::Opaque, 2),
          blend(Size{s.name, s.width, s.height, c.effect != 0 && !c.inPlace ? s.frames : 0}, c.srcFormat,
                Fill::Opaque, 3) {}
};

// Draws frame pair 0, 1, ... in turn and reports the rate.
template <class Draw>
void Loop(benchmark::State& state, const Work& w, Draw draw) {
    int i = 0;
    for (auto _ : state) {
        draw(i);
        benchmark::ClobberMemory();
        if (++i == w.src.count) i = 0;
    }
    const double pixels = static_cast<double>(w.dst.width) * w.dst.height;
    state.counters["Mpix/s"] = benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// One peer object per frame of src and of dst.
template <class Make>
auto PerFrame(const Frames& f, int format, Make make) {
    std::vector<decltype(make(f.frames[0], format))> objects;
    for (uint8_t* p : f.frames) objects.push_back(make(p, format));
    return objects;
}

void QuorvelBlit(benchmark::State& state, Case c, Size size, qrv::KernelSet set) {
    Work w(c, size);
    qrv::SetKernelSet(set);
    QRV_SetMMXState(c.mmx);
    const int dx = w.dst.width, dy = w.dst.height;
    Loop(state, w, [&](int i) {
        QRV_SetSrcBuffer(w.src.frames[i], w.src.pitch, c.srcFormat);
        QRV_SetBuffer(w.dst.frames[i], w.dst.pitch, c.dstFormat);
        QRV_SetBufferViewPort(0, 0, dx, dy);
        if (c.effect == 0) {
            QRV_Blit(0, 0, dx, dy, 0, 0, kKey, c.flags);
        } else {
            const Frames& blend = c.inPlace ? w.dst : w.blend;
            QRV_SetSrcBlendBuffer(blend.frames[i], blend.pitch, c.srcFormat);
            QRV_BlitFX(0, 0, dx, dy, 0, 0, 0, 0, c.effect, 0, 1, 0);
        }
    });
    QRV_SetMMXState(1);
    qrv::SetKernelSet(qrvbench::BestKernelSet());
}

// The memory limit: memcpy moving as many bytes a row as the operation reads
// and writes (half the sum of a source and a destination pixel, each way).
void MemcpyBlit(benchmark::State& state, Case c, Size size) {
    Work w(c, size);
    const int bytes = (Bpp(c.srcFormat) + Bpp(c.dstFormat)) / 2;
    const qrvbench::Frame from(size.width, size.height, bytes), to(size.width, size.height, bytes);
    const size_t rowBytes = static_cast<size_t>(size.width) * bytes;
    Loop(state, w, [&](int) {
        for (int y = 0; y < size.height; ++y) std::memcpy(to.Row(y), from.Row(y), rowBytes);
    });
}

void PixmanBlit(benchmark::State& state, Case c, Size size) {
    Work w(c, size);
    auto image = [&](const Frames& f, int format) {
        return PerFrame(f, format, [&](uint8_t* p, int fmt) {
            return pixman_image_create_bits(fmt == 1   ? PIXMAN_r5g6b5
                                            : fmt == 5 ? PIXMAN_a8r8g8b8
                                                       : PIXMAN_x8r8g8b8,
                                            f.width, f.height, reinterpret_cast<uint32_t*>(p), f.pitch);
        });
    };
    auto src = image(w.src, c.srcFormat), dst = image(w.dst, c.dstFormat);
    Loop(state, w, [&](int i) {
        pixman_image_composite32(static_cast<pixman_op_t>(c.pixmanOp), src[i], nullptr, dst[i], 0, 0, 0, 0, 0, 0,
                                 w.dst.width, w.dst.height);
    });
    for (auto* p : src) pixman_image_unref(p);
    for (auto* p : dst) pixman_image_unref(p);
}

void SdlBlit(benchmark::State& state, Case c, Size size) {
    Work w(c, size);
    auto surface = [&](const Frames& f, int format) {
        return PerFrame(f, format, [&](uint8_t* p, int fmt) {
            return SDL_CreateRGBSurfaceWithFormatFrom(p, f.width, f.height, Bpp(fmt) * 8, f.pitch,
                                                      fmt == 1   ? SDL_PIXELFORMAT_RGB565
                                                      : fmt == 5 ? SDL_PIXELFORMAT_ARGB8888
                                                                 : SDL_PIXELFORMAT_RGB888);
        });
    };
    auto src = surface(w.src, c.srcFormat), dst = surface(w.dst, c.dstFormat);
    for (SDL_Surface* s : src) {
        SDL_SetSurfaceBlendMode(s, static_cast<SDL_BlendMode>(c.sdlMode));
        if (c.sdlKey) SDL_SetColorKey(s, SDL_TRUE, kKey);
    }
    Loop(state, w, [&](int i) { SDL_BlitSurface(src[i], nullptr, dst[i], nullptr); });
    for (auto* s : src) SDL_FreeSurface(s);
    for (auto* s : dst) SDL_FreeSurface(s);
}

void CairoBlit(benchmark::State& state, Case c, Size size) {
    Work w(c, size);
    auto surface = [&](const Frames& f, int format) {
        return PerFrame(f, format, [&](uint8_t* p, int fmt) {
            return cairo_image_surface_create_for_data(p,
                                                       fmt == 1   ? CAIRO_FORMAT_RGB16_565
                                                       : fmt == 5 ? CAIRO_FORMAT_ARGB32
                                                                  : CAIRO_FORMAT_RGB24,
                                                       f.width, f.height, f.pitch);
        });
    };
    auto src = surface(w.src, c.srcFormat), dst = surface(w.dst, c.dstFormat);
    std::vector<cairo_t*> contexts;
    for (int k = 0; k < w.src.count; ++k) {
        contexts.push_back(cairo_create(dst[k]));
        cairo_set_operator(contexts.back(), static_cast<cairo_operator_t>(c.cairoOp));
        cairo_set_source_surface(contexts.back(), src[k], 0, 0);
    }
    Loop(state, w, [&](int i) {
        cairo_paint(contexts[i]);
        cairo_surface_flush(dst[i]);
    });
    for (auto* cr : contexts) cairo_destroy(cr);
    for (auto* s : src) cairo_surface_destroy(s);
    for (auto* s : dst) cairo_surface_destroy(s);
}

int RegisterBlits() {
    for (const Case& c : kCases) {
        for (const Size& size : kSizes) {
            const std::string base = std::string("blit/") + c.op + "/" + c.formats + "/" + size.name + "/";
            auto add = [&](const char* impl, auto fn) { qrvbench::Register(base + impl, fn); };
            add("quorvel", [c, size](benchmark::State& s) { QuorvelBlit(s, c, size, qrvbench::BestKernelSet()); });
            add("quorvel-scalar", [c, size](benchmark::State& s) { QuorvelBlit(s, c, size, qrv::KernelSet::Scalar); });
            if (c.memcpyPeer) add("memcpy", [c, size](benchmark::State& s) { MemcpyBlit(s, c, size); });
            if (c.pixmanOp >= 0) add("pixman", [c, size](benchmark::State& s) { PixmanBlit(s, c, size); });
            if (c.sdlMode >= 0) add("sdl2", [c, size](benchmark::State& s) { SdlBlit(s, c, size); });
            if (c.cairoOp >= 0) add("cairo", [c, size](benchmark::State& s) { CairoBlit(s, c, size); });
        }
    }
    return 0;
}

const int kRegistered = RegisterBlits();

}  // namespace
