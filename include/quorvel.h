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
/*
 * Neither the strip nor the lines clip. The strip writes x0 .. x1 - 1 of row y
 * and nothing when x1 <= x0. A strip longer than INT32_MAX pixels, or a line
 * more than INT32_MAX pixels long on either axis, lies in no buffer and draws
 * nothing, whatever its ends' 32-bit difference would wrap to; so does a
 * horizontal line through column INT32_MAX, whose strip has no exclusive end.
 */
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
/*
 * Size codes: 1 = byte, 2 = 16-bit word, 3 = three bytes (lowest byte first), 4 = 32-bit word. The fills take the
 * code modulo 8, 0 meaning 1 and 5 to 7 writing nothing. Counts and lengths of 0 or below do nothing.
 * CopyMemory copies front to back in 32-bit words: onto an overlapping higher address it repeats the leading bytes.
 * FillMemoryEx writes one element every `stride` elements (negative strides walk backwards).
 * CompareBytes is 1 when the blocks agree (and for lengths below 1), else 0.
 * QRV_FindRunLength counts elements equal to `value` read as signed (codes 1, 2 and 4 only), forward when
 * direction >= 0, backward otherwise. QRV_PixelRunLength counts destination pixels of the colour from (x, y) in
 * steps of (dx, dy) while they lie inside the viewport; the alpha byte counts only in format 5.
 */
QRV_API void QRV_CALL CopyMemory(void* source, void* destination, int32_t length);
QRV_API void QRV_CALL FillMemory(void* destination, int32_t count, uint32_t value, int32_t sizeCode);
QRV_API void QRV_CALL FillMemoryEx(void* destination, int32_t stride, int32_t count, uint32_t value, int32_t sizeCode);
QRV_API int32_t QRV_CALL CompareBytes(void* a, void* b, int32_t length);
QRV_API int32_t QRV_CALL QRV_FindRunLength(void* start, int32_t direction, int32_t maxCount, int32_t sizeCode,
                                           int32_t value);
QRV_API int32_t QRV_CALL QRV_PixelRunLength(int32_t x, int32_t y, int32_t dx, int32_t dy, uint32_t colour);

/* ---- Texture-poly draw descriptors and textured polygons ---- */
/*
 * A texture-poly draw descriptor (TPD) says how the texels of a textured draw
 * reach the destination. Handles come from TPD_Alloc or TPD_BuildSpriteDrawMode
 * and are freed with TPD_Free; any other value (a freed handle included) acts
 * as a null handle: getters give 0, setters and draws do nothing.
 *
 * Textures are surface descriptors. A texture draws only with a format 1..5,
 * pixels, width and height of at least 1 and a pitch (either sign) no smaller
 * than a row; the descriptor must describe memory the caller owns for all
 * height rows. Texture coordinates are whole texels at the vertices (clamped
 * into the texture and written back to the vertex slots) and 16.16 in the
 * strips; at most the first 32768 columns and rows of a texture are reachable.
 */
enum {
    /* Output effect types of TPD_SetOutputEffect. */
    QRV_TPD_OUTPUT_REPLACE = 1,
    QRV_TPD_OUTPUT_BLEND = 2,
    QRV_TPD_OUTPUT_HALF = 3,
    QRV_TPD_OUTPUT_ADD = 4,
    QRV_TPD_OUTPUT_SUBTRACT = 5,

    /* Texel effect numbers of TPD_AddTexelEffect; other numbers are skipped. */
    QRV_TEXEL_MODULATE = 1,
    QRV_TEXEL_ADD = 2,
    QRV_TEXEL_SUBTRACT = 3,
    QRV_TEXEL_MIX = 4,
    QRV_TEXEL_AVERAGE_LINE = 5,
    QRV_TEXEL_ADD_LINE = 6,
    QRV_TEXEL_MODULATE_LINE = 7,
    QRV_TEXEL_FILL = 10,
    QRV_TEXEL_AND = 11,
    QRV_TEXEL_OR = 12,
    QRV_TEXEL_KEY_REPLACE = 15
};

QRV_API void QRV_CALL QRV_TriT(QrvSurfaceDesc* surface, int32_t x0, int32_t y0, int32_t u0, int32_t v0, int32_t x1,
                               int32_t y1, int32_t u1, int32_t v1, int32_t x2, int32_t y2, int32_t u2, int32_t v2,
                               void* tpd);
QRV_API void QRV_CALL QRV_QuadT(QrvSurfaceDesc* surface, int32_t x0, int32_t y0, int32_t u0, int32_t v0, int32_t x1,
                                int32_t y1, int32_t u1, int32_t v1, int32_t x2, int32_t y2, int32_t u2, int32_t v2,
                                int32_t x3, int32_t y3, int32_t u3, int32_t v3, void* tpd);
QRV_API void QRV_CALL QRV_DrawTexturedPoly(QrvSurfaceDesc* surface, int32_t count, void* tpd);
/* As QRV_DrawTexturedPoly, sampling at texel centres. */
QRV_API void QRV_CALL QRV_DrawSpritePoly(QrvSurfaceDesc* surface, int32_t count, void* tpd);
/* split 0: one quad; 1: triangles (0, 1, 2) and (0, 2, 3); other values draw nothing. */
QRV_API void QRV_CALL QRV_DrawSpriteQuad(QrvSurfaceDesc* surface, int32_t x0, int32_t y0, int32_t u0, int32_t v0,
                                         int32_t x1, int32_t y1, int32_t u1, int32_t v1, int32_t x2, int32_t y2,
                                         int32_t u2, int32_t v2, int32_t x3, int32_t y3, int32_t u3, int32_t v3,
                                         void* tpd, int32_t split);
