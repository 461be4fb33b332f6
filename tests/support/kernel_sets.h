// The kernel sets a test compares with the plain loops.
#pragma once

#include <vector>

#include "primitives/packed.h"

namespace qrvtest {

// The packed kernel sets that run here as themselves.
inline std::vector<qrv::KernelSet> PackedSets() {
    std::vector<qrv::KernelSet> sets;
    for (auto set : {qrv::KernelSet::Sse2, qrv::KernelSet::Avx2})
        if (qrv::KernelSetAvailable(set)) sets.push_back(set);
    return sets;
}

}  // namespace qrvtest
