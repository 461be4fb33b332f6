// Exported colour conversions and the ZK_ colour arithmetic.
#include "frame/colour.h"
#include "frame/numeric.h"
#include "primitives/ink_modes.h"
#include "quorvel.h"

using namespace qrv;

namespace {

// Channel blend of c1 towards c2 by alpha; the alpha byte of the result is 0.
uint32_t ChannelBlend(uint32_t c1, uint32_t c2, int32_t alpha) {
    return BlendFields<Format32>(c1, c2, static_cast<uint32_t>(alpha));
}

uint32_t BlendVariable(uint32_t c1, uint32_t c2, int32_t alpha) {
    if (alpha < 1) return c1;
    if (alpha > 254) return c2;
    return ChannelBlend(c1, c2, alpha);
}

template <class Op>
uint32_t EachChannel(uint32_t c1, uint32_t c2, Op op) {
    uint32_t r = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        r |= (op((c1 >> shift) & 255, (c2 >> shift) & 255) & 255) << shift;
    }
    return r;
}

uint32_t ScaleByte(uint32_t byte, int32_t factor) {
    // Widened so that a huge factor saturates instead of wrapping.
    const uint64_t v = (uint64_t{byte} * static_cast<uint64_t>(factor)) >> 8;
    return v > 255 ? 255 : static_cast<uint32_t>(v);
}

}  // namespace