QRV_API void QRV_CALL QRV_DrawSpriteRGBQuad(QrvSurfaceDesc* surface, int32_t x0, int32_t y0, int32_t u0, int32_t v0,
                                            uint32_t colour0, int32_t x1, int32_t y1, int32_t u1, int32_t v1,
                                            uint32_t colour1, int32_t x2, int32_t y2, int32_t u2, int32_t v2,
                                            uint32_t colour2, int32_t x3, int32_t y3, int32_t u3, int32_t v3,
                                            uint32_t colour3, void* tpd, int32_t split);
QRV_API void QRV_CALL QRV_DrawTexture(QrvSurfaceDesc* surface, int32_t x, int32_t y, void* tpd);
/* Texels copied raw (no mask, mode or TPD); the texture's pixels must be the
   size of the destination's, else nothing is drawn. */
QRV_API void QRV_CALL QRV_HoriTextureStrip(QrvSurfaceDesc* surface, int32_t xa, int32_t ua, int32_t va, int32_t xb,
                                           int32_t ub, int32_t vb, int32_t y);
QRV_API void QRV_CALL QRV_VertTextureStrip(QrvSurfaceDesc* surface, int32_t ya, int32_t ua, int32_t va, int32_t yb,
                                           int32_t ub, int32_t vb, int32_t x);
QRV_API void* QRV_CALL TPD_Alloc(void);
QRV_API int32_t QRV_CALL TPD_Free(void* tpd);
/* A null target writes the texel line; a null source reads the texel line
   (the colour line for effects 5 to 7). Any other source or target must hold
   as many 32-bit words as the widest span drawn with this TPD. */
QRV_API int32_t QRV_CALL TPD_AddTexelEffect(void* tpd, int32_t effect, void* source, void* target, uint32_t arg1,
                                            uint32_t arg2, uint32_t arg3, uint32_t arg4);
QRV_API void QRV_CALL TPD_SetMaskCompression(void* tpd, int32_t on);
QRV_API int32_t QRV_CALL TPD_GetMaskCompression(void* tpd);
QRV_API int32_t QRV_CALL TPD_GetGouruaudState(void* tpd);
QRV_API int32_t QRV_CALL TPD_SetOutputEffect(void* tpd, int32_t type, int32_t param, int32_t level);
QRV_API int32_t QRV_CALL TPD_UpdateSpriteDrawMode(void* tpd, int32_t flags, uint32_t tint, uint32_t colour,
                                                  int32_t value);
QRV_API void* QRV_CALL TPD_BuildSpriteDrawMode(int32_t flags, uint32_t tint, uint32_t colour, int32_t value);

/* ---- Tile arrays and map blocks ---- */
/*
 * Tile sheets live in the source buffer, tile t in rows t * tileHeight ..
 * (t + 1) * tileHeight - 1, columns 0 .. tileWidth - 1. A map is cols x rows
 * int32 tile indices, row by row; a negative index is an empty cell. The
 * optional record table holds one record per tile index and must cover every
 * index the map uses.
 */
typedef struct QrvTileRecord {
    int32_t kind; /* negative: nothing; 0: whole tile, solid; positive: the sub-rectangle, masked */
    int32_t x1;   /* sub-rectangle relative to the tile; x2 and y2 exclusive */
    int32_t y1;
    int32_t x2;
    int32_t y2;
} QrvTileRecord;

/* Draws the map with QRV_Blit, cell (c, r) at (x0 + c * tileWidth, y0 + r * tileHeight); returns 1. */
QRV_API int32_t QRV_CALL QRV_Blit_Tile_Array(const QrvTileRecord* tileRecords, const int32_t* map, int32_t cols,
                                             int32_t rows, int32_t tileWidth, int32_t tileHeight, int32_t x0,
                                             int32_t y0, uint32_t maskColour);
/*
 * Walks the map like QRV_Blit_Tile_Array and returns 1 at the first cell whose
 * record has kind 0 (cells before it of positive kind are drawn masked), else
 * 0. Without a record table, or with rows below 1, returns 0 and draws nothing.
 */
QRV_API int32_t QRV_CALL QRV_Rect_Hit_Tile_Array(const QrvTileRecord* tileRecords, const int32_t* map, int32_t cols,
                                                 int32_t rows, int32_t tileWidth, int32_t tileHeight, int32_t x0,
                                                 int32_t y0, uint32_t maskColour);
/*
 * Copies [x1, x2) x [y1, y2) of src (clipped to its view: the parts outside
 * read as the key colour) to dst at (dx, dy), unclipped, through rowBuffer
 * (x2 - x1 colours). Returns 1 when some row mixes key and other pixels, -1
 * when every row is all key (or the block is empty), else 0. In a 0xAARRGGBB
 * source, pixels of alpha below 0xFE count as key.
 */
QRV_API int32_t QRV_CALL QRV_CopyRect_MoveMapBlk(const QrvSurfaceDesc* src, int32_t x1, int32_t y1, int32_t x2,
                                                 int32_t y2, QrvSurfaceDesc* dst, int32_t dx, int32_t dy,
                                                 uint32_t* rowBuffer, uint32_t keyColour);

