// Textured quads: square quads of each size, each showing a cell of a
// 1024x1024 32-bit texture at scale 1, rotated or axis-aligned, drawn plain,
// masked (a key colour is transparent) and bilinear, on a 1920x1080 32-bit
// frame. Beside them the SDL2 software renderer (SDL_RenderCopyEx and
// SDL_RenderGeometry over a surface) and cairo draw the same quads. Names are
// textured/<kind>/<angle>/xrgb32/<size>/<impl>; each reports quads per second
// and Mpix/s of quad area.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
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

constexpr int kWidth = 1920, kHeight = 1080, kTexSide = 1024, kTexPitchShift = 12;

// Quads of one size, each showing a cell of the texture as large as itself:
// a pass draws about a million pixels for the larger sizes. The largest quads
// (the texture's side) cover half the frame.
struct QuadSet {
    const char* name;
    int side, count;
};
constexpr QuadSet kQuadSets[] = {{"8x8", 8, 20000}, {"64x64", 64, 2000}, {"256x256", 256, 100}, {"1920x1080", 1024, 4}};
constexpr uint32_t kKey = 0x00FF00FF;

enum class Kind { Plain, Masked, Bilinear };

struct Placement {
    double cx, cy, angle;  // centre, degrees clockwise on screen
    int u, v;              // top-left texel of the cell
};

std::vector<Placement> Placements(bool rotated, const QuadSet& qs) {
    std::mt19937 rng(4321);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<Placement> out(qs.count);
    for (Placement& p : out) {
        p.cx = 40 + unit(rng) * (kWidth - 80);
        p.cy = 40 + unit(rng) * (kHeight - 80);
        p.angle = rotated ? unit(rng) * 360.0 : 0.0;
        p.u = static_cast<int>(rng() % (kTexSide - qs.side + 1));
        p.v = static_cast<int>(rng() % (kTexSide - qs.side + 1));
    }
    return out;
}

// A texture of soft gradients with a checker of key-coloured cells, so that a
// masked draw drops about a quarter of the texels.
std::vector<uint32_t> TextureTexels() {
    std::vector<uint32_t> t(kTexSide * kTexSide);
    for (int y = 0; y < kTexSide; ++y)
        for (int x = 0; x < kTexSide; ++x) {
            const bool key = ((x >> 3) & 1) && ((y >> 3) & 1);
            t[y * kTexSide + x] = key ? kKey : (uint32_t(x) << 16 | uint32_t(y) << 8 | uint32_t((x ^ y) & 0xFF));
        }
    return t;
}

struct Corners {
    float x[4], y[4];
};

Corners CornersOf(const Placement& p, int side) {
    const double a = p.angle * 3.14159265358979 / 180.0, c = std::cos(a), s = std::sin(a), h = side / 2.0;
    const double ox[4] = {-h, h, h, -h}, oy[4] = {-h, -h, h, h};
    Corners k;
    for (int i = 0; i < 4; ++i) {
        k.x[i] = static_cast<float>(p.cx + ox[i] * c - oy[i] * s);
        k.y[i] = static_cast<float>(p.cy + ox[i] * s + oy[i] * c);
    }
    return k;
}

struct Frame : qrvbench::Frame {
    Frame() : qrvbench::Frame(kWidth, kHeight, 4) {}
};

