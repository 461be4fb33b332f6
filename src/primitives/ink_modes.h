// Ink draw modes: how a colour c (in buffer format) combines with the pixel d
// already in the buffer. One scalar rule per mode, written once over the field
// layout of a format; every pixel, span and line routine is built from these.
#pragma once

#include "frame/isa.h"

#include <array>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "frame/numeric.h"
#include "primitives/packed.h"
#include "primitives/pixel_format.h"

namespace qrv {
inline namespace QRV_ISA {

enum class Ink : int {
    Replace,
    Alpha,
    Half,
    Add,
    Subtract,
    And,
    Or,
    Xor,
    Multiply,
    ReverseSubtract,
};
inline constexpr int kInkCount = 10;

// The ink of a mode value; -1 for values that are not modes (0 included).
constexpr int InkIndex(int32_t mode) {
    switch (mode) {
        case 1: case 2: return static_cast<int>(Ink::Replace);
        case 16: return static_cast<int>(Ink::Alpha);
        case 32: return static_cast<int>(Ink::Half);
        case 64: return static_cast<int>(Ink::Add);
        case 128: return static_cast<int>(Ink::Subtract);
        case 256: return static_cast<int>(Ink::And);
        case 512: return static_cast<int>(Ink::Or);
        case 1024: return static_cast<int>(Ink::Xor);
        case 2048: return static_cast<int>(Ink::Multiply);
        case 4096: return static_cast<int>(Ink::ReverseSubtract);
        default: return -1;
    }
}

// Shape, line and polygon calls carry style bits below the mode.
constexpr int32_t ShapeMode(int32_t flags, int32_t replaceAs = 1) {
    const int32_t m = flags & 0xFFF0;
    return m == 0 ? replaceAs : m;
}

// d + (((c - d) * a) >> 8) on one field in place: signed difference, arithmetic
// shift, masked back. The product may wrap; the field bits stay exact.
template <uint32_t Mask>
constexpr uint32_t BlendField(uint32_t d, uint32_t c, uint32_t a) {
    const uint32_t dm = d & Mask;
    return (dm + Sar(((c & Mask) - dm) * a, 8)) & Mask;
}

template <class F>
constexpr uint32_t BlendFields(uint32_t d, uint32_t c, uint32_t a) {
    return BlendField<F::kMask[0]>(d, c, a) | BlendField<F::kMask[1]>(d, c, a) | BlendField<F::kMask[2]>(d, c, a);
}

template <class F, class Op>
constexpr uint32_t PerField(uint32_t d, uint32_t c, Op op) {
    uint32_t r = 0;
    for (int i = 0; i < 3; ++i) r |= op(d & F::kMask[i], c & F::kMask[i], i) & F::kMask[i];
    return r;
}

// Formats whose three fields are the three low bytes, where the packed path
// has byte lanes: their saturating rules run as one packed byte operation, the
// same result as the per-field rule (the top byte is cleared as there).
#if defined(__SSE2__)
template <class F>
inline constexpr bool kPackedByteFields =
    F::kMask[0] == 0xFF0000 && F::kMask[1] == 0xFF00 && F::kMask[2] == 0xFF;
#else
template <class F>
inline constexpr bool kPackedByteFields = false;
#endif

enum class ByteRule { Add, Subtract };

// Only instantiated where kPackedByteFields<F> holds.
template <ByteRule R, class F>
uint32_t SaturateBytes(uint32_t d, uint32_t c) {
#if defined(__SSE2__)
    using W = packed::Width16;
    const W::T a = _mm_cvtsi32_si128(static_cast<int>(d)), b = _mm_cvtsi32_si128(static_cast<int>(c));
    const W::T r = R == ByteRule::Add ? W::AddSat8(a, b) : W::SubSat8(a, b);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(r)) & 0x00FFFFFF;
#else
    static_assert(kPackedByteFields<F>, "no byte lanes on this build");
    return d ^ c;
#endif
}

// The new pixel value for ink I on format F. Alpha always blends here; the
// thresholds at 0 and 255 belong to the callers, which differ on them.
template <Ink I, class F>
constexpr uint32_t Combine(uint32_t d, uint32_t c, uint32_t alpha) {
    if constexpr (I == Ink::Replace) {
        return c;
    } else if constexpr (I == Ink::Alpha) {
        return BlendFields<F>(d, c, alpha);
    } else if constexpr (I == Ink::Half) {
        if constexpr (F::kBytes == 3) {
            // The 24-bit format averages whole bytes; the others drop each low bit first.
            return PerField<F>(d, c, [](uint32_t x, uint32_t y, int) { return (x + y) >> 1; });
        } else {
            return ((d >> 1) & F::kHalfMask) + ((c >> 1) & F::kHalfMask);
        }
    } else if constexpr (I == Ink::Add) {
        if constexpr (kPackedByteFields<F>)
            if (!std::is_constant_evaluated()) return SaturateBytes<ByteRule::Add, F>(d, c);
        return PerField<F>(d, c, [](uint32_t x, uint32_t y, int i) {
            const uint32_t s = x + y;
            return s > F::kMask[i] ? F::kMask[i] : s;
        });
    } else if constexpr (I == Ink::Subtract) {
        if constexpr (kPackedByteFields<F>)
            if (!std::is_constant_evaluated()) return SaturateBytes<ByteRule::Subtract, F>(d, c);
        return PerField<F>(d, c, [](uint32_t x, uint32_t y, int) { return x > y ? x - y : 0u; });
    } else if constexpr (I == Ink::ReverseSubtract) {
        if constexpr (kPackedByteFields<F>)
            if (!std::is_constant_evaluated()) return SaturateBytes<ByteRule::Subtract, F>(c, d);
        return PerField<F>(d, c, [](uint32_t x, uint32_t y, int) { return y > x ? y - x : 0u; });
    } else if constexpr (I == Ink::And) {
        return d & c;
    } else if constexpr (I == Ink::Or) {
        return d | c;
    } else if constexpr (I == Ink::Xor) {
        return d ^ c;
    } else {
        static_assert(I == Ink::Multiply);
        return PerField<F>(d, c, [](uint32_t x, uint32_t y, int i) {
            const uint32_t fx = x >> F::kShift[i], fy = y >> F::kShift[i];
            return ((fx * fy) >> F::kWidth[i]) << F::kShift[i];
        });
    }
}

// Builds a [ink][format code] table of Make<I, F>::Get() entries; format codes
// 1..5 are filled, index 0 and codes outside 1..5 stay null.
inline constexpr int kFormatSlots = 6;

template <class Entry, template <Ink, class> class Make>
constexpr std::array<std::array<Entry, kFormatSlots>, kInkCount> BuildInkFormatTable() {
    std::array<std::array<Entry, kFormatSlots>, kInkCount> t{};
    [&]<int... I>(std::integer_sequence<int, I...>) {
        ((t[I][1] = Make<static_cast<Ink>(I), Format565>::Get(),
          t[I][2] = Make<static_cast<Ink>(I), Format555>::Get(),
          t[I][3] = Make<static_cast<Ink>(I), Format24>::Get(),
          t[I][4] = Make<static_cast<Ink>(I), Format32>::Get(),
          t[I][5] = Make<static_cast<Ink>(I), Format32>::Get()),
         ...);
    }(std::make_integer_sequence<int, kInkCount>{});
    return t;
}

}  // namespace QRV_ISA
}  // namespace qrv