/* ---- Display sync and the R2D2 demo ---- */
/*
 * DX_WaitVBL blocks until the next vertical blank begins and returns 0 (or the
 * display driver's failure code); DX_ScanLine returns the scan line being
 * displayed (or the driver's failure code). Both return 0 when no display
 * sync is available; without a display driver, frames follow a steady 60 Hz
 * clock of 1125 lines. QRV_R2D2 moves and draws one step of its squares over a
 * 32-bit buffer of width x height pixels (rows width * 4 bytes apart); sizes
 * below 32 draw and move nothing.
 */
QRV_API int32_t QRV_CALL DX_WaitVBL(void);
QRV_API int32_t QRV_CALL DX_ScanLine(void);
QRV_API void QRV_CALL QRV_R2D2(void* base, int32_t reserved, int32_t width, int32_t height);

/* ---- Surface descriptors, peek and poke; rectangle effects and scaling ---- */
/*
 * QRV_AllocSurfaceDesc describes caller-owned pixels (never freed by the
 * library); the view is the whole surface and the mask colour 0 until set.
 * The clipped calls (QRV_PeekSurface, QRV_PokeSurface and every effect below)
 * touch only pixels inside both the view and the surface (0 .. width - 1,
 * 0 .. height - 1), and nothing at all on a null descriptor, a format outside
 * 1..5, null pixels, a size below 1 x 1, or rows closer together than
 * width x bytes per pixel. Peeks outside give 0.
 * QRV_PokeSurfaceNC and QRV_PeekPixelStrip trust their caller: the pixel, or
 * pixels x1 .. x2 - 1 of row y, must lie on the surface, and out must hold
 * x2 - x1 colours. They do nothing on a null descriptor or pointer.
 */
QRV_API QrvSurfaceDesc* QRV_CALL QRV_AllocSurfaceDesc(int32_t format, void* pixels, int32_t pitch, int32_t width,
                                                      int32_t height);
QRV_API int32_t QRV_CALL QRV_FreeSurfaceDesc(QrvSurfaceDesc* desc);
QRV_API QrvSurfaceDesc* QRV_CALL QRV_SetSurfaceDescVP(QrvSurfaceDesc* desc, int32_t x1, int32_t y1, int32_t x2,
                                                      int32_t y2);
QRV_API QrvSurfaceDesc* QRV_CALL QRV_SetSurfaceDescMaskColour(QrvSurfaceDesc* desc, uint32_t colour);
QRV_API int32_t QRV_CALL QRV_GetSurfaceDescType(QrvSurfaceDesc* desc);
QRV_API uint32_t QRV_CALL QRV_PeekSurface(QrvSurfaceDesc* desc, int32_t x, int32_t y);
QRV_API void QRV_CALL QRV_PeekPixelStrip(QrvSurfaceDesc* desc, int32_t x1, int32_t x2, int32_t y, uint32_t* out);
QRV_API void QRV_CALL QRV_PokeSurface(QrvSurfaceDesc* desc, int32_t x, int32_t y, uint32_t colour);
QRV_API void QRV_CALL QRV_PokeSurfaceNC(QrvSurfaceDesc* desc, int32_t x, int32_t y, uint32_t colour);
/*
 * In-place effects over the view of a surface. Scaling maps the whole source
 * onto the whole destination (nothing for a destination below 1 x 1): modes 0
 * (nearest) and 1 (bilinear) write every destination row from column 0, mode
 * 1111 (bilinear through clipped peeks) only inside the destination's view;
 * QRV_ScaleSurface_OLD clips all modes to the destination's view.
 */
QRV_API void QRV_CALL QRV_FillRect_Fade(QrvSurfaceDesc* desc, int32_t percent);
QRV_API void QRV_CALL QRV_FillRect_GreyScale(QrvSurfaceDesc* desc);
QRV_API void QRV_CALL QRV_FillRect_Make_Alpha(QrvSurfaceDesc* desc, int32_t mode);
QRV_API void QRV_CALL QRV_FillRect_Blur(QrvSurfaceDesc* desc, float amount);
QRV_API void QRV_CALL QRV_FillRect_Light(QrvSurfaceDesc* desc, int32_t cx, int32_t cy, float intensity, float falloff,
                                         int32_t reserved);
QRV_API void QRV_CALL QRV_FillRect_PhongMap(QrvSurfaceDesc* desc, int32_t cx, int32_t cy, uint32_t colour,
                                            float intensity, float falloff, int32_t reserved);
QRV_API void QRV_CALL QRV_MirrorRect(QrvSurfaceDesc* desc, int32_t horizontal, int32_t vertical);
QRV_API void QRV_CALL QRV_ScaleSurface(QrvSurfaceDesc* src, QrvSurfaceDesc* dst, int32_t mode);
QRV_API void QRV_CALL QRV_ScaleSurface_OLD(QrvSurfaceDesc* src, QrvSurfaceDesc* dst, int32_t mode);
QRV_API void QRV_CALL QRV_PrepareFXSurface(QrvSurfaceDesc* src, QrvSurfaceDesc* dst, int32_t mode);

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
/*
 * Span collision buffer: this header, then `count` records (see each builder
 * for what `count` counts), one horizontal span per record. Memory is the
 * caller's; the builders write 3 + 3 x records words and never allocate.
 */
typedef struct QrvSpanCollisionHeader {
    int32_t count;
    int32_t top;
    int32_t bottom;
} QrvSpanCollisionHeader;