extern "C" {

QRV_API uint32_t QRV_CALL RGBto565(uint32_t argb) { return ArgbTo565(argb); }
QRV_API uint32_t QRV_CALL RGBto555(uint32_t argb) { return ArgbTo555(argb); }
QRV_API uint32_t QRV_CALL RGBForBuffer(uint32_t argb, int32_t format) { return ForBuffer(argb, format); }

QRV_API uint32_t QRV_CALL ZK_RGB(int32_t r, int32_t g, int32_t b) {
    return ((static_cast<uint32_t>(r) & 255) << 16) | ((static_cast<uint32_t>(g) & 255) << 8) |
           (static_cast<uint32_t>(b) & 255);
}

QRV_API uint32_t QRV_CALL ZK_ARGB(int32_t a, int32_t r, int32_t g, int32_t b) {
    return (static_cast<uint32_t>(a) << 24) | ZK_RGB(r, g, b);
}

QRV_API uint32_t QRV_CALL ZK_RGB_With_AlphaIntensity(int32_t r, int32_t g, int32_t b) {
    const uint32_t rgb = ZK_RGB(r, g, b);
    uint32_t luma = (225 * ((rgb >> 16) & 255) + 723 * ((rgb >> 8) & 255) + 76 * (rgb & 255)) >> 10;
    if (luma > 255) luma = 255;
    return (luma << 24) | rgb;
}

QRV_API int32_t QRV_CALL ZK_RGBA(uint32_t argb) { return static_cast<int32_t>(argb >> 24); }
QRV_API int32_t QRV_CALL ZK_RGBR(uint32_t argb) { return static_cast<int32_t>((argb >> 16) & 255); }
QRV_API int32_t QRV_CALL ZK_RGBG(uint32_t argb) { return static_cast<int32_t>((argb >> 8) & 255); }
QRV_API int32_t QRV_CALL ZK_RGBB(uint32_t argb) { return static_cast<int32_t>(argb & 255); }
QRV_API uint32_t QRV_CALL ZK_RGB_888to565(uint32_t argb) { return ArgbTo565(argb); }
QRV_API uint32_t QRV_CALL ZK_RGB_888to555(uint32_t argb) { return ArgbTo555(argb); }
QRV_API uint32_t QRV_CALL ZK_RGB_565to888(uint32_t word) { return Read565(word); }
QRV_API uint32_t QRV_CALL ZK_RGB_555to888(uint32_t word) { return Read555(word); }

QRV_API uint32_t QRV_CALL ZK_RGB_GREY(uint32_t argb) {
    const uint32_t grey = (280 * ((argb >> 16) & 255) + 630 * ((argb >> 8) & 255) + 90 * (argb & 255)) / 1000;
    return (grey << 16) | (grey << 8) | grey;
}

QRV_API uint32_t QRV_CALL ZK_RGB_FADE(uint32_t argb, float percent) {
    int32_t p = TruncToInt32(std::floor(static_cast<double>(percent)));
    if (p <= 0) return 0;
    if (p >= 500) p = 500;
    // The single-precision value nearest to 0.01, widened: 100 % gives 255.
    const int32_t factor = TruncToInt32(p * static_cast<double>(0.01f) * 256.0);
    return EachChannel(argb, 0, [factor](uint32_t c, uint32_t) { return ScaleByte(c, factor); });
}

QRV_API uint32_t QRV_CALL ZK_RGB_ALPHA_BLEND(uint32_t c1, uint32_t c2, float percent) {
    const int32_t alpha = TruncToInt32(static_cast<double>(percent) * 0.01 * 255.0);
    if (alpha <= 0) return c1;
    if (alpha >= 255) return c2;
    return ChannelBlend(c1, c2, alpha);
}

QRV_API uint32_t QRV_CALL ZK_RGB_ALPHA_BLEND_Variable(uint32_t c1, uint32_t c2, int32_t alpha) {
    return BlendVariable(c1, c2, alpha);
}

QRV_API uint32_t QRV_CALL ZK_RGB_DEPTH_CUE(uint32_t c1, uint32_t c2, float depth, float nearDepth, float farDepth) {
    if (nearDepth > farDepth) {
        const float t = nearDepth;
        nearDepth = farDepth;
        farDepth = t;
    }
    if (depth < nearDepth) return c1;
    if (depth > farDepth) return c2;
    const double span = static_cast<double>(farDepth) - static_cast<double>(nearDepth);
    const int32_t alpha = TruncToInt32(256.0 / span * (static_cast<double>(depth) - static_cast<double>(nearDepth)));
    return BlendVariable(c1, c2, alpha);
}

QRV_API uint32_t QRV_CALL ZK_RGB_SCALE(uint32_t argb, int32_t factor) {
    if (factor < 0) return 0;
    uint32_t r = 0;
    for (int shift = 0; shift <= 24; shift += 8) r |= ScaleByte((argb >> shift) & 255, factor) << shift;
    return r;
}

QRV_API uint32_t QRV_CALL ZK_RGB_ALPHA_ADD(uint32_t c1, uint32_t c2) {
    return EachChannel(c1, c2, [](uint32_t a, uint32_t b) { return a + b > 255 ? 255 : a + b; });
}

QRV_API uint32_t QRV_CALL ZK_RGB_ALPHA_SUB(uint32_t c1, uint32_t c2) {
    return EachChannel(c1, c2, [](uint32_t a, uint32_t b) { return a > b ? a - b : 0; });
}

QRV_API uint32_t QRV_CALL ZK_RGB_ALPHA_MULT(uint32_t c1, uint32_t c2) {
    return EachChannel(c1, c2, [](uint32_t a, uint32_t b) { return (a * (b + 1)) >> 8; });
}

QRV_API uint32_t QRV_CALL ZK_RGB_ALPHA_50(uint32_t c1, uint32_t c2) {
    return ((c1 & 0xFEFEFE) + (c2 & 0xFEFEFE)) >> 1;
}

QRV_API uint32_t QRV_CALL ZK_RGB_ALPHA_AND(uint32_t c1, uint32_t c2) { return c1 & c2; }
QRV_API uint32_t QRV_CALL ZK_RGB_ALPHA_OR(uint32_t c1, uint32_t c2) { return c1 | c2; }
QRV_API uint32_t QRV_CALL ZK_RGB_ALPHA_XOR(uint32_t c1, uint32_t c2) { return c1 ^ c2; }

}  // extern "C"
