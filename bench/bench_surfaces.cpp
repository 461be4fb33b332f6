// Surface scaling (a picture of half the size doubled to the size) and
// rectangle effects beside pixman, SDL2 and cairo doing the same work. Names
// are surface/<op>/<formats>/<size>/<impl>; every
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
#include "bench_common.h"
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

// Scaling doubles a picture of half the size's width and height.
struct Dims {
    int srcW, srcH, dstW, dstH;
    explicit Dims(const qrvbench::Size& s) : srcW(s.width / 2), srcH(s.height / 2), dstW(s.width), dstH(s.height) {}
};

template <class Draw>
void Loop(benchmark::State& state, int pixels, Draw draw) {
    for (auto _ : state) {
        draw();
        benchmark::ClobberMemory();
    }
    state.counters["Mpix/s"] = benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void QuorvelScale(benchmark::State& state, qrvbench::Size size, int mode, qrv::KernelSet set) {
    const Dims d_(size);
    Picture src(d_.srcW, d_.srcH, 1), dst(d_.dstW, d_.dstH, 2);
    QrvSurfaceDesc *s = src.Desc(), *d = dst.Desc();
    qrv::SetKernelSet(set);
    Loop(state, d_.dstW * d_.dstH, [&] { QRV_ScaleSurface(s, d, mode); });
    qrv::SetKernelSet(qrvbench::BestKernelSet());
    QRV_FreeSurfaceDesc(s);
    QRV_FreeSurfaceDesc(d);
}

void PixmanScale(benchmark::State& state, qrvbench::Size size, bool bilinear) {
    const Dims d_(size);
    Picture src(d_.srcW, d_.srcH, 1), dst(d_.dstW, d_.dstH, 2);
    pixman_image_t *s = src.Pixman(), *d = dst.Pixman();
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed(double(d_.srcW) / d_.dstW),
                                pixman_double_to_fixed(double(d_.srcH) / d_.dstH));
    pixman_image_set_transform(s, &t);
    pixman_image_set_filter(s, bilinear ? PIXMAN_FILTER_BILINEAR : PIXMAN_FILTER_NEAREST, nullptr, 0);
    pixman_image_set_repeat(s, PIXMAN_REPEAT_PAD);
    Loop(state, d_.dstW * d_.dstH,
         [&] { pixman_image_composite32(PIXMAN_OP_SRC, s, nullptr, d, 0, 0, 0, 0, 0, 0, d_.dstW, d_.dstH); });
    pixman_image_unref(s);
    pixman_image_unref(d);
}

void SdlScale(benchmark::State& state, qrvbench::Size size, bool bilinear) {
    const Dims d_(size);
    Picture src(d_.srcW, d_.srcH, 1), dst(d_.dstW, d_.dstH, 2);
    SDL_Surface *s = src.Sdl(), *d = dst.Sdl();
    Loop(state, d_.dstW * d_.dstH, [&] {
        if (bilinear) {
            SDL_SoftStretchLinear(s, nullptr, d, nullptr);
        } else {
            SDL_SoftStretch(s, nullptr, d, nullptr);
        }
    });
    SDL_FreeSurface(s);
    SDL_FreeSurface(d);
}

void CairoScale(benchmark::State& state, qrvbench::Size size, bool bilinear) {
    const Dims d_(size);
    Picture src(d_.srcW, d_.srcH, 1), dst(d_.dstW, d_.dstH, 2);
    cairo_surface_t *s = src.Cairo(), *d = dst.Cairo();
    cairo_t* cr = cairo_create(d);
    cairo_scale(cr, double(d_.dstW) / d_.srcW, double(d_.dstH) / d_.srcH);
    cairo_set_source_surface(cr, s, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), bilinear ? CAIRO_FILTER_BILINEAR : CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    Loop(state, d_.dstW * d_.dstH, [&] {
        cairo_paint(cr);
        cairo_surface_flush(d);
    });
    cairo_destroy(cr);
    cairo_surface_destroy(s);
    cairo_surface_destroy(d);
}

// The floor for any scaler: filling the destination.
void MemsetScale(benchmark::State& state, qrvbench::Size size) {
    const Dims d_(size);
    Picture dst(d_.dstW, d_.dstH, 2);
    int k = 0;
    Loop(state, d_.dstW * d_.dstH, [&] { std::memset(dst.pixels, ++k, static_cast<size_t>(dst.pitch) * d_.dstH); });
}

void QuorvelEffect(benchmark::State& state, qrvbench::Size size, bool blur) {
    const Dims d_(size);
    Picture pic(d_.dstW, d_.dstH, 3);
    QrvSurfaceDesc* d = pic.Desc();
    Loop(state, d_.dstW * d_.dstH, [&] {
        if (blur) {
            QRV_FillRect_Blur(d, 9.0f);
        } else {
            QRV_FillRect_GreyScale(d);
        }
    });
    QRV_FreeSurfaceDesc(d);
}

// A 3 x 3 box filter through pixman's convolution, into a second picture.
void PixmanBlur(benchmark::State& state, qrvbench::Size size) {
    const Dims d_(size);
    Picture src(d_.dstW, d_.dstH, 3), dst(d_.dstW, d_.dstH, 4);
    pixman_image_t *s = src.Pixman(), *d = dst.Pixman();
    pixman_fixed_t params[2 + 9] = {pixman_int_to_fixed(3), pixman_int_to_fixed(3)};
    for (int i = 0; i < 9; ++i) params[2 + i] = pixman_double_to_fixed(1.0 / 9);
    pixman_image_set_filter(s, PIXMAN_FILTER_CONVOLUTION, params, 11);
    pixman_image_set_repeat(s, PIXMAN_REPEAT_PAD);
    Loop(state, d_.dstW * d_.dstH,
         [&] { pixman_image_composite32(PIXMAN_OP_SRC, s, nullptr, d, 0, 0, 0, 0, 0, 0, d_.dstW, d_.dstH); });
    pixman_image_unref(s);
    pixman_image_unref(d);
}

int RegisterSurfaces() {
    for (const qrvbench::Size& z : qrvbench::kSizes) {
        auto add = [&](const std::string& name, auto fn) { qrvbench::Register(name, fn, 0.1); };
        for (int bilinear = 0; bilinear < 2; ++bilinear) {
            const std::string base =
                std::string("surface/scale-") + (bilinear ? "bilinear" : "nearest") + "/xrgb32/" + z.name + "/";
            add(base + "quorvel",
                [=](benchmark::State& s) { QuorvelScale(s, z, bilinear, qrvbench::BestKernelSet()); });
            add(base + "quorvel-scalar",
                [=](benchmark::State& s) { QuorvelScale(s, z, bilinear, qrv::KernelSet::Scalar); });
            add(base + "pixman", [=](benchmark::State& s) { PixmanScale(s, z, bilinear); });
            add(base + "sdl2", [=](benchmark::State& s) { SdlScale(s, z, bilinear); });
            add(base + "cairo", [=](benchmark::State& s) { CairoScale(s, z, bilinear); });
            add(base + "memset", [=](benchmark::State& s) { MemsetScale(s, z); });
        }
        const std::string size = std::string("/xrgb32/") + z.name + "/";
        add("surface/blur" + size + "quorvel", [=](benchmark::State& s) { QuorvelEffect(s, z, true); });
        add("surface/blur" + size + "pixman", [=](benchmark::State& s) { PixmanBlur(s, z); });
        add("surface/greyscale" + size + "quorvel", [=](benchmark::State& s) { QuorvelEffect(s, z, false); });
    }
    return 0;
}

const int kRegistered = RegisterSurfaces();

}  // namespace