typedef struct QrvSpanCollisionRecord {
    int32_t y;
    int32_t left;  /* inclusive */
    int32_t right; /* exclusive */
} QrvSpanCollisionRecord;

/*
 * Textured span buffer: this header, then one record per row from `top`
 * downwards, closed by a record of zeros. u and v are 16.16 texel coordinates
 * into the image at `base` (pixel format code `format`, `pitch` bytes per row);
 * `key` is the transparent colour in that format's encoding. Records start at
 * byte offset sizeof(QrvTexturedSpanHeader) (24 in 32-bit builds).
 */
typedef struct QrvTexturedSpanHeader {
    int32_t top;
    int32_t bottom;
    const void* base;
    int32_t format;
    int32_t pitch;
    uint32_t key;
} QrvTexturedSpanHeader;

typedef struct QrvTexturedSpanRecord {
    int32_t y;
    int32_t left;
    int32_t leftU;
    int32_t leftV;
    int32_t right;
    int32_t rightU;
    int32_t rightV;
} QrvTexturedSpanRecord;

/*
 * Host vertex list: int32 arrays of 8 entries, 32 bytes apart
 * (QRV_GetVertexBufferModulo): x[0..7], y[0..7], and for textured polygons
 * u[0..7], v[0..7]. Counts outside 1..8 and coordinates outside the signed
 * 16-bit range give an empty buffer (count 0, top = bottom = 0).
 */

/*
 * Shape edge buffer, registered with Shape_Set_Buffers. rowTable[0] is the
 * byte offset of the next free node in nodePool (start it above 0: offset 0
 * ends a list); rowTable[1 + y] is the byte offset of row y's first crossing,
 * 0 for none. The caller sizes both: rowTable holds every row it buffers or
 * walks, nodePool a node at every offset the free offset reaches. Negative
 * rows are never touched, and the walks follow only links that lie below the
 * free offset, so a damaged list ends the row instead of leaving the pool.
 * Each row's list is sorted by ascending x.
 */
typedef struct QrvShapeNode {
    int32_t next; /* byte offset of the next crossing of the row, 0 ends */
    int32_t back; /* written only when a node is inserted before this one at the head */
    float x;
} QrvShapeNode;

/* Occlusion entry: kind 1 partly covered cells (left part or whole extent),
   2 fully covered cells, 4 partly covered right part; cells first..last. */
typedef struct QrvOcclusionEntry {
    int32_t kind;
    int32_t first;
    int32_t last;
    int32_t band;
} QrvOcclusionEntry;

/* Registers the shape edge buffer; returns rowTable. The shape calls do nothing until it is set. */
QRV_API int32_t* QRV_CALL Shape_Set_Buffers(int32_t* rowTable, void* nodePool);
/* One record per row top .. bottom - 1 of the sorted corners; count = rows. Returns the end of the records. */
QRV_API QrvSpanCollisionRecord* QRV_CALL CreateSpanCollision_Rect(QrvSpanCollisionHeader* buf, int32_t x1, int32_t y1,
                                                                  int32_t x2, int32_t y2);
/* 2 x ry - 1 records from row cy - ry; count = records. Returns buf. */
QRV_API QrvSpanCollisionHeader* QRV_CALL CreateSpanCollision_Ellipse(QrvSpanCollisionHeader* buf, int32_t cx,
                                                                     int32_t cy, int32_t rx, int32_t ry);
/* The convex outline's rows, top vertex row included, bottom vertex row not; count = rows written. */
QRV_API void QRV_CALL CreateSpanCollision_Polygon(const int32_t* vertices, int32_t count, QrvSpanCollisionHeader* buf);
/* count: records written for a shallow line, records - 1 for a steep one, 2 for a horizontal one. */
QRV_API void QRV_CALL CreateSpanCollision_Line(QrvSpanCollisionHeader* buf, int32_t x1, int32_t y1, int32_t x2,
                                               int32_t y2);
/* Pairs of crossings of rows top .. bottom - 1, clamped to left .. right; resets the walked rows. Returns count. */
QRV_API int32_t QRV_CALL CreateSpanCollision_ShapeSpanBuffer(QrvSpanCollisionHeader* buf, int32_t left, int32_t top,
                                                             int32_t right, int32_t bottom, int32_t* rowTable,
                                                             int32_t ignored);
/* rowHeads[y] is row y's first crossing (rowTable + 1); draws the viewport's rows and resets them. */
QRV_API void QRV_CALL QRV_Draw_Shape_Span_Buffer(int32_t* rowHeads, int32_t ignored, uint32_t colour, int32_t mode);
QRV_API void QRV_CALL Shape_AddVert(float x, int32_t row);
QRV_API void QRV_CALL Shape_BufferEdge(float x1, float y1, float x2, float y2, int32_t top, int32_t bottom);
/* Over the current source buffer; key is ARGB. */
QRV_API void QRV_CALL QRV_SpanBufferCollisionPolygon(const int32_t* vertices, int32_t count, QrvTexturedSpanHeader* buf,
                                                     uint32_t key);
/* 1 when both buffers hold a non-key texel at one row and column. The last shared row is not examined. */
QRV_API int32_t QRV_CALL QRV_CompareTexturedSpans(const QrvTexturedSpanHeader* a, const QrvTexturedSpanHeader* b);
/* 1 when a span of filled (its last record excepted) covers a non-key texel of textured. */
QRV_API int32_t QRV_CALL QRV_CompareFilledToTexturedSpans(const QrvSpanCollisionHeader* filled,
                                                          const QrvTexturedSpanHeader* textured);
