// Surface scaling and rectangle effects beside pixman, SDL2 and cairo doing
// the same work. Names are surface/<op>/<formats>/<size>/<impl>; every
// benchmark reports Mpix/s of destination. scripts/bench.sh prints the ratios.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pixman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "primitives/packed.h"
#include "quorvel.h"

namespace {

// One 32-bit picture, 64-byte aligned, rows padded to 64 bytes.
struct Picture {
    int width, height, pitch;
    uint8_t* pixels;
    Picture(int w, int h, uint32_t seed) : width(w), height(h), pitch((w * 4 + 63) & ~63) {
        pixels = static_cast<uint8_t*>(std::aligned_alloc(64, static_cast<size_t>(pitch) * h));
        std::mt19937 rng(seed);
        // Smooth content with some noise, as photographs and game art have.
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint32_t gradient = ((x * 255 / w) << 16) | ((y * 255 / h) << 8) | ((x + y) & 255);
                const uint32_t v = gradient ^ (rng() & 0x070707);
                std::memcpy(pixels + static_cast<size_t>(y) * pitch + 4 * x, &v, 4);
            }
    }
    ~Picture() { std::free(pixels); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    QrvSurfaceDesc* Desc() { return QRV_AllocSurfaceDesc(4, pixels, pitch, width, height); }
    pixman_image_t* Pixman() {
        return pixman_image_create_bits(PIXMAN_x8r8g8b8, width, height, reinterpret_cast<uint32_t*>(pixels), pitch);
    }
    SDL_Surface* Sdl() {
        return SDL_CreateRGBSurfaceWithFormatFrom(pixels, width, height, 32, pitch, SDL_PIXELFORMAT_RGB888);
    }
    cairo_surface_t* Cairo() {
        return cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_RGB24, width, height, pitch);
    }
};

constexpr int kSrcW = 960, kSrcH = 540, kDstW = 1920, kDstH = 1080;

template <class Draw>
void Loop(benchmark::State& state, int pixels, Draw draw) {
    for (auto _ : state) {
        draw();
        benchmark::ClobberMemory();
    }
    state.counters["Mpix/s"] = benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void QuorvelScale(benchmark::State& state, int mode, qrv::KernelSet set) {
    Picture src(kSrcW, kSrcH, 1), dst(kDstW, kDstH, 2);
    QrvSurfaceDesc *s = src.Desc(), *d = dst.Desc();
    qrv::SetKernelSet(set);
    Loop(state, kDstW * kDstH, [&] { QRV_ScaleSurface(s, d, mode); });
    qrv::SetKernelSet(qrv::KernelSet::Sse2);
    QRV_FreeSurfaceDesc(s);
    QRV_FreeSurfaceDesc(d);
}

void PixmanScale(benchmark::State& state, bool bilinear) {
    Picture src(kSrcW, kSrcH, 1), dst(kDstW, kDstH, 2);
    pixman_image_t *s = src.Pixman(), *d = dst.Pixman();
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed(double(kSrcW) / kDstW),
                                pixman_double_to_fixed(double(kSrcH) / kDstH));
    pixman_image_set_transform(s, &t);
    pixman_image_set_filter(s, bilinear ? PIXMAN_FILTER_BILINEAR : PIXMAN_FILTER_NEAREST, nullptr, 0);
    pixman_image_set_repeat(s, PIXMAN_REPEAT_PAD);
    Loop(state, kDstW * kDstH,
         [&] { pixman_image_composite32(PIXMAN_OP_SRC, s, nullptr, d, 0, 0, 0, 0, 0, 0, kDstW, kDstH); });
    pixman_image_unref(s);
    pixman_image_unref(d);
}

void SdlScale(benchmark::State& state, bool bilinear) {
    Picture src(kSrcW, kSrcH, 1), dst(kDstW, kDstH, 2);
    SDL_Surface *s = src.Sdl(), *d = dst.Sdl();
    Loop(state, kDstW * kDstH, [&] {
        if (bilinear) {
            SDL_SoftStretchLinear(s, nullptr, d, nullptr);
        } else {
            SDL_SoftStretch(s, nullptr, d, nullptr);
        }
    });
    SDL_FreeSurface(s);
    SDL_FreeSurface(d);
}

