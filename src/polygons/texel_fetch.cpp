// Texel fetchers: one span's texels, stepped through the texture in 16.16,
// expanded to 0xAARRGGBB into the texel line. Plain and bilinear, each with a
// compressing form that drops mask-coloured texels and records the runs of
// the others.
#include <cstddef>
#include <cstdint>

#include "frame/colour.h"
#include "frame/state.h"
#include "polygons/textured.h"
#include "primitives/packed.h"
#include "primitives/pixel_format.h"

namespace qrv {
namespace {

// A texture's rows as the fetchers address them.
struct TexelSource {
    const uint8_t* pixels;
    ptrdiff_t pitch;
    int32_t width, height;

    explicit TexelSource(const QrvSurfaceDesc& t)
        : pixels(static_cast<const uint8_t*>(t.pixels)), pitch(t.pitch), width(t.width), height(t.height) {}

    template <class F>
    const uint8_t* At(int32_t column, int32_t row) const {
        return pixels + row * pitch + static_cast<ptrdiff_t>(column) * F::kBytes;
    }
    template <class F>
    uint32_t Raw(int32_t column, int32_t row) const {
        return F::Load(At<F>(column, row));
    }
};

template <class F>
inline uint32_t Expand(uint32_t raw) {
    return F::ToArgb(raw);
}

// Collects the runs of kept texels as a fetch goes along the span.
struct RunBuilder {
    int32_t* runs;
    int32_t words = 0;
    int32_t start = -1;  // first texel of the open run, -1 when none

