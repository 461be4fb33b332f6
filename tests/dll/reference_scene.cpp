// The reference scene. Every call goes through Q(name): the export itself in
// the Linux builds, a checked stdcall call through the DLL's export table in
// the Windows test. Each subsystem draws in a section of its own; a section
// folds every result it reads back into the hash, never an address or a time.
#include "reference_scene.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "quorvel.h"

#if defined(_WIN32)
#include "checked_call.h"
#include "checked_calls.h"
#define Q(name) ::dlltest::checked::name
#else
#define Q(name) ::name
#endif

namespace scene {
namespace {

constexpr int kWidth = 112, kHeight = 80;
constexpr int kLeft = 6, kTop = 5, kRight = 106, kBottom = 75;  // the viewport
constexpr int kGuard = 64;                                         // bytes around the pixels
constexpr uint8_t kOutsideByte = 0x5A;

constexpr int32_t kModes[] = {1, 2, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096};
constexpr uint32_t kColours[] = {0xFF20C040, 0x80FF8000, 0x00123456, 0xFFFFFFFF, 0x7F0080FF};

int BytesPerPixel(int32_t format) { return format <= 2 ? 2 : (format == 3 ? 3 : 4); }

// A pixel buffer with guard bytes before and after it.
struct Picture {
    int32_t format = 0, width = 0, height = 0, pitch = 0;
    std::vector<uint8_t> bytes;

    Picture(int32_t fmt, int32_t w, int32_t h, uint8_t fill)
        : format(fmt), width(w), height(h), pitch(w * BytesPerPixel(fmt) + 8),
          bytes(static_cast<size_t>(pitch) * h + 2 * kGuard, fill) {}
    uint8_t* Base() { return bytes.data() + kGuard; }
};

// A deterministic picture: gradients with a few stripes of the mask colour 0
// and, in format 5, alpha that runs across the whole range.
void Paint(Picture& p, uint32_t seed) {
    uint32_t s = seed;
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            s = s * 1664525u + 1013904223u;
            uint32_t argb = (static_cast<uint32_t>(x * 255 / (p.width - 1)) << 24) | ((x * 8u & 0xFF) << 16) |
                            ((y * 8u & 0xFF) << 8) | (s >> 24);
            if ((x + y) % 7 == 0) argb = 0;
            const uint32_t v = Q(RGBForBuffer)(argb, p.format);
            uint8_t* q = p.Base() + y * p.pitch + x * BytesPerPixel(p.format);
            std::memcpy(q, &v, static_cast<size_t>(BytesPerPixel(p.format)));
        }
    }
}

struct Scene {
    int32_t format, mmx;
    Picture canvas;
    Picture argbSprite;   // format 5 source for alpha blits
    Picture sameSprite;   // a source in the canvas format, for effect blits
    Picture blend;        // the source-blend picture, canvas format
    uint64_t hash = 14695981039346656037ull;

    Scene(int32_t fmt, int32_t state)
        : format(fmt), mmx(state), canvas(fmt, kWidth, kHeight, kOutsideByte), argbSprite(5, 40, 32, 0),
          sameSprite(fmt, 40, 32, 0), blend(fmt, 40, 32, 0) {
        Paint(argbSprite, 7);
        Paint(sameSprite, 11);
        Paint(blend, 13);
    }

    void Fold(uint64_t v) {
        for (int i = 0; i < 8; ++i) {
            hash ^= (v >> (8 * i)) & 0xFF;
            hash *= 1099511628211ull;
        }
    }
    void FoldFloat(double v) {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        Fold(bits);
    }
    void Select() {
        Q(QRV_SetBuffer)(canvas.Base(), canvas.pitch, format);
        Q(QRV_SetBufferViewPort)(kLeft, kTop, kRight, kBottom);
    }
    uint32_t Native(uint32_t argb) const { return Q(RGBForBuffer)(argb, format); }
};

// Settings and the library's own queries.
void LibraryState(Scene& s) {
    s.Fold(static_cast<uint32_t>(Q(QRV_SetMMXState)(s.mmx)));
    s.Fold(static_cast<uint32_t>(Q(QRV_GetMMXState)()));
    s.Fold(static_cast<uint32_t>(Q(QRV_SetInkAlpha)(300)));
    s.Fold(static_cast<uint32_t>(Q(QRV_GetInkAlpha)()));
    Q(QRV_SetInkAlpha)(255);
    Q(QRV_SetThreadCount)(3);
    s.Fold(static_cast<uint32_t>(Q(QRV_GetThreadCount)()));
    Q(QRV_SetThreadCount)(8);
    s.Fold(static_cast<uint32_t>(Q(QRV_SetDebug)(5, -17)));
    s.Fold(static_cast<uint32_t>(Q(QRV_GetDebug)(5)));
    s.Fold(static_cast<uint32_t>(Q(QRV_GetVertexBufferModulo)()));
    s.Fold(Q(QRV_BankPTR)(&s) == &s);
    s.Fold(static_cast<uint32_t>(Q(QRV_BlitThreads)(4)));
    s.Fold(static_cast<uint32_t>(Q(QRV_GetBlitThreads)()));
    s.Fold(static_cast<uint32_t>(Q(QRV_BlitAsync)(1)));
    s.Fold(static_cast<uint32_t>(Q(QRV_GetBlitAsync)()));
    // Times and the processor's answer vary by machine: called, not hashed.
    Q(QRV_StartCC)(3);
    (void)Q(QRV_GetCCTP)(3);
    (void)Q(CPU_CheckMMX)();
    s.Select();
    const int32_t probes[][4] = {{0, 0, 4, 4}, {-10, -10, 16, 15}, {105, 74, 3, 3}, {106, 20, 5, 5}, {50, 75, 2, 2}};
    for (const auto& p : probes) s.Fold(static_cast<uint32_t>(Q(QRV_ImageInViewPort)(p[0], p[1], p[2], p[3])));
}

void Colours(Scene& s) {
    for (uint32_t c : kColours) {
        const uint32_t d = ~c ^ 0x35A0C3u;
        s.Fold(Q(RGBto565)(c));
        s.Fold(Q(RGBto555)(c));
        for (int32_t f = 0; f <= 6; ++f) s.Fold(Q(RGBForBuffer)(c, f));
        s.Fold(Q(ZK_RGB)(c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF));
        s.Fold(Q(ZK_ARGB)(c >> 24, c >> 16 & 0xFF, 300, -4));
        s.Fold(Q(ZK_RGB_With_AlphaIntensity)(c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF));
        s.Fold(static_cast<uint32_t>(Q(ZK_RGBA)(c) + Q(ZK_RGBR)(c) * 3 + Q(ZK_RGBG)(c) * 5 + Q(ZK_RGBB)(c) * 7));
        s.Fold(Q(ZK_RGB_888to565)(c));
        s.Fold(Q(ZK_RGB_888to555)(c));
        s.Fold(Q(ZK_RGB_565to888)(c & 0xFFFF));
        s.Fold(Q(ZK_RGB_555to888)(c & 0xFFFF));
        s.Fold(Q(ZK_RGB_GREY)(c));
        s.Fold(Q(ZK_RGB_FADE)(c, 37.5f));
        s.Fold(Q(ZK_RGB_ALPHA_BLEND)(c, d, 62.25f));
        s.Fold(Q(ZK_RGB_ALPHA_BLEND_Variable)(c, d, 77));
        s.Fold(Q(ZK_RGB_DEPTH_CUE)(c, d, 40.f, 10.f, 90.f));
        s.Fold(Q(ZK_RGB_SCALE)(c, 180));
        s.Fold(Q(ZK_RGB_ALPHA_ADD)(c, d));
        s.Fold(Q(ZK_RGB_ALPHA_SUB)(c, d));
        s.Fold(Q(ZK_RGB_ALPHA_MULT)(c, d));
        s.Fold(Q(ZK_RGB_ALPHA_50)(c, d));
        s.Fold(Q(ZK_RGB_ALPHA_AND)(c, d));
        s.Fold(Q(ZK_RGB_ALPHA_OR)(c, d));
        s.Fold(Q(ZK_RGB_ALPHA_XOR)(c, d));
    }
}

// Ink alpha for the blending mode, full otherwise.
void InkFor(int32_t mode) { Q(QRV_SetInkAlpha)(mode == 16 ? 150 : 255); }

