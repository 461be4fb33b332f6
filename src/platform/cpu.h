// Processor queries.
#pragma once

#include <cstdint>

namespace qrv::platform {

// 1 when the processor reports the MMX feature (CPUID leaf 1, EDX bit 23).
int32_t HasMmx();

// A free-running cycle-resolution counter.
uint64_t TimeStamp();

}  // namespace qrv::platform
