// Scene capture and replay: a world of 4,000 small records (16x16 boxes,
// radius-8 circles, 20-pixel flat and Gouraud triangles) spread over four
// frames' area, replayed onto a 1920x1080 32-bit frame through a camera that
// sees a quarter of it, beside the direct calls at the mapped positions (what
// a host without scene records does). Names are scene/<op>/xrgb32/<count>/<impl>;
// the replay's cost over the direct calls is its culling and mapping.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "bench_common.h"
#include "quorvel.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080, kFormat = 4, kRecords = 4000;
constexpr int32_t kCamX = kWidth / 2, kCamY = kHeight / 2;

// kind 0 boxes, 1 circles, 2 flat and 3 Gouraud triangles, 4 all four mixed.
std::vector<QrvSceneRecord> World(int kind) {
    std::mt19937 rng(4242);
    std::vector<QrvSceneRecord> world(kRecords);
    for (int i = 0; i < kRecords; ++i) {
        QrvSceneRecord* r = &world[i];
        const int32_t x = static_cast<int32_t>(rng() % (2 * kWidth)), y = static_cast<int32_t>(rng() % (2 * kHeight));
        const uint32_t c = rng() | 0xFF000000u;
        switch (kind < 4 ? kind : i % 4) {
            case 0: Scene_Write_Capture_Box(r, 2, x, y, x + 16, y + 16, 0, c); break;
            case 1: Scene_Write_Capture_Circle(r, 2, x, y, 0, 8, c); break;
            case 2: Scene_Write_Capture_Tri(r, 2, x, y, x + 20, y + 4, x + 6, y + 18, 0, c, 2); break;
            default: Scene_Write_Capture_TriG(r, 2, x, y, c, x + 20, y + 4, ~c, x + 6, y + 18, c ^ 0xFF00, 0, 2);
        }
    }
    return world;
}

struct Frame : qrvbench::Frame {
    Frame() : qrvbench::Frame(kWidth, kHeight, 4) {}
    void Select() {
        QRV_SetBuffer(pixels, pitch, kFormat);
        QRV_SetBufferViewPort(0, 0, kWidth, kHeight);
    }
};

void Report(benchmark::State& state, int kind, int records) {
    // Pixels of the whole world's shapes, as if all were visible: comparable between the two implementations.
    const double areas[] = {256, 201, 170, 170, (256 + 201 + 2 * 170) / 4.0};
    const double area = records * areas[kind];
    state.counters["Mpix/s"] = benchmark::Counter(area / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["records/s"] = benchmark::Counter(records, benchmark::Counter::kIsIterationInvariantRate);
}

void Replay(benchmark::State& state, int kind) {
    Frame f;
    f.Select();
    const auto world = World(kind);
    for (auto _ : state) {
        for (const QrvSceneRecord& r : world) {
            switch (r.kind) {
                case QRV_SCENE_BOX: Scene_Render_Captured_Box(&r, kCamX, kCamY); break;
                case QRV_SCENE_CIRCLE: Scene_Render_Captured_Circle(&r, kCamX, kCamY); break;
                case QRV_SCENE_TRI: Scene_Render_Captured_Polygon(&r, kCamX, kCamY); break;
                default: Scene_Render_Captured_PolygonG(&r, kCamX, kCamY);
            }
        }
        benchmark::ClobberMemory();
    }
    Report(state, kind, kRecords);
}

void Direct(benchmark::State& state, int kind) {
    Frame f;
    f.Select();
    const auto world = World(kind);
    for (auto _ : state) {
        for (const QrvSceneRecord& r : world) {
            const QrvSceneVertex* v = r.vertex;
            auto x = [&](int i) { return v[i].drawX - kCamX; };
            auto y = [&](int i) { return v[i].drawY - kCamY; };
            switch (r.kind) {
                case QRV_SCENE_BOX: QRV_Box(x(0), y(0), x(1), y(1), v[0].colour, r.mode); break;
                case QRV_SCENE_CIRCLE: QRV_Circle(x(0), y(0), v[1].drawX - v[0].drawX, v[0].colour, r.mode); break;
                case QRV_SCENE_TRI: QRV_Tri(x(0), y(0), x(1), y(1), x(2), y(2), v[0].colour, r.mode); break;
                default:
                    QRV_TriG(x(0), y(0), v[0].colour, x(1), y(1), v[1].colour, x(2), y(2), v[2].colour, r.mode);
            }
        }
        benchmark::ClobberMemory();
    }
    Report(state, kind, kRecords);
}

void Capture(benchmark::State& state) {
    std::vector<QrvSceneRecord> world(kRecords);
    int32_t n = 0;
    for (auto _ : state) {
        for (QrvSceneRecord& r : world) {
            ++n;
            Scene_Write_Capture_TriG(&r, 2, n, n + 1, 0xFF0000, n + 20, n + 4, 0x00FF00, n + 6, n + 18, 0x0000FF, 0, 2);
        }
        benchmark::DoNotOptimize(world.data());
        benchmark::ClobberMemory();
    }
    state.counters["records/s"] = benchmark::Counter(kRecords, benchmark::Counter::kIsIterationInvariantRate);
}

// One operation name per world kind, so that the table shows each beside its direct calls.
int RegisterScene() {
    const char* const kinds[] = {"boxes", "circles", "flat-tris", "gouraud-tris", "mixed"};
    for (int k = 0; k < 5; ++k) {
        const std::string base = std::string("scene/replay-") + kinds[k] + "/xrgb32/4000/";
        qrvbench::Register(base + "quorvel", [k](benchmark::State& s) { Replay(s, k); }, 0.1);
        qrvbench::Register(base + "direct", [k](benchmark::State& s) { Direct(s, k); }, 0.1);
    }
    qrvbench::Register("scene/capture-trig/record/4000/quorvel", Capture, 0.1);
    return 0;
}

const int kRegistered = RegisterScene();

}  // namespace
