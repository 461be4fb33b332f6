// The bouncing-squares demo and load test: 4096 translucent 32 x 32 squares
// moving over a 32-bit buffer, one step per call, always from the same seed.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "frame/numeric.h"
#include "maths/random.h"
#include "primitives/packed.h"
#include "quorvel.h"

namespace qrv {
namespace {

constexpr int kSquares = 4096;
constexpr int32_t kSide = 32;
constexpr uint32_t kSeed = 1024;
// Squares are drawn on rows 0 .. 599 whatever the height they travel.
constexpr int32_t kDrawTop = 0, kDrawBottom = 600;

struct Square {
    int32_t active;
    float x, y, vx, vy;
    int32_t w, h;
    uint32_t colour;
    int32_t spare;
};

struct Demo {
    int32_t initialised;
    uint32_t* base;
    int32_t reserved, width, height;
    Square squares[kSquares];
};

constinit Demo gDemo{};

// Half the pixel plus half the colour, per channel; the alpha byte becomes 0.
constexpr uint32_t kHalfMask = 0x7F7F7F;
constexpr uint32_t Mix(uint32_t p, uint32_t halfColour) { return ((p >> 1) & kHalfMask) + halfColour; }

void MixRow(uint32_t* row, int32_t count, uint32_t halfColour) {
    for (int32_t i = 0; i < count; ++i) row[i] = Mix(row[i], halfColour);
}

#if defined(__SSE2__)
// A whole square row, four pixels at a time.
void MixSquareRowPacked(uint32_t* row, uint32_t halfColour) {
    const __m128i mask = _mm_set1_epi32(static_cast<int>(kHalfMask)), c = _mm_set1_epi32(static_cast<int>(halfColour));
    auto* p = reinterpret_cast<uint8_t*>(row);
    for (int i = 0; i < kSide * 4; i += 16)
        packed::Store(p + i, _mm_add_epi32(_mm_and_si128(_mm_srli_epi32(packed::Load(p + i), 1), mask), c));
}
#endif

void Initialise(int32_t width, int32_t height) {
    Randomize(kSeed);
    for (Square& s : gDemo.squares) {
        s.active = 1;
        s.x = static_cast<float>(Rnd(static_cast<float>(width)));
        s.y = static_cast<float>(Rnd(static_cast<float>(height)));
        s.colour = RandomRgb();
        s.vx = static_cast<float>(Rnd(8.0f) - 4.0);
        s.vy = static_cast<float>(Rnd(8.0f) - 4.0);
        s.w = s.h = kSide;
        s.spare = 0;
    }
    gDemo.initialised = 1;
}

// One axis of a move: bounce off 0 and off the far edge, where the square
// would reach the limit.
void Bounce(float& pos, float& speed, int32_t size, int32_t limit) {
    float next = pos + speed;
    if (next < 0.0f) {
        speed = -speed;
        next = 0.0f;
    }
    if (static_cast<float>(size) + next >= static_cast<float>(limit)) {
        speed = -speed;
        next = static_cast<float>(limit - size);
    }
    pos = next;
}

void Draw(const Square& s, [[maybe_unused]] bool packedRows) {
    const int32_t x0 = TruncToInt32(s.x), y0 = TruncToInt32(s.y);
    const int64_t x1 = static_cast<int64_t>(x0) + s.w, y1 = static_cast<int64_t>(y0) + s.h;
    if (y1 <= kDrawTop || y0 >= kDrawBottom) return;
    const int64_t top = std::max<int64_t>(y0, kDrawTop);
    const int64_t bottom = std::min<int64_t>(std::min<int64_t>(y1, kDrawBottom), gDemo.height);
    const int64_t left = std::max<int64_t>(x0, 0), right = std::min<int64_t>(x1, gDemo.width);
    if (left >= right) return;
    const uint32_t half = (s.colour >> 1) & kHalfMask;
    const int32_t count = static_cast<int32_t>(right - left);
    uint32_t* row = gDemo.base + top * gDemo.width + left;
    for (int64_t y = top; y < bottom; ++y, row += gDemo.width) {
#if defined(__SSE2__)
        if (packedRows && count == kSide) {
            MixSquareRowPacked(row, half);
            continue;
        }
#endif
        MixRow(row, count, half);
    }
}

}  // namespace
}  // namespace qrv

using namespace qrv;

extern "C" QRV_API void QRV_CALL QRV_R2D2(void* base, int32_t reserved, int32_t width, int32_t height) {
    // Smaller targets cannot hold a square: nothing moves and nothing is drawn.
    if (base == nullptr || width < kSide || height < kSide) return;
    gDemo.base = static_cast<uint32_t*>(base);
    gDemo.reserved = reserved;
    gDemo.width = width;
    gDemo.height = height;
    if (gDemo.initialised == 0) Initialise(width, height);
    for (Square& s : gDemo.squares) {
        if (s.active == 0) continue;
        Bounce(s.x, s.vx, s.w, width);
        Bounce(s.y, s.vy, s.h, height);
    }
    const bool packedRows = PackedKernelsActive();
    for (const Square& s : gDemo.squares)
        if (s.active != 0) Draw(s, packedRows);
}
