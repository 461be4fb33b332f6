// Integer helpers that pin down the arithmetic of the processor the pixel
// rules were written for: 32-bit wrapping values, arithmetic right shifts and
// the truncating float-to-integer conversion.
#pragma once

#include "frame/isa.h"

#include <cmath>
#include <cstdint>

namespace qrv {
inline namespace QRV_ISA {

// Arithmetic shift right of a 32-bit pattern taken as signed.
constexpr uint32_t Sar(uint32_t v, int n) { return static_cast<uint32_t>(static_cast<int32_t>(v) >> n); }

// Float to int32 as the x86 truncating conversion does it: toward zero, with
// NaN and anything outside the int32 range giving INT32_MIN.
constexpr int32_t TruncToInt32(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return INT32_MIN;
    return static_cast<int32_t>(v);
}

// start + count x step in wrapping 32-bit arithmetic: where a value that
// steps by `step` stands after `count` steps.
constexpr int32_t StepBy(int32_t start, int32_t step, int32_t count) {
    return static_cast<int32_t>(static_cast<uint32_t>(start) +
                                static_cast<uint32_t>(count) * static_cast<uint32_t>(step));
}

constexpr int32_t ClampInt(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace QRV_ISA
}  // namespace qrv