/* Returns the entries written to out; 0 for a cell size below 1. */
QRV_API int32_t QRV_CALL CreateOcclusionMapFromSpanCollision(const QrvSpanCollisionHeader* buf, int32_t cellWidth,
                                                             int32_t cellHeight, QrvOcclusionEntry* out);
QRV_API void QRV_CALL QRV_DrawSpansEdges(const QrvTexturedSpanHeader* textured);

/* ---- Scene capture ---- */
/*
 * Scene records are memory the host allocates; the writers fill one record
 * in place and the replays draw it back translated by a camera position.
 * Every field is 32 bits wide and the layout is the same in every build.
 *
 * Writers set the in-use flag, the kind, the draw mode (not SpriteNC), the
 * vertex count and the fields their kind lists; every other word keeps what
 * it held. A vertex stores its position twice, in x, y (as captured) and in
 * drawX, drawY (what replay uses). Polygon writers (kinds 25 to 31) fill the
 * bounding box only when flag is 2, and then with the inclusive extremes of
 * their vertices. A null record is never written: calls with a result give 0.
 *
 * Replays map a record point (drawX, drawY) to (drawX - camX + viewport left,
 * drawY - camY + viewport top) and call the drawing routine with it when the
 * shape can reach the viewport. A point that maps outside the 32-bit range
 * draws nothing. Replays use the record fields regardless of the kind. The
 * polygon replays read vertexCount vertices (a record holding more than four
 * must be allocated 60 + 40 x count bytes long) and draw nothing for a count
 * above 8.
 */
enum {
    QRV_SCENE_SPRITE = 1,
    QRV_SCENE_DOT = 2,
    QRV_SCENE_BOX = 3,
    QRV_SCENE_SHADE_BOX = 4,
    QRV_SCENE_CIRCLE = 5,
    QRV_SCENE_ELLIPSE = 6,
    QRV_SCENE_LINE = 7,
    QRV_SCENE_SHAPE = 8,
    QRV_SCENE_IMAGE = 11,
    QRV_SCENE_IMAGE_BB = 12,
    QRV_SCENE_IMAGE_ALPHA_BLEND = 15,
    QRV_SCENE_TEXT = 20,
    QRV_SCENE_TRI = 25,
    QRV_SCENE_TRI_GOURAUD = 26,
    QRV_SCENE_TEXTURED_POLY = 27, /* triangle or quad: the vertex count tells */
    QRV_SCENE_QUAD = 30,
    QRV_SCENE_QUAD_GOURAUD = 31,
    QRV_SCENE_GOURAUD_STRIP_H = 40,
    QRV_SCENE_GOURAUD_STRIP_V = 41,
    QRV_SCENE_TEXTURE_STRIP_H = 42,
    QRV_SCENE_TEXTURE_STRIP_V = 43,
    QRV_SCENE_MAP = 50
};

/* Scene vertex: 40 bytes. The reserved words are never written. */
typedef struct QrvSceneVertex {
    int32_t x;
    int32_t y;
    int32_t reserved2;
    int32_t drawX;
    int32_t drawY;
    int32_t reserved5;
    uint32_t colour; /* ARGB */
    int32_t reserved7;
    int32_t u;
    int32_t v;
} QrvSceneVertex;

/* Scene record: 220 bytes with its four vertices. */
typedef struct QrvSceneRecord {
    uint16_t inUse;      /* offset 0: always written 1 */
    uint16_t kind;       /* 2: QRV_SCENE_ */
    int32_t extraA;      /* 4: host value */
    int32_t extraB;      /* 8: host value */
    int32_t source;      /* 12: image, map, shape or texture value of the host */
    int32_t mode;        /* 16: draw mode, passed on replay */
    int32_t reserved20;  /* 20: never written */
    int32_t shape[3];    /* 24: shapes only */
    int32_t boxLeft;     /* 36 */
    int32_t boxTop;      /* 40 */
    int32_t boxRight;    /* 44: exclusive */
    int32_t boxBottom;   /* 48: exclusive */
    int32_t vertexCount; /* 52 */
    int32_t blend;       /* 56: alpha-blended images only */
    QrvSceneVertex vertex[4]; /* 60 */
} QrvSceneRecord;

QRV_API QrvSceneRecord* QRV_CALL Scene_Write_Capture_SpriteNC(QrvSceneRecord* rec, int32_t src, int32_t x, int32_t y,
                                                              int32_t a);
QRV_API QrvSceneRecord* QRV_CALL Scene_Write_Capture_Image(QrvSceneRecord* rec, int32_t mode, int32_t src, int32_t x,
                                                           int32_t y, int32_t a, int32_t w, int32_t h);
QRV_API QrvSceneRecord* QRV_CALL Scene_Write_Capture_ImageBB(QrvSceneRecord* rec, int32_t mode, int32_t b,
                                                             int32_t src, int32_t x, int32_t y, int32_t a, int32_t w,
                                                             int32_t h);
QRV_API QrvSceneRecord* QRV_CALL Scene_Write_Capture_Map(QrvSceneRecord* rec, int32_t mode, int32_t b, int32_t c,
                                                         int32_t x, int32_t y, int32_t a, int32_t w, int32_t h);