    void Keep(int32_t k) {
        if (start < 0) start = k;
    }
    void Drop(int32_t k) {
        if (start < 0) return;
        runs[words++] = start;
        runs[words++] = k - start;
        start = -1;
    }
    int32_t Finish(int32_t width) {
        Drop(width);
        return words;
    }
};

template <class F>
void FetchPlain(const TexelSource& tex, uint32_t* line, int32_t width, TexelWalk w) {
    if (w.dv == 0) {
        const uint8_t* row = tex.At<F>(0, w.v >> 16);
        for (int32_t k = 0; k < width; ++k, w.u += w.du)
            line[k] = Expand<F>(F::Load(row + static_cast<ptrdiff_t>(w.u >> 16) * F::kBytes));
        return;
    }
    for (int32_t k = 0; k < width; ++k, w.u += w.du, w.v += w.dv) line[k] = Expand<F>(tex.Raw<F>(w.u >> 16, w.v >> 16));
}

template <class F>
int32_t FetchCompressed(const TexelSource& tex, uint32_t* line, int32_t* runs, int32_t width, TexelWalk w,
                        uint32_t key) {
    RunBuilder rb{runs};
    int32_t n = 0;
    for (int32_t k = 0; k < width; ++k, w.u += w.du, w.v += w.dv) {
        const uint32_t raw = tex.Raw<F>(w.u >> 16, w.v >> 16);
        if (raw == key) {
            rb.Drop(k);
        } else {
            rb.Keep(k);
            line[n++] = Expand<F>(raw);
        }
    }
    return rb.Finish(width);
}

// ---- Bilinear ----

// The four texels around a position: a at (column, row), b to its right, c
// below, d below right; the neighbours repeat the last column and row.
struct Quad {
    uint32_t a, b, c, d;
    uint32_t fx, fy;
};

template <class F>
inline Quad QuadAt(const TexelSource& tex, int32_t u, int32_t v) {
    const int32_t column = u >> 16, row = v >> 16;
    const ptrdiff_t right = column + 1 < tex.width ? F::kBytes : 0;
    const ptrdiff_t down = row + 1 < tex.height ? tex.pitch : 0;
    const uint8_t* p = tex.At<F>(column, row);
    return {Expand<F>(F::Load(p)),
            Expand<F>(F::Load(p + right)),
            Expand<F>(F::Load(p + down)),
            Expand<F>(F::Load(p + down + right)),
            (static_cast<uint32_t>(u) >> 8) & 0xFF,
            (static_cast<uint32_t>(v) >> 8) & 0xFF};
}

// x + (((y - x) * f) >> 8) on two channels a word, in wrapping unsigned
// arithmetic, masked back to the lanes.
constexpr uint32_t LaneBlend(uint32_t x, uint32_t y, uint32_t f) { return (x + (((y - x) * f) >> 8)) & 0x00FF00FF; }

constexpr uint32_t LaneBilinear(const Quad& q) {
    constexpr uint32_t kLanes = 0x00FF00FF;
    const uint32_t rbTop = LaneBlend(q.a & kLanes, q.b & kLanes, q.fx);
    const uint32_t rbBottom = LaneBlend(q.c & kLanes, q.d & kLanes, q.fx);
    const uint32_t agTop = LaneBlend(q.a >> 8 & kLanes, q.b >> 8 & kLanes, q.fx);
    const uint32_t agBottom = LaneBlend(q.c >> 8 & kLanes, q.d >> 8 & kLanes, q.fx);
    return LaneBlend(rbTop, rbBottom, q.fy) | LaneBlend(agTop, agBottom, q.fy) << 8;
}

// Each of the four channels (x * (255 - f) + y * f) >> 8, across the row and
// then between the rows.
constexpr uint32_t ChannelBilinear(const Quad& q) {
    uint32_t r = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        auto ch = [shift](uint32_t c) { return (c >> shift) & 0xFF; };
        const uint32_t top = (ch(q.a) * (255 - q.fx) + ch(q.b) * q.fx) >> 8;
        const uint32_t bottom = (ch(q.c) * (255 - q.fx) + ch(q.d) * q.fx) >> 8;
        r |= ((top * (255 - q.fy) + bottom * q.fy) >> 8) << shift;
    }
    return r;
}

enum class Filter { Lanes, Channels };

#if defined(__SSE2__)
struct Quad4 {
    __m128i a, b, c, d, fx, fy;  // fx, fy: one 32-bit lane per texel
};

[[gnu::always_inline]] inline __m128i LaneBlend4(__m128i x, __m128i y, __m128i fBoth) {
    const __m128i diff = _mm_sub_epi32(y, x);
    return _mm_and_si128(_mm_add_epi32(x, _mm_srli_epi32(packed::MultiplyLow32BySmall(diff, fBoth), 8)),
                         _mm_set1_epi32(0x00FF00FF));
}

[[gnu::always_inline]] inline __m128i LaneBilinear4(const Quad4& q) {
    const __m128i lanes = _mm_set1_epi32(0x00FF00FF);
    const __m128i fx = _mm_or_si128(q.fx, _mm_slli_epi32(q.fx, 16));
    const __m128i fy = _mm_or_si128(q.fy, _mm_slli_epi32(q.fy, 16));
    auto part = [&](__m128i a, __m128i b, __m128i c, __m128i d) {
        return LaneBlend4(LaneBlend4(a, b, fx), LaneBlend4(c, d, fx), fy);
    };
    const __m128i rb = part(_mm_and_si128(q.a, lanes), _mm_and_si128(q.b, lanes), _mm_and_si128(q.c, lanes),
                            _mm_and_si128(q.d, lanes));
    const __m128i ag = part(_mm_and_si128(_mm_srli_epi32(q.a, 8), lanes), _mm_and_si128(_mm_srli_epi32(q.b, 8), lanes),
                            _mm_and_si128(_mm_srli_epi32(q.c, 8), lanes), _mm_and_si128(_mm_srli_epi32(q.d, 8), lanes));
    return _mm_or_si128(rb, _mm_slli_epi32(ag, 8));
}

// (x * (255 - f) + y * f) >> 8 on 16-bit lanes; the terms stay below 65536.
inline __m128i ChannelBlend16(__m128i x, __m128i y, __m128i f) {
    const __m128i keep = _mm_sub_epi16(_mm_set1_epi16(255), f);
    return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(x, keep), _mm_mullo_epi16(y, f)), 8);
}

[[gnu::always_inline]] inline __m128i ChannelBilinear4(const Quad4& q) {
    // Each texel's factor in the four 16-bit lanes of its channels.
    const __m128i fx16 = _mm_packs_epi32(q.fx, q.fx);  // f0 f1 f2 f3 f0 f1 f2 f3
    const __m128i fy16 = _mm_packs_epi32(q.fy, q.fy);
    const __m128i fxPairs = _mm_unpacklo_epi16(fx16, fx16), fyPairs = _mm_unpacklo_epi16(fy16, fy16);
    const __m128i fxLo = _mm_unpacklo_epi32(fxPairs, fxPairs), fxHi = _mm_unpackhi_epi32(fxPairs, fxPairs);
    const __m128i fyLo = _mm_unpacklo_epi32(fyPairs, fyPairs), fyHi = _mm_unpackhi_epi32(fyPairs, fyPairs);
    auto half = [&](__m128i a, __m128i b, __m128i c, __m128i d, __m128i fx, __m128i fy) {
        return ChannelBlend16(ChannelBlend16(a, b, fx), ChannelBlend16(c, d, fx), fy);
    };
    const __m128i lo = half(packed::WidenLow(q.a), packed::WidenLow(q.b), packed::WidenLow(q.c),
                            packed::WidenLow(q.d), fxLo, fyLo);
    const __m128i hi = half(packed::WidenHigh(q.a), packed::WidenHigh(q.b), packed::WidenHigh(q.c),
                            packed::WidenHigh(q.d), fxHi, fyHi);
    return _mm_packus_epi16(lo, hi);
}
#endif

