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

/* ---- Host service table ---- */
/*
 * Fonts and glyph compression reach the host's memory blocks, texts and byte
 * streams only through services the host hands over once, after QRV_Init_Lib,
 * with GCF_Retrieve. The host record is an array of pointer-sized slots; a
 * service is called as intptr_t QRV_CALL fn(intptr_t...) and its slot holds it
 * cast to QrvHostService. Block, text and stream references are opaque nonzero
 * values (0 = none). A stream position of -1 means the current position, which
 * then advances by the bytes moved; any other position is absolute. Values in
 * streams are little-endian.
 */
typedef void (QRV_CALL* QrvHostService)(void);

enum {
    QRV_HOST_MEMORY_SLOTS = 200, /* 5 slots */
    QRV_HOST_BLOCK_SLOTS = 220,  /* 19 slots */
    QRV_HOST_TEXT_SLOTS = 300,   /* 50 slots */
    QRV_HOST_STREAM_SLOTS = 400, /* 25 slots */
    QRV_HOST_RECORD_SLOTS = 425,

    QRV_HOST_ALLOC_BLOCK = 200,    /* (size) -> block, zero-filled; 0 on failure */
    QRV_HOST_FREE_BLOCK = 202,     /* (block) */
    QRV_HOST_FREE_ADDRESS = 203,   /* (address of a block's first byte) */
    QRV_HOST_BLOCK_ADDRESS = 221,  /* (block) -> address of its first byte */
    QRV_HOST_BLOCK_SIZE = 222,     /* (block) -> size in bytes */
    QRV_HOST_COPY_BLOCK = 227,     /* (source, source offset, length, target, target offset) */
    QRV_HOST_POKE_LONG = 235,      /* (block, offset, value): stores 32 bits */
    QRV_HOST_ALLOC_TEXT = 300,     /* (size) -> text, released with the free-block service */
    QRV_HOST_COPY_TO_TEXT = 302,   /* (text, address, length): bytes to its start */
    QRV_HOST_TEXT_EQUAL = 344,     /* (text, text) -> 1 when equal */
    QRV_HOST_OPEN_READ = 401,      /* (argument of CRF_Load) -> stream, 0 on failure */
    QRV_HOST_OPEN_WRITE = 402,     /* (argument of CRF_Save) -> stream, 0 on failure */
    QRV_HOST_CLOSE_STREAM = 403,   /* (stream) */
    QRV_HOST_STREAM_POS = 405,     /* (stream) -> current byte position */
    QRV_HOST_STREAM_SEEK = 406,    /* (stream, position) */
    QRV_HOST_READ_WORD = 410,      /* (stream, position) -> 16-bit value */
    QRV_HOST_READ_LONG = 411,      /* (stream, position) -> 32-bit value */
    QRV_HOST_READ_TO_TEXT = 414,   /* (stream, position, text, length) */
    QRV_HOST_READ_TO_MEMORY = 415, /* (stream, position, address, length) */
    QRV_HOST_WRITE_WORD = 419,     /* (stream, position, value): low 16 bits */
    QRV_HOST_WRITE_LONG = 420,     /* (stream, position, value) */
    QRV_HOST_WRITE_MEMORY = 424    /* (stream, position, first, end): the bytes from first up to end */
};

typedef struct QrvHostRecord {
    QrvHostService slot[QRV_HOST_RECORD_SLOTS];
} QrvHostRecord;

/* Copies every service pointer of the record; a later call replaces them all. */
QRV_API void QRV_CALL GCF_Retrieve(const QrvHostRecord* record);

/* ---- Memory and run-length helpers ---- */
QRV_API void QRV_CALL CopyMemory(void* source, void* destination, int32_t length);
QRV_API void QRV_CALL FillMemory(void* destination, int32_t count, uint32_t value, int32_t sizeCode);
QRV_API void QRV_CALL FillMemoryEx(void* destination, int32_t stride, int32_t count, uint32_t value, int32_t sizeCode);
QRV_API int32_t QRV_CALL CompareBytes(void* a, void* b, int32_t length);
QRV_API int32_t QRV_CALL QRV_FindRunLength(void* start, int32_t direction, int32_t maxCount, int32_t sizeCode, int32_t value);
QRV_API int32_t QRV_CALL QRV_PixelRunLength(int32_t x, int32_t y, int32_t dx, int32_t dy, uint32_t colour);

