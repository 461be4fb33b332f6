// In-place effects over the view of a surface: fade, grey scale, mask to
// alpha, 3 x 3 blur, radial light and light map, mirroring.
//
// Row effects read a view row into the work row as 0xAARRGGBB, change it and
// write it back with a plain strip write, so narrow formats keep only what
// their layout holds. Every effect works on the part of the view that lies
// on the surface.
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "frame/numeric.h"
#include "frame/state.h"
#include "surfaces/surface.h"
#include "surfaces/work_rows.h"

namespace qrv {

namespace {

// The single-precision 1/255 that scales light values.
constexpr double kLightScale = static_cast<double>(1.0f / 255.0f);

uint32_t GreyOf(uint32_t r, uint32_t g, uint32_t b) { return (225 * r + 723 * g + 76 * b) >> 10; }

// Runs change(row, count, y) over every row of the clipped view.
template <class Change>
void ChangeViewRows(const QrvSurfaceDesc* desc, Change&& change) {
    const SurfaceRect r = ClippedView(desc);
    if (r.Empty()) return;
    const int32_t w = r.right - r.left;
    uint32_t* row = GeneralWorkRow(w);
    if (!row) return;
    for (int32_t y = r.top; y < r.bottom; ++y) {
        PeekPixelStrip(desc, r.left, r.right, y, row);
        change(row, w, y);
        PokePixelStrip(desc, row, w, r.left, y, 0, 0);
    }
}

// Light and light map share their rows and distances: row cy is lit at
// distance 0, rows cy - d and cy + d at distance d, for d below a count set
// by which half of the surface holds cy. fill(row, count, y, d) writes the
// row from the distance of each column.
template <class Fill>
void ForEachLitRow(const QrvSurfaceDesc* desc, int32_t cy, Fill&& fill) {
    const SurfaceRect r = ClippedView(desc);
    if (r.Empty()) return;
    const int64_t count = cy < desc->height / 2 ? int64_t{desc->height} - cy : int64_t{cy} + 1;
    const int32_t w = r.right - r.left;
    uint32_t* row = GeneralWorkRow(w);
    uint32_t* light = LightWorkRow(w);
    if (!row || !light) return;
    for (int32_t y = r.top; y < r.bottom; ++y) {
        const int64_t d = y >= cy ? int64_t{y} - cy : int64_t{cy} - y;
        if (d >= count) continue;
        fill(row, light, w, r.left, y, static_cast<double>(d));
        PokePixelStrip(desc, row, w, r.left, y, 0, 0);
    }
}

// (intensity - distance x falloff) / 255 for the pixel at (dx, d).
double LightValue(int64_t dx, double d, double intensity, double falloff) {
    const double fx = static_cast<double>(dx);
    return (intensity - std::sqrt(fx * fx + d * d) * falloff) * kLightScale;
}

// One pixel exchanged with another through the colour a peek gives and a
// poke stores, as two single-pixel copies would.
template <class F>
void SwapPixels(uint8_t* a, uint8_t* b) {
    const uint32_t ca = WidenPixel<F>(a), cb = WidenPixel<F>(b);
    NarrowPixel<F>(a, cb);
    NarrowPixel<F>(b, ca);
}

template <class F>
void Mirror(const QrvSurfaceDesc& d, const SurfaceRect& r, bool horizontal, bool vertical) {
    const int32_t w = r.right - r.left, h = r.bottom - r.top;
    auto at = [&](int32_t x, int32_t y) { return SurfacePixelAddress(d, x, y, F::kBytes); };
    if (horizontal && vertical) {
        // A half-turn: pixel k of the view in row order trades with pixel n - 1 - k.
        const int64_t n = int64_t{w} * h;
        for (int64_t k = 0; k < n / 2; ++k) {
            const int64_t m = n - 1 - k;
            SwapPixels<F>(at(r.left + static_cast<int32_t>(k % w), r.top + static_cast<int32_t>(k / w)),
                          at(r.left + static_cast<int32_t>(m % w), r.top + static_cast<int32_t>(m / w)));
        }
    } else if (horizontal) {
        for (int32_t y = r.top; y < r.bottom; ++y)
            for (int32_t i = 0; i < w / 2; ++i) SwapPixels<F>(at(r.left + i, y), at(r.right - 1 - i, y));
    } else {
        for (int32_t j = 0; j < h / 2; ++j) {
            uint8_t* a = at(r.left, r.top + j);
            uint8_t* b = at(r.left, r.bottom - 1 - j);
            for (int32_t i = 0; i < w; ++i, a += F::kBytes, b += F::kBytes) SwapPixels<F>(a, b);
        }
    }
}

}  // namespace

}  // namespace qrv