QRV_API QrvSceneRecord* QRV_CALL Scene_Write_Capture_Image_AlphaBlend(QrvSceneRecord* rec, int32_t mode, int32_t src,
                                                                      int32_t x, int32_t y, int32_t a, int32_t g,
                                                                      int32_t w, int32_t h);
QRV_API QrvSceneRecord* QRV_CALL Scene_Write_Capture_Shape(QrvSceneRecord* rec, int32_t mode, int32_t src, int32_t x,
                                                           int32_t y, int32_t a, int32_t s1, int32_t s2, int32_t s3,
                                                           uint32_t colour);
/*
 * Text, Box, Circle, Ellipse and the strips return &rec->vertex[1], Line
 * &rec->vertex[2] and ShadeBox &rec->vertex[3].
 */
QRV_API QrvSceneVertex* QRV_CALL Scene_Write_Capture_Text(QrvSceneRecord* rec, int32_t mode, int32_t b,
                                                          int32_t ignored1, int32_t ignored2, int32_t x, int32_t y,
                                                          int32_t a, int32_t w, int32_t h, uint32_t colour);
/* The position is the floor of fx, fy; NaN and values outside the 32-bit range give INT32_MIN. */
QRV_API void QRV_CALL Scene_Write_Capture_Dot(QrvSceneRecord* rec, int32_t mode, float fx, float fy, float fz,
                                              uint32_t colour);
QRV_API QrvSceneVertex* QRV_CALL Scene_Write_Capture_Line(QrvSceneRecord* rec, int32_t mode, int32_t x1, int32_t y1,
                                                          int32_t x2, int32_t y2, int32_t a, uint32_t colour);
QRV_API QrvSceneVertex* QRV_CALL Scene_Write_Capture_Box(QrvSceneRecord* rec, int32_t mode, int32_t x1, int32_t y1,
                                                         int32_t x2, int32_t y2, int32_t ignored,
                                                         uint32_t colour);
QRV_API QrvSceneVertex* QRV_CALL Scene_Write_Capture_ShadeBox(QrvSceneRecord* rec, int32_t mode, int32_t x1,
                                                              int32_t y1, int32_t x2, int32_t y2, int32_t ignored,
                                                              uint32_t k0, uint32_t k1, uint32_t k2,
                                                              uint32_t k3);
QRV_API QrvSceneVertex* QRV_CALL Scene_Write_Capture_Circle(QrvSceneRecord* rec, int32_t mode, int32_t cx, int32_t cy,
                                                            int32_t a, int32_t r, uint32_t colour);
QRV_API QrvSceneVertex* QRV_CALL Scene_Write_Capture_Ellipse(QrvSceneRecord* rec, int32_t mode, int32_t cx,
                                                             int32_t cy, int32_t a, int32_t rx, int32_t ry,
                                                             uint32_t colour);
QRV_API QrvSceneVertex* QRV_CALL Scene_Write_Capture_GouraudStripH(QrvSceneRecord* rec, int32_t mode, int32_t x1,
                                                                   uint32_t k1, int32_t x2, uint32_t k2, int32_t y,
                                                                   int32_t ignored);
QRV_API QrvSceneVertex* QRV_CALL Scene_Write_Capture_GouraudStripV(QrvSceneRecord* rec, int32_t mode, int32_t y1,
                                                                   uint32_t k1, int32_t y2, uint32_t k2, int32_t x,
                                                                   int32_t ignored);
QRV_API QrvSceneVertex* QRV_CALL Scene_Write_Capture_TextureStripH(QrvSceneRecord* rec, int32_t mode, int32_t x1,
                                                                   int32_t tu1, int32_t tv1, int32_t x2, int32_t tu2,
                                                                   int32_t tv2, int32_t y, int32_t ignored,
                                                                   int32_t src);
QRV_API QrvSceneVertex* QRV_CALL Scene_Write_Capture_TextureStripV(QrvSceneRecord* rec, int32_t mode, int32_t y1,
                                                                   int32_t tu1, int32_t tv1, int32_t y2, int32_t tu2,
                                                                   int32_t tv2, int32_t x, int32_t ignored,
                                                                   int32_t src);
QRV_API void QRV_CALL Scene_Write_Capture_Tri(QrvSceneRecord* rec, int32_t mode, int32_t x0, int32_t y0, int32_t x1,
                                              int32_t y1, int32_t x2, int32_t y2, int32_t ignored, uint32_t colour,
                                              int32_t flag);
QRV_API void QRV_CALL Scene_Write_Capture_TriG(QrvSceneRecord* rec, int32_t mode, int32_t x0, int32_t y0, uint32_t k0,
                                               int32_t x1, int32_t y1, uint32_t k1, int32_t x2, int32_t y2,
                                               uint32_t k2, int32_t ignored, int32_t flag);
QRV_API void QRV_CALL Scene_Write_Capture_TriT(QrvSceneRecord* rec, int32_t mode, int32_t x0, int32_t y0, int32_t tu0,
                                               int32_t tv0, int32_t x1, int32_t y1, int32_t tu1, int32_t tv1,
                                               int32_t x2, int32_t y2, int32_t tu2, int32_t tv2, int32_t ignored,
                                               int32_t src, int32_t flag);
QRV_API void QRV_CALL Scene_Write_Capture_Quad(QrvSceneRecord* rec, int32_t mode, int32_t x0, int32_t y0, int32_t x1,
                                               int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3,
                                               int32_t ignored, uint32_t colour, int32_t flag);
