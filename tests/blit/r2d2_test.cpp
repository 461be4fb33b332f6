#include <random>
#include <vector>

#include "blit/blit_test_util.h"
#include "maths/random.h"
#include "primitives/packed.h"

namespace {

using qrvtest::Canvas;

// The squares as the demo is meant to run them, step by step.
struct Model {
    struct Square {
        float x, y, vx, vy;
        uint32_t colour;
    };
    std::vector<Square> squares;

    static void Bounce(float& p, float& v, int limit) {
        float n = p + v;
        if (n < 0) v = -v, n = 0;
        if (32 + n >= float(limit)) v = -v, n = float(limit - 32);
        p = n;
    }

    void Step(Canvas& c) {
        if (squares.empty()) {
            qrv::Randomize(1024);
            for (int i = 0; i < 4096; ++i) {
                Square s{float(qrv::Rnd(float(c.width))), float(qrv::Rnd(float(c.height))), 0, 0, qrv::RandomRgb()};
                s.vx = float(qrv::Rnd(8.0f) - 4.0);
                s.vy = float(qrv::Rnd(8.0f) - 4.0);
                squares.push_back(s);
            }
        }
        for (Square& s : squares) Bounce(s.x, s.vx, c.width), Bounce(s.y, s.vy, c.height);
        for (const Square& s : squares)
            for (int y = std::max(int(s.y), 0); y < std::min({int(s.y) + 32, 600, c.height}); ++y)
                for (int x = std::max(int(s.x), 0); x < std::min(int(s.x) + 32, c.width); ++x)
                    c.Set(x, y, ((c.Get(x, y) >> 1) & 0x7F7F7F) + ((s.colour >> 1) & 0x7F7F7F));
    }
};

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
    Canvas frame(800, 600, 4);
    frame.Randomise(rng);
    Canvas expected = frame;

    // The demo's generator calls happen in the first step; the model replays
    // them from the same state.
    qrv::SetKernelSet(qrv::KernelSet::Sse2);
    QRV_R2D2(frame.Base(), 0, 800, 600);
    qrv::gRandom = before;
    Model model;
    model.Step(expected);
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
    model.Step(expected);
    ASSERT_EQ(frame.storage, expected.storage);

    // A narrower, taller target: squares clamp to it, travel below row 600 and
    // are drawn only above it.
    Canvas tall(640, 900, 4);
    tall.Randomise(rng);
    Canvas tallExpected = tall;
    const auto bottom = std::vector<uint8_t>(tall.Base() + 600 * tall.pitch, tall.Base() + 900 * tall.pitch);
    for (int step = 0; step < 60; ++step) {
        qrv::SetKernelSet(step % 2 ? qrv::KernelSet::Scalar : qrv::KernelSet::Sse2);
        QRV_R2D2(tall.Base(), 0, 640, 900);
        model.Step(tallExpected);
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