void Pixels(Scene& s) {
    s.Select();
    int32_t row = kTop;
    for (int32_t mode : kModes) {
        InkFor(mode);
        for (int i = 0; i < 5; ++i) {
            const uint32_t c = kColours[i];
            Q(QRV_Dot)(kLeft - 2 + 23 * i, row, c, mode);   // the first lies outside the viewport
            Q(QRV_FastDot)(kLeft + 3 + 19 * i, row + 1, c, mode);
            Q(QRV_DrawPixel)(kLeft + 5 + 17 * i, row + 2, s.Native(c), mode);
        }
        row += 3;
    }
    Q(QRV_SetInkAlpha)(255);
    for (int32_t y = kTop; y < row; y += 2) {
        s.Fold(Q(QRV_Point)(kLeft + y, y));
        s.Fold(Q(QRV_FastPoint)(kLeft + 2 * y, y + 1));
        s.Fold(Q(QRV_FastPoint_JT)(kLeft + 3 * y % 90, y));
    }
    s.Fold(Q(QRV_Point)(kLeft - 1, kTop));  // outside: 0
}

void StripsAndLines(Scene& s) {
    s.Select();
    int32_t y = kTop + 36;
    for (int32_t mode : kModes) {
        InkFor(mode);
        const uint32_t c = s.Native(kColours[(y + mode) % 5]);
        Q(QRV_DrawStrip)(y, kLeft + 1, kRight - 3, c, mode);
        Q(QRV_DrawStrip)(y, kLeft + 30, kLeft + 30, c, mode);  // empty
        Q(QRV_WriteLine)(kLeft + 2, kTop + 2, kRight - 4, y, kColours[mode % 5], mode);
        Q(QRV_WriteDrawModeLine)(kRight - 10, kTop + 1, kLeft + 12, y - 1, kColours[(mode + 2) % 5], mode);
        Q(QRV_WriteDrawModeLine)(kLeft + 40, kTop + 3, kLeft + 40 + (y & 7), kBottom - 2, kColours[1], mode);
        y += 2;
    }
    Q(QRV_SetInkAlpha)(255);
    if (s.format >= 4) {
        Q(QRV_WriteLine_32Bit)(kLeft, kBottom - 1, kRight - 1, kTop + 20, 0x00ABCDEF, 0);
        Q(QRV_WriteLine_32Bit)(kLeft + 7, kTop, kLeft + 9, kBottom - 1, 0x00FEDCBA, 0);
        Q(QRV_WriteLine_32Bit)(kLeft - 3, kTop, kLeft - 3, kBottom - 1, 0x00FFFFFF, 0);  // outside: nothing
    }
}

void Shapes(Scene& s) {
    s.Select();
    int32_t i = 0;
    for (int32_t mode : kModes) {
        InkFor(mode);
        const uint32_t c = kColours[i % 5];
        const int32_t x = kLeft - 8 + (i % 6) * 20, y = kTop - 6 + (i / 6) * 40;
        Q(QRV_Box)(x, y, x + 26, y + 18, c, mode | 2);
        Q(QRV_Box)(x + 3, y + 2, x + 30, y + 24, kColours[(i + 1) % 5], mode | 1);
        Q(QRV_ShadeBox)(x + 5, y + 20, x + 25, y + 34, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, mode);
        Q(QRV_Circle)(x + 10, y + 10, 9 + i % 4, c, mode | 2);
        Q(QRV_Circle)(x + 14, y + 12, 7, kColours[(i + 3) % 5], mode | 1);
        Q(QRV_Ellipse)(x + 12, y + 22, 11, 5 + i % 3, c, mode | 2);
        Q(QRV_OpenCircle)(x + 16, y + 8, 6, kColours[(i + 2) % 5], mode);
        Q(QRV_OpenEllipse)(x + 8, y + 16, 9, 4, kColours[(i + 4) % 5], mode);
        Q(QRV_FilledEllipse)(x + 18, y + 26, 6, 9, c, mode);
        ++i;
    }
    Q(QRV_SetInkAlpha)(255);
    Q(QRV_OpenEllipseFX)(kLeft + 50, kTop + 30, 20, 12, 0xFF8080, 1, 0);
    Q(QRV_OpenEllipseFX)(kLeft + 50, kTop + 30, 14, 9, 0x80FF80, 1, 1);  // unclipped, inside the viewport
    Q(QRV_FilledEllipseNC)(kLeft + 30, kTop + 40, 12, 8, 0x8080FF, 64);
}

void Polygons(Scene& s) {
    s.Select();
    int32_t i = 0;
    for (int32_t mode : kModes) {
        InkFor(mode);
        const int32_t x = kLeft - 10 + (i % 6) * 21, y = kTop - 8 + (i / 6) * 42;
        Q(QRV_Tri)(x, y, x + 30, y + 6, x + 8, y + 28, kColours[i % 5], mode);
        Q(QRV_Quad)(x + 4, y + 20, x + 26, y + 16, x + 30, y + 40, x + 2, y + 36, kColours[(i + 2) % 5], mode);
        Q(QRV_TriG)(x + 2, y + 4, 0xFF0000, x + 28, y + 12, 0x00FF00, x + 12, y + 34, 0x0000FF, mode);
        Q(QRV_QuadG)(x + 6, y + 24, 0xFFFF00, x + 24, y + 22, 0x00FFFF, x + 28, y + 44, 0xFF00FF, x + 4, y + 40,
                     0x808080, mode);
        ++i;
    }
    Q(QRV_SetInkAlpha)(255);
    // The slots keep the last quad; draw it again with other corner colours.
    Q(QRV_QuadSetGouraud)(0x102030, 0xF0E0D0, 0x405060, 0xA0B0C0);
    Q(QRV_DrawGouraudPoly)(4, 0);
    Q(QRV_HoriGouraudStrip)(kLeft - 5, 0xFF0000, kRight + 5, 0x0000FF, kTop + 50);
    Q(QRV_HoriGouraudStrip)(kRight - 20, 0x00FF00, kLeft + 10, 0xFF00FF, kTop + 52);
    Q(QRV_VertGouraudStrip)(kTop - 5, 0xFFFFFF, kBottom + 5, 0x000000, kLeft + 60);
    Q(QRV_VertGouraudStrip)(kBottom - 10, 0x123456, kTop + 3, 0xFEDCBA, kLeft + 62);
}

void Blits(Scene& s) {
    s.Select();
    // Conversions and keying from a format-5 source, alpha by flags.
    Q(QRV_SetSrcBuffer)(s.argbSprite.Base(), s.argbSprite.pitch, 5);
    Q(QRV_Blit)(0, 0, 40, 32, kLeft - 12, kTop - 9, 0, 0);
    Q(QRV_Blit)(0, 0, 40, 32, kLeft + 30, kTop + 4, 0, 1);
    Q(QRV_Blit)(4, 4, 36, 30, kRight - 20, kBottom - 20, 0, 1);
    // The canvas format as source: keyed copies and every effect.
    Q(QRV_SetSrcBuffer)(s.sameSprite.Base(), s.sameSprite.pitch, s.format);
    Q(QRV_SetSrcBlendBuffer)(s.blend.Base(), s.blend.pitch, s.format);
    Q(QRV_Blit)(0, 0, 40, 32, kLeft + 60, kTop + 30, 0, 1);
    Q(QRV_Blit)(10, 10, 5, 40, kLeft, kTop, 0, 0);  // empty
    const int32_t effects[] = {0, 1, 32, 33, 64, 128, 1024, 8192, 16384};
    int32_t i = 0;
    for (int32_t mode : effects) {
        for (int32_t useBlend = 0; useBlend <= 1; ++useBlend) {
            const int32_t dx = kLeft - 4 + (i % 6) * 18, dy = kTop - 4 + (i / 6) * 24;
            Q(QRV_BlitFX)(2 + i % 5, 1 + i % 3, 26 + i % 7, 22, dx, dy, 0, i & 1, mode, kColours[i % 5], useBlend, 0);
            ++i;
        }
    }
    s.Fold(static_cast<uint32_t>(s.sameSprite.Base()[s.sameSprite.pitch * 5 + 7]));
}

