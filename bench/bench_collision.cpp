// Span collision: 1,000 pairs of 64x64 sprites at random overlapping offsets,
// each pair's span buffers built and compared, beside the per-pixel test of
// the same sprites' 1-byte masks that a game without span buffers runs
// (row by row over the overlap of the two boxes, stopping at the first
// shared pixel). Pairs: rectangle against ellipse, convex polygon against
// convex polygon (span overlap of two span collision buffers), and textured
// sprite against textured sprite with masked texels. Pair sets: random
// offsets (most pairs touch), near misses (boxes overlap, sprites do not),
// and random offsets with every buffer built beforehand (only the
// comparisons timed). Names are collision/<pair>/64x64/<set>/<impl>; every
// benchmark reports pairs/s, and Mpix/s of sprite area (two 64x64 sprites a
// pair) for scripts/bench_report.py.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "primitives/packed.h"
#include "bench_common.h"
#include "quorvel.h"

namespace {

constexpr int kSize = 64, kPairs = 1000;
constexpr uint32_t kKey = 0xFFFF00FF;

struct Pair {
    int32_t ax, ay, bx, by;
    int shapeA, shapeB;
};

using Mask = std::vector<uint8_t>;  // kSize x kSize, 1 where the sprite is solid

// The per-pixel test: both masks solid at one screen pixel.
bool MasksOverlap(const Mask& a, int32_t ax, int32_t ay, const Mask& b, int32_t bx, int32_t by) {
    const int32_t x0 = std::max(ax, bx), x1 = std::min(ax, bx) + kSize;
    const int32_t y0 = std::max(ay, by), y1 = std::min(ay, by) + kSize;
    for (int32_t y = y0; y < y1; ++y)
        for (int32_t x = x0; x < x1; ++x)
            if (a[(y - ay) * kSize + (x - ax)] && b[(y - by) * kSize + (x - bx)]) return true;
    return false;
}

// Span buffers with one record per row from top to bottom: any row whose two
// spans overlap.
bool SpansOverlap(const QrvSpanCollisionHeader* a, const QrvSpanCollisionHeader* b) {
    const int32_t top = std::max(a->top, b->top), bottom = std::min(a->bottom, b->bottom);
    const auto* ra = reinterpret_cast<const QrvSpanCollisionRecord*>(a + 1) + (top - a->top);
    const auto* rb = reinterpret_cast<const QrvSpanCollisionRecord*>(b + 1) + (top - b->top);
    for (int32_t i = 0; i < bottom - top; ++i)
        if (std::max(ra[i].left, rb[i].left) < std::min(ra[i].right, rb[i].right)) return true;
    return false;
}

// The sprite-local mask that a span buffer of a sprite at the origin covers.
Mask MaskOf(const QrvSpanCollisionHeader* h) {
    Mask m(kSize * kSize, 0);
    const auto* r = reinterpret_cast<const QrvSpanCollisionRecord*>(h + 1);
    for (int32_t i = 0; i < h->bottom - h->top; ++i)
        for (int32_t x = std::max(0, r[i].left); x < std::min(kSize, r[i].right); ++x) m[r[i].y * kSize + x] = 1;
    return m;
}

// Sixteen convex polygons inscribed in the sprite: 3 to 8 sides, turned.
struct PolygonSet {
    int32_t vertices[16][32] = {};
    int counts[16];
    PolygonSet() {
        for (int s = 0; s < 16; ++s) {
            counts[s] = 3 + s % 6;
            for (int i = 0; i < counts[s]; ++i) {
                const double a = s * 0.37 + i * 6.2832 / counts[s];
                vertices[s][i] = static_cast<int32_t>(std::lround(32 + 31 * std::cos(a)));
                vertices[s][8 + i] = static_cast<int32_t>(std::lround(32 + 31 * std::sin(a)));
            }
        }
    }
    // Shape s moved to (x, y), as a host vertex list.
    void At(int s, int32_t x, int32_t y, int32_t* out) const {
        for (int i = 0; i < 32; ++i) out[i] = vertices[s][i];
        for (int i = 0; i < 8; ++i) out[i] += x, out[8 + i] += y;
    }
};

// Two 32-bit sprites: rings with scattered holes, the holes and the outside
// in the key colour.
struct TexturedSprites {
    std::vector<uint32_t> pixels[2];
    Mask masks[2];
    TexturedSprites() {
        std::mt19937 rng(77);
        for (int s = 0; s < 2; ++s) {
            pixels[s].assign(kSize * kSize, kKey & 0xFFFFFF);
            masks[s].assign(kSize * kSize, 0);
            for (int y = 0; y < kSize; ++y)
                for (int x = 0; x < kSize; ++x) {
                    const double r = std::hypot(x - 31.5, y - 31.5);
                    if (r < 31 && r > 12 + 6 * s && rng() % 8 != 0) {
                        pixels[s][y * kSize + x] = 0x204080 + s;
                        masks[s][y * kSize + x] = 1;
                    }
                }
        }
    }
};

void Report(benchmark::State& state, int hits) {
    state.counters["pairs/s"] = benchmark::Counter(kPairs, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["Mpix/s"] =
        benchmark::Counter(kPairs * 2.0 * kSize * kSize / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["hits"] = hits;
}

enum class Kind { RectEllipse, Polygons, Textured };

// Every sprite of the three kinds with the masks a game keeps beside them,
// made once.
struct Sprites {
    PolygonSet polygons;
    TexturedSprites textured;
    Mask rect, ellipse;
    std::vector<Mask> polygonMasks;
    Sprites() {
        std::vector<int32_t> span(3 + 3 * 128);
        auto* h = reinterpret_cast<QrvSpanCollisionHeader*>(span.data());
        CreateSpanCollision_Rect(h, 0, 0, kSize, kSize);
        rect = MaskOf(h);
        CreateSpanCollision_Ellipse(h, 32, 32, 31, 32);
        ellipse = MaskOf(h);
        for (int s = 0; s < 16; ++s) {
            int32_t verts[32];
            polygons.At(s, 0, 0, verts);
            CreateSpanCollision_Polygon(verts, polygons.counts[s], h);
            polygonMasks.push_back(MaskOf(h));
        }
    }
    bool PixelTest(Kind kind, const Pair& p) const {
        switch (kind) {
            case Kind::RectEllipse: return MasksOverlap(rect, p.ax, p.ay, ellipse, p.bx, p.by);
            case Kind::Polygons:
                return MasksOverlap(polygonMasks[p.shapeA], p.ax, p.ay, polygonMasks[p.shapeB], p.bx, p.by);
            case Kind::Textured: return MasksOverlap(textured.masks[0], p.ax, p.ay, textured.masks[1], p.bx, p.by);
        }
        return false;
    }
};

const Sprites& TheSprites() {
    static const Sprites sprites;
    return sprites;
}

// Random offsets whose boxes overlap (most pairs touch), or only the pairs
// among them whose sprites do not touch: the near misses that a bounding-box
// test lets through and a pixel test must scan whole.
std::vector<Pair> PairsFor(Kind kind, bool nearMisses) {
    std::vector<Pair> pairs;
    std::mt19937 rng(2024);
    std::uniform_int_distribution<int32_t> offset(-kSize + 4, kSize - 4);
    while (static_cast<int>(pairs.size()) < kPairs) {
        Pair p{200, 200, 200 + offset(rng), 200 + offset(rng), static_cast<int>(rng() % 16),
               static_cast<int>(rng() % 16)};
        if (!nearMisses || !TheSprites().PixelTest(kind, p)) pairs.push_back(p);
    }
    return pairs;
}

// Span buffers for both sprites of a pair, in host memory.
struct PairBuffers {
    std::vector<int32_t> span[2];
    std::vector<uint8_t> tex[2];
    PairBuffers() {
        for (int s = 0; s < 2; ++s) {
            span[s].assign(3 + 3 * 128, 0);
            tex[s].assign(sizeof(QrvTexturedSpanHeader) + 80 * sizeof(QrvTexturedSpanRecord), 0);
        }
    }
    QrvSpanCollisionHeader* Span(int s) { return reinterpret_cast<QrvSpanCollisionHeader*>(span[s].data()); }
    QrvTexturedSpanHeader* Tex(int s) { return reinterpret_cast<QrvTexturedSpanHeader*>(tex[s].data()); }

    void Build(Kind kind, const Pair& p) {
        const PolygonSet& polygons = TheSprites().polygons;
        const int32_t xs[2] = {p.ax, p.bx}, ys[2] = {p.ay, p.by}, shapes[2] = {p.shapeA, p.shapeB};
        int32_t verts[32] = {};
        switch (kind) {
            case Kind::RectEllipse:
                CreateSpanCollision_Rect(Span(0), p.ax, p.ay, p.ax + kSize, p.ay + kSize);
                CreateSpanCollision_Ellipse(Span(1), p.bx + 32, p.by + 32, 31, 32);
                break;
            case Kind::Polygons:
                for (int s = 0; s < 2; ++s) {
                    polygons.At(shapes[s], xs[s], ys[s], verts);
                    CreateSpanCollision_Polygon(verts, polygons.counts[shapes[s]], Span(s));
                }
                break;
            case Kind::Textured:
                for (int s = 0; s < 2; ++s) {
                    QRV_SetSrcBuffer(const_cast<uint32_t*>(TheSprites().textured.pixels[s].data()), kSize * 4, 4);
                    const int32_t quad[32] = {xs[s], xs[s] + kSize, xs[s] + kSize, xs[s], 0, 0, 0, 0,
                                              ys[s], ys[s], ys[s] + kSize, ys[s] + kSize, 0, 0, 0, 0,
                                              0, kSize, kSize, 0, 0, 0, 0, 0,
                                              0, 0, kSize, kSize, 0, 0, 0, 0};
                    QRV_SpanBufferCollisionPolygon(quad, 4, Tex(s), kKey);
                }
                break;
        }
    }
    bool Compare(Kind kind) {
        return kind == Kind::Textured ? QRV_CompareTexturedSpans(Tex(0), Tex(1)) != 0 : SpansOverlap(Span(0), Span(1));
    }
};

enum class Sets { Random, NearMisses, Prebuilt };

// Builds both buffers of every pair and compares them; with prebuilt
// buffers (each sprite's built once, then tested) only the comparison runs.
void SpanPairs(benchmark::State& state, Kind kind, Sets set, qrv::KernelSet kernels) {
    qrv::SetKernelSet(kernels);
    const std::vector<Pair> pairs = PairsFor(kind, set == Sets::NearMisses);
    std::vector<PairBuffers> built(set == Sets::Prebuilt ? pairs.size() : 1);
    if (set == Sets::Prebuilt)
        for (size_t i = 0; i < pairs.size(); ++i) built[i].Build(kind, pairs[i]);
    int hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (size_t i = 0; i < pairs.size(); ++i) {
            PairBuffers& b = built[set == Sets::Prebuilt ? i : 0];
            if (set != Sets::Prebuilt) b.Build(kind, pairs[i]);
            hits += b.Compare(kind);
        }
        benchmark::DoNotOptimize(hits);
    }
    qrv::SetKernelSet(qrvbench::BestKernelSet());
    Report(state, hits);
}

void PixelPairs(benchmark::State& state, Kind kind, bool nearMisses) {
    const std::vector<Pair> pairs = PairsFor(kind, nearMisses);
    const Sprites& sprites = TheSprites();
    int hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (const Pair& p : pairs) hits += sprites.PixelTest(kind, p);
        benchmark::DoNotOptimize(hits);
    }
    Report(state, hits);
}

int RegisterCollision() {
    const struct {
        const char* name;
        Kind kind;
    } kinds[] = {{"rect-ellipse", Kind::RectEllipse}, {"polygon-polygon", Kind::Polygons},
                 {"textured-textured", Kind::Textured}};
    for (const auto& k : kinds) {
        const struct {
            const char* name;
            Sets set;
        } sets[] = {{"1000-pairs", Sets::Random}, {"1000-near-misses", Sets::NearMisses},
                    {"1000-pairs-prebuilt", Sets::Prebuilt}};
        for (const auto& ps : sets) {
            const std::string base = std::string("collision/") + k.name + "/64x64/" + ps.name + "/";
            const Kind kind = k.kind;
            const Sets set = ps.set;
            auto add = [&](const char* impl, auto fn) { qrvbench::Register(base + impl, fn, 0.2); };
            add("quorvel", [=](benchmark::State& st) { SpanPairs(st, kind, set, qrvbench::BestKernelSet()); });
            add("quorvel-scalar", [=](benchmark::State& st) { SpanPairs(st, kind, set, qrv::KernelSet::Scalar); });
            add("per-pixel", [=](benchmark::State& st) { PixelPairs(st, kind, set == Sets::NearMisses); });
        }
    }
    return 0;
}

const int kRegistered = RegisterCollision();

}  // namespace
