// Polygons and circles on a 1920x1080 32-bit frame: flat and Gouraud
// triangles whose sides are the size's width (8 to 1080 pixels), and filled
// circles of that diameter, beside the SDL2 software renderer
// (SDL_RenderGeometry) and cairo (antialiasing off) drawing the same shapes.
// Names are poly/<shape>/xrgb32/<size>/<impl>; every benchmark reports Mpix/s
// of shape area and shapes per second.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "polygons/gouraud_spans.h"
#include "primitives/packed.h"
#include "bench_common.h"
#include "quorvel.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080, kFormat = 4;
constexpr int kFanSegments = 32;

// The shapes of one size: side (or diameter) and how many are drawn a pass,
// about a million pixels of area for the larger ones.
struct ShapeSet {
    const char* name;
    int side, count;
};
constexpr ShapeSet kShapeSets[] = {
    {"8x8", 8, 10000}, {"64x64", 64, 1000}, {"256x256", 256, 40}, {"1920x1080", 1080, 4}};

struct Triangle {
    int32_t x[3], y[3];
    uint32_t colour[3];
};

struct Circle {
    int32_t cx, cy;
    uint32_t colour;
};

// Equilateral-ish triangles of side about 30 around random centres, some
// crossing the frame's edges; both windings.
std::vector<Triangle> RandomTriangles(const ShapeSet& set) {
    std::mt19937 rng(1234);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<Triangle> tris(set.count);
    for (Triangle& t : tris) {
        const double cx = unit(rng) * kWidth, cy = unit(rng) * kHeight, turn = unit(rng) * 6.2832;
        const double r = set.side / std::sqrt(3.0) * (0.85 + 0.3 * unit(rng));
        const int dir = rng() & 1 ? 1 : -1;
        for (int i = 0; i < 3; ++i) {
            const double a = turn + dir * i * 2.0944;
            t.x[i] = static_cast<int32_t>(std::lround(cx + r * std::cos(a)));
            t.y[i] = static_cast<int32_t>(std::lround(cy + r * std::sin(a)));
            t.colour[i] = rng() & 0xFFFFFF;
        }
    }
    return tris;
}

std::vector<Circle> RandomCircles(const ShapeSet& set) {
    std::mt19937 rng(99);
    std::vector<Circle> circles(set.count);
    for (Circle& c : circles) {
        c.cx = static_cast<int32_t>(rng() % kWidth);
        c.cy = static_cast<int32_t>(rng() % kHeight);
        c.colour = rng() & 0xFFFFFF;
    }
    return circles;
}

double TriangleArea(const std::vector<Triangle>& tris) {
    double area = 0;
    for (const Triangle& t : tris)
        area +=
            std::fabs(double(t.x[1] - t.x[0]) * (t.y[2] - t.y[0]) - double(t.x[2] - t.x[0]) * (t.y[1] - t.y[0])) / 2;
    return area;
}

struct Frame : qrvbench::Frame {
    Frame() : qrvbench::Frame(kWidth, kHeight, 4) {}
};

void Report(benchmark::State& state, double pixelsPerIteration, int shapesPerIteration) {
    qrvbench::ReportPixels(state, pixelsPerIteration);
    qrvbench::ReportItems(state, "shapes", shapesPerIteration);
}

enum class Shape { FlatTriangle, GouraudTriangle, Circle };

void ReportShapes(benchmark::State& state, Shape shape, const ShapeSet& set, const std::vector<Triangle>& tris) {
    if (shape == Shape::Circle) {
        Report(state, set.count * 3.14159 * set.side * set.side / 4, set.count);
    } else {
        Report(state, TriangleArea(tris), set.count);
    }
}

