// Helpers shared by the span and line suites.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "primitives/packed.h"
#include "primitives/spans.h"
#include "quorvel.h"
#include "support/canvas.h"

namespace qrvtest {

// Restores the library settings a test changed.
struct SettingsGuard {
    int32_t alpha = QRV_GetInkAlpha();
    int32_t mmx = QRV_GetMMXState();
    ~SettingsGuard() {
        QRV_SetInkAlpha(alpha);
        QRV_SetMMXState(mmx);
        qrv::SetKernelSet(qrv::KernelSet::Sse2);
    }
};

inline qrv::SpanRecord Span(int y, int x0, int x1) {
    qrv::SpanRecord r{};
    r.y = y;
    r.xLeft = x0;
    r.xRight = x1;
    return r;
}

// A colour in buffer format with random fields, never 0 (add and subtract
// skip a zero colour) and with bit 15 of 5-5-5 and the 32-bit top byte random.
inline uint32_t RandomColour(std::mt19937& rng, int format) {
    uint32_t c;
    do {
        c = rng();
        if (format <= 2) c &= 0xFFFF;
        if (format == 3) c &= 0xFFFFFF;
    } while (c == 0);
    return c;
}

inline uint32_t PixelMask(int format) { return format <= 2 ? 0xFFFFu : format == 3 ? 0xFFFFFFu : 0xFFFFFFFFu; }

// The 32-bit modes whose packed bodies run their byte rule over the top byte.
inline bool CombinesTopByte(int mode, int format) {
    return format >= 4 && (mode == 64 || mode == 128 || mode == 4096 || mode == 2048);
}

// The byte rule of those modes, for the top byte.
inline uint32_t TopByteRule(int mode, uint32_t d, uint32_t c) {
    const uint32_t x = d >> 24, y = c >> 24;
    switch (mode) {
        case 64: return x + y > 255 ? 255 : x + y;
        case 128: return x > y ? x - y : 0;
        case 4096: return y > x ? y - x : 0;
        default: return (x * y) >> 8;
    }
}

}  // namespace qrvtest
