// Processor queries.
#pragma once

#include <cstdint>

namespace qrv::platform {

// 1 when the processor reports the MMX feature (CPUID leaf 1, EDX bit 23).
int32_t HasMmx();

// 1 when the processor has AVX2 and the system saves its 32-byte registers
// (CPUID leaf 7 EBX bit 5, with OSXSAVE and XCR0 holding the SSE and AVX state).
int32_t HasAvx2();

// A free-running cycle-resolution counter.
uint64_t TimeStamp();

}  // namespace qrv::platform
