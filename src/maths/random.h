// The library's random generator: a sum of a congruential, an xorshift and an
// add-with-carry part over five 32-bit words. One module-wide state, seeded by
// ZK_Randomize; every draw of every caller advances it.
#pragma once

#include <cstdint>

namespace qrv {

struct RandomState {
    uint32_t x;  // congruential part
    uint32_t y;  // xorshift part
    uint32_t z;  // add-with-carry, older lag
    uint32_t w;  // add-with-carry, newer lag
    uint32_t k;  // carry
};

inline constexpr RandomState kRandomStart{0x78B7, 0x78B7, 0x78B7, 0x78B7, 0};

extern RandomState gRandom;

// One step of the generator: every word is updated from the old words.
constexpr uint32_t NextRandom(RandomState& s) {
    const uint32_t x = 69069u * s.x + 1u;
    uint32_t y = s.y;
    y ^= y << 13;
    y ^= y >> 17;
    y ^= y << 5;
    const uint32_t w = s.z + 2u * s.w + s.k;
    const uint32_t k = ((s.k >> 2) + (s.z >> 2) + (s.w >> 3)) >> 30;
    s = {x, y, s.w, w, k};
    return x + y + w;
}

inline uint32_t NextRandom() { return NextRandom(gRandom); }

// Seed 0 keeps the state; the carry is never reset.
void Randomize(uint32_t seed);

// A draw in [0, max] for max > 0 (ZK_Rnd).
double Rnd(float max);

// Red, green and blue from three draws of Rnd(255), alpha 0 (ZK_RNDRGB).
uint32_t RandomRgb();

}  // namespace qrv
