// The span buffer, the span filler and the strip writer: runs of one colour
// combined into the destination buffer by an ink draw mode.
#include "primitives/spans.h"

#include <cstdlib>

#include "frame/state.h"
#include "primitives/ink_modes.h"
#include "primitives/pixels.h"
#include "primitives/span_kernels.h"
#include "primitives/span_members.h"
#include "quorvel.h"

namespace qrv {
namespace {

constinit SpanRecord* spanBuffer = nullptr;
constinit int32_t spanCapacity = 0;

// [kernel set][MMX state]: the MMX state decides what the 32-bit alpha byte
// receives, the kernel set only how fast the same pixels are produced.
constexpr SpanMemberTable kMembers[2][2] = {
    {BuildSpanMembers<PlainKernel<false>>(), BuildSpanMembers<PlainKernel<true>>()},
    {BuildSpanMembers<PackedKernel<false>>(), BuildSpanMembers<PackedKernel<true>>()},
};

const SpanMemberTable& MembersFor(KernelSet set, int mmx) {
    if (set == KernelSet::Avx2) {
        if (const SpanMemberTable* wide = WideSpanMembers(mmx)) return *wide;
        set = KernelSet::Sse2;
    }
    return kMembers[set == KernelSet::Sse2][mmx];
}

// The ink-alpha cut-offs: below `skipBelow` nothing is drawn, from
// `replaceFrom` on the colour is written plainly.
struct AlphaCutoffs {
    int32_t skipBelow16, replaceFrom16;
    int32_t skipBelowOther, replaceFrom;
};
constexpr AlphaCutoffs kSpanCutoffs{17, 240, 1, 255};
constexpr AlphaCutoffs kStripCutoffs{15, 255, 1, 255};

// The strip writer has no run of its own for reverse subtract, for multiply
// outside 5-6-5, nor for add and subtract in format 5; there it follows the
// single-pixel rules: no zero-colour shortcut, and a cleared 32-bit top byte
// whatever the MMX state.
constexpr bool StripUsesPixelRules(int ink, int32_t format) {
    return ink == static_cast<int>(Ink::ReverseSubtract) || (ink == static_cast<int>(Ink::Multiply) && format != 1) ||
           ((ink == static_cast<int>(Ink::Add) || ink == static_cast<int>(Ink::Subtract)) && format == 5);
}

void Fill(const SpanRecord* records, int32_t count, uint32_t colour, int32_t mode, const AlphaCutoffs& cut,
          bool strip) {
    const int32_t format = g.dest.format;
    int ink = InkIndex(mode);
    if (!IsFormat(format) || ink < 0 || count <= 0) return;
    const int32_t alpha = g.inkAlpha;
    if (ink == static_cast<int>(Ink::Alpha)) {
        const bool sixteen = BytesPerPixel(format) == 2;
        if (alpha < (sixteen ? cut.skipBelow16 : cut.skipBelowOther)) return;
        if (alpha >= (sixteen ? cut.replaceFrom16 : cut.replaceFrom)) ink = static_cast<int>(Ink::Replace);
    }
    const bool pixelRules = strip && StripUsesPixelRules(ink, format);
    // Adding or subtracting nothing leaves the pixels, alpha bytes included;
    // the 24-bit members rewrite them unchanged instead.
    if (!pixelRules && (ink == static_cast<int>(Ink::Add) || ink == static_cast<int>(Ink::Subtract)) &&
        format != 3 && colour == 0)
        return;
    const int mmx = g.mmxState == 1 && !pixelRules ? 1 : 0;
    MembersFor(ActiveKernelSet(), mmx)[ink][format](records, count, colour, static_cast<uint32_t>(alpha));
}

}  // namespace

SpanRecord* GetSpanBuffer(int32_t records) {
    if (records <= spanCapacity) return spanBuffer;
    if (static_cast<uint64_t>(records) * sizeof(SpanRecord) > SIZE_MAX) return nullptr;
    // The old contents need not survive, so the old block goes first.
    std::free(spanBuffer);
    spanBuffer = static_cast<SpanRecord*>(std::malloc(static_cast<size_t>(records) * sizeof(SpanRecord)));
    spanCapacity = spanBuffer ? records : 0;
    return spanBuffer;
}

void FillSpans(const SpanRecord* records, int32_t count, uint32_t colour, int32_t mode) {
    Fill(records, count, colour, mode, kSpanCutoffs, false);
}

void DrawStrip(int32_t y, int32_t x0, int32_t x1, uint32_t colour, int32_t mode) {
    SpanRecord r{};
    r.y = y;
    r.xLeft = x0;
    r.xRight = x1;
    Fill(&r, 1, colour, mode, kStripCutoffs, true);
}

}  // namespace qrv

extern "C" {

QRV_API void QRV_CALL QRV_DrawStrip(int32_t y, int32_t x0, int32_t x1, uint32_t colour, int32_t mode) {
    qrv::DrawStrip(y, x0, x1, colour, mode);
}

}  // extern "C"