// Surface descriptors over windows of the canvas (inside the viewport) and
// over the sprites: peeks, pokes, every rectangle effect and scaling mode.
void Surfaces(Scene& s) {
    const int bpp = BytesPerPixel(s.format);
    auto window = [&](int32_t x, int32_t y, int32_t w, int32_t h) {
        return static_cast<QrvSurfaceDesc*>(Q(QRV_AllocSurfaceDesc)(
            s.format, s.canvas.Base() + y * s.canvas.pitch + x * bpp, s.canvas.pitch, w, h));
    };
    auto* sprite = static_cast<QrvSurfaceDesc*>(
        Q(QRV_AllocSurfaceDesc)(s.format, s.sameSprite.Base(), s.sameSprite.pitch, 40, 32));
    Q(QRV_SetSurfaceDescMaskColour)(sprite, 0);
    s.Fold(static_cast<uint32_t>(Q(QRV_GetSurfaceDescType)(sprite)));
    for (int32_t i = 0; i < 6; ++i) s.Fold(Q(QRV_PeekSurface)(sprite, i * 7, i * 5 + 1));
    uint32_t strip[12];
    Q(QRV_PeekPixelStrip)(sprite, 3, 15, 9, strip);
    for (uint32_t v : strip) s.Fold(v);

    // Effects, each over its own window of the canvas.
    QrvSurfaceDesc* w = window(kLeft, kTop, 100, 70);
    Q(QRV_SetSurfaceDescVP)(w, 30, 12, 2, 1);
    Q(QRV_FillRect_Fade)(w, 60);
    Q(QRV_SetSurfaceDescVP)(w, 20, 10, 50, 25);
    Q(QRV_FillRect_GreyScale)(w);
    Q(QRV_SetSurfaceDescVP)(w, 60, 2, 96, 30);
    Q(QRV_FillRect_Blur)(w, 7.5f);
    Q(QRV_SetSurfaceDescVP)(w, 4, 30, 40, 66);
    Q(QRV_FillRect_Light)(w, 18, 44, 300.0f, 9.0f, 0);
    Q(QRV_SetSurfaceDescVP)(w, 44, 34, 70, 60);
    Q(QRV_FillRect_PhongMap)(w, 56, 46, 0x00FFC080, 255.0f, 16.0f, 0);
    Q(QRV_SetSurfaceDescVP)(w, 72, 36, 99, 69);
    Q(QRV_MirrorRect)(w, 1, 1);
    Q(QRV_SetSurfaceDescVP)(w, 10, 2, 19, 9);
    Q(QRV_MirrorRect)(w, 0, 1);
    Q(QRV_SetSurfaceDescMaskColour)(w, Q(QRV_PeekSurface)(w, 12, 4));
    Q(QRV_FillRect_Make_Alpha)(w, 0);
    Q(QRV_SetSurfaceDescVP)(w, -50, -50, 500, 500);  // clipped to the window
    Q(QRV_PokeSurface)(w, 99, 69, 0x00FF00FF);
    Q(QRV_PokeSurface)(w, 100, 69, 0xFFFFFFFF);
    Q(QRV_PokeSurfaceNC)(w, 0, 0, 0x0000FF00);
    s.Fold(Q(QRV_PeekSurface)(w, 99, 69));
    s.Fold(Q(QRV_PeekSurface)(w, 100, 0));
    Q(QRV_FreeSurfaceDesc)(w);

    // Scaling the sprite into windows, up and down, in every mode.
    const int32_t scales[][5] = {{kLeft + 2, kTop + 40, 60, 28, 0}, {kLeft + 64, kTop + 40, 33, 29, 1},
                                 {kLeft + 40, kTop + 8, 21, 17, 1111}, {kLeft + 70, kTop + 6, 28, 26, 0}};
    for (int32_t k = 0; k < 4; ++k) {
        const int32_t* c = scales[k];
        QrvSurfaceDesc* d = window(c[0], c[1], c[2], c[3]);
        Q(QRV_SetSurfaceDescVP)(d, 2, 1, c[2] - 3, c[3] - 2);
        if (k == 3) {
            Q(QRV_ScaleSurface_OLD)(sprite, d, 1);
        } else {
            Q(QRV_ScaleSurface)(sprite, d, c[4]);
        }
        Q(QRV_FreeSurfaceDesc)(d);
    }

    // A 32-bit alpha surface prepared from the sprite, and a plain copy.
    Picture prepared(5, 40, 32, 0);
    auto* p = static_cast<QrvSurfaceDesc*>(Q(QRV_AllocSurfaceDesc)(5, prepared.Base(), prepared.pitch, 40, 32));
    Q(QRV_PrepareFXSurface)(sprite, p, 0);
    for (int32_t y = 0; y < 32; y += 3)
        for (int32_t x = 0; x < 40; x += 5) s.Fold(Q(QRV_PeekSurface)(p, x, y));
    Q(QRV_FreeSurfaceDesc)(p);
    QrvSurfaceDesc* copy = window(kLeft + 5, kTop + 5, 20, 20);
    Q(QRV_PrepareFXSurface)(sprite, copy, 0);
    Q(QRV_FreeSurfaceDesc)(copy);
    Q(QRV_FreeSurfaceDesc)(sprite);
}

QrvSurfaceDesc TextureOf(Picture& p) {
    QrvSurfaceDesc d{};
    d.format = p.format;
    d.pixels = p.Base();
    d.pitch = p.pitch;
    d.width = p.width;
    d.height = p.height;
    d.viewRight = p.width;
    d.viewBottom = p.height;
    return d;  // mask colour 0, the colour of the stripes Paint draws
}

// Textured polygons in every output type, masked and not, filtered, with
// texel effects and vertex colours; the whole-texture draw and the strips.
void Textured(Scene& s) {
    s.Select();
    QrvSurfaceDesc argb = TextureOf(s.argbSprite), same = TextureOf(s.sameSprite);
    const struct {
        int32_t flags, type, level, compression;
        uint32_t tint;
    } looks[] = {
        {0, 1, 0, 1, 0xFFFFFF},          {1, 1, 0, 1, 0xFFFFFF},   {1, 2, 96, 1, 0xFFFFFF},
        {0, 3, 0, 0, 0xFFFFFF},          {1, 4, 0, 1, 0x8090A0},   {0, 5, 0, 1, 0xFFFFFF},
        {INT32_MIN, 1, 0, 1, 0xFFFFFF},  {INT32_MIN | 1, 1, 0, 0, 0xFFFFFF},
        {0x80 | 1, 1, 0, 1, 0xFFFFFF},   {0x100 | 0x1000, 1, 0, 1, 0xFFFFFF},
        {0x200 | 0x4000 | 0x800, 1, 0, 1, 0xFFFFFF},
    };
    int32_t i = 0;
    for (const auto& look : looks) {
        void* tpd = Q(TPD_BuildSpriteDrawMode)(look.flags, look.tint, 0x304050, 100);
        s.Fold(static_cast<uint32_t>(Q(TPD_SetOutputEffect)(tpd, look.type, 0, look.level)));
        Q(TPD_SetMaskCompression)(tpd, look.compression);
        s.Fold(static_cast<uint32_t>(Q(TPD_GetMaskCompression)(tpd)));
        s.Fold(static_cast<uint32_t>(Q(TPD_GetGouruaudState)(tpd)));
        QrvSurfaceDesc* tex = i % 2 ? &argb : &same;
        const int32_t x = kLeft - 8 + (i % 4) * 28, y = kTop - 6 + (i / 4) * 26;
        Q(QRV_QuadT)(tex, x, y, 0, 0, x + 30, y + 8, 39, 0, x + 24, y + 34, 39, 31, x - 4, y + 26, 0, 31, tpd);
        Q(QRV_TriT)(tex, x + 4, y + 2, 2, 2, x + 20, y + 4, 30, 6, x + 8, y + 20, 8, 28, tpd);
        Q(QRV_DrawSpriteRGBQuad)(tex, x + 6, y + 6, 0, 0, 0xFF0000, x + 22, y + 6, 20, 0, 0x00FF00, x + 22, y + 20,
                                 20, 20, 0x0000FF, x + 6, y + 20, 0, 20, 0xFFFFFF, tpd, i % 2);
        Q(QRV_DrawTexture)(tex, x + 10 - 40 * (i == 3), y + 12, tpd);
        Q(TPD_Free)(tpd);
        ++i;
    }
    // Axis-aligned at one texel a pixel, plain and masked, over the viewport's edges.
    void* plain = Q(TPD_Alloc)();
    void* masked = Q(TPD_BuildSpriteDrawMode)(1, 0xFFFFFF, 0, 0);
    Q(QRV_QuadT)(&same, kRight - 12, kTop + 20, 0, 0, kRight + 8, kTop + 20, 20, 0, kRight + 8, kTop + 36, 20, 16,
                 kRight - 12, kTop + 36, 0, 16, plain);
    Q(QRV_QuadT)(&same, kLeft - 6, kBottom - 14, 4, 2, kLeft - 6, kBottom + 2, 4, 18, kLeft + 18, kBottom + 2, 28, 18,
                 kLeft + 18, kBottom - 14, 28, 2, masked);
    Q(TPD_Free)(masked);
    // Coordinates beyond the texture are clamped into the slots.
    Q(QRV_DrawSpriteQuad)(&same, kLeft + 40, kTop + 40, -5, -5, kLeft + 70, kTop + 44, 90, 0, kLeft + 66, kTop + 74,
                          90, 90, kLeft + 36, kTop + 70, 0, 90, plain, 0);
    Q(QRV_DrawSpritePoly)(&argb, 3, plain);
    s.Fold(static_cast<uint32_t>(Q(TPD_UpdateSpriteDrawMode)(plain, 0x80 | 1, 0xC0C0C0, 0x304050, 100)));
    Q(QRV_DrawSpritePoly)(&argb, 3, plain);
    Q(TPD_AddTexelEffect)(plain, 3, nullptr, nullptr, 0x202020, 0, 0, 0);
    Q(TPD_AddTexelEffect)(plain, 9, nullptr, nullptr, 0, 0, 0, 0);
    Q(QRV_DrawTexturedPoly)(&same, 3, plain);
    Q(TPD_Free)(plain);
    Q(QRV_HoriTextureStrip)(&same, kLeft - 4, 0, 0x30000, kRight + 4, 39 << 16, 0x60000, kTop + 66);
    Q(QRV_HoriTextureStrip)(&same, kRight - 10, 0x80000, 0, kLeft + 20, 0, 0, kTop + 68);
    Q(QRV_VertTextureStrip)(&same, kTop - 3, 0, 0, kBottom + 3, 0x40000, 31 << 16, kLeft + 80);
}