template <Filter R>
constexpr uint32_t Bilinear(const Quad& q) {
    if constexpr (R == Filter::Lanes) return LaneBilinear(q);
    else return ChannelBilinear(q);
}

// Positions of up to kBlock texels, filtered together.
inline constexpr int kBlock = 32;

// Filters n texels at the positions us/vs into out. With ZeroKeyed, each of
// the neighbours b, c and d equal to key counts as 0.
template <class F, Filter R, bool ZeroKeyed>
void FilterBlock(const TexelSource& tex, const int32_t* us, const int32_t* vs, int32_t n, uint32_t* out, uint32_t key,
                 bool usePacked) {
    auto quadAt = [&](int32_t i) {
        Quad q = QuadAt<F>(tex, us[i], vs[i]);
        if constexpr (ZeroKeyed) {
            if (q.b == key) q.b = 0;
            if (q.c == key) q.c = 0;
            if (q.d == key) q.d = 0;
        }
        return q;
    };
    int32_t i = 0;
#if defined(__SSE2__)
    if (usePacked) {
        const __m128i byteMask = _mm_set1_epi32(0xFF);
        for (; i + 4 <= n; i += 4) {
            const __m128i u4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(us + i));
            const __m128i v4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(vs + i));
            Quad4 q;
            q.fx = _mm_and_si128(_mm_srli_epi32(u4, 8), byteMask);
            q.fy = _mm_and_si128(_mm_srli_epi32(v4, 8), byteMask);
            bool gathered = false;
            if constexpr (F::kBytes == 4) {
                // Away from the last column and row, each texel's right
                // neighbour follows it in memory: two 8-byte loads a texel.
                const __m128i inside = _mm_and_si128(
                    _mm_cmplt_epi32(_mm_srai_epi32(u4, 16), _mm_set1_epi32(tex.width - 1)),
                    _mm_cmplt_epi32(_mm_srai_epi32(v4, 16), _mm_set1_epi32(tex.height - 1)));
                if (_mm_movemask_epi8(inside) == 0xFFFF) {
                    __m128i top[4], bottom[4];
                    for (int j = 0; j < 4; ++j) {
                        const uint8_t* p = tex.At<F>(us[i + j] >> 16, vs[i + j] >> 16);
                        top[j] = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
                        bottom[j] = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + tex.pitch));
                    }
                    auto split = [](const __m128i (&pairs)[4], __m128i& first, __m128i& second) {
                        const __m128 x = _mm_castsi128_ps(_mm_unpacklo_epi64(pairs[0], pairs[1]));
                        const __m128 y = _mm_castsi128_ps(_mm_unpacklo_epi64(pairs[2], pairs[3]));
                        first = _mm_castps_si128(_mm_shuffle_ps(x, y, _MM_SHUFFLE(2, 0, 2, 0)));
                        second = _mm_castps_si128(_mm_shuffle_ps(x, y, _MM_SHUFFLE(3, 1, 3, 1)));
                    };
                    split(top, q.a, q.b);
                    split(bottom, q.c, q.d);
                    if constexpr (ZeroKeyed) {
                        const __m128i k = _mm_set1_epi32(static_cast<int32_t>(key));
                        q.b = _mm_andnot_si128(_mm_cmpeq_epi32(q.b, k), q.b);
                        q.c = _mm_andnot_si128(_mm_cmpeq_epi32(q.c, k), q.c);
                        q.d = _mm_andnot_si128(_mm_cmpeq_epi32(q.d, k), q.d);
                    }
                    gathered = true;
                }
            }
            if (!gathered) {
                const Quad q0 = quadAt(i), q1 = quadAt(i + 1), q2 = quadAt(i + 2), q3 = quadAt(i + 3);
                auto lanes = [](uint32_t x0, uint32_t x1, uint32_t x2, uint32_t x3) {
                    return _mm_setr_epi32(static_cast<int32_t>(x0), static_cast<int32_t>(x1),
                                          static_cast<int32_t>(x2), static_cast<int32_t>(x3));
                };
                q.a = lanes(q0.a, q1.a, q2.a, q3.a);
                q.b = lanes(q0.b, q1.b, q2.b, q3.b);
                q.c = lanes(q0.c, q1.c, q2.c, q3.c);
                q.d = lanes(q0.d, q1.d, q2.d, q3.d);
            }
            const __m128i r = R == Filter::Lanes ? LaneBilinear4(q) : ChannelBilinear4(q);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), r);
        }
    }
