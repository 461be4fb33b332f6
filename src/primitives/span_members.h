// The span filler's members, one per (ink, format) for one run kernel: each
// walks its records and hands every run to the kernel. The baseline kernel
// sets and the 32-byte set build their tables from this one template.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "frame/isa.h"
#include "frame/state.h"
#include "primitives/ink_modes.h"
#include "primitives/spans.h"

namespace qrv {

using SpanMember = void (*)(const SpanRecord* records, int32_t count, uint32_t colour, uint32_t alpha);
using SpanMemberTable = std::array<std::array<SpanMember, 6>, 10>;

// The 32-byte set's members for the MMX state (0 or 1); null where the build
// has no such set.
const SpanMemberTable* WideSpanMembers(int mmx);

inline namespace QRV_ISA {

static_assert(kFormatSlots == 6 && kInkCount == 10, "the table shape above");

template <Ink I, class F, class Kernel>
void FillMember(const SpanRecord* records, int32_t count, uint32_t colour, uint32_t alpha) {
    const Buffer dest = g.dest;
    for (int32_t i = 0; i < count; ++i) {
        const SpanRecord& r = records[i];
        const int32_t n = RunLength(r.xLeft, r.xRight);
        if (n == 0) continue;
        uint8_t* p = RowAddress(dest, r.y) + static_cast<ptrdiff_t>(r.xLeft) * F::kBytes;
        Kernel::template Run<I, F>(p, n, colour, alpha);
    }
}

template <class Kernel>
struct MemberOf {
    template <Ink I, class F>
    struct Make {
        static constexpr SpanMember Get() { return &FillMember<I, F, Kernel>; }
    };
};

template <class Kernel>
constexpr SpanMemberTable BuildSpanMembers() {
    return BuildInkFormatTable<SpanMember, MemberOf<Kernel>::template Make>();
}

}  // namespace QRV_ISA
}  // namespace qrv
