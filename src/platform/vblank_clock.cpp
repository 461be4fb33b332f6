// Without a display driver to ask, frames follow a steady 60 Hz clock: frame
// starts fall on whole sixtieths of a second of the monotonic clock, and the
// scan line is the elapsed part of the current frame spread over the 1125
// lines of a 1080-line display with its blanking.
#include "platform/vblank.h"

#if !defined(_WIN32)

#include <chrono>
#include <thread>

namespace qrv::platform {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int64_t kNanosPerSecond = 1'000'000'000;
constexpr int64_t kFramesPerSecond = 60;  // a whole number per second: frames align with seconds
constexpr int64_t kLinesPerFrame = 1125;

int64_t NowNanos() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// Any non-null value stands for the clock, which needs no state.
int gClockToken;

}  // namespace

void* OpenVerticalBlank() { return &gClockToken; }

void CloseVerticalBlank(void*) {}

int32_t WaitVerticalBlank(void*) {
    const int64_t now = NowNanos();
    const int64_t second = now / kNanosPerSecond, within = now % kNanosPerSecond;
    const int64_t frame = within * kFramesPerSecond / kNanosPerSecond;
    // Rounded up, so that the wait never ends before the frame has begun.
    const int64_t next = second * kNanosPerSecond +
                         ((frame + 1) * kNanosPerSecond + kFramesPerSecond - 1) / kFramesPerSecond;
    std::this_thread::sleep_until(Clock::time_point(std::chrono::nanoseconds(next)));
    return 0;
}

int32_t CurrentScanLine(void*) {
    const int64_t phase = NowNanos() % kNanosPerSecond * kFramesPerSecond % kNanosPerSecond;
    return static_cast<int32_t>(phase * kLinesPerFrame / kNanosPerSecond);
}

}  // namespace qrv::platform

#endif