/* ---- Texture-poly draw descriptors and textured polygons ---- */
QRV_API void QRV_CALL QRV_TriT(void* surface, int32_t x0, int32_t y0, int32_t u0, int32_t v0, int32_t x1, int32_t y1, int32_t u1, int32_t v1, int32_t x2, int32_t y2, int32_t u2, int32_t v2, void* tpd);
QRV_API void QRV_CALL QRV_QuadT(void* surface, int32_t x0, int32_t y0, int32_t u0, int32_t v0, int32_t x1, int32_t y1, int32_t u1, int32_t v1, int32_t x2, int32_t y2, int32_t u2, int32_t v2, int32_t x3, int32_t y3, int32_t u3, int32_t v3, void* tpd);
QRV_API void QRV_CALL QRV_DrawTexturedPoly(void* surface, int32_t count, void* tpd);
QRV_API void QRV_CALL QRV_DrawSpritePoly(void* surface, int32_t count, void* tpd);
QRV_API void QRV_CALL QRV_DrawSpriteQuad(void* surface, int32_t x0, int32_t y0, int32_t u0, int32_t v0, int32_t x1, int32_t y1, int32_t u1, int32_t v1, int32_t x2, int32_t y2, int32_t u2, int32_t v2, int32_t x3, int32_t y3, int32_t u3, int32_t v3, void* tpd, int32_t split);
QRV_API void QRV_CALL QRV_DrawSpriteRGBQuad(void* surface, int32_t x0, int32_t y0, int32_t u0, int32_t v0, uint32_t colour0, int32_t x1, int32_t y1, int32_t u1, int32_t v1, uint32_t colour1, int32_t x2, int32_t y2, int32_t u2, int32_t v2, uint32_t colour2, int32_t x3, int32_t y3, int32_t u3, int32_t v3, uint32_t colour3, void* tpd, int32_t split);
QRV_API void QRV_CALL QRV_DrawTexture(void* surface, int32_t x, int32_t y, void* tpd);
QRV_API void QRV_CALL QRV_HoriTextureStrip(void* surface, int32_t xa, int32_t ua, int32_t va, int32_t xb, int32_t ub, int32_t vb, int32_t y);
QRV_API void QRV_CALL QRV_VertTextureStrip(void* surface, int32_t ya, int32_t ua, int32_t va, int32_t yb, int32_t ub, int32_t vb, int32_t x);
QRV_API void* QRV_CALL TPD_Alloc(void);
QRV_API int32_t QRV_CALL TPD_Free(void* tpd);
QRV_API int32_t QRV_CALL TPD_AddTexelEffect(void* tpd, int32_t effect, void* source, void* target, uint32_t arg1, uint32_t arg2, uint32_t arg3, uint32_t arg4);
QRV_API void QRV_CALL TPD_SetMaskCompression(void* tpd, int32_t on);
QRV_API int32_t QRV_CALL TPD_GetMaskCompression(void* tpd);
QRV_API int32_t QRV_CALL TPD_GetGouruaudState(void* tpd);
QRV_API int32_t QRV_CALL TPD_SetOutputEffect(void* tpd, int32_t type, int32_t param, int32_t level);
QRV_API int32_t QRV_CALL TPD_UpdateSpriteDrawMode(void* tpd, int32_t flags, uint32_t tint, uint32_t colour, int32_t value);
QRV_API void* QRV_CALL TPD_BuildSpriteDrawMode(int32_t flags, uint32_t tint, uint32_t colour, int32_t value);

/* ---- Tile arrays and map blocks ---- */
QRV_API int32_t QRV_CALL QRV_Blit_Tile_Array(void* tileRecords, void* map, int32_t cols, int32_t rows, int32_t tileWidth, int32_t tileHeight, int32_t x0, int32_t y0, uint32_t maskColour);
QRV_API int32_t QRV_CALL QRV_Rect_Hit_Tile_Array(void* tileRecords, void* map, int32_t cols, int32_t rows, int32_t tileWidth, int32_t tileHeight, int32_t x0, int32_t y0, uint32_t maskColour);
QRV_API int32_t QRV_CALL QRV_CopyRect_MoveMapBlk(void* src, int32_t x1, int32_t y1, int32_t x2, int32_t y2, void* dst, int32_t dx, int32_t dy, void* rowBuffer, uint32_t keyColour);

