// The reference scene. Every call goes through Q(name): the export itself in
// the Linux builds, a checked stdcall call through the DLL's export table in
// the Windows test. Each subsystem draws in a section of its own; a section
// folds every result it reads back into the hash, never an address or a time.
#include "reference_scene.h"

#include <algorithm>
#include <cstddef>
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
        s.Fold(static_cast<uint32_t>(Q(RFCI_GetChrUnderHang)(info, 67) + 3 * Q(RFCI_GetChrOverHang)(info, 68)));

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
    LibraryState, Colours, Pixels, StripsAndLines, Shapes, Polygons, Blits, Fonts,
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
