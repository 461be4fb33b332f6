// Effect blits: a source rectangle combined with the source-blend picture or
// with a colour by mix, add, subtract or multiply, some writing the result
// back into the source; the cut; and the stored blit settings.
#include <array>
#include <cstddef>
#include <utility>

#include "blit/blit.h"
#include "blit/blit_rules.h"
#include "blit/effect_rows.h"
#include "frame/state.h"
#include "primitives/packed.h"
#include "quorvel.h"

namespace qrv {
namespace {

// [mmx state][packed]: the plain rows and the 16-byte packed ones.
constexpr EffectRowTable kEffectRows[2][2] = {
    {BuildEffectRows<0, void>(), BuildEffectRows<0, packed::Width16>()},
    {BuildEffectRows<1, void>(), BuildEffectRows<1, packed::Width16>()},
};

// Stored for the host and read back; every blit runs on the calling thread.
constinit int32_t blitThreads = 4;
constinit int32_t blitAsync = 0;

}  // namespace

int EffectFor(int32_t mode, int32_t useBlend) {
    const bool blend = useBlend == 1;
    switch (mode & ~1) {
        case 0: return (mode & 1) ? kCut : -1;
        case 32: return blend ? kMixBlend : kMixColour;
        case 64: return blend ? kAddBlend : kAddColour;
        case 128: return blend ? kSubBlend : kSubColour;
        case 1024: return blend ? kMulBlendNarrow : -1;
        case 8192: return blend ? kMulBlend : kMulColour;
        case 16384: return useBlend == 0 ? kFadeSource : -1;
        default: return -1;
    }
}

bool EffectUsesBlend(int effect) { return effect >= 0 && effect < kEffectCount && kEffects[effect].againstBlend; }

EffectRowFn EffectRowFor(int effect, int32_t format, int32_t mmxState, KernelSet set) {
    if (effect < 0 || effect >= kEffectCount || !IsFormat(format)) return nullptr;
    // The 32-byte set lists only the rows it draws itself.
    if (set == KernelSet::Avx2)
        if (const EffectRowTable* wide = WideEffectRows(mmxState & 1))
            if (const EffectRowFn row = (*wide)[effect][format]) return row;
    return kEffectRows[mmxState & 1][set != KernelSet::Scalar][effect][format];
}

}  // namespace qrv

using namespace qrv;

extern "C" {

QRV_API void QRV_CALL QRV_BlitFX(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t dx, int32_t dy,
                                 uint32_t maskColour, int32_t flags, int32_t mode, uint32_t colour,
                                 int32_t useBlend, int32_t /*reserved*/) {
    if (mode == 0) {
        QRV_Blit(x1, y1, x2, y2, dx, dy, maskColour, flags);
        return;
    }
    const int effect = EffectFor(mode, useBlend);
    const int32_t format = g.src.format;
    const EffectRowFn row = EffectRowFor(effect, format, g.mmxState, ActiveKernelSet());
    const int bytes = BytesPerPixel(format);
    const bool blend = EffectUsesBlend(effect);
    // No conversion happens: a destination whose pixels have another size
    // would be written past its rows, so it is left alone.
    if (row == nullptr || BytesPerPixel(g.dest.format) != bytes) return;
    if (g.src.base == nullptr || g.dest.base == nullptr || (blend && g.srcBlend.base == nullptr)) return;
    BlitRect r;
    if (!ClipBlit(x1, y1, x2, y2, dx, dy, r)) return;

    const uint32_t c = ForBuffer(colour, format);
    uint8_t* d = RowAddress(g.dest, r.dy) + static_cast<ptrdiff_t>(r.dx) * bytes;
    uint8_t* s = RowAddress(g.src, r.sy) + static_cast<ptrdiff_t>(r.sx) * bytes;
    const uint8_t* b = blend ? RowAddress(g.srcBlend, r.sy) + static_cast<ptrdiff_t>(r.sx) * bytes : nullptr;
    for (int32_t y = 0; y < r.height; ++y) {
        row(d, s, b, r.width, c);
        d += g.dest.pitch;
        s += g.src.pitch;
        if (b != nullptr) b += g.srcBlend.pitch;
    }
}

QRV_API int32_t QRV_CALL QRV_BlitThreads(int32_t count) {
    blitThreads = count;
    return count;
}

QRV_API int32_t QRV_CALL QRV_GetBlitThreads(void) { return blitThreads; }

QRV_API int32_t QRV_CALL QRV_BlitAsync(int32_t value) {
    blitAsync = value & 1;
    return blitAsync;
}

QRV_API int32_t QRV_CALL QRV_GetBlitAsync(void) { return blitAsync; }

}  // extern "C"