// Scene records: the words every writer stores (over a marker), the pokes,
// visibility under a few cameras, and a captured scene replayed under two
// camera positions.
void SceneCapture(Scene& s) {
    s.Select();
    auto foldRecord = [&](const QrvSceneRecord& r, const void* result) {
        uint32_t words[sizeof(QrvSceneRecord) / 4];
        std::memcpy(words, &r, sizeof words);
        for (uint32_t w : words) s.Fold(w);
        s.Fold(static_cast<uint64_t>(static_cast<const char*>(result) - reinterpret_cast<const char*>(&r)));
    };
    auto fresh = [](QrvSceneRecord& r) { std::memset(&r, 0xA7, sizeof r); };
    QrvSceneRecord r;
    fresh(r), foldRecord(r, Q(Scene_Write_Capture_SpriteNC)(&r, 7, -3, 4, 9));
    fresh(r), foldRecord(r, Q(Scene_Write_Capture_Image)(&r, 64, 5, 10, 20, 6, 3, 4));
    fresh(r), foldRecord(r, Q(Scene_Write_Capture_ImageBB)(&r, 2, 8, 5, 1, 2, 6, 3, 4));
    fresh(r), foldRecord(r, Q(Scene_Write_Capture_Map)(&r, 2, 8, 5, 1, 2, 6, 3, 4));
    fresh(r), foldRecord(r, Q(Scene_Write_Capture_Image_AlphaBlend)(&r, 16, 5, 1, 2, 6, 128, 3, 4));
    fresh(r), foldRecord(r, Q(Scene_Write_Capture_Shape)(&r, 2, 5, 1, 2, 6, 11, 12, 13, 0xFF102030));
    fresh(r), foldRecord(r, Q(Scene_Write_Capture_Text)(&r, 2, 8, 77, 78, 1, 2, 6, 40, 10, 0xAB));
    fresh(r), Q(Scene_Write_Capture_Dot)(&r, 2, -0.5f, 2.7f, 9.f, 0xCD), foldRecord(r, &r);
    fresh(r), foldRecord(r, Q(Scene_Write_Capture_Line)(&r, 2, 1, 2, 30, 40, 6, 0xEF));
    fresh(r), foldRecord(r, Q(Scene_Write_Capture_Box)(&r, 66, 10, 20, 5, 8, 99, 0x12));
    fresh(r), foldRecord(r, Q(Scene_Write_Capture_ShadeBox)(&r, 2, 10, 8, 5, 20, 0, 1, 2, 3, 4));
    fresh(r), foldRecord(r, Q(Scene_Write_Capture_Circle)(&r, 2, 10, 20, 6, 3, 0x33));
    fresh(r), foldRecord(r, Q(Scene_Write_Capture_Ellipse)(&r, 2, 10, 20, 6, 4, 2, 0x44));
    fresh(r), foldRecord(r, Q(Scene_Write_Capture_GouraudStripH)(&r, 2, 30, 0x55, 3, 0x66, 7, 0));
    fresh(r), foldRecord(r, Q(Scene_Write_Capture_GouraudStripV)(&r, 2, 30, 0x55, 3, 0x66, 7, 0));
    fresh(r), foldRecord(r, Q(Scene_Write_Capture_TextureStripH)(&r, 2, 3, 1, 2, 30, 3, 4, 7, 0, 9));
    fresh(r), foldRecord(r, Q(Scene_Write_Capture_TextureStripV)(&r, 2, 30, 1, 2, 3, 3, 4, 7, 0, 9));
    fresh(r), Q(Scene_Write_Capture_Tri)(&r, 2, 1, 9, 8, 2, -4, 5, 0, 0x77, 1), foldRecord(r, &r);
    fresh(r), Q(Scene_Write_Capture_TriG)(&r, 2, 1, 9, 1, 8, 2, 2, -4, 5, 3, 0, 2), foldRecord(r, &r);
    fresh(r), Q(Scene_Write_Capture_TriT)(&r, 2, 1, 9, 1, 2, 8, 2, 3, 4, -4, 5, 5, 6, 0, 9, 2), foldRecord(r, &r);
    fresh(r), Q(Scene_Write_Capture_Quad)(&r, 2, 0, 0, 9, 1, 8, 7, -1, 6, 0, 0x88, 2), foldRecord(r, &r);
    fresh(r), Q(Scene_Write_Capture_QuadG)(&r, 2, 0, 0, 1, 9, 1, 2, 8, 7, 3, -1, 6, 4, 0, 0), foldRecord(r, &r);
    fresh(r), Q(Scene_Write_Capture_QuadT)(&r, 2, 0, 0, 0, 1, 9, 1, 2, 3, 8, 7, 4, 5, -1, 6, 6, 7, 0, 9, 2);
    foldRecord(r, &r);
    fresh(r), foldRecord(r, Q(Scene_Poke_Bounding_Box)(&r, 10, 8, 5, 20));
    fresh(r), foldRecord(r, Q(SceneVert_iXYcombined)(&r.vertex[2], -7, 8));
    Q(SceneVert_iXYZ)(&r.vertex[0], 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12);
    Q(SceneVert_iTransXYZ)(&r.vertex[0], 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12);
    Q(SceneVert_iXYZUV)(&r.vertex[0], 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14);
    foldRecord(r, &r);
    float edges[6];
    const float ends[][4] = {{0, 0, 3, 4}, {1.5f, -2.25f, -7.f, 11.f}, {5, 5, 5, 5}};
    for (const auto& e : ends) {
        Q(Scene_Poke_Edge_Vectors)(edges, e[0], e[1], e[2], e[3]);
        for (float f : edges) s.FoldFloat(f);
    }

    // The captured scene, in world coordinates.
    QrvSurfaceDesc texture = TextureOf(s.sameSprite);
    void* tpd = Q(TPD_Alloc)();
    std::vector<QrvSceneRecord> world(16);
    for (QrvSceneRecord& rec : world) fresh(rec);
    Q(Scene_Write_Capture_Box)(&world[0], 2, 20, 10, 70, 40, 0, kColours[0]);
    Q(Scene_Write_Capture_Box)(&world[1], 64 | 1, 14, 6, 90, 50, 0, kColours[1]);
    Q(Scene_Write_Capture_ShadeBox)(&world[2], 32, 60, 30, 110, 70, 0, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF);
    Q(Scene_Write_Capture_Circle)(&world[3], 0, 40, 40, 0, 18, kColours[3]);
    Q(Scene_Write_Capture_Circle)(&world[4], 1024 | 1, 100, 20, 0, 12, kColours[4]);
    Q(Scene_Write_Capture_Ellipse)(&world[5], 128, 80, 60, 0, 25, 9, kColours[2]);
    Q(Scene_Write_Capture_GouraudStripH)(&world[6], 0, 120, 0xFF00FF, 0, 0x00FFFF, 33, 0);
    Q(Scene_Write_Capture_GouraudStripV)(&world[7], 0, 0, 0xFFFF00, 90, 0x0000FF, 57, 0);
    Q(Scene_Write_Capture_TextureStripH)(&world[8], 0, 10, 0, 3 << 16, 90, 39 << 16, 20 << 16, 45, 0, 0);
    Q(Scene_Write_Capture_TextureStripV)(&world[9], 0, 70, 5 << 16, 31 << 16, 2, 30 << 16, 0, 66, 0, 0);
    Q(Scene_Write_Capture_Tri)(&world[10], 16, 5, 70, 60, 55, 30, 95, 0, kColours[1], 2);
    Q(Scene_Write_Capture_Quad)(&world[11], 512, 70, 5, 115, 15, 105, 45, 75, 35, 0, kColours[0], 1);
    Q(Scene_Write_Capture_TriG)(&world[12], 0, 30, 50, 0xFF0000, 65, 65, 0x00FF00, 35, 90, 0x0000FF, 0, 2);
    Q(Scene_Write_Capture_QuadG)(&world[13], 2048, 85, 50, 0xFFFFFF, 120, 55, 0x808080, 115, 85, 0x102030, 80, 80,
                                 0xF0E0D0, 0, 0);
    Q(Scene_Write_Capture_TriT)(&world[14], 0, 0, 0, 0, 0, 30, 4, 39, 0, 8, 28, 10, 31, 0, 0, 2);
    Q(Scene_Write_Capture_QuadT)(&world[15], 0, 45, 65, 0, 0, 80, 68, 39, 0, 78, 95, 39, 31, 42, 92, 0, 31, 0, 0, 0);
    const int32_t cameras[][2] = {{0, 0}, {18, -9}};
    for (const auto& cam : cameras) {
        for (QrvSceneRecord& rec : world)
            s.Fold(static_cast<uint32_t>(Q(Scene_Render_Check_Object_Visible)(&rec, cam[0], cam[1])));
        for (QrvSceneRecord& rec : world) {
            InkFor(rec.mode & 0xFFF0);
            switch (rec.kind) {
                case QRV_SCENE_BOX: Q(Scene_Render_Captured_Box)(&rec, cam[0], cam[1]); break;
                case QRV_SCENE_SHADE_BOX: Q(Scene_Render_Captured_ShadeBox)(&rec, cam[0], cam[1]); break;
                case QRV_SCENE_CIRCLE: Q(Scene_Render_Captured_Circle)(&rec, cam[0], cam[1]); break;
                case QRV_SCENE_ELLIPSE: Q(Scene_Render_Captured_Ellipse)(&rec, cam[0], cam[1]); break;
                case QRV_SCENE_GOURAUD_STRIP_H: Q(Scene_Render_Captured_GouraudStripH)(&rec, cam[0], cam[1]); break;
                case QRV_SCENE_GOURAUD_STRIP_V: Q(Scene_Render_Captured_GouraudStripV)(&rec, cam[0], cam[1]); break;
                case QRV_SCENE_TEXTURE_STRIP_H:
                    Q(Scene_Render_Captured_TextureStripH)(&rec, cam[0], cam[1], &texture);
                    break;
                case QRV_SCENE_TEXTURE_STRIP_V:
                    Q(Scene_Render_Captured_TextureStripV)(&rec, cam[0], cam[1], &texture);
                    break;
                case QRV_SCENE_TRI: case QRV_SCENE_QUAD: Q(Scene_Render_Captured_Polygon)(&rec, cam[0], cam[1]); break;
                case QRV_SCENE_TRI_GOURAUD: case QRV_SCENE_QUAD_GOURAUD:
                    Q(Scene_Render_Captured_PolygonG)(&rec, cam[0], cam[1]);
                    break;
                default: Q(Scene_Render_Captured_PolygonT)(&rec, cam[0], cam[1], &texture, tpd);
            }
        }
    }
    Q(QRV_SetInkAlpha)(255);
    Q(TPD_Free)(tpd);
}

