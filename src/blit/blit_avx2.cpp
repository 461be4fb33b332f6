// The plain and effect blits' rows in the 32-byte kernel set. This file alone is built
// with AVX2 (x86 builds); its header-only pixel code lives in a namespace of
// its own, so that none of it replaces a baseline copy.
#define QRV_ISA avx2

#include "blit/blit_rows.h"
#include "blit/effect_rows.h"

namespace qrv {

#if defined(__AVX2__)

namespace {

constexpr BlitRowTable kWide[2][2] = {
    {BuildBlitRows<false, 0, packed::Width32>(), BuildBlitRows<true, 0, packed::Width32>()},
    {BuildBlitRows<false, 1, packed::Width32>(), BuildBlitRows<true, 1, packed::Width32>()},
};

constexpr EffectRowTable kWideEffects[2] = {BuildEffectRows<0, packed::Width32>(),
                                            BuildEffectRows<1, packed::Width32>()};

}  // namespace

const BlitRowTable* WideBlitRows(int mmxState, bool keyed) { return &kWide[mmxState != 0][keyed]; }
const EffectRowTable* WideEffectRows(int mmxState) { return &kWideEffects[mmxState != 0]; }

#else

const BlitRowTable* WideBlitRows(int, bool) { return nullptr; }
const EffectRowTable* WideEffectRows(int) { return nullptr; }

#endif

}  // namespace qrv