QRV_API void QRV_CALL Scene_Write_Capture_QuadG(QrvSceneRecord* rec, int32_t mode, int32_t x0, int32_t y0,
                                                uint32_t k0, int32_t x1, int32_t y1, uint32_t k1, int32_t x2,
                                                int32_t y2, uint32_t k2, int32_t x3, int32_t y3, uint32_t k3,
                                                int32_t ignored, int32_t flag);
QRV_API void QRV_CALL Scene_Write_Capture_QuadT(QrvSceneRecord* rec, int32_t mode, int32_t x0, int32_t y0,
                                                int32_t tu0, int32_t tv0, int32_t x1, int32_t y1, int32_t tu1,
                                                int32_t tv1, int32_t x2, int32_t y2, int32_t tu2, int32_t tv2,
                                                int32_t x3, int32_t y3, int32_t tu3, int32_t tv3, int32_t ignored,
                                                int32_t src, int32_t flag);
QRV_API QrvSceneRecord* QRV_CALL Scene_Poke_Bounding_Box(QrvSceneRecord* rec, int32_t x1, int32_t y1, int32_t x2,
                                                         int32_t y2);
/*
 * Six floats at out: the edge (x2 - x1, y2 - y1), its unit normal
 * ((y1 - y2) / len, (x2 - x1) / len) and the opposite normal. A zero-length
 * edge has the normal (0, 0).
 */
QRV_API void QRV_CALL Scene_Poke_Edge_Vectors(float* out, float x1, float y1, float x2, float y2);
QRV_API QrvSceneVertex* QRV_CALL SceneVert_iXYcombined(QrvSceneVertex* vertex, int32_t x, int32_t y);
/* These three take their arguments and do nothing. */
QRV_API void QRV_CALL SceneVert_iXYZ(QrvSceneVertex* vertex, int32_t unused1, int32_t unused2, int32_t unused3,
                                     int32_t unused4, int32_t unused5, int32_t unused6, int32_t unused7,
                                     int32_t unused8, int32_t unused9, int32_t unused10, int32_t unused11,
                                     int32_t unused12);
QRV_API void QRV_CALL SceneVert_iTransXYZ(QrvSceneVertex* vertex, int32_t unused1, int32_t unused2, int32_t unused3,
                                          int32_t unused4, int32_t unused5, int32_t unused6, int32_t unused7,
                                          int32_t unused8, int32_t unused9, int32_t unused10, int32_t unused11,
                                          int32_t unused12);
QRV_API void QRV_CALL SceneVert_iXYZUV(QrvSceneVertex* vertex, int32_t unused1, int32_t unused2, int32_t unused3,
                                       int32_t unused4, int32_t unused5, int32_t unused6, int32_t unused7,
                                       int32_t unused8, int32_t unused9, int32_t unused10, int32_t unused11,
                                       int32_t unused12, int32_t unused13, int32_t unused14);
/* 1 when the bounding box, moved by the camera, overlaps the viewport. */
QRV_API int32_t QRV_CALL Scene_Render_Check_Object_Visible(const QrvSceneRecord* rec, int32_t camX, int32_t camY);
QRV_API void QRV_CALL Scene_Render_Captured_Box(const QrvSceneRecord* rec, int32_t camX, int32_t camY);
QRV_API void QRV_CALL Scene_Render_Captured_ShadeBox(const QrvSceneRecord* rec, int32_t camX, int32_t camY);
QRV_API void QRV_CALL Scene_Render_Captured_Circle(const QrvSceneRecord* rec, int32_t camX, int32_t camY);
QRV_API void QRV_CALL Scene_Render_Captured_Ellipse(const QrvSceneRecord* rec, int32_t camX, int32_t camY);
QRV_API void QRV_CALL Scene_Render_Captured_GouraudStripH(const QrvSceneRecord* rec, int32_t camX, int32_t camY);
QRV_API void QRV_CALL Scene_Render_Captured_GouraudStripV(const QrvSceneRecord* rec, int32_t camX, int32_t camY);
QRV_API void QRV_CALL Scene_Render_Captured_TextureStripH(const QrvSceneRecord* rec, int32_t camX, int32_t camY,
                                                          QrvSurfaceDesc* src);
QRV_API void QRV_CALL Scene_Render_Captured_TextureStripV(const QrvSceneRecord* rec, int32_t camX, int32_t camY,
                                                          QrvSurfaceDesc* src);
QRV_API void QRV_CALL Scene_Render_Captured_Polygon(const QrvSceneRecord* rec, int32_t camX, int32_t camY);
QRV_API void QRV_CALL Scene_Render_Captured_PolygonG(const QrvSceneRecord* rec, int32_t camX, int32_t camY);
/* The texture strips and the textured polygon take their texture from src or s, not from the record. */
QRV_API void QRV_CALL Scene_Render_Captured_PolygonT(const QrvSceneRecord* rec, int32_t camX, int32_t camY,
                                                     QrvSurfaceDesc* s, void* t);