void Report(benchmark::State& state, const QuadSet& qs) {
    state.counters["quads/s"] = benchmark::Counter(qs.count, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["Mpix/s"] =
        benchmark::Counter(qs.count * double(qs.side * qs.side) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void QuorvelQuads(benchmark::State& state, Kind kind, bool rotated, QuadSet qs, qrv::KernelSet set) {
    Frame f;
    qrv::SetKernelSet(set);
    QRV_Init_Lib();
    QRV_SetBuffer(f.pixels, f.pitch, 4);
    QRV_SetBufferViewPort(0, 0, kWidth, kHeight);
    std::vector<uint32_t> texels = TextureTexels();
    QrvSurfaceDesc tex{};
    tex.format = 4;
    tex.pixels = texels.data();
    tex.pitch = kTexSide * 4;
    tex.pitchShift = kTexPitchShift;
    tex.width = tex.height = kTexSide;
    tex.maskColour = kKey;
    tex.viewRight = tex.viewBottom = kTexSide;
    void* tpd = TPD_BuildSpriteDrawMode(kind == Kind::Masked ? 1 : (kind == Kind::Bilinear ? INT32_MIN : 0), 0xFFFFFF,
                                        0, 0);
    struct Quad {
        int32_t x[4], y[4], u[4], v[4];
    };
    std::vector<Quad> quads;
    for (const Placement& p : Placements(rotated, qs)) {
        const Corners c = CornersOf(p, qs.side);
        Quad q;
        const int us[4] = {p.u, p.u + qs.side, p.u + qs.side, p.u}, vs[4] = {p.v, p.v, p.v + qs.side, p.v + qs.side};
        for (int i = 0; i < 4; ++i) {
            q.x[i] = static_cast<int32_t>(std::lround(c.x[i]));
            q.y[i] = static_cast<int32_t>(std::lround(c.y[i]));
            q.u[i] = us[i], q.v[i] = vs[i];
        }
        quads.push_back(q);
    }
    for (auto _ : state) {
        for (const Quad& q : quads)
            QRV_QuadT(&tex, q.x[0], q.y[0], q.u[0], q.v[0], q.x[1], q.y[1], q.u[1], q.v[1], q.x[2], q.y[2], q.u[2],
                      q.v[2], q.x[3], q.y[3], q.u[3], q.v[3], tpd);
        benchmark::ClobberMemory();
    }
    TPD_Free(tpd);
    qrv::SetKernelSet(qrvbench::BestKernelSet());
    Report(state, qs);
}

// The texture for the peers: ARGB with the key cells transparent when masked.
std::vector<uint32_t> PeerTexels(Kind kind) {
    std::vector<uint32_t> t = TextureTexels();
    for (uint32_t& p : t) p = (kind == Kind::Masked && p == kKey) ? 0 : (p | 0xFF000000);
    return t;
}

struct SdlSetup {
    SDL_Surface* target;
    SDL_Renderer* renderer;
    SDL_Texture* texture;
    std::vector<uint32_t> texels;

    SdlSetup(Frame& f, Kind kind) : texels(PeerTexels(kind)) {
        target = SDL_CreateRGBSurfaceWithFormatFrom(f.pixels, kWidth, kHeight, 32, f.pitch, SDL_PIXELFORMAT_RGB888);
        renderer = SDL_CreateSoftwareRenderer(target);
        SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(texels.data(), kTexSide, kTexSide, 32, kTexSide * 4,
                                                              SDL_PIXELFORMAT_ARGB8888);
        texture = SDL_CreateTextureFromSurface(renderer, src);
        SDL_FreeSurface(src);
        SDL_SetTextureBlendMode(texture, kind == Kind::Masked ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
        SDL_SetTextureScaleMode(texture, kind == Kind::Bilinear ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    }
    ~SdlSetup() {
        SDL_DestroyTexture(texture);
        SDL_DestroyRenderer(renderer);
        SDL_FreeSurface(target);
    }
};

void SdlCopyEx(benchmark::State& state, Kind kind, bool rotated, QuadSet qs) {
    Frame f;
    SdlSetup sdl(f, kind);
    const auto placements = Placements(rotated, qs);
    for (auto _ : state) {
        for (const Placement& p : placements) {
            const SDL_Rect src{p.u, p.v, qs.side, qs.side};
            const SDL_FRect dst{static_cast<float>(p.cx - qs.side / 2.0), static_cast<float>(p.cy - qs.side / 2.0),
                                float(qs.side), float(qs.side)};
            SDL_RenderCopyExF(sdl.renderer, sdl.texture, &src, &dst, p.angle, nullptr, SDL_FLIP_NONE);
        }
        SDL_RenderFlush(sdl.renderer);
        benchmark::ClobberMemory();
    }
    Report(state, qs);
}

// SDL2's software geometry reads far outside its texture for some triangles
// that reach past the target's edges (a crash or not, as the heap lies), so
// it runs only on the sets whose quads lie inside the frame.
void SdlGeometry(benchmark::State& state, Kind kind, bool rotated, QuadSet qs) {
    for (const Placement& p : Placements(rotated, qs)) {
        const Corners c = CornersOf(p, qs.side);
        for (int i = 0; i < 4; ++i) {
            if (c.x[i] < 0 || c.y[i] < 0 || c.x[i] > kWidth || c.y[i] > kHeight) {
                state.SkipWithError("quads reach past the frame, where SDL2's software geometry reads out of bounds");
                return;
            }
        }
    }
    Frame f;
    SdlSetup sdl(f, kind);
    std::vector<SDL_Vertex> vertices;
    std::vector<int> indices;
    for (const Placement& p : Placements(rotated, qs)) {
        const Corners c = CornersOf(p, qs.side);
        const float u0 = float(p.u) / kTexSide, v0 = float(p.v) / kTexSide, d = float(qs.side) / kTexSide;
        const float us[4] = {u0, u0 + d, u0 + d, u0}, vs[4] = {v0, v0, v0 + d, v0 + d};
        const int base = static_cast<int>(vertices.size());
        for (int i = 0; i < 4; ++i) vertices.push_back({{c.x[i], c.y[i]}, {255, 255, 255, 255}, {us[i], vs[i]}});
        indices.insert(indices.end(), {base, base + 1, base + 2, base, base + 2, base + 3});
    }
    for (auto _ : state) {
        SDL_RenderGeometry(sdl.renderer, sdl.texture, vertices.data(), static_cast<int>(vertices.size()),
                           indices.data(), static_cast<int>(indices.size()));
        SDL_RenderFlush(sdl.renderer);
        benchmark::ClobberMemory();
    }
    Report(state, qs);
}

void Cairo(benchmark::State& state, Kind kind, bool rotated, QuadSet qs) {
    Frame f;
    std::vector<uint32_t> texels = PeerTexels(kind);
    cairo_surface_t* target =
        cairo_image_surface_create_for_data(f.pixels, CAIRO_FORMAT_RGB24, kWidth, kHeight, f.pitch);
    cairo_surface_t* source = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(texels.data()), CAIRO_FORMAT_ARGB32, kTexSide, kTexSide, kTexSide * 4);
    cairo_t* cr = cairo_create(target);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_operator(cr, kind == Kind::Masked ? CAIRO_OPERATOR_OVER : CAIRO_OPERATOR_SOURCE);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(source);
    cairo_pattern_set_filter(pattern, kind == Kind::Bilinear ? CAIRO_FILTER_BILINEAR : CAIRO_FILTER_NEAREST);
    const auto placements = Placements(rotated, qs);
    for (auto _ : state) {
        for (const Placement& p : placements) {
            cairo_save(cr);
            cairo_translate(cr, p.cx, p.cy);
            cairo_rotate(cr, p.angle * 3.14159265358979 / 180.0);
            cairo_translate(cr, -qs.side / 2.0, -qs.side / 2.0);
            cairo_matrix_t m;
            cairo_matrix_init_translate(&m, p.u, p.v);
            cairo_pattern_set_matrix(pattern, &m);
            cairo_set_source(cr, pattern);
            cairo_rectangle(cr, 0, 0, qs.side, qs.side);
            cairo_fill(cr);
            cairo_restore(cr);
        }
        cairo_surface_flush(target);
        benchmark::ClobberMemory();
    }
    cairo_pattern_destroy(pattern);
    cairo_destroy(cr);
    cairo_surface_destroy(source);
    cairo_surface_destroy(target);
    Report(state, qs);
}

// The memory limit of the axis-aligned quads, which are copies at scale 1:
// memcpy moving each visible row of each quad's cell to its place in the
// frame, clipped as the quads are.
void MemcpyQuads(benchmark::State& state, QuadSet qs) {
    Frame f;
    const std::vector<uint32_t> texels = TextureTexels();
    const auto placements = Placements(false, qs);
    for (auto _ : state) {
        for (const Placement& p : placements) {
            const int x0 = static_cast<int>(std::lround(p.cx - qs.side / 2.0));
            const int y0 = static_cast<int>(std::lround(p.cy - qs.side / 2.0));
            const int left = std::max(x0, 0), right = std::min(x0 + qs.side, kWidth);
            for (int y = std::max(y0, 0); y < std::min(y0 + qs.side, kHeight); ++y)
                std::memcpy(f.Row(y) + left * 4, &texels[(p.v + y - y0) * kTexSide + p.u + left - x0],
                            static_cast<size_t>(right - left) * 4);
        }
        benchmark::ClobberMemory();
    }
    Report(state, qs);
}

int RegisterTextured() {
    const struct {
        const char* name;
        Kind kind;
    } kinds[] = {{"plain", Kind::Plain}, {"masked", Kind::Masked}, {"bilinear", Kind::Bilinear}};
    for (const auto& k : kinds) {
        for (bool rotated : {true, false}) {
            for (const QuadSet& qs : kQuadSets) {
                const std::string base = std::string("textured/") + k.name + (rotated ? "/rotated" : "/axis") +
                                         "/xrgb32/" + qs.name + "/";
                const Kind kind = k.kind;
                auto add = [&](const char* impl, auto fn) { qrvbench::Register(base + impl, fn, 0.1); };
                add("quorvel", [=](benchmark::State& st) {
                    QuorvelQuads(st, kind, rotated, qs, qrvbench::BestKernelSet());
                });
                add("quorvel-scalar",
                    [=](benchmark::State& st) { QuorvelQuads(st, kind, rotated, qs, qrv::KernelSet::Scalar); });
                add("sdl2-copyex", [=](benchmark::State& st) { SdlCopyEx(st, kind, rotated, qs); });
                add("sdl2-geometry", [=](benchmark::State& st) { SdlGeometry(st, kind, rotated, qs); });
                add("cairo", [=](benchmark::State& st) { Cairo(st, kind, rotated, qs); });
                if (!rotated && kind != Kind::Bilinear)
                    add("memcpy", [=](benchmark::State& st) { MemcpyQuads(st, qs); });
            }
        }
    }
    return 0;
}

const int kRegistered = RegisterTextured();

}  // namespace
