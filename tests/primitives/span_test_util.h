// Helpers shared by the span, line and shape suites.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "primitives/packed.h"
#include "primitives/spans.h"
#include "quorvel.h"
#include "support/canvas.h"
#include "support/kernel_sets.h"

namespace qrvtest {

// Restores the library settings a test changed.
struct SettingsGuard {
    int32_t alpha = QRV_GetInkAlpha();
    int32_t mmx = QRV_GetMMXState();
    qrv::KernelSet set = qrv::ActiveKernelSet();
    ~SettingsGuard() {
        QRV_SetInkAlpha(alpha);
        QRV_SetMMXState(mmx);
        qrv::SetKernelSet(set);
    }
};

inline qrv::SpanRecord Span(int y, int x0, int x1) {
    qrv::SpanRecord r{};
    r.y = y;
    r.xLeft = x0;
    r.xRight = x1;
    return r;
}

inline uint32_t PixelMask(int format) { return format <= 2 ? 0xFFFFu : format == 3 ? 0xFFFFFFu : 0xFFFFFFFFu; }

// A colour in buffer format with random fields, never 0 (add and subtract
// skip a zero colour) and with bit 15 of 5-5-5 and the 32-bit top byte random.
inline uint32_t RandomColour(std::mt19937& rng, int format) {
    uint32_t c;
    do c = rng() & PixelMask(format);
    while (c == 0);
    return c;
}

// Random records inside the canvas: empty and reversed ones, odd and even
// starts, one-pixel runs, overlapping rows.
inline std::vector<qrv::SpanRecord> RandomSpans(std::mt19937& rng, int width, int height, int count) {
    std::vector<qrv::SpanRecord> spans;
    for (int i = 0; i < count; ++i) {
        const int y = static_cast<int>(rng() % height);
        const int a = static_cast<int>(rng() % (width + 1)), b = static_cast<int>(rng() % (width + 1));
        switch (rng() % 4) {
            case 0: spans.push_back(Span(y, b, a)); break;  // reversed or empty
            case 1: spans.push_back(Span(y, a, a < width ? a + 1 : a)); break;
            default: spans.push_back(Span(y, a < b ? a : b, a < b ? b : a));
        }
    }
    return spans;
}

}  // namespace qrvtest
