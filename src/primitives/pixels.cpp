#include "primitives/pixels.h"

#include "frame/colour.h"
#include "quorvel.h"

namespace qrv {
namespace {

using PixelOp = void (*)(uint8_t* p, uint32_t colour, uint32_t alpha);

template <Ink I, class F>
struct MakePixelOp {
    static constexpr PixelOp Get() { return &CombinePixel<I, F>; }
};

constexpr auto kPixelOps = BuildInkFormatTable<PixelOp, MakePixelOp>();

void DrawPixelAt(int32_t x, int32_t y, uint32_t colour, int32_t mode) {
    const int32_t format = g.dest.format;
    const int bytes = BytesPerPixel(format);
    int ink = InkIndex(mode);
    if (bytes == 0 || ink < 0) return;
    const uint32_t alpha = static_cast<uint32_t>(g.inkAlpha);
    if (ink == static_cast<int>(Ink::Alpha)) {
        if (g.inkAlpha < 1) return;
        if (g.inkAlpha >= 255) ink = static_cast<int>(Ink::Replace);
    }
    kPixelOps[ink][format](PixelAddress(x, y, bytes), colour, alpha);
}

template <Ink I, class F>
void PlotPixel(int32_t x, int32_t y, uint32_t colour) {
    CombinePixel<I, F>(PixelAddress(x, y, F::kBytes), colour, static_cast<uint32_t>(g.inkAlpha));
}

template <Ink I, class F>
struct MakePlotter {
    // Only the pairs that blended lines are known to have: add in every format
    // but 24-bit, the other channel blends in 32-bit only.
    static constexpr bool kHas =
        (I == Ink::Add && F::kBytes != 3) ||
        (F::kBytes == 4 && (I == Ink::Alpha || I == Ink::Half || I == Ink::Subtract || I == Ink::Multiply ||
                            I == Ink::ReverseSubtract));
    static constexpr Plotter Get() {
        if constexpr (kHas) return &PlotPixel<I, F>;
        return nullptr;
    }
};

constexpr auto kPlotters = BuildInkFormatTable<Plotter, MakePlotter>();

template <class F>
uint32_t ReadPixel(int32_t x, int32_t y) {
    return F::ToArgb(F::Load(PixelAddress(x, y, F::kBytes)));
}

// Filled at start-up; empty before it, so that a read then returns 0.
PixelReader pixelReaders[kPixelReaderSlots] = {};

uint32_t ReadChecked(int32_t x, int32_t y) {
    uint32_t result = 0;
    WithFormat(g.dest.format, [&]<class F>() { result = ReadPixel<F>(x, y); });
    return result;
}

}  // namespace

Plotter PlotterFor(int32_t mode, int32_t format) {
    const int ink = InkIndex(mode);
    if (ink < 0 || !IsFormat(format)) return nullptr;
    return kPlotters[ink][format];
}

void BuildPixelReaderTable() {
    pixelReaders[0] = &ReadPixel<Format565>;
    pixelReaders[1] = &ReadPixel<Format565>;
    pixelReaders[2] = &ReadPixel<Format555>;
    pixelReaders[3] = &ReadPixel<Format24>;
    pixelReaders[4] = &ReadPixel<Format32>;
    pixelReaders[5] = &ReadPixel<Format32>;
    pixelReaders[6] = &ReadPixel<Format32>;
}

}  // namespace qrv

using namespace qrv;

extern "C" {

QRV_API void QRV_CALL QRV_DrawPixel(int32_t x, int32_t y, uint32_t colour, int32_t mode) {
    DrawPixelAt(x, y, colour, mode);
}

QRV_API void QRV_CALL QRV_Dot(int32_t x, int32_t y, uint32_t colour, int32_t mode) {
    if (!InViewport(x, y)) return;
    DrawPixelAt(x, y, ForBuffer(colour, g.dest.format), mode);
}

QRV_API void QRV_CALL QRV_FastDot(int32_t x, int32_t y, uint32_t colour, int32_t mode) {
    DrawPixelAt(x, y, ForBuffer(colour, g.dest.format), mode);
}

QRV_API uint32_t QRV_CALL QRV_Point(int32_t x, int32_t y) {
    if (!InViewport(x, y)) return 0;
    return ReadChecked(x, y);
}

QRV_API uint32_t QRV_CALL QRV_FastPoint(int32_t x, int32_t y) { return ReadChecked(x, y); }

QRV_API uint32_t QRV_CALL QRV_FastPoint_JT(int32_t x, int32_t y) {
    // The table covers codes 0..6; any other code, or a table not yet built,
    // reads 0 instead of calling through a stray pointer.
    const int32_t format = g.dest.format;
    if (format < 0 || format >= kPixelReaderSlots || pixelReaders[format] == nullptr) return 0;
    return pixelReaders[format](x, y);
}

}  // extern "C"
