// Start-up, shut-down and the exported setters and getters of the library state.
#include "frame/state.h"
#include "platform/cpu.h"
#include "primitives/circle_profile.h"
#include "primitives/pixels.h"
#include "quorvel.h"

using namespace qrv;

namespace {

void SetTriple(Buffer& b, void* base, int32_t pitch, int32_t format) {
    b.base = static_cast<uint8_t*>(base);
    b.pitch = pitch;
    b.format = format;
}

}  // namespace

extern "C" {

QRV_API int32_t QRV_CALL QRV_Init_Lib(void) {
    g.mmxState = platform::HasMmx();
    QRV_SetThreadCount(8);
    BuildCircleProfile(kProfileScale, kProfileRadius);
    BuildPixelReaderTable();
    return 1;
}

QRV_API int32_t QRV_CALL QRV_Close_Lib(void) { return 0; }

QRV_API void QRV_CALL QRV_SetBuffer(void* base, int32_t pitch, int32_t format) {
    SetTriple(g.dest, base, pitch, format);
    g.destDesc.format = format;
    g.destDesc.pixels = base;
    g.destDesc.pitch = pitch;
}

QRV_API void QRV_CALL QRV_SetSrcBuffer(void* base, int32_t pitch, int32_t format) {
    SetTriple(g.src, base, pitch, format);
}

QRV_API void QRV_CALL QRV_SetSrcBlendBuffer(void* base, int32_t pitch, int32_t format) {
    SetTriple(g.srcBlend, base, pitch, format);
}

QRV_API void QRV_CALL QRV_SetBufferViewPort(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    g.destDesc.viewLeft = x1 < x2 ? x1 : x2;
    g.destDesc.viewRight = x1 < x2 ? x2 : x1;
    g.destDesc.viewTop = y1 < y2 ? y1 : y2;
    g.destDesc.viewBottom = y1 < y2 ? y2 : y1;
}

QRV_API int32_t QRV_CALL QRV_ImageInViewPort(int32_t x, int32_t y, int32_t width, int32_t height) {
    const Viewport v = View();
    // The far edges in 64 bits: a wrapped sum would turn a rectangle reaching
    // past INT32_MAX into one left of or above the viewport.
    const int64_t farX = int64_t{x} + width, farY = int64_t{y} + height;
    return (farY >= v.top && y < v.bottom && farX >= v.left && x < v.right) ? 1 : 0;
}

QRV_API int32_t QRV_CALL QRV_SetInkAlpha(int32_t alpha) {
    g.inkAlpha = ClampInt(alpha, 0, 255);
    return g.inkAlpha;
}

QRV_API int32_t QRV_CALL QRV_GetInkAlpha(void) { return g.inkAlpha; }

QRV_API void QRV_CALL QRV_SetThreadCount(int32_t count) { g.threadCount = ClampInt(count, 1, 32); }

QRV_API int32_t QRV_CALL QRV_GetThreadCount(void) { return g.threadCount; }

QRV_API int32_t QRV_CALL QRV_GetMMXState(void) { return g.mmxState; }

QRV_API int32_t QRV_CALL CPU_CheckMMX(void) { return platform::HasMmx(); }

QRV_API int32_t QRV_CALL QRV_SetMMXState(int32_t state) {
    if (!platform::HasMmx()) return 0;
    g.mmxState = state & 1;
    return g.mmxState;
}

// Slot indices outside the tables write nothing and give 0.
QRV_API int32_t QRV_CALL QRV_StartCC(int32_t slot) {
    if (slot < 0 || slot >= kCycleSlots) return 0;
    g.cycles[slot] = platform::TimeStamp();
    return 1;
}

QRV_API uint32_t QRV_CALL QRV_GetCCTP(int32_t slot) {
    if (slot < 0 || slot >= kCycleSlots) return 0;
    return static_cast<uint32_t>(platform::TimeStamp()) - static_cast<uint32_t>(g.cycles[slot]);
}

QRV_API int32_t QRV_CALL QRV_SetDebug(int32_t slot, int32_t value) {
    if (slot < 0 || slot >= kDebugSlots) return 0;
    g.debug[slot] = value;
    return value;
}

QRV_API int32_t QRV_CALL QRV_GetDebug(int32_t slot) {
    if (slot < 0 || slot >= kDebugSlots) return 0;
    return g.debug[slot];
}

QRV_API void* QRV_CALL QRV_BankPTR(void* value) { return value; }

QRV_API int32_t QRV_CALL QRV_GetVertexBufferModulo(void) { return 32; }

}  // extern "C"
