#include "surfaces/scale_kernels.h"

namespace qrv {

void BlendRowsScalar(const uint32_t* top, const uint32_t* bottom, uint32_t v, uint8_t* out, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        const uint32_t c = BlendPair(top[i], bottom[i], v);
        std::memcpy(out + size_t(i) * 4, &c, 4);
    }
}

#if defined(__SSE2__)
void BlendRowsPacked(const uint32_t* top, const uint32_t* bottom, uint32_t v, uint8_t* out, int32_t n) {
    if (v == 0) {
        std::memcpy(out, top, size_t(n) * 4);
        return;
    }
    const __m128i weight = _mm_set1_epi16(static_cast<int16_t>(v));
    const __m128i keep = _mm_set1_epi16(static_cast<int16_t>(256 - v));
    auto blend = [&](__m128i t, __m128i b) {
        const __m128i lo =
            packed::BlendLanes16(packed::WidenLow(t), _mm_mullo_epi16(packed::WidenLow(b), weight), keep);
        const __m128i hi =
            packed::BlendLanes16(packed::WidenHigh(t), _mm_mullo_epi16(packed::WidenHigh(b), weight), keep);
        return _mm_packus_epi16(lo, hi);
    };
    auto src = [](const uint32_t* p) { return reinterpret_cast<const uint8_t*>(p); };
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m128i a = blend(packed::Load(src(top + i)), packed::Load(src(bottom + i)));
        const __m128i b = blend(packed::Load(src(top + i + 4)), packed::Load(src(bottom + i + 4)));
        packed::Store(out + size_t(i) * 4, a);
        packed::Store(out + size_t(i) * 4 + 16, b);
    }
    BlendRowsScalar(top + i, bottom + i, v, out + size_t(i) * 4, n - i);
}
#endif

}  // namespace qrv