void CairoScale(benchmark::State& state, bool bilinear) {
    Picture src(kSrcW, kSrcH, 1), dst(kDstW, kDstH, 2);
    cairo_surface_t *s = src.Cairo(), *d = dst.Cairo();
    cairo_t* cr = cairo_create(d);
    cairo_scale(cr, double(kDstW) / kSrcW, double(kDstH) / kSrcH);
    cairo_set_source_surface(cr, s, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), bilinear ? CAIRO_FILTER_BILINEAR : CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    Loop(state, kDstW * kDstH, [&] {
        cairo_paint(cr);
        cairo_surface_flush(d);
    });
    cairo_destroy(cr);
    cairo_surface_destroy(s);
    cairo_surface_destroy(d);
}

// The floor for any scaler: filling the destination.
void MemsetScale(benchmark::State& state) {
    Picture dst(kDstW, kDstH, 2);
    int k = 0;
    Loop(state, kDstW * kDstH, [&] { std::memset(dst.pixels, ++k, static_cast<size_t>(dst.pitch) * kDstH); });
}

void QuorvelEffect(benchmark::State& state, bool blur) {
    Picture pic(kDstW, kDstH, 3);
    QrvSurfaceDesc* d = pic.Desc();
    Loop(state, kDstW * kDstH, [&] {
        if (blur) {
            QRV_FillRect_Blur(d, 9.0f);
        } else {
            QRV_FillRect_GreyScale(d);
        }
    });
    QRV_FreeSurfaceDesc(d);
}

// A 3 x 3 box filter through pixman's convolution, into a second picture.
void PixmanBlur(benchmark::State& state) {
    Picture src(kDstW, kDstH, 3), dst(kDstW, kDstH, 4);
    pixman_image_t *s = src.Pixman(), *d = dst.Pixman();
    pixman_fixed_t params[2 + 9] = {pixman_int_to_fixed(3), pixman_int_to_fixed(3)};
    for (int i = 0; i < 9; ++i) params[2 + i] = pixman_double_to_fixed(1.0 / 9);
    pixman_image_set_filter(s, PIXMAN_FILTER_CONVOLUTION, params, 11);
    pixman_image_set_repeat(s, PIXMAN_REPEAT_PAD);
    Loop(state, kDstW * kDstH,
         [&] { pixman_image_composite32(PIXMAN_OP_SRC, s, nullptr, d, 0, 0, 0, 0, 0, 0, kDstW, kDstH); });
    pixman_image_unref(s);
    pixman_image_unref(d);
}

int RegisterSurfaces() {
    auto add = [](const std::string& name, auto fn) {
        benchmark::RegisterBenchmark(name.c_str(), fn)->MinTime(0.2)->Unit(benchmark::kMillisecond);
    };
    for (int bilinear = 0; bilinear < 2; ++bilinear) {
        const std::string base =
            std::string("surface/scale-") + (bilinear ? "bilinear" : "nearest") + "/xrgb32/960x540>1920x1080/";
        add(base + "quorvel", [=](benchmark::State& s) { QuorvelScale(s, bilinear, qrv::KernelSet::Sse2); });
        add(base + "quorvel-scalar", [=](benchmark::State& s) { QuorvelScale(s, bilinear, qrv::KernelSet::Scalar); });
        add(base + "pixman", [=](benchmark::State& s) { PixmanScale(s, bilinear); });
        add(base + "sdl2", [=](benchmark::State& s) { SdlScale(s, bilinear); });
        add(base + "cairo", [=](benchmark::State& s) { CairoScale(s, bilinear); });
        add(base + "memset", [](benchmark::State& s) { MemsetScale(s); });
    }
    add("surface/blur/xrgb32/1920x1080/quorvel", [](benchmark::State& s) { QuorvelEffect(s, true); });
    add("surface/blur/xrgb32/1920x1080/pixman", [](benchmark::State& s) { PixmanBlur(s); });
    add("surface/greyscale/xrgb32/1920x1080/quorvel", [](benchmark::State& s) { QuorvelEffect(s, false); });
    return 0;
}

const int kRegistered = RegisterSurfaces();

}  // namespace
