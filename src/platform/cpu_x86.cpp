#include "platform/cpu.h"

#if defined(__i386__) || defined(__x86_64__)

#include <cpuid.h>
#include <x86intrin.h>

namespace qrv::platform {

int32_t HasMmx() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return 0;
    return static_cast<int32_t>((edx >> 23) & 1u);
}

uint64_t TimeStamp() { return __rdtsc(); }

}  // namespace qrv::platform

#endif