// A tile map from the canvas-format sprite (four 8-row tiles), map blocks cut
// from it, and a few steps of the bouncing squares in a picture of their own.
void TilesAndSync(Scene& s) {
    s.Select();
    Q(QRV_SetSrcBuffer)(s.sameSprite.Base(), s.sameSprite.pitch, s.format);
    // kind, x1, y1, x2, y2 per tile: solid, a masked sub-rectangle, nothing, a masked one reaching into
    // the next cell (all inside the sheet).
    QrvTileRecord records[4] = {{0, 0, 0, 0, 0}, {2, 1, 2, 7, 6}, {-1, 0, 0, 8, 8}, {5, 0, 3, 11, 8}};
    int32_t map[14 * 9];
    for (int i = 0; i < 14 * 9; ++i) map[i] = (i * 7 + i / 14) % 5 - 1;  // empty cells and tiles 0 .. 3
    Q(QRV_Blit_Tile_Array)(nullptr, map, 14, 4, 8, 8, kLeft - 5, kTop - 3, 0);
    Q(QRV_Blit_Tile_Array)(records, map + 14 * 4, 14, 5, 8, 8, kLeft - 3, kTop + 30, 0);
    s.Fold(static_cast<uint32_t>(Q(QRV_Rect_Hit_Tile_Array)(records, map + 1, 7, 2, 8, 8, kLeft + 20, kTop + 10, 0)));
    s.Fold(static_cast<uint32_t>(Q(QRV_Rect_Hit_Tile_Array)(nullptr, map, 14, 9, 8, 8, 0, 0, 0)));

    // Blocks of the sprite, its view narrowed so that some read key colour.
    Picture blocks(s.format, 40, 32, 0);
    auto* src = Q(QRV_AllocSurfaceDesc)(s.format, s.sameSprite.Base(), s.sameSprite.pitch, 40, 32);
    auto* dst = Q(QRV_AllocSurfaceDesc)(s.format, blocks.Base(), blocks.pitch, 40, 32);
    Q(QRV_SetSurfaceDescVP)(src, 4, 2, 34, 28);
    uint32_t row[48];
    const int32_t cuts[][6] = {{0, 0, 16, 16, 0, 0}, {16, 0, 32, 16, 16, 0}, {2, 18, 40, 30, 0, 16},
                               {30, 26, 40, 32, 30, 26}, {36, 0, 40, 2, 36, 0}, {5, 5, 5, 9, 0, 0}};
    for (const auto& c : cuts)
        s.Fold(static_cast<uint32_t>(
            Q(QRV_CopyRect_MoveMapBlk)(src, c[0], c[1], c[2], c[3], dst, c[4], c[5], row, 0)));
    Q(QRV_FreeSurfaceDesc)(src);
    Q(QRV_FreeSurfaceDesc)(dst);
    Q(QRV_SetSrcBuffer)(blocks.Base(), blocks.pitch, s.format);
    Q(QRV_Blit)(0, 0, 40, 32, kRight - 36, kTop + 2, 0, 0);

    // The squares continue from one drawing of the scene to the next; every
    // build draws the scenes in the same order.
    std::vector<uint32_t> demo(64 * 48);
    for (size_t i = 0; i < demo.size(); ++i) demo[i] = static_cast<uint32_t>(i * 2654435761u);
    for (int step = 0; step < 3; ++step) Q(QRV_R2D2)(demo.data(), 0, 64, 48);
    Q(QRV_R2D2)(demo.data(), 0, 20, 48);  // too narrow: nothing
    for (uint32_t v : demo) s.Fold(v);

    // The display's timing varies by machine: called, not hashed.
    (void)Q(DX_WaitVBL)();
    (void)Q(DX_ScanLine)();
}

// Memory helpers on a scratch block, and run lengths over the canvas.
void Memory(Scene& s) {
    std::vector<uint8_t> block(256, 0xC3);
    uint8_t* p = block.data() + 64;
    for (int i = 0; i < 40; ++i) p[i] = static_cast<uint8_t>(i * 37 + 5);
    Q(CopyMemory)(p, p + 100, 37);
    Q(CopyMemory)(p, p + 3, 20);  // onto itself: the leading bytes repeat
    Q(CopyMemory)(p + 9, p + 1, 30);
    Q(FillMemory)(p + 140, 7, 0xA1B2C3D4u, 1);
    Q(FillMemory)(p + 150, 5, 0xA1B2C3D4u, 2);
    Q(FillMemory)(p + 160, 3, 0xA1B2C3D4u, 3);
    Q(FillMemory)(p + 170, 4, 0xA1B2C3D4u, 12);
    Q(FillMemory)(p + 150, 9, 0x11u, 6);  // writes nothing
    Q(FillMemoryEx)(p + 60, -3, 4, 0x55667788u, 4);
    Q(FillMemoryEx)(p + 40, 2, 5, 0x99AABBu, 3);
    for (uint8_t b : block) s.Fold(b);
    s.Fold(static_cast<uint32_t>(Q(CompareBytes)(p, p + 100, 37)));
    s.Fold(static_cast<uint32_t>(Q(CompareBytes)(p, p + 101, 30)));
    s.Fold(static_cast<uint32_t>(Q(CompareBytes)(p, p + 1, 0)));
    const int32_t runs[][4] = {{0, 10, 1, -1}, {1, 20, 2, 0}, {-1, 8, 4, 0x55667788}, {1, 5, 3, 0}, {1, 0, 1, 0}};
    for (const auto& r : runs) s.Fold(static_cast<uint32_t>(Q(QRV_FindRunLength)(p + 60, r[0], r[1], r[2], r[3])));
    s.Select();
    Q(QRV_Box)(kLeft + 10, kTop + 10, kLeft + 40, kTop + 20, 0xFF3366, 2);
    const int32_t probes[][4] = {{kLeft + 10, kTop + 10, 1, 0}, {kLeft + 39, kTop + 12, -1, 0},
                                 {kLeft + 12, kTop + 10, 0, 1}, {kLeft + 10, kTop + 10, 1, 1},
                                 {kLeft + 20, kTop + 15, 0, 0}, {kLeft - 1, kTop + 15, 1, 0}};
    for (const auto& q : probes) {
        s.Fold(static_cast<uint32_t>(Q(QRV_PixelRunLength)(q[0], q[1], q[2], q[3], 0xFF3366)));
        s.Fold(static_cast<uint32_t>(Q(QRV_PixelRunLength)(q[0], q[1], q[2], q[3], 0x00FF3366)));
    }
}

