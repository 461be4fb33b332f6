// Shared pieces of the packed (SSE2) paths and the choice between them and
// the plain loops.
#pragma once

#include <cstdint>

namespace qrv {

// Which family of loops draws: the plain per-pixel loops, or the packed ones.
// Both produce the same pixels; QUORVEL_SIMD=scalar (or =sse2) in the
// environment picks one for a whole process, the default is the widest built.
enum class KernelSet : int { Scalar = 0, Sse2 = 1 };
inline constexpr int kKernelSets = 2;

KernelSet ActiveKernelSet();
// Overrides the environment (tests run both sets in one process).
void SetKernelSet(KernelSet set);
// True when this build has packed loops at all.
constexpr bool HavePackedKernels() {
#if defined(__SSE2__)
    return true;
#else
    return false;
#endif
}

}  // namespace qrv