/* ---- Maths: angles, vertex transforms, random numbers, fast calculation ---- */
/*
 * Angles are in degrees, turned into radians by the factor 3.1415926535 / 180, so ZK_Cos(90) is a tiny nonzero
 * value. Results are the same bits in every build. WrapAngle gives fmod(a, 360) raised by 360 when negative
 * (0 <= r < 360; -360 gives a negative zero). ZK_WrapValue wraps v into [lo, hi) (the ends may come in either
 * order; an empty range gives not-a-number).
 *
 * Vertex lists are records of floats x, y, z a byte stride apart (any stride, in place included). Rotation
 * coefficients are rounded to single precision once per call. Rotate2DVertexList transforms count + 1 vertices,
 * the others count. RotateVertexListXYZ applies Rx(ax) Ry(ay) Rz(az) (z first), RotateVertexListZYX
 * Rz(az) Ry(ay) Rx(ax) (x first), then the translation. RotateVertexList and RotateVertexListToCamera read blocks
 * of 32-bit words: see QrvTransformWord.
 *
 * ZK_Rnd(max) draws uniformly from [0, max] (0 for 0 or not-a-number; max + 1.99 for max <= -0.99; max itself
 * for -0.99 < max < 0). ZK_RNDRGB draws red, green and blue from ZK_Rnd(255), alpha 0. ZK_Randomize(0) keeps
 * the sequence.
 *
 * ZK_FastCalc runs `count` instructions of an accumulator program over float variables; see QrvCalcOpcode.
 */

/* Word indices of the transform parameter block (word 0 is not read). */
enum QrvTransformWord {
    QRV_XFORM_TX = 1, QRV_XFORM_TY = 2, QRV_XFORM_TZ = 3,      /* translation (camera: its position) */
    QRV_XFORM_AX = 4, QRV_XFORM_AY = 5, QRV_XFORM_AZ = 6,      /* angles */
    QRV_XFORM_SX = 7, QRV_XFORM_SY = 8, QRV_XFORM_SZ = 9,      /* scale */
    QRV_XFORM_ORDER = 10,      /* int32: 0 = Rx Ry Rz, 1 = Rz Ry Rx; any other value writes nothing */
    QRV_XFORM_PROJECTION = 11, /* int32: 0 = none, 1 = perspective (x fx / z, y fy / z; 0 when floor(z) <= 0) */
    QRV_XFORM_FX = 12, QRV_XFORM_FY = 13
};

/*
 * Fast-calculation program: word 0 is the variable that starts the accumulator; each instruction is an opcode
 * word, followed by a variable index when the opcode is one of these. Other opcodes are skipped alone.
 * Each step computes in double precision and rounds the accumulator to single precision.
 */
enum QrvCalcOpcode {
    QRV_CALC_ADD = 1, QRV_CALC_SUB = 2, QRV_CALC_MUL = 3, QRV_CALC_DIV = 4, /* acc op x */
    QRV_CALC_STORE = 5,                                                   /* x = acc */
    QRV_CALC_POW = 6,                                                     /* acc = acc to the power x */
    QRV_CALC_LOAD = 10,                                                   /* acc = x */
    /* Families: family + 1 adds f(x) to acc, + 2 subtracts, + 3 multiplies, + 4 divides. */
    QRV_CALC_COS_FAMILY = 20, QRV_CALC_SIN_FAMILY = 30, QRV_CALC_TAN_FAMILY = 40,
    QRV_CALC_RND_FAMILY = 50,  /* f = ZK_Rnd (it advances the generator); dividing by a draw of 0 gives 0 */
    QRV_CALC_SQRT_FAMILY = 60  /* dividing by a root of 0 gives 0 */
};

QRV_API float QRV_CALL ZK_Cos(float a);
QRV_API float QRV_CALL ZK_Sin(float a);
QRV_API float QRV_CALL ZK_Tan(float a);
QRV_API float QRV_CALL ZK_Log(float x);
QRV_API float QRV_CALL ZK_Log10(float x);
QRV_API float QRV_CALL ZK_Power(float a, float b);
QRV_API float QRV_CALL WrapAngle(float a);
QRV_API float QRV_CALL ZK_WrapValue(float v, float lo, float hi);
QRV_API void QRV_CALL Rotate2DVertexList(void* src, int32_t srcStride, void* dst, int32_t dstStride, float ox,
                                         float oy, float angle, float sx, float sy, int32_t count);
QRV_API void QRV_CALL RotateVertexListXYZ(void* src, int32_t srcStride, void* dst, int32_t dstStride, float tx,
                                          float ty, float tz, float ax, float ay, float az, int32_t count);
QRV_API void QRV_CALL RotateVertexListZYX(void* src, int32_t srcStride, void* dst, int32_t dstStride, float tx,
                                          float ty, float tz, float ax, float ay, float az, int32_t count);
QRV_API void QRV_CALL LerpVertexList(void* a, int32_t aStride, void* b, int32_t bStride, void* out, int32_t outStride,
                                     int32_t count, float t);
QRV_API void QRV_CALL RotateVertexList(void* params, void* src, int32_t srcStride, void* dst, int32_t dstStride,
                                       int32_t count);
QRV_API void QRV_CALL RotateVertexListToCamera(void* camera, void* object, void* src, int32_t srcStride, void* dst,
                                               int32_t dstStride, int32_t count);
QRV_API void QRV_CALL ZK_Randomize(uint32_t seed);
QRV_API double QRV_CALL ZK_Rnd(float max);
QRV_API uint32_t QRV_CALL ZK_RNDRGB(void);
QRV_API float QRV_CALL ZK_FastCalc(void* vars, void* program, int32_t count);

#ifdef __cplusplus
}
#endif

#endif /* QUORVEL_H */