// Angles, transforms, the generator and the calculator: every float result, bit for bit.
void Maths(Scene& s) {
    const float angles[] = {0, 30, 45, 90, 180, 270, -37.25f, 359.9f, 1e5f, 12345678.0f};
    for (float a : angles) {
        s.FoldFloat(Q(ZK_Cos)(a));
        s.FoldFloat(Q(ZK_Sin)(a));
        s.FoldFloat(Q(ZK_Tan)(a));
        s.FoldFloat(Q(WrapAngle)(a - 400));
        s.FoldFloat(Q(ZK_Log)(a + 0.5f));
        s.FoldFloat(Q(ZK_Log10)(a + 0.5f));
        s.FoldFloat(Q(ZK_Power)(a / 100 + 0.5f, 1.75f));
        s.FoldFloat(Q(ZK_Power)(-2.0f, a / 45));
        s.FoldFloat(Q(ZK_WrapValue)(a, -30.5f, 75.0f));
    }
    // Vertex lists of five floats a record.
    float list[8 * 5], out[8 * 5];
    for (int i = 0; i < 8 * 5; ++i) list[i] = static_cast<float>((i * 7919) % 97) / 3.0f - 15.0f;
    auto foldList = [&] {
        for (float f : out) s.FoldFloat(f);
    };
    std::memset(out, 0, sizeof out);
    Q(Rotate2DVertexList)(list, 20, out, 20, 1.5f, -2.0f, 33.0f, 1.25f, 0.75f, 6);
    foldList();
    Q(RotateVertexListXYZ)(list, 20, out, 20, 3, -4, 50, 10, 20, 30, 8);
    foldList();
    Q(RotateVertexListZYX)(list, 20, out, 20, 3, -4, 50, 10, 20, 30, 8);
    foldList();
    Q(LerpVertexList)(list, 20, out, 20, out, 20, 8, 0.375f);
    foldList();
    uint32_t params[14];
    const float words[] = {0, 1, 2, 40, 15, -25, 70, 1.5f, 2, 0.5f};
    std::memcpy(params, words, sizeof words);
    params[10] = 1;
    params[11] = 1;
    const float factors[] = {256, 192};
    std::memcpy(&params[12], factors, sizeof factors);
    Q(RotateVertexList)(params, list, 20, out, 20, 8);
    foldList();
    uint32_t camera[14];
    const float cam[] = {0, 5, -3, -20, 12, 8, -4, 1, 1, 1};
    std::memcpy(camera, cam, sizeof cam);
    camera[10] = 0;
    camera[11] = 0;
    std::memcpy(&camera[12], factors, sizeof factors);
    params[10] = 0;
    Q(RotateVertexListToCamera)(camera, params, list, 20, out, 20, 8);
    foldList();
    // The generator from a fixed seed.
    Q(ZK_Randomize)(0x5EED);
    for (int i = 0; i < 6; ++i) s.FoldFloat(Q(ZK_Rnd)(100.0f));
    s.FoldFloat(Q(ZK_Rnd)(0.0f));
    s.FoldFloat(Q(ZK_Rnd)(-5.0f));
    s.FoldFloat(Q(ZK_Rnd)(-0.5f));
    for (int i = 0; i < 4; ++i) s.Fold(Q(ZK_RNDRGB)());
    // A calculator program through every opcode class, twice over the variables it updates.
    float vars[] = {2.5f, 3, 30, 0.5f, 45, 9, 0, 100};
    const int32_t program[] = {0, 1, 1, 3, 3, 6, 1, 5, 6, 21, 2, 32, 4, 43, 4, 24, 2, 7, 51, 7, 62, 5,
                               34, 2, 2, 6, 63, 5, 54, 7, 10, 6, 64, 6, 4, 3, 44, 4, 22, 2, 53, 7, 61, 1};
    s.FoldFloat(Q(ZK_FastCalc)(vars, const_cast<int32_t*>(program), 22));
    s.FoldFloat(Q(ZK_FastCalc)(vars, const_cast<int32_t*>(program), 22));
    for (float v : vars) s.FoldFloat(v);
}

// Span collision: every builder's words, the shape edge buffer walked into a
// span buffer and drawn, textured buffers over two sources and their tests,
// an occlusion map and the inspection outline.
void Collision(Scene& s) {
    s.Select();
    std::vector<int32_t> buf(3 + 3 * 96);
    auto* spans = reinterpret_cast<QrvSpanCollisionHeader*>(buf.data());
    auto foldSpans = [&] {
        const int32_t records = buf[0] > 0 && buf[0] < 90 ? buf[0] + 1 : 1;
        for (int32_t i = 0; i < 3 + 3 * records; ++i) s.Fold(static_cast<uint32_t>(buf[static_cast<size_t>(i)]));
    };
    Q(CreateSpanCollision_Rect)(spans, 30, 12, 8, 20);
    foldSpans();
    Q(CreateSpanCollision_Ellipse)(spans, 50, 40, 17, 11);
    foldSpans();
    const int32_t lines[][4] = {{3, 9, 40, 9}, {12, 40, 12, 7}, {5, 2, 60, 30}, {70, 3, 10, 25}, {8, 60, 14, 10}};
    for (const auto& l : lines) {
        std::fill(buf.begin(), buf.end(), 0);
        Q(CreateSpanCollision_Line)(spans, l[0], l[1], l[2], l[3]);
        foldSpans();
    }
    int32_t pentagon[32] = {40, 70, 62, 22, 12, 0, 0, 0, 10, 28, 60, 62, 30, 0, 0, 0,
                            0, 31, 31, 4, 0, 0, 0, 0, 0, 6, 31, 31, 12, 0, 0, 0};
    Q(CreateSpanCollision_Polygon)(pentagon, 5, spans);
    foldSpans();
    std::vector<int32_t> occlusion(4 * 64);
    const int32_t entries = Q(CreateOcclusionMapFromSpanCollision)(
        spans, 8, 6, reinterpret_cast<QrvOcclusionEntry*>(occlusion.data()));
    s.Fold(static_cast<uint32_t>(entries));
    for (int32_t i = 0; i < 4 * entries && i < 4 * 64; ++i) s.Fold(static_cast<uint32_t>(occlusion[static_cast<size_t>(i)]));

    // A shape of four edges, once as a span buffer and once drawn.
    std::vector<int32_t> rows(1 + kHeight, 0), pool(3 * 512, 0);
    auto bufferShape = [&](float dx) {
        Q(Shape_BufferEdge)(20.5f + dx, 8.25f, 70.75f + dx, 30.5f, kTop, kBottom);
        Q(Shape_BufferEdge)(70.75f + dx, 30.5f, 44.f + dx, 72.5f, kTop, kBottom);
        Q(Shape_BufferEdge)(44.f + dx, 72.5f, 9.5f + dx, 40.f, kTop, kBottom);
        Q(Shape_BufferEdge)(9.5f + dx, 40.f, 20.5f + dx, 8.25f, kTop, kBottom);
        Q(Shape_AddVert)(30.f + dx, 50);
        Q(Shape_AddVert)(34.5f + dx, 50);
    };
    rows[0] = 12;
    s.Fold(Q(Shape_Set_Buffers)(rows.data(), pool.data()) == rows.data());
    bufferShape(0);
    s.Fold(static_cast<uint32_t>(rows[0]));
    s.Fold(static_cast<uint32_t>(Q(CreateSpanCollision_ShapeSpanBuffer)(spans, 15, 0, 60, kHeight, rows.data(), 0)));
    foldSpans();
    rows[0] = 12;
    bufferShape(25);
    Q(QRV_Draw_Shape_Span_Buffer)(rows.data() + 1, 0, 0xFF3060C0, 1);
    rows[0] = 12;
    bufferShape(-8);
    Q(QRV_SetInkAlpha)(150);
    Q(QRV_Draw_Shape_Span_Buffer)(rows.data() + 1, 0, 0x80F0A020, 16);
    Q(QRV_SetInkAlpha)(255);
    Q(Shape_Set_Buffers)(nullptr, nullptr);

    // Textured buffers over the canvas-format sprite and the ARGB sprite,
    // whose mask colour 0 is the key.
    std::vector<uint8_t> ta(sizeof(QrvTexturedSpanHeader) + 96 * sizeof(QrvTexturedSpanRecord));
    std::vector<uint8_t> tb(ta.size());
    auto* ha = reinterpret_cast<QrvTexturedSpanHeader*>(ta.data());
    auto* hb = reinterpret_cast<QrvTexturedSpanHeader*>(tb.data());
    auto foldTextured = [&](QrvTexturedSpanHeader* h) {
        s.Fold(static_cast<uint32_t>(h->top));
        s.Fold(static_cast<uint32_t>(h->bottom));
        s.Fold(static_cast<uint32_t>(h->format));
        s.Fold(static_cast<uint32_t>(h->pitch));
        s.Fold(h->key);
        const auto* r = reinterpret_cast<const QrvTexturedSpanRecord*>(h + 1);
        for (int32_t i = 0; i <= h->bottom - h->top && i < 96; ++i) {
            const int32_t w[] = {r[i].y, r[i].left, r[i].leftU, r[i].leftV, r[i].right, r[i].rightU, r[i].rightV};
            for (int32_t v : w) s.Fold(static_cast<uint32_t>(v));
        }
    };
    int32_t quad[32] = {kLeft + 10, kLeft + 50, kLeft + 50, kLeft + 10, 0, 0, 0, 0,
                        kTop + 10, kTop + 10, kTop + 42, kTop + 42, 0, 0, 0, 0,
                        0, 40, 40, 0, 0, 0, 0, 0, 0, 0, 32, 32, 0, 0, 0, 0};
    int32_t turned[32] = {kLeft + 40, kLeft + 75, kLeft + 55, kLeft + 22, 0, 0, 0, 0,
                          kTop + 20, kTop + 30, kTop + 58, kTop + 45, 0, 0, 0, 0,
                          0, 39, 39, 0, 0, 0, 0, 0, 0, 0, 31, 31, 0, 0, 0, 0};
    Q(QRV_SetSrcBuffer)(s.sameSprite.Base(), s.sameSprite.pitch, s.format);
    Q(QRV_SpanBufferCollisionPolygon)(quad, 4, ha, 0);
    Q(QRV_SetSrcBuffer)(s.argbSprite.Base(), s.argbSprite.pitch, 5);
    Q(QRV_SpanBufferCollisionPolygon)(turned, 4, hb, 0);
    foldTextured(ha);
    foldTextured(hb);
    s.Fold(static_cast<uint32_t>(Q(QRV_CompareTexturedSpans)(ha, hb)));
    s.Fold(static_cast<uint32_t>(Q(QRV_CompareTexturedSpans)(hb, ha)));
    const int32_t probes[][4] = {{0, 0, 20, 20}, {kLeft + 12, kTop + 12, kLeft + 14, kTop + 14},
                                 {kLeft + 60, kTop + 50, kLeft + 90, kTop + 60}, {kLeft + 30, kTop + 40, kLeft + 33, kTop + 43}};
    for (const auto& p : probes) {
        Q(CreateSpanCollision_Rect)(spans, p[0], p[1], p[2], p[3]);
        s.Fold(static_cast<uint32_t>(Q(QRV_CompareFilledToTexturedSpans)(spans, ha)));
        s.Fold(static_cast<uint32_t>(Q(QRV_CompareFilledToTexturedSpans)(spans, hb)));
    }
    Q(QRV_DrawSpansEdges)(ha);
    Q(QRV_DrawSpansEdges)(hb);
}

