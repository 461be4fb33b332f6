// The turned-span copy in the 32-byte kernel set: eight positions at a time,
// their texels gathered by one load. This file alone is built with AVX2 (x86
// builds) and includes nothing that other files define inline.
#include "polygons/turned_copy.h"

#if defined(__AVX2__)
#include <immintrin.h>
#endif

namespace qrv {

#if defined(__AVX2__)

namespace {

// Positions step in wrapping 32-bit arithmetic, as the scalar loop's sums do.
int32_t TurnedCopy(uint32_t* out, const uint8_t* texels, int32_t pitch, int32_t u, int32_t v, int32_t du, int32_t dv,
                   int32_t width, TurnedTexels rule, uint32_t key) {
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    __m256i us = _mm256_add_epi32(_mm256_set1_epi32(u), _mm256_mullo_epi32(lanes, _mm256_set1_epi32(du)));
    __m256i vs = _mm256_add_epi32(_mm256_set1_epi32(v), _mm256_mullo_epi32(lanes, _mm256_set1_epi32(dv)));
    const __m256i stepU = _mm256_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(du) * 8u));
    const __m256i stepV = _mm256_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(dv) * 8u));
    const __m256i rowBytes = _mm256_set1_epi32(pitch), keys = _mm256_set1_epi32(static_cast<int32_t>(key));
    const __m256i two = _mm256_set1_epi8(2);
    const int* base = reinterpret_cast<const int*>(texels);
    int32_t k = 0;
    for (; k + 8 <= width; k += 8) {
        const __m256i at = _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srai_epi32(vs, 16), rowBytes),
                                            _mm256_slli_epi32(_mm256_srai_epi32(us, 16), 2));
        __m256i t = _mm256_i32gather_epi32(base, at, 1);
        auto* to = reinterpret_cast<__m256i*>(out + k);
        if (rule == TurnedTexels::SkipKey) {
            const __m256i write = _mm256_xor_si256(_mm256_cmpeq_epi32(t, keys), _mm256_set1_epi32(-1));
            _mm256_maskstore_epi32(reinterpret_cast<int*>(to), write, t);
        } else {
            if (rule == TurnedTexels::LessTwo) t = _mm256_subs_epu8(t, two);
            _mm256_storeu_si256(to, t);
        }
        us = _mm256_add_epi32(us, stepU);
        vs = _mm256_add_epi32(vs, stepV);
    }
    return k;
}

}  // namespace

TurnedCopyRow WideTurnedCopyRow() { return &TurnedCopy; }

#else

TurnedCopyRow WideTurnedCopyRow() { return nullptr; }

#endif

}  // namespace qrv
