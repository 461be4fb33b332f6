#include "primitives/packed.h"

#include <cstdlib>
#include <cstring>

namespace qrv {
namespace {

// -1 until first asked, so that loading the library runs nothing.
constinit int activeSet = -1;

int FromEnvironment() {
    const char* v = std::getenv("QUORVEL_SIMD");
    if (!HavePackedKernels() || (v != nullptr && std::strcmp(v, "scalar") == 0)) return 0;
    return 1;
}

}  // namespace

KernelSet ActiveKernelSet() {
    if (activeSet < 0) activeSet = FromEnvironment();
    return static_cast<KernelSet>(activeSet);
}

void SetKernelSet(KernelSet set) {
    activeSet = (set == KernelSet::Sse2 && HavePackedKernels()) ? 1 : 0;
}

}  // namespace qrv