// ---- Fonts, with a host of the services they need: memory blocks and
// streams over byte vectors. A stream's open argument is its own address.
namespace host {

struct Block {
    size_t size;
    alignas(16) uint8_t bytes[1];
};

struct Stream {
    std::vector<uint8_t> bytes;
    int64_t pos = 0;
};

int liveBlocks = 0;

Block* BlockOf(intptr_t address) {
    return reinterpret_cast<Block*>(address - static_cast<intptr_t>(offsetof(Block, bytes)));
}

intptr_t QRV_CALL AllocBlock(intptr_t size) {
    if (size < 0) return 0;
    Block* b = static_cast<Block*>(std::calloc(1, sizeof(Block) + static_cast<size_t>(size)));
    if (b == nullptr) return 0;
    b->size = static_cast<size_t>(size);
    ++liveBlocks;
    return reinterpret_cast<intptr_t>(b);
}
intptr_t QRV_CALL FreeBlock(intptr_t block) {
    if (block != 0) --liveBlocks;
    std::free(reinterpret_cast<Block*>(block));
    return 0;
}
intptr_t QRV_CALL FreeAddress(intptr_t address) {
    return address != 0 ? FreeBlock(reinterpret_cast<intptr_t>(BlockOf(address))) : 0;
}
intptr_t QRV_CALL BlockAddress(intptr_t block) {
    return block != 0 ? reinterpret_cast<intptr_t>(reinterpret_cast<Block*>(block)->bytes) : 0;
}

Stream* S(intptr_t ref) { return reinterpret_cast<Stream*>(ref); }
intptr_t QRV_CALL Open(intptr_t argument) {
    if (argument != 0) S(argument)->pos = 0;
    return argument;
}
intptr_t QRV_CALL OpenWrite(intptr_t argument) {
    if (argument != 0) S(argument)->bytes.clear();
    return Open(argument);
}
intptr_t QRV_CALL Close(intptr_t) { return 0; }
intptr_t QRV_CALL Pos(intptr_t s) { return static_cast<intptr_t>(S(s)->pos); }
intptr_t QRV_CALL Seek(intptr_t s, intptr_t position) {
    S(s)->pos = position;
    return 0;
}
// The byte an access at position starts at; the current position moves past it.
size_t Take(Stream* st, intptr_t position, size_t n) {
    const size_t at = static_cast<size_t>(position == -1 ? st->pos : position);
    if (position == -1) st->pos += static_cast<int64_t>(n);
    return at;
}
void Read(intptr_t s, intptr_t position, void* to, size_t n) {
    Stream* st = S(s);
    const size_t at = Take(st, position, n);
    std::memset(to, 0, n);
    if (at < st->bytes.size()) std::memcpy(to, st->bytes.data() + at, std::min(n, st->bytes.size() - at));
}
void Write(intptr_t s, intptr_t position, const void* from, size_t n) {
    Stream* st = S(s);
    const size_t at = Take(st, position, n);
    if (st->bytes.size() < at + n) st->bytes.resize(at + n);
    if (n != 0) std::memcpy(st->bytes.data() + at, from, n);
}
intptr_t QRV_CALL ReadWord(intptr_t s, intptr_t position) {
    uint8_t b[2];
    Read(s, position, b, 2);
    return b[0] | b[1] << 8;
}
intptr_t QRV_CALL ReadLong(intptr_t s, intptr_t position) {
    uint32_t v;
    Read(s, position, &v, 4);
    return static_cast<int32_t>(v);
}
intptr_t QRV_CALL ReadToMemory(intptr_t s, intptr_t position, intptr_t address, intptr_t length) {
    Read(s, position, reinterpret_cast<void*>(address), static_cast<size_t>(length));
    return 0;
}
intptr_t QRV_CALL WriteWord(intptr_t s, intptr_t position, intptr_t value) {
    const uint16_t v = static_cast<uint16_t>(value);
    Write(s, position, &v, 2);
    return 0;
}
intptr_t QRV_CALL WriteLong(intptr_t s, intptr_t position, intptr_t value) {
    const uint32_t v = static_cast<uint32_t>(value);
    Write(s, position, &v, 4);
    return 0;
}
intptr_t QRV_CALL WriteMemory(intptr_t s, intptr_t position, intptr_t first, intptr_t end) {
    Write(s, position, reinterpret_cast<const void*>(first), static_cast<size_t>(end - first));
    return 0;
}

template <class Fn>
QrvHostService Service(Fn fn) {
    return reinterpret_cast<QrvHostService>(fn);
}

QrvHostRecord Record() {
    QrvHostRecord r{};
    r.slot[QRV_HOST_ALLOC_BLOCK] = Service(&AllocBlock);
    r.slot[QRV_HOST_FREE_BLOCK] = Service(&FreeBlock);
    r.slot[QRV_HOST_FREE_ADDRESS] = Service(&FreeAddress);
    r.slot[QRV_HOST_BLOCK_ADDRESS] = Service(&BlockAddress);
    r.slot[QRV_HOST_OPEN_READ] = Service(&Open);
    r.slot[QRV_HOST_OPEN_WRITE] = Service(&OpenWrite);
    r.slot[QRV_HOST_CLOSE_STREAM] = Service(&Close);
    r.slot[QRV_HOST_STREAM_POS] = Service(&Pos);
    r.slot[QRV_HOST_STREAM_SEEK] = Service(&Seek);
    r.slot[QRV_HOST_READ_WORD] = Service(&ReadWord);
    r.slot[QRV_HOST_READ_LONG] = Service(&ReadLong);
    r.slot[QRV_HOST_READ_TO_MEMORY] = Service(&ReadToMemory);
    r.slot[QRV_HOST_WRITE_WORD] = Service(&WriteWord);
    r.slot[QRV_HOST_WRITE_LONG] = Service(&WriteLong);
    r.slot[QRV_HOST_WRITE_MEMORY] = Service(&WriteMemory);
    return r;
}

}  // namespace host

