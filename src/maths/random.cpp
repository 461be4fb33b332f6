// Random draws for host programs.
#include "maths/random.h"

#include "frame/numeric.h"
#include "quorvel.h"

namespace qrv {

constinit RandomState gRandom = kRandomStart;

namespace {

// 1 / (2^32 + 1): the largest raw value maps just below the range's top.
constexpr double kRawScale = 2.3283064359965952e-10;

// Below an acceptance of about 1e-5 a draw could take many seconds (a max so
// small that only a raw value of 0 fits may never end); the cap keeps the call
// bounded and leaves every reachable result of larger maxima unchanged.
constexpr uint32_t kMaxDraws = 1u << 24;

}  // namespace

void Randomize(uint32_t seed) {
    if (seed == 0) return;
    gRandom.x = gRandom.y = gRandom.z = gRandom.w = seed;
}

double Rnd(float max) {
    if (max == 0.0f || max != max) return 0.0;
    const double top = static_cast<double>(max);
    const double range = top + static_cast<double>(0.99f);
    if (range <= 0.0) return range + 1.0;
    if (top < 0.0) return top;  // nothing in [0, max] can be drawn
    for (uint32_t i = 0; i < kMaxDraws; ++i) {
        const double v = static_cast<double>(NextRandom()) * kRawScale * range;
        if (v <= top) return v;
    }
    return top;
}

uint32_t RandomRgb() {
    const int32_t red = TruncToInt32(Rnd(255.0f));
    const int32_t green = TruncToInt32(Rnd(255.0f));
    const int32_t blue = TruncToInt32(Rnd(255.0f));
    return ZK_RGB(red, green, blue);
}

}  // namespace qrv

extern "C" {

QRV_API void QRV_CALL ZK_Randomize(uint32_t seed) { qrv::Randomize(seed); }
QRV_API double QRV_CALL ZK_Rnd(float max) { return qrv::Rnd(max); }
QRV_API uint32_t QRV_CALL ZK_RNDRGB(void) { return qrv::RandomRgb(); }

}  // extern "C"