void QuorvelShapes(benchmark::State& state, Shape shape, ShapeSet shapes, qrv::KernelSet set) {
    const int radius = shapes.side / 2;
    Frame f;
    qrv::SetKernelSet(set);
    QRV_SetBuffer(f.pixels, f.pitch, kFormat);
    QRV_SetBufferViewPort(0, 0, kWidth, kHeight);
    const auto tris = RandomTriangles(shapes);
    const auto circles = RandomCircles(shapes);
    for (auto _ : state) {
        if (shape == Shape::Circle) {
            for (const Circle& c : circles) QRV_Circle(c.cx, c.cy, radius, c.colour, 2);
        } else if (shape == Shape::FlatTriangle) {
            for (const Triangle& t : tris) QRV_Tri(t.x[0], t.y[0], t.x[1], t.y[1], t.x[2], t.y[2], t.colour[0], 2);
        } else {
            for (const Triangle& t : tris)
                QRV_TriG(t.x[0], t.y[0], t.colour[0], t.x[1], t.y[1], t.colour[1], t.x[2], t.y[2], t.colour[2], 2);
        }
        benchmark::ClobberMemory();
    }
    qrv::SetKernelSet(qrvbench::BestKernelSet());
    ReportShapes(state, shape, shapes, tris);
}

SDL_Color SdlColour(uint32_t rgb) {
    return {static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb), 255};
}

void SdlShapes(benchmark::State& state, Shape shape, ShapeSet shapes) {
    const int radius = shapes.side / 2;
    Frame f;
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormatFrom(f.pixels, kWidth, kHeight, 32, f.pitch, SDL_PIXELFORMAT_RGB888);
    SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(surface);
    const auto tris = RandomTriangles(shapes);
    const auto circles = RandomCircles(shapes);
    std::vector<SDL_Vertex> vertices;
    std::vector<int> indices;
    if (shape == Shape::Circle) {
        // Each circle as a fan of triangles around its centre.
        for (const Circle& c : circles) {
            const int centre = static_cast<int>(vertices.size());
            vertices.push_back({{float(c.cx), float(c.cy)}, SdlColour(c.colour), {0, 0}});
            for (int s = 0; s < kFanSegments; ++s) {
                const double a = s * 6.283185307 / kFanSegments;
                vertices.push_back({{float(c.cx + radius * std::cos(a)), float(c.cy + radius * std::sin(a))},
                                    SdlColour(c.colour),
                                    {0, 0}});
                indices.insert(indices.end(), {centre, centre + 1 + s, centre + 1 + (s + 1) % kFanSegments});
            }
        }
    } else {
        for (const Triangle& t : tris)
            for (int i = 0; i < 3; ++i)
                vertices.push_back({{float(t.x[i]), float(t.y[i])},
                                    SdlColour(shape == Shape::GouraudTriangle ? t.colour[i] : t.colour[0]),
                                    {0, 0}});
    }
    for (auto _ : state) {
        SDL_RenderGeometry(renderer, nullptr, vertices.data(), static_cast<int>(vertices.size()),
                           indices.empty() ? nullptr : indices.data(), static_cast<int>(indices.size()));
        SDL_RenderFlush(renderer);
        benchmark::ClobberMemory();
    }
    SDL_DestroyRenderer(renderer);
    SDL_FreeSurface(surface);
    ReportShapes(state, shape, shapes, tris);
}

