/*
 * Quorvel: a software 2D raster library.
 *
 * Every routine draws into pixel memory owned by the caller. Select the
 * destination with QRV_SetBuffer and the clip rectangle with
 * QRV_SetBufferViewPort, then draw. Colours cross the interface as 32-bit
 * 0xAARRGGBB values unless a routine says it takes a colour "in buffer format"
 * (the value RGBForBuffer returns for the destination format).
 *
 * Pixel format codes: 1 = 16-bit 5-6-5, 2 = 16-bit 5-5-5, 3 = 24-bit (red byte
 * first), 4 = 32-bit 0x00RRGGBB, 5 = 32-bit 0xAARRGGBB.
 *
 * Ink draw modes: 1 and 2 replace, 16 ink alpha, 32 half, 64 add, 128
 * subtract, 256 and, 512 or, 1024 xor, 2048 multiply, 4096 reverse subtract.
 */
#ifndef QUORVEL_H
#define QUORVEL_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define QRV_CALL __stdcall
#else
#define QRV_CALL
#endif

#if defined(QRV_STATIC)
#define QRV_API
#elif defined(_WIN32)
/* The DLL exports exactly the decorated names listed in its .def file. */
#if defined(QRV_BUILDING_LIBRARY)
#define QRV_API
#else
#define QRV_API __declspec(dllimport)
#endif
#else
#define QRV_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Pixel format codes. */
enum {
    QRV_FORMAT_565 = 1,
    QRV_FORMAT_555 = 2,
    QRV_FORMAT_24 = 3,
    QRV_FORMAT_32 = 4,
    QRV_FORMAT_ARGB = 5
};

/* Ink draw modes. */
enum {
    QRV_MODE_REPLACE = 1,
    QRV_MODE_REPLACE2 = 2,
    QRV_MODE_INK_ALPHA = 16,
    QRV_MODE_HALF = 32,
    QRV_MODE_ADD = 64,
    QRV_MODE_SUBTRACT = 128,
    QRV_MODE_AND = 256,
    QRV_MODE_OR = 512,
    QRV_MODE_XOR = 1024,
    QRV_MODE_MULTIPLY = 2048,
    QRV_MODE_REVERSE_SUBTRACT = 4096,

    /* Shape style bits, combined with a mode in the shape calls
       (one enumeration, so that QRV_MODE_ADD | QRV_STYLE_FILLED is plain). */
    QRV_STYLE_OUTLINE = 1,
    QRV_STYLE_FILLED = 2
};

/*
 * Surface descriptor: a pixel buffer with its own view rectangle (left and
 * top inclusive, right and bottom exclusive) and mask colour.
 */
typedef struct QrvSurfaceDesc {
    int32_t format;
    void* pixels;
    int32_t pitch;
    uint32_t pitchShift;
    int32_t width;
    int32_t height;
    uint32_t maskColour;
    int32_t viewLeft;
    int32_t viewTop;
    int32_t viewRight;
    int32_t viewBottom;
} QrvSurfaceDesc;

