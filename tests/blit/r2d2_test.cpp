#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "maths/random.h"
#include "primitives/packed.h"
#include "primitives/span_test_util.h"
#include "support/canvas.h"

namespace {

using qrvtest::Canvas;

// The squares as the demo is meant to run them, step by step.
struct Model {
    struct Square {
        float x, y, vx, vy;
        uint32_t colour;
    };
    std::vector<Square> squares;

    void Start(int width, int height) {
        qrv::Randomize(1024);
        for (int i = 0; i < 4096; ++i) {
            Square s;
            s.x = float(qrv::Rnd(float(width)));
            s.y = float(qrv::Rnd(float(height)));
            s.colour = qrv::RandomRgb();
            s.vx = float(qrv::Rnd(8.0f) - 4.0);
            s.vy = float(qrv::Rnd(8.0f) - 4.0);
            squares.push_back(s);
        }
    }

    static void Bounce(float& p, float& v, int limit) {
        float n = p + v;
        if (n < 0) v = -v, n = 0;
        if (32 + n >= float(limit)) v = -v, n = float(limit - 32);
        p = n;
    }

    void Step(uint32_t* pixels, int width, int height) {
        if (squares.empty()) Start(width, height);
        for (Square& s : squares) Bounce(s.x, s.vx, width), Bounce(s.y, s.vy, height);
        for (const Square& s : squares) {
            const int x0 = int(s.x), y0 = int(s.y);
            for (int y = y0; y < y0 + 32; ++y)
                for (int x = x0; x < x0 + 32; ++x) {
                    if (y < 0 || y >= 600 || y >= height || x < 0 || x >= width) continue;
                    uint32_t& p = pixels[size_t(y) * width + x];
                    p = ((p >> 1) & 0x7F7F7F) + ((s.colour >> 1) & 0x7F7F7F);
                }
        }
    }
};

uint32_t* Pixels(Canvas& c) { return reinterpret_cast<uint32_t*>(c.Base()); }

uint64_t Hash(Canvas& c) {
    uint64_t h = 1469598103934665603ull;
    for (int y = 0; y < c.height; ++y)
        for (int i = 0; i < c.width * 4; ++i) h = (h ^ c.Base()[y * c.pitch + i]) * 1099511628211ull;
    return h;
}

// One test, because the squares are set up by the first call in the process.
TEST(R2D2, StepsBounceMixAndStayOnTheirRows) {
    qrvtest::SettingsGuard guard;
    const bool freshGenerator = qrv::gRandom.k == 0;
    const qrv::RandomState before = qrv::gRandom;
    std::mt19937 rng(5);
    Canvas frame(800, 600, 4), expected(800, 600, 4);
    frame.Randomise(rng);
    std::memcpy(expected.storage.data(), frame.storage.data(), frame.storage.size());

    // The demo's generator calls happen in the first step; the model replays
    // them from the same state.
    qrv::SetKernelSet(qrv::KernelSet::Sse2);
    QRV_R2D2(frame.Base(), 0, 800, 600);
    qrv::gRandom = before;
    Model model;
    model.Step(Pixels(expected), 800, 600);
    ASSERT_EQ(frame.storage, expected.storage);
    // A fresh process always draws this first frame, in every build.
    if (freshGenerator) {
        EXPECT_EQ(Hash(frame), 0x2a864439fa96a866ull) << std::hex << Hash(frame);
    }

    // Targets that cannot hold a square: nothing drawn, nothing moved.
    QRV_R2D2(frame.Base(), 0, 31, 600);
    QRV_R2D2(frame.Base(), 0, 800, 31);
    QRV_R2D2(nullptr, 0, 800, 600);
    ASSERT_EQ(frame.storage, expected.storage);

    qrv::SetKernelSet(qrv::KernelSet::Scalar);
    QRV_R2D2(frame.Base(), 0, 800, 600);
    model.Step(Pixels(expected), 800, 600);
    ASSERT_EQ(frame.storage, expected.storage);

    // A narrower, taller target: squares clamp to it, travel below row 600 and
    // are drawn only above it.
    Canvas tall(640, 900, 4), tallExpected(640, 900, 4);
    tall.Randomise(rng);
    std::memcpy(tallExpected.storage.data(), tall.storage.data(), tall.storage.size());
    const auto bottom = std::vector<uint8_t>(tall.Base() + 600 * tall.pitch, tall.Base() + 900 * tall.pitch);
    for (int step = 0; step < 60; ++step) {
        qrv::SetKernelSet(step % 2 ? qrv::KernelSet::Scalar : qrv::KernelSet::Sse2);
        QRV_R2D2(tall.Base(), 0, 640, 900);
        model.Step(Pixels(tallExpected), 640, 900);
    }
    ASSERT_EQ(tall.storage, tallExpected.storage);
    EXPECT_TRUE(tall.GuardsIntact());
    EXPECT_EQ(std::vector<uint8_t>(tall.Base() + 600 * tall.pitch, tall.Base() + 900 * tall.pitch), bottom);
    int below = 0, onLeftEdge = 0;
    for (const Model::Square& s : model.squares) below += s.y > 640, onLeftEdge += s.x == 0;
    EXPECT_GT(below, 100);
    EXPECT_GT(onLeftEdge, 0);
}

}  // namespace
