// Shared set-up of the blit tests.
#pragma once

#include <gtest/gtest.h>

#include <random>

#include "primitives/span_test_util.h"
#include "support/canvas.h"

namespace qrvtest {

inline void SelectSource(Canvas& c) { QRV_SetSrcBuffer(c.Base(), c.pitch, c.format); }

// Every pixel of the rectangle [x0, x1) x [y0, y1) set from f(x, y).
template <class F>
void FillWith(Canvas& c, int x0, int y0, int x1, int y1, F f) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) c.Set(x, y, f(x, y));
}

// Every pixel of the rectangle compared with want(x, y); the first difference
// is reported with its place and the caller's message.
template <class F>
::testing::AssertionResult PixelsAre(Canvas& c, int x0, int y0, int x1, int y1, F want) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (c.Get(x, y) != want(x, y))
                return ::testing::AssertionFailure() << "at " << x << "," << y << " got " << c.Get(x, y) << " want "
                                                     << want(x, y);
    return ::testing::AssertionSuccess();
}

class BlitTest : public ::testing::Test {
protected:
    SettingsGuard guard;
    void SetUp() override { QRV_Init_Lib(); }
};

}  // namespace qrvtest
