// The quarter-circle profile that gives circles and ellipses their shape,
// and the classification of a centred shape against the viewport.
#pragma once

#include <cstdint>

#include "frame/state.h"

namespace qrv {

inline constexpr int32_t kProfileScale = 16384;
inline constexpr int32_t kProfileRadius = 16384;
inline constexpr int32_t kProfileLast = 16384;

// Entry k: the height of a circle of kProfileRadius at x = k + 1, scaled to
// kProfileScale; the last entry is 0.
extern int32_t CircleProfile[kProfileLast + 1];

void BuildCircleProfile(int32_t scale, int32_t radius);

// Half-extent along axis b of a curve of radius a (the stepped axis) and b,
// at step i (0 <= i <= a, a >= 1): b - 1 at i = 0, 0 at i = a.
inline int32_t ProfileExtent(int32_t i, int32_t a, int32_t b) {
    // 64-bit, so that radii past 2^17 neither wrap the index nor the product.
    int64_t index = (int64_t{i} << 14) / a;
    if (index < 0) index = 0;
    if (index > kProfileLast) index = kProfileLast;
    return static_cast<int32_t>((int64_t{CircleProfile[index]} * b) >> 14);
}

enum ShapeClass : int32_t { kShapeOutside = -1, kShapeClipped = 0, kShapeInside = 1 };

// Where the box cx - rx .. cx + rx, cy - ry .. cy + ry lies in the viewport.
inline ShapeClass ClassifyShape(int32_t cx, int32_t cy, int32_t rx, int32_t ry, const Viewport& v) {
    const int64_t left = int64_t{cx} - rx, right = int64_t{cx} + rx;
    const int64_t top = int64_t{cy} - ry, bottom = int64_t{cy} + ry;
    if (right < v.left || left > v.right || bottom < v.top || top > v.bottom) return kShapeOutside;
    if (left >= v.left && right < v.right && top >= v.top && bottom < v.bottom) return kShapeInside;
    return kShapeClipped;
}

}  // namespace qrv
