// The span filler's members in the 32-byte kernel set. This file alone is
// built with AVX2 (x86 builds); its header-only pixel code lives in a
// namespace of its own, so that none of it replaces a baseline copy.
#define QRV_ISA avx2

#include "primitives/span_kernels.h"
#include "primitives/span_members.h"

namespace qrv {

#if defined(__AVX2__)

namespace {

constexpr SpanMemberTable kWide[2] = {BuildSpanMembers<PackedKernel<false, packed::Width32>>(),
                                      BuildSpanMembers<PackedKernel<true, packed::Width32>>()};

}  // namespace

const SpanMemberTable* WideSpanMembers(int mmx) { return &kWide[mmx != 0]; }

#else

const SpanMemberTable* WideSpanMembers(int) { return nullptr; }

#endif

}  // namespace qrv