/* ---- Display sync and the R2D2 demo ---- */
QRV_API int32_t QRV_CALL DX_WaitVBL(void);
QRV_API int32_t QRV_CALL DX_ScanLine(void);
QRV_API void QRV_CALL QRV_R2D2(void* base, int32_t reserved, int32_t width, int32_t height);

/* ---- Surface descriptors, peek and poke; rectangle effects and scaling ---- */
QRV_API void* QRV_CALL QRV_AllocSurfaceDesc(int32_t format, void* pixels, int32_t pitch, int32_t width, int32_t height);
QRV_API int32_t QRV_CALL QRV_FreeSurfaceDesc(void* desc);
QRV_API void* QRV_CALL QRV_SetSurfaceDescVP(void* desc, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
QRV_API void* QRV_CALL QRV_SetSurfaceDescMaskColour(void* desc, uint32_t colour);
QRV_API int32_t QRV_CALL QRV_GetSurfaceDescType(void* desc);
QRV_API uint32_t QRV_CALL QRV_PeekSurface(void* desc, int32_t x, int32_t y);
QRV_API void QRV_CALL QRV_PeekPixelStrip(void* desc, int32_t x1, int32_t x2, int32_t y, void* out);
QRV_API void QRV_CALL QRV_PokeSurface(void* desc, int32_t x, int32_t y, uint32_t colour);
QRV_API void QRV_CALL QRV_PokeSurfaceNC(void* desc, int32_t x, int32_t y, uint32_t colour);
QRV_API void QRV_CALL QRV_FillRect_Fade(void* desc, int32_t percent);
QRV_API void QRV_CALL QRV_FillRect_GreyScale(void* desc);
QRV_API void QRV_CALL QRV_FillRect_Make_Alpha(void* desc, int32_t mode);
QRV_API void QRV_CALL QRV_FillRect_Blur(void* desc, float amount);
QRV_API void QRV_CALL QRV_FillRect_Light(void* desc, int32_t cx, int32_t cy, float intensity, float falloff, int32_t reserved);
QRV_API void QRV_CALL QRV_FillRect_PhongMap(void* desc, int32_t cx, int32_t cy, uint32_t colour, float intensity, float falloff, int32_t reserved);
QRV_API void QRV_CALL QRV_MirrorRect(void* desc, int32_t horizontal, int32_t vertical);
QRV_API void QRV_CALL QRV_ScaleSurface(void* src, void* dst, int32_t mode);
QRV_API void QRV_CALL QRV_ScaleSurface_OLD(void* src, void* dst, int32_t mode);
QRV_API void QRV_CALL QRV_PrepareFXSurface(void* src, void* dst, int32_t mode);

/* ---- Fonts ---- */
/*
 * A font is a handle (0 = none) to a table of up to 65536 characters. Each
 * character has a metrics record and an optional glyph block made by
 * CRF_CompressChr; several characters may share one glyph, which is released
 * when no character holds it any more. Fonts and glyph blocks live in memory
 * of the host's services (see GCF_Retrieve). Texts are 8-bit codes, each code
 * the character index; a length of 0 or less means "up to the zero byte",
 * searched over at most 32000 bytes (none found: the text is empty).
 */

/* Metrics of one character; the advance is underhang + width + overhang. */
typedef struct QrvChrInfo {
    int32_t underhang;
    int32_t width;
    int32_t overhang;
    int32_t user[5]; /* stored and saved verbatim, never interpreted */
} QrvChrInfo;

/*
 * An uncompressed character image: height rows of width pixels follow the
 * header without gaps, one byte each at depth 8, 0xAARRGGBB at depth 32.
 * Pixels equal to the key are transparent.
 */
typedef struct QrvRawGlyph {
    int32_t width;
    int32_t height;
    int32_t depth;
    uint32_t key;
} QrvRawGlyph;

/*
 * The header of a glyph block. The run table (one int32 per row from firstRow
 * to endRow - 1, 0 for a row without runs, else the offset of the row's runs
 * from the table's start: uint16 count, then uint16 start and length per run)
 * and the value table (same rule, the row's pixel values in run order) follow
 * at the offsets given here, each 0 when absent. A depth-8 glyph without a
 * value table is solid coverage.
 */
typedef struct QrvGlyphHeader {
    int32_t size; /* of the whole block in bytes */
    int32_t width;
    int32_t height;
    int32_t depth;
    int32_t firstRow;
    int32_t endRow;
    int32_t runTable;
    int32_t valueTable;
} QrvGlyphHeader;

/* Draw modes of a font (CRF_DrawMode). */
enum {
    QRV_FONT_SOLID = 0,   /* depth 8: ink scaled by coverage; depth 32: glyph colours modulated by the ink */
    QRV_FONT_BLEND = 1,   /* blended over the destination by coverage */
    QRV_FONT_BACKDROP = 2 /* blended over the font's backdrop colour, written opaque */
};

QRV_API void* QRV_CALL CRF_Alloc(int32_t count);
QRV_API void QRV_CALL CRF_Free(void* font);
QRV_API void* QRV_CALL CRF_SetChrDepth(void* font, int32_t depth);
QRV_API int32_t QRV_CALL CRF_GetChrDepth(void* font);
QRV_API void* QRV_CALL CRF_SetMaxChrSize(void* font, int32_t width, int32_t height);
QRV_API int32_t QRV_CALL CRF_GetMaxChrSize(void* font, int32_t which);
QRV_API void* QRV_CALL CRF_DrawMode(void* font, int32_t mode);
QRV_API int32_t QRV_CALL CRF_GetDrawMode(void* font);
QRV_API void* QRV_CALL CRF_BackdropColour(void* font, uint32_t colour);
QRV_API uint32_t QRV_CALL CRF_GetBackdropColour(void* font);
QRV_API QrvChrInfo* QRV_CALL CRF_GetChrInfoPtr(void* font, int32_t index);
/* info is an array of records (for example CRF_GetChrInfoPtr(font, 0)); the index is not range-tested. */
QRV_API int32_t QRV_CALL RFCI_GetChrUnderHang(QrvChrInfo* info, int32_t index);
QRV_API int32_t QRV_CALL RFCI_GetChrWidth(QrvChrInfo* info, int32_t index);
QRV_API int32_t QRV_CALL RFCI_GetChrOverHang(QrvChrInfo* info, int32_t index);
QRV_API QrvChrInfo* QRV_CALL RFCI_SetChrUnderHang(QrvChrInfo* info, int32_t index, int32_t value);
QRV_API QrvChrInfo* QRV_CALL RFCI_SetChrWidth(QrvChrInfo* info, int32_t index, int32_t value);
QRV_API QrvChrInfo* QRV_CALL RFCI_SetChrOverHang(QrvChrInfo* info, int32_t index, int32_t value);
/* glyph: the address of a glyph block (the host's block address of CRF_CompressChr's result). */
QRV_API void* QRV_CALL CRF_SetChrBmp(void* font, int32_t index, void* glyph);
QRV_API void* QRV_CALL CRF_GetChrBmp(void* font, int32_t index);
/* dup: int32_t[count], zero on entry; receives for each character the lower index whose glyph it repeats. */
QRV_API void QRV_CALL CRF_Find_Duplicate_Chr_Buffers(void* font, int32_t* dup);
QRV_API int32_t QRV_CALL CRF_TextWidth(void* font, const void* text, int32_t length);
QRV_API int32_t QRV_CALL CRF_TextHeight(void* font, const void* text, int32_t length, int32_t mode);
/* The font image on an open host stream, from its current position. */
QRV_API void QRV_CALL CRF_Write(void* font, intptr_t stream);
/* Checks the whole image; 0 (nothing kept) for any image it cannot trust. */
QRV_API void* QRV_CALL CRF_Read(intptr_t stream);
QRV_API void QRV_CALL CRF_Save(void* font, intptr_t target);
QRV_API void* QRV_CALL CRF_Load(intptr_t source);
/* A host block holding the glyph block of a raw glyph, 0 on failure; the caller owns it. */
QRV_API intptr_t QRV_CALL CRF_CompressChr(const QrvRawGlyph* raw);
/* Draws with the ink colour (0xAARRGGBB) at the top-left corner (x, y) of the first glyph box. */
QRV_API void QRV_CALL CRF_Draw(void* font, const void* text, int32_t length, int32_t x, int32_t y, uint32_t colour);


/* ---- Span collision ---- */
QRV_API void* QRV_CALL Shape_Set_Buffers(void* rowTable, void* nodePool);
QRV_API void* QRV_CALL CreateSpanCollision_Rect(void* buf, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
QRV_API void* QRV_CALL CreateSpanCollision_Ellipse(void* buf, int32_t cx, int32_t cy, int32_t rx, int32_t ry);
QRV_API void QRV_CALL CreateSpanCollision_Polygon(void* vertices, int32_t count, void* buf);
QRV_API void QRV_CALL CreateSpanCollision_Line(void* buf, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
QRV_API int32_t QRV_CALL CreateSpanCollision_ShapeSpanBuffer(void* buf, int32_t left, int32_t top, int32_t right, int32_t bottom, void* rowTable, int32_t ignored);
QRV_API void QRV_CALL QRV_Draw_Shape_Span_Buffer(void* rowHeads, int32_t ignored, uint32_t colour, int32_t mode);
QRV_API void QRV_CALL Shape_AddVert(float x, int32_t row);
QRV_API void QRV_CALL Shape_BufferEdge(float x1, float y1, float x2, float y2, int32_t top, int32_t bottom);
QRV_API void QRV_CALL QRV_SpanBufferCollisionPolygon(void* vertices, int32_t count, void* buf, uint32_t key);
QRV_API int32_t QRV_CALL QRV_CompareTexturedSpans(void* a, void* b);
QRV_API int32_t QRV_CALL QRV_CompareFilledToTexturedSpans(void* filled, void* textured);
QRV_API int32_t QRV_CALL CreateOcclusionMapFromSpanCollision(void* buf, int32_t cellWidth, int32_t cellHeight, void* out);
QRV_API void QRV_CALL QRV_DrawSpansEdges(void* textured);

/* ---- Scene capture ---- */
QRV_API void* QRV_CALL Scene_Write_Capture_SpriteNC(void* rec, int32_t src, int32_t x, int32_t y, int32_t a);
QRV_API void* QRV_CALL Scene_Write_Capture_Image(void* rec, int32_t mode, int32_t src, int32_t x, int32_t y, int32_t a, int32_t w, int32_t h);
QRV_API void* QRV_CALL Scene_Write_Capture_ImageBB(void* rec, int32_t mode, int32_t b, int32_t src, int32_t x, int32_t y, int32_t a, int32_t w, int32_t h);
QRV_API void* QRV_CALL Scene_Write_Capture_Map(void* rec, int32_t mode, int32_t b, int32_t c, int32_t x, int32_t y, int32_t a, int32_t w, int32_t h);
QRV_API void* QRV_CALL Scene_Write_Capture_Image_AlphaBlend(void* rec, int32_t mode, int32_t src, int32_t x, int32_t y, int32_t a, int32_t g, int32_t w, int32_t h);
QRV_API void* QRV_CALL Scene_Write_Capture_Shape(void* rec, int32_t mode, int32_t src, int32_t x, int32_t y, int32_t a, int32_t s1, int32_t s2, int32_t s3, uint32_t colour);
QRV_API void* QRV_CALL Scene_Write_Capture_Text(void* rec, int32_t mode, int32_t b, int32_t ignored1, int32_t ignored2, int32_t x, int32_t y, int32_t a, int32_t w, int32_t h, uint32_t colour);
QRV_API void QRV_CALL Scene_Write_Capture_Dot(void* rec, int32_t mode, float fx, float fy, float fz, uint32_t colour);
QRV_API void* QRV_CALL Scene_Write_Capture_Line(void* rec, int32_t mode, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t a, uint32_t colour);
QRV_API void* QRV_CALL Scene_Write_Capture_Box(void* rec, int32_t mode, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t ignored, uint32_t colour);
QRV_API void* QRV_CALL Scene_Write_Capture_ShadeBox(void* rec, int32_t mode, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t ignored, uint32_t k0, uint32_t k1, uint32_t k2, uint32_t k3);
QRV_API void* QRV_CALL Scene_Write_Capture_Circle(void* rec, int32_t mode, int32_t cx, int32_t cy, int32_t a, int32_t r, uint32_t colour);
QRV_API void* QRV_CALL Scene_Write_Capture_Ellipse(void* rec, int32_t mode, int32_t cx, int32_t cy, int32_t a, int32_t rx, int32_t ry, uint32_t colour);
QRV_API void* QRV_CALL Scene_Write_Capture_GouraudStripH(void* rec, int32_t mode, int32_t x1, uint32_t k1, int32_t x2, uint32_t k2, int32_t y, int32_t ignored);
QRV_API void* QRV_CALL Scene_Write_Capture_GouraudStripV(void* rec, int32_t mode, int32_t y1, uint32_t k1, int32_t y2, uint32_t k2, int32_t x, int32_t ignored);
QRV_API void* QRV_CALL Scene_Write_Capture_TextureStripH(void* rec, int32_t mode, int32_t x1, int32_t tu1, int32_t tv1, int32_t x2, int32_t tu2, int32_t tv2, int32_t y, int32_t ignored, int32_t src);
QRV_API void* QRV_CALL Scene_Write_Capture_TextureStripV(void* rec, int32_t mode, int32_t y1, int32_t tu1, int32_t tv1, int32_t y2, int32_t tu2, int32_t tv2, int32_t x, int32_t ignored, int32_t src);
QRV_API void QRV_CALL Scene_Write_Capture_Tri(void* rec, int32_t mode, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t ignored, uint32_t colour, int32_t flag);
QRV_API void QRV_CALL Scene_Write_Capture_TriG(void* rec, int32_t mode, int32_t x0, int32_t y0, uint32_t k0, int32_t x1, int32_t y1, uint32_t k1, int32_t x2, int32_t y2, uint32_t k2, int32_t ignored, int32_t flag);
QRV_API void QRV_CALL Scene_Write_Capture_TriT(void* rec, int32_t mode, int32_t x0, int32_t y0, int32_t tu0, int32_t tv0, int32_t x1, int32_t y1, int32_t tu1, int32_t tv1, int32_t x2, int32_t y2, int32_t tu2, int32_t tv2, int32_t ignored, int32_t src, int32_t flag);
QRV_API void QRV_CALL Scene_Write_Capture_Quad(void* rec, int32_t mode, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t ignored, uint32_t colour, int32_t flag);
QRV_API void QRV_CALL Scene_Write_Capture_QuadG(void* rec, int32_t mode, int32_t x0, int32_t y0, uint32_t k0, int32_t x1, int32_t y1, uint32_t k1, int32_t x2, int32_t y2, uint32_t k2, int32_t x3, int32_t y3, uint32_t k3, int32_t ignored, int32_t flag);
QRV_API void QRV_CALL Scene_Write_Capture_QuadT(void* rec, int32_t mode, int32_t x0, int32_t y0, int32_t tu0, int32_t tv0, int32_t x1, int32_t y1, int32_t tu1, int32_t tv1, int32_t x2, int32_t y2, int32_t tu2, int32_t tv2, int32_t x3, int32_t y3, int32_t tu3, int32_t tv3, int32_t ignored, int32_t src, int32_t flag);
QRV_API void* QRV_CALL Scene_Poke_Bounding_Box(void* rec, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
QRV_API void QRV_CALL Scene_Poke_Edge_Vectors(void* out, float x1, float y1, float x2, float y2);
QRV_API void* QRV_CALL SceneVert_iXYcombined(void* vertex, int32_t x, int32_t y);
QRV_API void QRV_CALL SceneVert_iXYZ(void* vertex, int32_t unused1, int32_t unused2, int32_t unused3, int32_t unused4, int32_t unused5, int32_t unused6, int32_t unused7, int32_t unused8, int32_t unused9, int32_t unused10, int32_t unused11, int32_t unused12);
QRV_API void QRV_CALL SceneVert_iTransXYZ(void* vertex, int32_t unused1, int32_t unused2, int32_t unused3, int32_t unused4, int32_t unused5, int32_t unused6, int32_t unused7, int32_t unused8, int32_t unused9, int32_t unused10, int32_t unused11, int32_t unused12);
QRV_API void QRV_CALL SceneVert_iXYZUV(void* vertex, int32_t unused1, int32_t unused2, int32_t unused3, int32_t unused4, int32_t unused5, int32_t unused6, int32_t unused7, int32_t unused8, int32_t unused9, int32_t unused10, int32_t unused11, int32_t unused12, int32_t unused13, int32_t unused14);
QRV_API int32_t QRV_CALL Scene_Render_Check_Object_Visible(void* rec, int32_t camX, int32_t camY);
QRV_API void QRV_CALL Scene_Render_Captured_Box(void* rec, int32_t camX, int32_t camY);
QRV_API void QRV_CALL Scene_Render_Captured_ShadeBox(void* rec, int32_t camX, int32_t camY);
QRV_API void QRV_CALL Scene_Render_Captured_Circle(void* rec, int32_t camX, int32_t camY);
QRV_API void QRV_CALL Scene_Render_Captured_Ellipse(void* rec, int32_t camX, int32_t camY);
QRV_API void QRV_CALL Scene_Render_Captured_GouraudStripH(void* rec, int32_t camX, int32_t camY);
QRV_API void QRV_CALL Scene_Render_Captured_GouraudStripV(void* rec, int32_t camX, int32_t camY);
QRV_API void QRV_CALL Scene_Render_Captured_TextureStripH(void* rec, int32_t camX, int32_t camY, void* src);
QRV_API void QRV_CALL Scene_Render_Captured_TextureStripV(void* rec, int32_t camX, int32_t camY, void* src);
QRV_API void QRV_CALL Scene_Render_Captured_Polygon(void* rec, int32_t camX, int32_t camY);
QRV_API void QRV_CALL Scene_Render_Captured_PolygonG(void* rec, int32_t camX, int32_t camY);
QRV_API void QRV_CALL Scene_Render_Captured_PolygonT(void* rec, int32_t camX, int32_t camY, void* s, void* t);

/* ---- Maths: angles, vertex transforms, random numbers, fast calculation ---- */
QRV_API float QRV_CALL ZK_Cos(float a);
QRV_API float QRV_CALL ZK_Sin(float a);
QRV_API float QRV_CALL ZK_Tan(float a);
QRV_API float QRV_CALL ZK_Log(float x);
QRV_API float QRV_CALL ZK_Log10(float x);
QRV_API float QRV_CALL ZK_Power(float a, float b);
QRV_API float QRV_CALL WrapAngle(float a);
QRV_API float QRV_CALL ZK_WrapValue(float v, float lo, float hi);
QRV_API void QRV_CALL Rotate2DVertexList(void* src, int32_t srcStride, void* dst, int32_t dstStride, float ox, float oy, float angle, float sx, float sy, int32_t count);
QRV_API void QRV_CALL RotateVertexListXYZ(void* src, int32_t srcStride, void* dst, int32_t dstStride, float tx, float ty, float tz, float ax, float ay, float az, int32_t count);
QRV_API void QRV_CALL RotateVertexListZYX(void* src, int32_t srcStride, void* dst, int32_t dstStride, float tx, float ty, float tz, float ax, float ay, float az, int32_t count);
QRV_API void QRV_CALL LerpVertexList(void* a, int32_t aStride, void* b, int32_t bStride, void* out, int32_t outStride, int32_t count, float t);
QRV_API void QRV_CALL RotateVertexList(void* params, void* src, int32_t srcStride, void* dst, int32_t dstStride, int32_t count);
QRV_API void QRV_CALL RotateVertexListToCamera(void* camera, void* object, void* src, int32_t srcStride, void* dst, int32_t dstStride, int32_t count);
QRV_API void QRV_CALL ZK_Randomize(uint32_t seed);
QRV_API double QRV_CALL ZK_Rnd(float max);
QRV_API uint32_t QRV_CALL ZK_RNDRGB(void);
QRV_API float QRV_CALL ZK_FastCalc(void* vars, void* program, int32_t count);

#ifdef __cplusplus
}
#endif

#endif /* QUORVEL_H */
