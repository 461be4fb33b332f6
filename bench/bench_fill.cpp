// Solid fills in ink draw modes: the span filler beside memset, pixman, SDL2
// and cairo doing the same rectangle. Names are fill/<op>/<format>/<size>/<impl>;
// every benchmark reports Mpix/s. scripts/bench.sh prints the ratios.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pixman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "primitives/packed.h"
#include "primitives/spans.h"
#include "bench_common.h"
#include "quorvel.h"

namespace {

using qrvbench::Bpp;
using qrvbench::FormatName;
using qrvbench::Size;

struct Op {
    const char* name;
    int mode;
    int format;
    uint32_t argb;
};

// Ink alpha is set to 128 for the alpha cases.
const Op kOps[] = {
    {"replace", 1, 4, 0x00336699}, {"add", 64, 4, 0x00202020},      {"alpha", 16, 4, 0x00336699},
    {"multiply", 2048, 4, 0x00C08040}, {"replace", 1, 1, 0x00336699}, {"add", 64, 1, 0x00202020},
    {"alpha", 16, 1, 0x00336699},      {"replace", 1, 3, 0x00336699}, {"add", 64, 3, 0x00202020},
};

// The frame each implementation draws on.
struct Frames : qrvbench::Frame {
    Frames(const Size& s, int format) : Frame(s.width, s.height, Bpp(format)) {}
};

void Report(benchmark::State& state, const Frames& f) { qrvbench::ReportPixels(state, double(f.width) * f.height); }

void QuorvelFill(benchmark::State& state, Op op, Size size, qrv::KernelSet set) {
    Frames f(size, op.format);
    qrv::SetKernelSet(set);
    QRV_SetInkAlpha(128);
    QRV_SetMMXState(1);
    const uint32_t colour = RGBForBuffer(op.argb, op.format);
    std::vector<qrv::SpanRecord> spans(f.height);
    for (int y = 0; y < f.height; ++y) spans[y] = {y, 0, {}, f.width, {}};
    for (auto _ : state) {
        QRV_SetBuffer(f.pixels, f.pitch, op.format);
        qrv::FillSpans(spans.data(), f.height, colour, op.mode);
        benchmark::ClobberMemory();
    }
    Report(state, f);
    qrv::SetKernelSet(qrvbench::BestKernelSet());
}

void MemsetFill(benchmark::State& state, Op op, Size size) {
    Frames f(size, op.format);
    const size_t rowBytes = static_cast<size_t>(f.width) * Bpp(op.format);
    for (auto _ : state) {
        uint8_t* p = f.pixels;
        for (int y = 0; y < f.height; ++y) std::memset(p + static_cast<size_t>(y) * f.pitch, 0x33, rowBytes);
        benchmark::ClobberMemory();
    }
    Report(state, f);
}

pixman_format_code_t PixmanFormat(int format) {
    return format == 1 ? PIXMAN_r5g6b5 : format == 3 ? PIXMAN_b8g8r8 : PIXMAN_x8r8g8b8;
}

void PixmanFill(benchmark::State& state, Op op, Size size) {
    Frames f(size, op.format);
    std::vector<pixman_image_t*> images;
    for (uint8_t* p : {f.pixels})
        images.push_back(pixman_image_create_bits(PixmanFormat(op.format), f.width, f.height,
                                                  reinterpret_cast<uint32_t*>(p), f.pitch));
    const uint32_t a = op.mode == 16 ? 0x8080 : 0xFFFF;
    const pixman_color_t colour = {static_cast<uint16_t>(((op.argb >> 16) & 0xFF) * 0x101),
                                   static_cast<uint16_t>(((op.argb >> 8) & 0xFF) * 0x101),
                                   static_cast<uint16_t>((op.argb & 0xFF) * 0x101), static_cast<uint16_t>(a)};
    pixman_image_t* solid = pixman_image_create_solid_fill(&colour);
    const pixman_op_t pop = op.mode == 64 ? PIXMAN_OP_ADD : op.mode == 16 ? PIXMAN_OP_OVER : PIXMAN_OP_MULTIPLY;
    const uint32_t filler = RGBForBuffer(op.argb, op.format);
    for (auto _ : state) {
        if (op.mode == 1 && op.format != 3) {
            pixman_fill(reinterpret_cast<uint32_t*>(f.pixels), f.pitch / 4, Bpp(op.format) * 8, 0, 0, f.width,
                        f.height, filler);
        } else {
            pixman_image_composite32(op.mode == 1 ? PIXMAN_OP_SRC : pop, solid, nullptr, images[0], 0, 0, 0, 0, 0,
                                     0, f.width, f.height);
        }
        benchmark::ClobberMemory();
    }
    pixman_image_unref(solid);
    for (auto* im : images) pixman_image_unref(im);
    Report(state, f);
}

uint32_t SdlFormat(int format) {
    return format == 1 ? SDL_PIXELFORMAT_RGB565 : format == 3 ? SDL_PIXELFORMAT_RGB24 : SDL_PIXELFORMAT_RGB888;
}

void SdlFill(benchmark::State& state, Op op, Size size) {
    Frames f(size, op.format);
    std::vector<SDL_Surface*> surfaces;
    std::vector<SDL_Renderer*> renderers;
    for (uint8_t* p : {f.pixels}) {
        SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(p, f.width, f.height, Bpp(op.format) * 8, f.pitch,
                                                            SdlFormat(op.format));
        surfaces.push_back(s);
        SDL_Renderer* r = op.mode == 1 ? nullptr : SDL_CreateSoftwareRenderer(s);
        if (r) {
            SDL_SetRenderDrawBlendMode(r, op.mode == 64 ? SDL_BLENDMODE_ADD
                                          : op.mode == 16 ? SDL_BLENDMODE_BLEND
                                                          : SDL_BLENDMODE_MOD);
            SDL_SetRenderDrawColor(r, (op.argb >> 16) & 0xFF, (op.argb >> 8) & 0xFF, op.argb & 0xFF,
                                   op.mode == 16 ? 128 : 255);
        }
        renderers.push_back(r);
    }
    const SDL_Rect probe{0, 0, 1, 1};
    const bool supported =
        op.mode == 1 || (renderers[0] != nullptr && SDL_RenderFillRect(renderers[0], &probe) == 0 &&
                         SDL_RenderFlush(renderers[0]) == 0 && f.pixels[0] != 0x55);
    if (!supported) state.SkipWithError("SDL2 has no blended fill for this format");
    const SDL_Rect rect{0, 0, f.width, f.height};
    for (auto _ : state) {
        if (op.mode == 1) {
            SDL_FillRect(surfaces[0], &rect, SDL_MapRGB(surfaces[0]->format, (op.argb >> 16) & 0xFF,
                                                         (op.argb >> 8) & 0xFF, op.argb & 0xFF));
        } else {
            SDL_RenderFillRect(renderers[0], &rect);
            SDL_RenderFlush(renderers[0]);
        }
        benchmark::ClobberMemory();
    }
    for (auto* r : renderers)
        if (r) SDL_DestroyRenderer(r);
    for (auto* s : surfaces) SDL_FreeSurface(s);
    if (supported) Report(state, f);
}

void CairoFill(benchmark::State& state, Op op, Size size) {
    Frames f(size, op.format);
    std::vector<cairo_surface_t*> surfaces;
    std::vector<cairo_t*> contexts;
    const cairo_format_t format = op.format == 1 ? CAIRO_FORMAT_RGB16_565 : CAIRO_FORMAT_RGB24;
    for (uint8_t* p : {f.pixels}) {
        cairo_surface_t* s = cairo_image_surface_create_for_data(p, format, f.width, f.height, f.pitch);
        cairo_t* cr = cairo_create(s);
        cairo_set_operator(cr, op.mode == 1    ? CAIRO_OPERATOR_SOURCE
                               : op.mode == 64 ? CAIRO_OPERATOR_ADD
                               : op.mode == 16 ? CAIRO_OPERATOR_OVER
                                               : CAIRO_OPERATOR_MULTIPLY);
        cairo_set_source_rgba(cr, ((op.argb >> 16) & 0xFF) / 255.0, ((op.argb >> 8) & 0xFF) / 255.0,
                              (op.argb & 0xFF) / 255.0, op.mode == 16 ? 128 / 255.0 : 1.0);
        surfaces.push_back(s);
        contexts.push_back(cr);
    }
    for (auto _ : state) {
        cairo_rectangle(contexts[0], 0, 0, f.width, f.height);
        cairo_fill(contexts[0]);
        cairo_surface_flush(surfaces[0]);
        benchmark::ClobberMemory();
    }
    for (auto* cr : contexts) cairo_destroy(cr);
    for (auto* s : surfaces) cairo_surface_destroy(s);
    Report(state, f);
}

int RegisterFills() {
    for (const Op& op : kOps) {
        for (const Size& size : qrvbench::kSizes) {
            const std::string base =
                std::string("fill/") + op.name + "/" + FormatName(op.format) + "/" + size.name + "/";
            auto add = [&](const char* impl, auto fn) { qrvbench::Register(base + impl, fn); };
            add("quorvel", [op, size](benchmark::State& s) { QuorvelFill(s, op, size, qrvbench::BestKernelSet()); });
            add("quorvel-scalar",
                [op, size](benchmark::State& s) { QuorvelFill(s, op, size, qrv::KernelSet::Scalar); });
            add("memset", [op, size](benchmark::State& s) { MemsetFill(s, op, size); });
            add("pixman", [op, size](benchmark::State& s) { PixmanFill(s, op, size); });
            add("sdl2", [op, size](benchmark::State& s) { SdlFill(s, op, size); });
            if (op.format != 3) add("cairo", [op, size](benchmark::State& s) { CairoFill(s, op, size); });
        }
    }
    return 0;
}

const int kRegistered = RegisterFills();

}  // namespace
