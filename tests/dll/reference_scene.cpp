// The reference scene. Every call goes through Q(name): the export itself in
// the Linux builds, a checked stdcall call through the DLL's export table in
// the Windows test. Each subsystem draws in a section of its own; a section
// folds every result it reads back into the hash, never an address or a time.
#include "reference_scene.h"

#include <cstddef>
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
    LibraryState, Colours, Pixels, StripsAndLines, Shapes, Polygons, Blits,
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

}  // namespace scene
