#include "primitives/packed.h"

#include <cstdlib>
#include <cstring>

namespace qrv {
namespace {

// -1 until first asked, so that loading the library runs nothing.
constinit int activeSet = -1;

}  // namespace

KernelSet KernelSetNamed(const char* value) {
    if (!HavePackedKernels() || (value != nullptr && std::strcmp(value, "scalar") == 0)) return KernelSet::Scalar;
    return KernelSet::Sse2;
}

KernelSet ActiveKernelSet() {
    if (activeSet < 0) activeSet = static_cast<int>(KernelSetNamed(std::getenv("QUORVEL_SIMD")));
    return static_cast<KernelSet>(activeSet);
}

void SetKernelSet(KernelSet set) {
    activeSet = (set == KernelSet::Sse2 && HavePackedKernels()) ? 1 : 0;
}

}  // namespace qrv