/* ---- Library state, buffers and viewport ---- */
QRV_API int32_t QRV_CALL QRV_Init_Lib(void);
QRV_API int32_t QRV_CALL QRV_Close_Lib(void);
QRV_API void QRV_CALL QRV_SetBuffer(void* base, int32_t pitch, int32_t format);
QRV_API void QRV_CALL QRV_SetSrcBuffer(void* base, int32_t pitch, int32_t format);
QRV_API void QRV_CALL QRV_SetSrcBlendBuffer(void* base, int32_t pitch, int32_t format);
QRV_API void QRV_CALL QRV_SetBufferViewPort(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
QRV_API int32_t QRV_CALL QRV_ImageInViewPort(int32_t x, int32_t y, int32_t width, int32_t height);
QRV_API int32_t QRV_CALL QRV_SetInkAlpha(int32_t alpha);
QRV_API int32_t QRV_CALL QRV_GetInkAlpha(void);
QRV_API void QRV_CALL QRV_SetThreadCount(int32_t count);
QRV_API int32_t QRV_CALL QRV_GetThreadCount(void);
QRV_API int32_t QRV_CALL QRV_GetMMXState(void);
QRV_API int32_t QRV_CALL CPU_CheckMMX(void);
QRV_API int32_t QRV_CALL QRV_SetMMXState(int32_t state);
QRV_API int32_t QRV_CALL QRV_StartCC(int32_t slot);
QRV_API uint32_t QRV_CALL QRV_GetCCTP(int32_t slot);
QRV_API int32_t QRV_CALL QRV_SetDebug(int32_t slot, int32_t value);
QRV_API int32_t QRV_CALL QRV_GetDebug(int32_t slot);
QRV_API void* QRV_CALL QRV_BankPTR(void* value);
QRV_API int32_t QRV_CALL QRV_GetVertexBufferModulo(void);

/* ---- Colour values and conversions ---- */
QRV_API uint32_t QRV_CALL RGBto565(uint32_t argb);
QRV_API uint32_t QRV_CALL RGBto555(uint32_t argb);
QRV_API uint32_t QRV_CALL RGBForBuffer(uint32_t argb, int32_t format);
QRV_API uint32_t QRV_CALL ZK_RGB(int32_t r, int32_t g, int32_t b);
QRV_API uint32_t QRV_CALL ZK_ARGB(int32_t a, int32_t r, int32_t g, int32_t b);
QRV_API uint32_t QRV_CALL ZK_RGB_With_AlphaIntensity(int32_t r, int32_t g, int32_t b);
QRV_API int32_t QRV_CALL ZK_RGBA(uint32_t argb);
QRV_API int32_t QRV_CALL ZK_RGBR(uint32_t argb);
QRV_API int32_t QRV_CALL ZK_RGBG(uint32_t argb);
QRV_API int32_t QRV_CALL ZK_RGBB(uint32_t argb);
QRV_API uint32_t QRV_CALL ZK_RGB_888to565(uint32_t argb);
QRV_API uint32_t QRV_CALL ZK_RGB_888to555(uint32_t argb);
QRV_API uint32_t QRV_CALL ZK_RGB_565to888(uint32_t word);
QRV_API uint32_t QRV_CALL ZK_RGB_555to888(uint32_t word);
QRV_API uint32_t QRV_CALL ZK_RGB_GREY(uint32_t argb);
QRV_API uint32_t QRV_CALL ZK_RGB_FADE(uint32_t argb, float percent);
QRV_API uint32_t QRV_CALL ZK_RGB_ALPHA_BLEND(uint32_t c1, uint32_t c2, float percent);
QRV_API uint32_t QRV_CALL ZK_RGB_ALPHA_BLEND_Variable(uint32_t c1, uint32_t c2, int32_t alpha);
QRV_API uint32_t QRV_CALL ZK_RGB_DEPTH_CUE(uint32_t c1, uint32_t c2, float depth, float nearDepth, float farDepth);
QRV_API uint32_t QRV_CALL ZK_RGB_SCALE(uint32_t argb, int32_t factor);
QRV_API uint32_t QRV_CALL ZK_RGB_ALPHA_ADD(uint32_t c1, uint32_t c2);
QRV_API uint32_t QRV_CALL ZK_RGB_ALPHA_SUB(uint32_t c1, uint32_t c2);
QRV_API uint32_t QRV_CALL ZK_RGB_ALPHA_MULT(uint32_t c1, uint32_t c2);
QRV_API uint32_t QRV_CALL ZK_RGB_ALPHA_50(uint32_t c1, uint32_t c2);
QRV_API uint32_t QRV_CALL ZK_RGB_ALPHA_AND(uint32_t c1, uint32_t c2);
QRV_API uint32_t QRV_CALL ZK_RGB_ALPHA_OR(uint32_t c1, uint32_t c2);
QRV_API uint32_t QRV_CALL ZK_RGB_ALPHA_XOR(uint32_t c1, uint32_t c2);

/* ---- Pixels ---- */
QRV_API void QRV_CALL QRV_DrawPixel(int32_t x, int32_t y, uint32_t colour, int32_t mode);
QRV_API void QRV_CALL QRV_Dot(int32_t x, int32_t y, uint32_t colour, int32_t mode);
QRV_API void QRV_CALL QRV_FastDot(int32_t x, int32_t y, uint32_t colour, int32_t mode);
QRV_API uint32_t QRV_CALL QRV_Point(int32_t x, int32_t y);
QRV_API uint32_t QRV_CALL QRV_FastPoint(int32_t x, int32_t y);
QRV_API uint32_t QRV_CALL QRV_FastPoint_JT(int32_t x, int32_t y);

/* ---- Spans and lines ---- */
QRV_API void QRV_CALL QRV_DrawStrip(int32_t y, int32_t x0, int32_t x1, uint32_t colour, int32_t mode);
QRV_API void QRV_CALL QRV_WriteLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour, int32_t mode);
QRV_API void QRV_CALL QRV_WriteDrawModeLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour,
                                            int32_t mode);
