#include "primitives/packed.h"

#include <cstdlib>
#include <cstring>

#include "platform/cpu.h"

namespace qrv {
namespace {

// -1 until first asked, so that loading the library runs nothing.
constinit int activeSet = -1;

KernelSet Widest() {
    if (!HavePackedKernels()) return KernelSet::Scalar;
    return HaveAvx2Kernels() && platform::HasAvx2() ? KernelSet::Avx2 : KernelSet::Sse2;
}

KernelSet Narrowed(KernelSet set) {
    const KernelSet widest = Widest();
    return static_cast<int>(set) < static_cast<int>(widest) ? set : widest;
}

}  // namespace

KernelSet KernelSetNamed(const char* value) {
    if (value != nullptr && std::strcmp(value, "scalar") == 0) return KernelSet::Scalar;
    if (value != nullptr && std::strcmp(value, "sse2") == 0) return Narrowed(KernelSet::Sse2);
    return Widest();
}

KernelSet ActiveKernelSet() {
    if (activeSet < 0) activeSet = static_cast<int>(KernelSetNamed(std::getenv("QUORVEL_SIMD")));
    return static_cast<KernelSet>(activeSet);
}

void SetKernelSet(KernelSet set) { activeSet = static_cast<int>(Narrowed(set)); }

bool KernelSetAvailable(KernelSet set) { return Narrowed(set) == set; }

}  // namespace qrv
