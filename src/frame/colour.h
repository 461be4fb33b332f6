// Colour encodings: ARGB to and from the buffer formats.
#pragma once

#include "frame/isa.h"

#include <cstdint>

namespace qrv {
inline namespace QRV_ISA {

constexpr uint32_t ArgbTo565(uint32_t argb) {
    return (((argb >> 19) & 0x1F) << 11) | (((argb >> 10) & 0x3F) << 5) | ((argb >> 3) & 0x1F);
}

constexpr uint32_t ArgbTo555(uint32_t argb) {
    return (((argb >> 19) & 0x1F) << 10) | (((argb >> 11) & 0x1F) << 5) | ((argb >> 3) & 0x1F);
}

// Each field moves to the top of its channel; the low bits stay 0.
constexpr uint32_t Read565(uint32_t p) { return ((p & 0xF800) << 8) | ((p & 0x07E0) << 5) | ((p & 0x1F) << 3); }

constexpr uint32_t Read555(uint32_t p) { return ((p & 0x7C00) << 9) | ((p & 0x03E0) << 6) | ((p & 0x1F) << 3); }

// The colour a drawing routine writes for an ARGB colour.
constexpr uint32_t ForBuffer(uint32_t argb, int32_t format) {
    switch (format) {
        case 1: return ArgbTo565(argb);
        case 2: return ArgbTo555(argb);
        case 3: return argb & 0x00FFFFFF;
        default: return argb;
    }
}

// The colour that stored pixels are compared with: format 4 drops the top byte.
constexpr uint32_t RGBForFormat(uint32_t argb, int32_t format) {
    switch (format) {
        case 1: return ArgbTo565(argb);
        case 2: return ArgbTo555(argb);
        case 3: case 4: return argb & 0x00FFFFFF;
        default: return argb;
    }
}

// An ARGB colour reduced to the precision the format holds.
constexpr uint32_t RGBPrecisionMask(uint32_t argb, int32_t format) {
    switch (format) {
        case 1: return argb & 0xF8FCF8;
        case 2: return argb & 0xF8F8F8;
        case 3: return argb & 0xFFFFFF;
        default: return argb;
    }
}

}  // namespace QRV_ISA
}  // namespace qrv
