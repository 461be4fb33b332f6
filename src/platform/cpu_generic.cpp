#include "platform/cpu.h"

#if !defined(__i386__) && !defined(__x86_64__)

#include <chrono>

namespace qrv::platform {

int32_t HasMmx() { return 0; }
int32_t HasAvx2() { return 0; }

uint64_t TimeStamp() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

}  // namespace qrv::platform

#endif
