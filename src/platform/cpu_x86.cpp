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

int32_t HasAvx2() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return 0;
    constexpr unsigned kOsXsave = 1u << 27, kAvx = 1u << 28;
    if ((ecx & (kOsXsave | kAvx)) != (kOsXsave | kAvx)) return 0;
    unsigned xcr0Low = 0, xcr0High = 0;
    __asm__ volatile("xgetbv" : "=a"(xcr0Low), "=d"(xcr0High) : "c"(0));
    if ((xcr0Low & 6u) != 6u) return 0;
    if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) return 0;
    return static_cast<int32_t>((ebx >> 5) & 1u);
}

uint64_t TimeStamp() { return __rdtsc(); }

}  // namespace qrv::platform

#endif