#else
    (void)usePacked;
#endif
    for (; i < n; ++i) out[i] = Bilinear<R>(quadAt(i));
}

template <class F, Filter R>
void FetchBilinear(const TexelSource& tex, uint32_t* line, int32_t width, TexelWalk w, bool usePacked) {
    int32_t us[kBlock], vs[kBlock];
    for (int32_t k = 0; k < width; k += kBlock) {
        const int32_t n = width - k < kBlock ? width - k : kBlock;
        for (int32_t i = 0; i < n; ++i, w.u += w.du, w.v += w.dv) us[i] = w.u, vs[i] = w.v;
        FilterBlock<F, R, false>(tex, us, vs, n, line + k, 0, usePacked);
    }
}

// maskKey is compared with the raw texel at each position, neighbourKey with
// the expanded neighbours.
template <class F>
int32_t FetchBilinearCompressed(const TexelSource& tex, uint32_t* line, int32_t* runs, int32_t width, TexelWalk w,
                                uint32_t maskKey, uint32_t neighbourKey, bool usePacked) {
    RunBuilder rb{runs};
    int32_t us[kBlock] = {}, vs[kBlock] = {};
    int32_t pending = 0, n = 0;
    for (int32_t k = 0; k < width; ++k, w.u += w.du, w.v += w.dv) {
        if (tex.Raw<F>(w.u >> 16, w.v >> 16) == maskKey) {
            rb.Drop(k);
            continue;
        }
        rb.Keep(k);
        us[pending] = w.u, vs[pending] = w.v;
        if (++pending == kBlock) {
            FilterBlock<F, Filter::Lanes, true>(tex, us, vs, pending, line + n, neighbourKey, usePacked);
            n += pending;
            pending = 0;
        }
    }
    FilterBlock<F, Filter::Lanes, true>(tex, us, vs, pending, line + n, neighbourKey, usePacked);
    return rb.Finish(width);
}

bool UsePacked() { return PackedKernelsActive(); }

}  // namespace

void FetchTexels(const QrvSurfaceDesc& tex, uint32_t* line, int32_t width, TexelWalk walk) {
    const TexelSource src(tex);
    WithFormat(tex.format, [&]<class F>() { FetchPlain<F>(src, line, width, walk); });
}

int32_t FetchTexelsCompressed(const QrvSurfaceDesc& tex, uint32_t* line, int32_t* runs, int32_t width,
                              TexelWalk walk) {
    const TexelSource src(tex);
    const uint32_t key = RGBForFormat(tex.maskColour, tex.format);
    int32_t words = 0;
    WithFormat(tex.format, [&]<class F>() { words = FetchCompressed<F>(src, line, runs, width, walk, key); });
    return words;
}

void FetchTexelsBilinear(const QrvSurfaceDesc& tex, uint32_t* line, int32_t width, TexelWalk walk, int32_t mmxState) {
    const TexelSource src(tex);
    const bool usePacked = UsePacked();
    WithFormat(tex.format, [&]<class F>() {
        if (mmxState == 1) {
            FetchBilinear<F, Filter::Channels>(src, line, width, walk, usePacked);
        } else {
            FetchBilinear<F, Filter::Lanes>(src, line, width, walk, usePacked);
        }
    });
}

int32_t FetchTexelsBilinearCompressed(const QrvSurfaceDesc& tex, uint32_t* line, int32_t* runs, int32_t width,
                                      TexelWalk walk) {
    const TexelSource src(tex);
    const bool wide = BytesPerPixel(tex.format) == 4;
    // 32-bit textures compare whole stored words, the others their own
    // encoding at the position and the format's precision at the neighbours.
    const uint32_t maskKey = wide ? tex.maskColour : RGBForFormat(tex.maskColour, tex.format);
    const uint32_t neighbourKey = wide ? tex.maskColour : RGBPrecisionMask(tex.maskColour, tex.format);
    int32_t words = 0;
    WithFormat(tex.format, [&]<class F>() {
        words = FetchBilinearCompressed<F>(src, line, runs, width, walk, maskKey, neighbourKey, UsePacked());
    });
    return words;
}

}  // namespace qrv