QRV_API void QRV_CALL QRV_WriteLine_32Bit(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour,
                                          int32_t ignored);

/* ---- Boxes, circles and ellipses ---- */
QRV_API void QRV_CALL QRV_Box(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour, int32_t flags);
QRV_API void QRV_CALL QRV_ShadeBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t c0, uint32_t c1,
                                   uint32_t c2, uint32_t c3, int32_t flags);
QRV_API void QRV_CALL QRV_Circle(int32_t cx, int32_t cy, int32_t r, uint32_t colour, int32_t flags);
QRV_API void QRV_CALL QRV_Ellipse(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint32_t colour, int32_t flags);
QRV_API void QRV_CALL QRV_OpenCircle(int32_t cx, int32_t cy, int32_t r, uint32_t colour, int32_t flags);
QRV_API void QRV_CALL QRV_OpenEllipse(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint32_t colour, int32_t flags);
QRV_API void QRV_CALL QRV_OpenEllipseFX(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint32_t colour, int32_t flags,
                                        int32_t noclip);
QRV_API void QRV_CALL QRV_FilledEllipse(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint32_t colour, int32_t flags);
QRV_API void QRV_CALL QRV_FilledEllipseNC(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint32_t colour,
                                          int32_t flags);

/* ---- Polygons ---- */
QRV_API void QRV_CALL QRV_Tri(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour,
                              int32_t mode);
QRV_API void QRV_CALL QRV_Quad(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3,
                               int32_t y3, uint32_t colour, int32_t mode);
QRV_API void QRV_CALL QRV_TriG(int32_t x0, int32_t y0, uint32_t c0, int32_t x1, int32_t y1, uint32_t c1, int32_t x2,
                               int32_t y2, uint32_t c2, int32_t mode);
QRV_API void QRV_CALL QRV_QuadG(int32_t x0, int32_t y0, uint32_t c0, int32_t x1, int32_t y1, uint32_t c1, int32_t x2,
                                int32_t y2, uint32_t c2, int32_t x3, int32_t y3, uint32_t c3, int32_t mode);
QRV_API void QRV_CALL QRV_QuadSetGouraud(uint32_t c0, uint32_t c1, uint32_t c2, uint32_t c3);
QRV_API void QRV_CALL QRV_DrawGouraudPoly(int32_t count, int32_t mode);
QRV_API void QRV_CALL QRV_HoriGouraudStrip(int32_t xa, uint32_t ca, int32_t xb, uint32_t cb, int32_t y);
QRV_API void QRV_CALL QRV_VertGouraudStrip(int32_t ya, uint32_t ca, int32_t yb, uint32_t cb, int32_t x);

/* ---- Blits ---- */
QRV_API void QRV_CALL QRV_Blit(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t dx, int32_t dy,
                               uint32_t maskColour, int32_t flags);
QRV_API void QRV_CALL QRV_BlitFX(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t dx, int32_t dy,
                                 uint32_t maskColour, int32_t flags, int32_t mode, uint32_t colour, int32_t useBlend,
                                 int32_t reserved);
QRV_API int32_t QRV_CALL QRV_BlitThreads(int32_t count);
QRV_API int32_t QRV_CALL QRV_GetBlitThreads(void);
QRV_API int32_t QRV_CALL QRV_BlitAsync(int32_t value);
QRV_API int32_t QRV_CALL QRV_GetBlitAsync(void);

#ifdef __cplusplus
}
#endif

#endif /* QUORVEL_H */