void CairoShapes(benchmark::State& state, Shape shape, ShapeSet shapes) {
    const int radius = shapes.side / 2;
    Frame f;
    cairo_surface_t* surface =
        cairo_image_surface_create_for_data(f.pixels, CAIRO_FORMAT_RGB24, kWidth, kHeight, f.pitch);
    cairo_t* cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    const auto tris = RandomTriangles(shapes);
    const auto circles = RandomCircles(shapes);
    auto rgb = [&](uint32_t c) {
        cairo_set_source_rgb(cr, (c >> 16 & 0xFF) / 255.0, (c >> 8 & 0xFF) / 255.0, (c & 0xFF) / 255.0);
    };
    cairo_pattern_t* mesh = nullptr;
    if (shape == Shape::GouraudTriangle) {
        // One mesh of triangular patches, each with its three vertex colours.
        mesh = cairo_pattern_create_mesh();
        for (const Triangle& t : tris) {
            cairo_mesh_pattern_begin_patch(mesh);
            cairo_mesh_pattern_move_to(mesh, t.x[0], t.y[0]);
            cairo_mesh_pattern_line_to(mesh, t.x[1], t.y[1]);
            cairo_mesh_pattern_line_to(mesh, t.x[2], t.y[2]);
            for (int i = 0; i < 3; ++i)
                cairo_mesh_pattern_set_corner_color_rgb(mesh, i, (t.colour[i] >> 16 & 0xFF) / 255.0,
                                                        (t.colour[i] >> 8 & 0xFF) / 255.0,
                                                        (t.colour[i] & 0xFF) / 255.0);
            cairo_mesh_pattern_end_patch(mesh);
        }
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    }
    for (auto _ : state) {
        if (shape == Shape::Circle) {
            for (const Circle& c : circles) {
                cairo_arc(cr, c.cx, c.cy, radius, 0, 6.283185307);
                rgb(c.colour);
                cairo_fill(cr);
            }
        } else if (shape == Shape::FlatTriangle) {
            for (const Triangle& t : tris) {
                cairo_move_to(cr, t.x[0], t.y[0]);
                cairo_line_to(cr, t.x[1], t.y[1]);
                cairo_line_to(cr, t.x[2], t.y[2]);
                cairo_close_path(cr);
                rgb(t.colour[0]);
                cairo_fill(cr);
            }
        } else {
            cairo_set_source(cr, mesh);
            cairo_paint(cr);
        }
        cairo_surface_flush(surface);
        benchmark::ClobberMemory();
    }
    if (mesh) cairo_pattern_destroy(mesh);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    ReportShapes(state, shape, shapes, tris);
}

// Whole-frame Gouraud spans: the renderers' per-pixel speed without the walk.
void QuorvelGouraudFrame(benchmark::State& state, int format, int mode, qrv::KernelSet set) {
    Frame f;
    qrv::SetKernelSet(set);
    QRV_SetBuffer(f.pixels, kWidth * (format <= 2 ? 2 : 4), format);
    QRV_SetBufferViewPort(0, 0, kWidth, kHeight);
    std::vector<qrv::SpanRecord> spans(kHeight);
    for (int y = 0; y < kHeight; ++y) spans[y] = {y, 0, {0x102030}, kWidth, {static_cast<int32_t>(0xF0C0A0 - y)}};
    for (auto _ : state) {
        qrv::DrawGouraudSpans(spans.data(), kHeight, 0, mode);
        benchmark::ClobberMemory();
    }
    qrv::SetKernelSet(qrvbench::BestKernelSet());
    qrvbench::ReportPixels(state, double(kWidth) * kHeight);
}

int RegisterPolygons() {
    for (int format : {1, 4}) {
        for (int mode : {2, 64}) {
            const std::string base = std::string("poly/gouraud-span-") + (mode == 2 ? "replace" : "add") + "/" +
                                     (format == 1 ? "565" : "xrgb32") + "/1920x1080/";
            qrvbench::Register(base + "quorvel", [=](benchmark::State& st) {
                QuorvelGouraudFrame(st, format, mode, qrvbench::BestKernelSet());
            }, 0.1);
            qrvbench::Register(base + "quorvel-scalar", [=](benchmark::State& st) {
                QuorvelGouraudFrame(st, format, mode, qrv::KernelSet::Scalar);
            }, 0.1);
        }
    }
    const struct {
        const char* name;
        Shape shape;
    } kinds[] = {{"flat-tri", Shape::FlatTriangle}, {"gouraud-tri", Shape::GouraudTriangle}, {"circle", Shape::Circle}};
    for (const auto& k : kinds) {
        for (const ShapeSet& set : kShapeSets) {
            const std::string base = std::string("poly/") + k.name + "/xrgb32/" + set.name + "/";
            const Shape shape = k.shape;
            auto add = [&](const char* impl, auto fn) { qrvbench::Register(base + impl, fn, 0.1); };
            add("quorvel", [=](benchmark::State& st) { QuorvelShapes(st, shape, set, qrvbench::BestKernelSet()); });
            add("quorvel-scalar", [=](benchmark::State& st) { QuorvelShapes(st, shape, set, qrv::KernelSet::Scalar); });
            add("sdl2", [=](benchmark::State& st) { SdlShapes(st, shape, set); });
            add("cairo", [=](benchmark::State& st) { CairoShapes(st, shape, set); });
        }
    }
    return 0;
}

const int kRegistered = RegisterPolygons();

}  // namespace