// A glyph of the given depth for character index c: a ring with graded
// coverage (or colours) and transparent holes, different for every c.
std::vector<uint8_t> RawGlyph(int c, int depth) {
    const int w = 5 + c % 4, h = 9;
    const QrvRawGlyph header{w, h, depth, 0};
    std::vector<uint8_t> raw(sizeof header + static_cast<size_t>(w) * h * (depth / 8), 0);
    std::memcpy(raw.data(), &header, sizeof header);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int dx = 2 * x - (w - 1), dy = 2 * y - (h - 1), d = dx * dx + dy * dy;
            if (d > w * w + 4 || d < (c % 3) * 6 || (x + y + c) % 5 == 0) continue;
            const uint32_t v = static_cast<uint32_t>(40 + (x * 53 + y * 29 + c * 17) % 216);
            uint8_t* p = raw.data() + sizeof header + (static_cast<size_t>(y) * w + x) * (depth / 8);
            if (depth == 8) {
                *p = static_cast<uint8_t>(c % 2 == 0 ? 255 : v);
            } else {
                const uint32_t argb = v << 24 | ((v * 3) & 0xFF) << 16 | ((x * 40) & 0xFF) << 8 | ((y * 28 + c) & 0xFF);
                std::memcpy(p, &argb, 4);
            }
        }
    return raw;
}

// A font of 96 characters; codes 65..72 have glyphs, 70 repeats 66's and 72 shares 65's.
void* BuildFont(Scene& s, int depth) {
    void* font = Q(CRF_Alloc)(96);
    Q(CRF_SetChrDepth)(font, depth);
    Q(CRF_SetMaxChrSize)(font, 8, 9);
    Q(CRF_BackdropColour)(font, 0xFF203040u);
    QrvChrInfo* info = static_cast<QrvChrInfo*>(Q(CRF_GetChrInfoPtr)(font, 0));
    Q(RFCI_SetChrWidth)(info, 0, 3);
    Q(RFCI_SetChrWidth)(info, 32, 4);
    for (int c = 65; c <= 72; ++c) {
        std::vector<uint8_t> raw = RawGlyph(c == 70 ? 66 : c, depth);
        Q(RFCI_SetChrUnderHang)(info, c, c % 2);
        Q(RFCI_SetChrWidth)(info, c, 5 + c % 4);
        Q(RFCI_SetChrOverHang)(info, c, (c % 3) - 1);
        if (c == 72) {
            Q(CRF_SetChrBmp)(font, c, Q(CRF_GetChrBmp)(font, 65));
            continue;
        }
        const intptr_t block = Q(CRF_CompressChr)(reinterpret_cast<QrvRawGlyph*>(raw.data()));
        s.Fold(static_cast<uint32_t>(block != 0));
        Q(CRF_SetChrBmp)(font, c, reinterpret_cast<void*>(host::BlockAddress(block)));
    }
    return font;
}

void Fonts(Scene& s) {
    QrvHostRecord record = host::Record();
    Q(GCF_Retrieve)(&record);
    const int blocksBefore = host::liveBlocks;
    char text[] = "ABCD EFGH\xC8" "AHFB";
    char line[] = "HGFEDCBA ABCDEFGH";
    for (int depth : {8, 32}) {
        void* font = BuildFont(s, depth);
        int32_t dup[96] = {};
        Q(CRF_Find_Duplicate_Chr_Buffers)(font, dup);
        for (int32_t d : dup) s.Fold(static_cast<uint32_t>(d));
        s.Fold(static_cast<uint32_t>(Q(CRF_TextWidth)(font, text, 0)));
        s.Fold(static_cast<uint32_t>(Q(CRF_TextHeight)(font, text, 0, 0)));
        s.Fold(static_cast<uint32_t>(Q(CRF_TextHeight)(font, text, 5, 1)));
        s.Fold(static_cast<uint32_t>(Q(CRF_GetMaxChrSize)(font, 1) + Q(CRF_GetChrDepth)(font)));
        QrvChrInfo* info = static_cast<QrvChrInfo*>(Q(CRF_GetChrInfoPtr)(font, 0));
        s.Fold(static_cast<uint32_t>(Q(RFCI_GetChrUnderHang)(info, 67) + 3 * Q(RFCI_GetChrOverHang)(info, 68) +
                                      7 * Q(RFCI_GetChrWidth)(info, 69)));

        // The file image, byte for byte, and the font read back from it.
        host::Stream image, saved;
        Q(CRF_Write)(font, reinterpret_cast<intptr_t>(&image));
        for (uint8_t b : image.bytes) s.Fold(b);
        image.pos = 0;
        void* back = Q(CRF_Read)(reinterpret_cast<intptr_t>(&image));
        Q(CRF_Free)(font);
        Q(CRF_Save)(back, reinterpret_cast<intptr_t>(&saved));
        s.Fold(saved.bytes == image.bytes);
        Q(CRF_Free)(back);
        font = Q(CRF_Load)(reinterpret_cast<intptr_t>(&saved));
        s.Fold(static_cast<uint32_t>(Q(CRF_GetBackdropColour)(font)));

        // Every draw mode, in lines that cross each edge of the viewport.
        s.Select();
        for (int32_t mode = 0; mode <= 3; ++mode) {
            Q(CRF_DrawMode)(font, mode);
            s.Fold(static_cast<uint32_t>(Q(CRF_GetDrawMode)(font)));
            const int32_t y = kTop - 4 + mode * 19 + (depth == 32 ? 9 : 0);
            Q(CRF_Draw)(font, line, 0, kLeft - 13 + mode * 3, y, kColours[mode]);
            Q(CRF_Draw)(font, text, 9, kRight - 40, y + 4, kColours[(mode + 1) % 5]);
            Q(CRF_Draw)(font, text, 14, kLeft + 20, kBottom - 5 - mode, kColours[(mode + 3) % 5] | 0xFF000000u);
        }
        Q(CRF_Free)(font);
    }
    s.Fold(static_cast<uint32_t>(host::liveBlocks - blocksBefore));
}

// Every byte of the canvas outside the viewport, and the guard bands, still
// hold the fill byte.
bool OutsideIntact(Scene& s) {
    Picture& p = s.canvas;
    const int bpp = BytesPerPixel(p.format);
    for (size_t i = 0; i < p.bytes.size(); ++i) {
        const ptrdiff_t at = static_cast<ptrdiff_t>(i) - kGuard;
        bool inside = false;
        if (at >= 0 && at < static_cast<ptrdiff_t>(p.pitch) * p.height) {
            const int y = static_cast<int>(at / p.pitch), x = static_cast<int>(at % p.pitch) / bpp;
            inside = y >= kTop && y < kBottom && x >= kLeft && x < kRight && at % p.pitch < p.width * bpp;
        }
        if (!inside && p.bytes[i] != kOutsideByte) return false;
    }
    return true;
}

using Section = void (*)(Scene&);
constexpr Section kSections[] = {
    LibraryState, Colours, Pixels, StripsAndLines, Shapes, Polygons, Blits, Surfaces, Textured, SceneCapture,
    TilesAndSync, Memory, Maths, Collision, Fonts,
};

}  // namespace

Result Draw(int32_t format, int32_t mmxState) {
    Scene s(format, mmxState);
    for (Section section : kSections) section(s);
    s.Fold(0x5C3E);  // end of sections
    const Picture& p = s.canvas;
    for (int y = 0; y < p.height; ++y)
        for (int i = 0; i < p.width * BytesPerPixel(format); ++i) {
            s.hash ^= p.bytes[kGuard + static_cast<size_t>(y) * p.pitch + i];
            s.hash *= 1099511628211ull;
        }
    return {s.hash, OutsideIntact(s)};
}

int DrawAll() {
    const char* kernels = std::getenv("QUORVEL_SIMD");
    int failures = 0;
    for (int32_t format : kFormats)
        for (int32_t mmx : kMmxStates) {
            const Result r = Draw(format, mmx);
            std::printf("format %d mmx %d kernels %s hash %016llx\n", format, mmx, kernels ? kernels : "default",
                        static_cast<unsigned long long>(r.hash));
            if (!r.outsideIntact) {
                std::printf("FAIL format %d mmx %d wrote outside the viewport\n", format, mmx);
                ++failures;
            }
        }
    return failures;
}

}  // namespace scene
