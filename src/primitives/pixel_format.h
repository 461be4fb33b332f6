// Pixel format traits: how a pixel is loaded and stored, and where its three
// colour fields sit within the pixel value.
//
// A pixel value is the 16-bit word (formats 1, 2), 0x00RRGGBB for the 24-bit
// format (stored red byte first), or the 32-bit word (formats 4, 5).
#pragma once

#include "frame/isa.h"

#include <cstdint>
#include <cstring>

#include "frame/colour.h"

namespace qrv {
inline namespace QRV_ISA {

template <int Code, int Bytes, uint32_t RedMask, uint32_t GreenMask, uint32_t BlueMask>
struct FieldLayout {
    static constexpr int kCode = Code;
    static constexpr int kBytes = Bytes;
    static constexpr uint32_t kMask[3] = {RedMask, GreenMask, BlueMask};
    static constexpr int kShift[3] = {__builtin_ctz(RedMask), __builtin_ctz(GreenMask), __builtin_ctz(BlueMask)};
    static constexpr int kWidth[3] = {__builtin_popcount(RedMask), __builtin_popcount(GreenMask),
                                      __builtin_popcount(BlueMask)};
    static constexpr uint32_t kColourMask = RedMask | GreenMask | BlueMask;
    // Each field halved, its top bit cleared so that two halves never carry.
    static constexpr uint32_t kHalfMask = ((RedMask >> 1) & RedMask) | ((GreenMask >> 1) & GreenMask) |
                                          ((BlueMask >> 1) & BlueMask);
};

struct Format565 : FieldLayout<1, 2, 0xF800, 0x07E0, 0x001F> {
    static uint32_t Load(const uint8_t* p) { uint16_t v; std::memcpy(&v, p, 2); return v; }
    static void Store(uint8_t* p, uint32_t v) { uint16_t w = static_cast<uint16_t>(v); std::memcpy(p, &w, 2); }
    static constexpr uint32_t ToArgb(uint32_t v) { return Read565(v); }
};

struct Format555 : FieldLayout<2, 2, 0x7C00, 0x03E0, 0x001F> {
    static uint32_t Load(const uint8_t* p) { uint16_t v; std::memcpy(&v, p, 2); return v; }
    static void Store(uint8_t* p, uint32_t v) { uint16_t w = static_cast<uint16_t>(v); std::memcpy(p, &w, 2); }
    static constexpr uint32_t ToArgb(uint32_t v) { return Read555(v); }
};

struct Format24 : FieldLayout<3, 3, 0xFF0000, 0x00FF00, 0x0000FF> {
    static uint32_t Load(const uint8_t* p) {
        return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | uint32_t{p[2]};
    }
    static void Store(uint8_t* p, uint32_t v) {
        p[0] = static_cast<uint8_t>(v >> 16);
        p[1] = static_cast<uint8_t>(v >> 8);
        p[2] = static_cast<uint8_t>(v);
    }
    static constexpr uint32_t ToArgb(uint32_t v) { return v; }
};

struct Format32 : FieldLayout<4, 4, 0xFF0000, 0x00FF00, 0x0000FF> {
    static uint32_t Load(const uint8_t* p) { uint32_t v; std::memcpy(&v, p, 4); return v; }
    static void Store(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
    static constexpr uint32_t ToArgb(uint32_t v) { return v; }
};

// Formats 4 and 5 draw alike; they differ only in colour comparison.
template <int Code>
struct FormatOf;
template <> struct FormatOf<1> { using Type = Format565; };
template <> struct FormatOf<2> { using Type = Format555; };
template <> struct FormatOf<3> { using Type = Format24; };
template <> struct FormatOf<4> { using Type = Format32; };
template <> struct FormatOf<5> { using Type = Format32; };

inline constexpr int kFirstFormat = 1;
inline constexpr int kLastFormat = 5;

constexpr bool IsFormat(int32_t code) { return code >= kFirstFormat && code <= kLastFormat; }

// Calls fn.template operator()<F>() with the traits of a format code; false
// (and no call) when the code is not a format.
template <class Fn>
constexpr bool WithFormat(int32_t code, Fn&& fn) {
    switch (code) {
        case 1: fn.template operator()<Format565>(); return true;
        case 2: fn.template operator()<Format555>(); return true;
        case 3: fn.template operator()<Format24>(); return true;
        case 4: case 5: fn.template operator()<Format32>(); return true;
        default: return false;
    }
}

}  // namespace QRV_ISA
}  // namespace qrv