using namespace qrv;

extern "C" {

QRV_API void QRV_CALL QRV_FillRect_Fade(QrvSurfaceDesc* desc, int32_t percent) {
    // Clamped before the conversion, so that percentages too large for 32 bits saturate too.
    const double scaled = static_cast<double>(percent) * static_cast<double>(0.01f) * 256.0;
    const int32_t factor = scaled <= 0 ? 0 : (scaled >= 1024 ? 1024 : TruncToInt32(scaled));
    uint8_t table[256];
    for (uint32_t i = 0; i < 256; ++i) {
        const uint32_t v = (i * static_cast<uint32_t>(factor)) >> 8;
        table[i] = static_cast<uint8_t>(v > 255 ? 255 : v);
    }
    ChangeViewRows(desc, [&](uint32_t* row, int32_t n, int32_t) {
        for (int32_t i = 0; i < n; ++i) {
            const uint32_t c = row[i];
            row[i] = uint32_t{table[c >> 24]} << 24 | uint32_t{table[(c >> 16) & 255]} << 16 |
                     uint32_t{table[(c >> 8) & 255]} << 8 | table[c & 255];
        }
    });
}

QRV_API void QRV_CALL QRV_FillRect_GreyScale(QrvSurfaceDesc* desc) {
    ChangeViewRows(desc, [](uint32_t* row, int32_t n, int32_t) {
        for (int32_t i = 0; i < n; ++i) {
            const uint32_t c = row[i];
            const uint32_t grey = GreyOf((c >> 16) & 255, (c >> 8) & 255, c & 255);
            row[i] = (c & 0xFF000000u) | grey * 0x010101u;
        }
    });
}

QRV_API void QRV_CALL QRV_FillRect_Make_Alpha(QrvSurfaceDesc* desc, int32_t mode) {
    if (mode != 0 || !desc) return;
    const uint32_t key = desc->maskColour;
    ChangeViewRows(desc, [key](uint32_t* row, int32_t n, int32_t) {
        for (int32_t i = 0; i < n; ++i) row[i] = (row[i] & 0x00FFFFFFu) | (row[i] == key ? 0xFF000000u : 0);
    });
}

QRV_API void QRV_CALL QRV_FillRect_Blur(QrvSurfaceDesc* desc, float amount) {
    if (amount == 0.0f || std::isnan(amount)) return;
    const SurfaceRect r = ClippedView(desc);
    if (r.Empty()) return;
    const float divisor = amount < -255.0f ? -255.0f : (amount > 255.0f ? 255.0f : amount);
    const int32_t w = r.right - r.left, h = r.bottom - r.top;
    if (w > INT32_MAX / 4) return;
    // Sums are taken over the pixels as they were before the call.
    QrvSurfaceDesc* copy = CreateOwnedSurface(4, w * 4, w, h);
    if (!copy) return;
    uint32_t* rows = GeneralWorkRow(int64_t{w} * 3);
    if (!rows) {
        DestroyOwnedSurface(copy);
        return;
    }
    for (int32_t y = 0; y < h; ++y)
        PeekPixelStrip(desc, r.left, r.right, r.top + y, static_cast<uint32_t*>(copy->pixels) + int64_t{y} * w);

    // Nine channels of 255 sum to at most 2295.
    uint8_t table[2304];
    for (int i = 0; i < 2304; ++i) table[i] = static_cast<uint8_t>(ClampInt(TruncToInt32(i / double{divisor}), 0, 255));

    // Column sums in two 16-bit lanes per word: red and blue, alpha and green.
    uint32_t* sumRB = rows;
    uint32_t* sumAG = rows + w;
    uint32_t* out = rows + 2 * int64_t{w};
    const uint32_t* pixels = static_cast<const uint32_t*>(copy->pixels);
    for (int32_t y = 0; y < h; ++y) {
        const uint32_t* up = pixels + int64_t{y > 0 ? y - 1 : 0} * w;
        const uint32_t* mid = pixels + int64_t{y} * w;
        const uint32_t* down = pixels + int64_t{y + 1 < h ? y + 1 : y} * w;
        for (int32_t x = 0; x < w; ++x) {
            sumRB[x] = (up[x] & 0x00FF00FFu) + (mid[x] & 0x00FF00FFu) + (down[x] & 0x00FF00FFu);
            sumAG[x] = ((up[x] >> 8) & 0x00FF00FFu) + ((mid[x] >> 8) & 0x00FF00FFu) + ((down[x] >> 8) & 0x00FF00FFu);
        }
        for (int32_t x = 0; x < w; ++x) {
            const int32_t xl = x > 0 ? x - 1 : 0, xr = x + 1 < w ? x + 1 : x;
            const uint32_t rb = sumRB[xl] + sumRB[x] + sumRB[xr];
            const uint32_t ag = sumAG[xl] + sumAG[x] + sumAG[xr];
            out[x] = uint32_t{table[ag >> 16]} << 24 | uint32_t{table[rb >> 16]} << 16 |
                     uint32_t{table[ag & 0xFFFF]} << 8 | table[rb & 0xFFFF];
        }
        PokePixelStrip(desc, out, w, r.left, r.top + y, 0, 0);
    }
    DestroyOwnedSurface(copy);
}

QRV_API void QRV_CALL QRV_FillRect_Light(QrvSurfaceDesc* desc, int32_t cx, int32_t cy, float intensity, float falloff,
                                         int32_t) {
    ForEachLitRow(desc, cy, [&](uint32_t* row, uint32_t* light, int32_t n, int32_t left, int32_t y, double d) {
        // Lights of 256 and more saturate every non-zero channel, so the
        // value is held there and the product fits 32 bits.
        constexpr uint32_t kMaxLight = 256u << 16;
        for (int32_t i = 0; i < n; ++i) {
            const double v = LightValue(int64_t{left} + i - cx, d, intensity, falloff);
            light[i] = !(v > 0) ? 0 : (v >= 256.0 ? kMaxLight : static_cast<uint32_t>(TruncToInt32(v * 65536.0)));
        }
        PeekPixelStrip(desc, left, left + n, y, row);
        for (int32_t i = 0; i < n; ++i) {
            const uint32_t c = row[i], l = light[i];
            auto lit = [l](uint32_t ch) { const uint32_t v = (ch * l) >> 16; return v > 255 ? 255u : v; };
            row[i] = lit((c >> 16) & 255) << 16 | lit((c >> 8) & 255) << 8 | lit(c & 255);
        }
    });
}

QRV_API void QRV_CALL QRV_FillRect_PhongMap(QrvSurfaceDesc* desc, int32_t cx, int32_t cy, uint32_t colour,
                                            float intensity, float falloff, int32_t) {
    const double channel[3] = {double((colour >> 16) & 255), double((colour >> 8) & 255), double(colour & 255)};
    ForEachLitRow(desc, cy, [&](uint32_t* row, uint32_t*, int32_t n, int32_t left, int32_t, double d) {
        for (int32_t i = 0; i < n; ++i) {
            const double v = LightValue(int64_t{left} + i - cx, d, intensity, falloff);
            if (!(v > 0)) {
                row[i] = 0;
                continue;
            }
            uint32_t c[3];
            for (int k = 0; k < 3; ++k) {
                const double lit = v * channel[k];
                c[k] = lit >= 255.0 ? 255u : static_cast<uint32_t>(TruncToInt32(lit));
            }
            const uint32_t alpha = GreyOf(c[0], c[1], c[2]);
            row[i] = (alpha > 255 ? 255u : alpha) << 24 | c[0] << 16 | c[1] << 8 | c[2];
        }
    });
}

QRV_API void QRV_CALL QRV_MirrorRect(QrvSurfaceDesc* desc, int32_t horizontal, int32_t vertical) {
    const bool h = (horizontal & 1) != 0, v = (vertical & 1) != 0;
    if (!h && !v) return;
    const SurfaceRect r = ClippedView(desc);
    if (r.Empty()) return;
    WithFormat(desc->format, [&]<class F>() { Mirror<F>(*desc, r, h, v); });
}

}  // extern "C"
