#include "primitives/circle_profile.h"

#include <cmath>

#include "frame/numeric.h"

namespace qrv {

int32_t CircleProfile[kProfileLast + 1];

void BuildCircleProfile(int32_t scale, int32_t radius) {
    const int64_t r2 = int64_t{radius} * radius;
    for (int32_t k = 0; k < kProfileLast; ++k) {
        const int64_t x = int64_t{k} + 1;
        const int64_t height = x < radius ? TruncToInt32(std::sqrt(static_cast<double>(r2 - x * x))) : 0;
        CircleProfile[k] = radius != 0 ? static_cast<int32_t>(height * scale / radius) : 0;
    }
    CircleProfile[kProfileLast] = 0;
}

}  // namespace qrv
