// Random sequences of drawing calls with random arguments on buffers framed
// by a canary band. The clipped calls take any arguments and may change
// nothing outside the viewport (or a surface's view); the calls that do not
// clip get arguments inside their contract. After every call every buffer is
// checked; a hit aborts, naming the call and its arguments.
#include "fuzz_support.h"

namespace {

using qrvfuzz::GuardedBuffer;
using qrvfuzz::Rect;

constexpr int32_t kWidth = 40, kHeight = 28;      // destination
constexpr int32_t kSrcWidth = 24, kSrcHeight = 20;  // blit source and blend buffers
constexpr int32_t kTexels = 16;                   // textures

const int32_t kModes[] = {1, 2, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096};

// The arguments of one call, drawn from the input and kept for the report.
class Args {
public:
    explicit Args(qrvfuzz::Reader& in) : in_(in) {}
    int32_t Keep(int32_t v) {
        if (n_ < 40) v_[n_++] = v;
        return v;
    }
    int32_t Coord(int32_t lo, int32_t hi) { return Keep(in_.Coord(lo, hi)); }
    int32_t Range(int32_t lo, int32_t hi) { return Keep(in_.Range(lo, hi)); }
    // A point inside the rectangle, which must not be empty.
    int32_t Inside(int32_t lo, int32_t hi) { return Range(lo, hi - 1); }
    uint32_t Colour() { return static_cast<uint32_t>(Keep(in_.I32())); }
    float Float() {
        const float f = in_.U8() < 32 ? in_.F32() : in_.Range(-400, 400) / 4.0f;
        int32_t bits;
        std::memcpy(&bits, &f, 4);
        Keep(bits);  // reported as its bits
        return f;
    }
    // A draw mode, mostly a known one; sometimes with a shape style in the low bits.
    int32_t Mode(bool style = false) {
        const uint8_t pick = in_.U8();
        int32_t m = pick < 240 ? kModes[pick % 11] : in_.I32();
        if (style) m = (m & ~3) | in_.Range(0, 3);
        return Keep(m);
    }
    void Report(const char* call) const {
        std::fprintf(stderr, "%s(", call);
        for (int i = 0; i < n_; ++i) std::fprintf(stderr, i ? ", %d" : "%d", v_[i]);
        std::fprintf(stderr, ")\n");
    }

private:
    qrvfuzz::Reader& in_;
    int32_t v_[40];
    int n_ = 0;
};

// A font of eight characters ('A' .. 'H') of the given depth, made once.
void* TestFont(int depth) {
    static void* fonts[2] = {};
    void*& font = fonts[depth == 32];
    if (font != nullptr) return font;
    font = CRF_Alloc(256);
    CRF_SetChrDepth(font, depth);
    CRF_SetMaxChrSize(font, 9, 11);
    for (int c = 0; c < 8; ++c) {
        const int32_t w = 3 + c, h = 4 + c;
        std::vector<uint8_t> raw(sizeof(QrvRawGlyph) + w * h * (depth / 8));
        const QrvRawGlyph header{w, h, depth, 0};
        std::memcpy(raw.data(), &header, sizeof header);
        for (size_t i = sizeof header; i < raw.size(); ++i) raw[i] = static_cast<uint8_t>((i * 7 + c) % 5 ? i * 13 : 0);
        const intptr_t block = CRF_CompressChr(reinterpret_cast<const QrvRawGlyph*>(raw.data()));
        CRF_SetChrBmp(font, 'A' + c, qrvhost::BlockAddress(block));
        QrvChrInfo* info = CRF_GetChrInfoPtr(font, 0);
        RFCI_SetChrUnderHang(info, 'A' + c, c - 2);
        RFCI_SetChrWidth(info, 'A' + c, w);
        RFCI_SetChrOverHang(info, 'A' + c, 1 - c);
    }
    return font;
}

struct Session {
    qrvfuzz::Reader& in;
    GuardedBuffer dst, src, blend, texture;
    Rect view;
    Rect surfaceView;
    QrvSurfaceDesc* surface;  // over dst
    QrvSurfaceDesc* textureDesc;
    QrvSurfaceDesc* srcDesc;
    void* tpd;

    Session(qrvfuzz::Reader& reader, int format, int srcFormat, int textureFormat)
        : in(reader), dst(format, kWidth, kHeight), src(srcFormat, kSrcWidth, kSrcHeight),
          blend(srcFormat, kSrcWidth, kSrcHeight), texture(textureFormat, kTexels, kTexels) {
        view = RandomView();
        surfaceView = view;
        src.Paint({0, 0, kSrcWidth, kSrcHeight}, in);
        blend.Paint({0, 0, kSrcWidth, kSrcHeight}, in);
        texture.Paint({0, 0, kTexels, kTexels}, in);
        dst.Paint({0, 0, kWidth, kHeight}, in);
        for (GuardedBuffer* b : {&dst, &src, &blend, &texture}) b->Commit();
        QRV_SetBuffer(dst.pixels(), dst.pitch(), format);
        QRV_SetSrcBuffer(src.pixels(), src.pitch(), srcFormat);
        QRV_SetSrcBlendBuffer(blend.pixels(), blend.pitch(), srcFormat);
        QRV_SetBufferViewPort(view.left, view.top, view.right, view.bottom);
        surface = QRV_AllocSurfaceDesc(format, dst.pixels(), dst.pitch(), kWidth, kHeight);
        QRV_SetSurfaceDescVP(surface, view.left, view.top, view.right, view.bottom);
        textureDesc = QRV_AllocSurfaceDesc(textureFormat, texture.pixels(), texture.pitch(), kTexels, kTexels);
        QRV_SetSurfaceDescMaskColour(textureDesc, in.U32());
        srcDesc = QRV_AllocSurfaceDesc(srcFormat, src.pixels(), src.pitch(), kSrcWidth, kSrcHeight);
        tpd = TPD_Alloc();
    }
    ~Session() {
        TPD_Free(tpd);
        QRV_FreeSurfaceDesc(srcDesc);
        QRV_FreeSurfaceDesc(textureDesc);
        QRV_FreeSurfaceDesc(surface);
        QRV_SetBufferViewPort(0, 0, 0, 0);
        QRV_SetBuffer(nullptr, 0, 0);
        QRV_SetSrcBuffer(nullptr, 0, 0);
        QRV_SetSrcBlendBuffer(nullptr, 0, 0);
    }

    Rect RandomView() {
        Rect r{in.Range(0, kWidth), in.Range(0, kHeight), 0, 0};
        r.right = in.Range(r.left, kWidth);
        r.bottom = in.Range(r.top, kHeight);
        return r;
    }
    bool ViewEmpty() const { return view.left >= view.right || view.top >= view.bottom; }
};

// One call: draws its arguments and returns the region of the destination it
// may write (empty: none), or false when it was not made.
using Call = bool (*)(Session&, Args&, Rect& allowed, Rect& srcAllowed);

struct Entry {
    const char* name;
    Call call;
};

const Entry kCalls[] = {
    {"QRV_Dot", [](Session& s, Args& a, Rect& r, Rect&) {
         const int32_t x = a.Coord(0, kWidth), y = a.Coord(0, kHeight);
         QRV_Dot(x, y, a.Colour(), a.Mode());
         r = s.view;
         return true;
     }},
    {"QRV_Box", [](Session& s, Args& a, Rect& r, Rect&) {
         const int32_t x1 = a.Coord(0, kWidth), y1 = a.Coord(0, kHeight), x2 = a.Coord(0, kWidth),
                       y2 = a.Coord(0, kHeight);
         QRV_Box(x1, y1, x2, y2, a.Colour(), a.Mode(true));
         r = s.view;
         return true;
     }},
    {"QRV_ShadeBox", [](Session& s, Args& a, Rect& r, Rect&) {
         const int32_t x1 = a.Coord(0, kWidth), y1 = a.Coord(0, kHeight), x2 = a.Coord(0, kWidth),
                       y2 = a.Coord(0, kHeight);
         const uint32_t c0 = a.Colour(), c1 = a.Colour(), c2 = a.Colour(), c3 = a.Colour();
         QRV_ShadeBox(x1, y1, x2, y2, c0, c1, c2, c3, a.Mode(true));
         r = s.view;
         return true;
     }},
    {"QRV_Circle", [](Session& s, Args& a, Rect& r, Rect&) {
         const int32_t cx = a.Coord(0, kWidth), cy = a.Coord(0, kHeight), rad = a.Range(-2, 20000);
         QRV_Circle(cx, cy, rad, a.Colour(), a.Mode(true));
         r = s.view;
         return true;
     }},
    {"QRV_Ellipse", [](Session& s, Args& a, Rect& r, Rect&) {
         const int32_t cx = a.Coord(0, kWidth), cy = a.Coord(0, kHeight), rx = a.Range(-2, 20000),
                       ry = a.Range(-2, 20000);
         QRV_Ellipse(cx, cy, rx, ry, a.Colour(), a.Mode(true));
         r = s.view;
         return true;
     }},
    {"QRV_OpenCircle", [](Session& s, Args& a, Rect& r, Rect&) {
         const int32_t cx = a.Coord(0, kWidth), cy = a.Coord(0, kHeight), rad = a.Range(-2, 20000);
         QRV_OpenCircle(cx, cy, rad, a.Colour(), a.Mode(true));
         r = s.view;
         return true;
     }},
    {"QRV_OpenEllipseFX", [](Session& s, Args& a, Rect& r, Rect&) {
         const int32_t cx = a.Coord(0, kWidth), cy = a.Coord(0, kHeight), rx = a.Range(-2, 20000),
                       ry = a.Range(-2, 20000);
         QRV_OpenEllipseFX(cx, cy, rx, ry, a.Colour(), a.Mode(true), 0);
         r = s.view;
         return true;
     }},
    {"QRV_FilledEllipse", [](Session& s, Args& a, Rect& r, Rect&) {
         const int32_t cx = a.Coord(0, kWidth), cy = a.Coord(0, kHeight), rx = a.Range(-2, 20000),
                       ry = a.Range(-2, 20000);
         QRV_FilledEllipse(cx, cy, rx, ry, a.Colour(), a.Mode(true));
         r = s.view;
         return true;
     }},
    {"QRV_FilledEllipseNC", [](Session& s, Args& a, Rect& r, Rect&) {
         const int32_t cx = a.Coord(0, kWidth), cy = a.Coord(0, kHeight), rx = a.Range(-2, 2000),
                       ry = a.Range(-2, 2000);
         QRV_FilledEllipseNC(cx, cy, rx, ry, a.Colour(), a.Mode(true));
         r = s.view;
         return true;
     }},
    {"QRV_Tri", [](Session& s, Args& a, Rect& r, Rect&) {
         int32_t p[6];
         for (int i = 0; i < 6; ++i) p[i] = a.Coord(0, i % 2 ? kHeight : kWidth);
         QRV_Tri(p[0], p[1], p[2], p[3], p[4], p[5], a.Colour(), a.Mode());
         r = s.view;
         return true;
     }},
    {"QRV_Quad", [](Session& s, Args& a, Rect& r, Rect&) {
         int32_t p[8];
         for (int i = 0; i < 8; ++i) p[i] = a.Coord(0, i % 2 ? kHeight : kWidth);
         QRV_Quad(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], a.Colour(), a.Mode());
         r = s.view;
         return true;
     }},
    {"QRV_TriG", [](Session& s, Args& a, Rect& r, Rect&) {
         int32_t p[6];
         uint32_t c[3];
         for (int i = 0; i < 3; ++i) {
             p[2 * i] = a.Coord(0, kWidth);
             p[2 * i + 1] = a.Coord(0, kHeight);
             c[i] = a.Colour();
         }
         QRV_TriG(p[0], p[1], c[0], p[2], p[3], c[1], p[4], p[5], c[2], a.Mode());
         r = s.view;
         return true;
     }},
    {"QRV_QuadG", [](Session& s, Args& a, Rect& r, Rect&) {
         int32_t p[8];
         uint32_t c[4];
         for (int i = 0; i < 4; ++i) {
             p[2 * i] = a.Coord(0, kWidth);
             p[2 * i + 1] = a.Coord(0, kHeight);
             c[i] = a.Colour();
         }
         QRV_QuadG(p[0], p[1], c[0], p[2], p[3], c[1], p[4], p[5], c[2], p[6], p[7], c[3], a.Mode());
         r = s.view;
         return true;
     }},
    {"QRV_HoriGouraudStrip", [](Session& s, Args& a, Rect& r, Rect&) {
         const int32_t xa = a.Coord(0, kWidth);
         const uint32_t ca = a.Colour();
         const int32_t xb = a.Coord(0, kWidth);
         const uint32_t cb = a.Colour();
         QRV_HoriGouraudStrip(xa, ca, xb, cb, a.Coord(0, kHeight));
         r = s.view;
         return true;
     }},
    {"QRV_VertGouraudStrip", [](Session& s, Args& a, Rect& r, Rect&) {
         const int32_t ya = a.Coord(0, kHeight);
         const uint32_t ca = a.Colour();
         const int32_t yb = a.Coord(0, kHeight);
         const uint32_t cb = a.Colour();
         QRV_VertGouraudStrip(ya, ca, yb, cb, a.Coord(0, kWidth));
         r = s.view;
         return true;
     }},
    {"QRV_Blit", [](Session& s, Args& a, Rect& r, Rect&) {
         const int32_t x1 = a.Range(0, kSrcWidth), y1 = a.Range(0, kSrcHeight), x2 = a.Range(0, kSrcWidth),
                       y2 = a.Range(0, kSrcHeight);
         const int32_t dx = a.Coord(0, kWidth), dy = a.Coord(0, kHeight);
         const uint32_t mask = a.Colour();
         QRV_Blit(x1, y1, x2, y2, dx, dy, mask, a.Range(0, 3));
         r = s.view;
         return true;
     }},
    {"QRV_BlitFX", [](Session& s, Args& a, Rect& r, Rect& sr) {
         const int32_t x1 = a.Range(0, kSrcWidth), y1 = a.Range(0, kSrcHeight), x2 = a.Range(0, kSrcWidth),
                       y2 = a.Range(0, kSrcHeight);
         const int32_t dx = a.Coord(0, kWidth), dy = a.Coord(0, kHeight);
         const uint32_t mask = a.Colour();
         const int32_t flags = a.Range(0, 3), mode = a.Range(-1, 12);
         const uint32_t colour = a.Colour();
         QRV_BlitFX(x1, y1, x2, y2, dx, dy, mask, flags, mode, colour, a.Range(0, 1), 0);
         r = s.view;
         sr = {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
         return true;
     }},
    {"QRV_Blit_Tile_Array", [](Session& s, Args& a, Rect& r, Rect&) {
         const int32_t tw = a.Range(1, 8), th = a.Range(1, 6), cols = a.Range(0, 6), rows = a.Range(0, 6);
         int32_t map[36];
         for (int32_t i = 0; i < cols * rows; ++i) map[i] = a.Range(-1, kSrcHeight / th - 1);
         const int32_t x0 = a.Coord(0, kWidth), y0 = a.Coord(0, kHeight);
         QRV_Blit_Tile_Array(nullptr, map, cols, rows, tw, th, x0, y0, a.Colour());
         r = s.view;
         return true;
     }},
    {"CRF_Draw", [](Session& s, Args& a, Rect& r, Rect&) {
         void* font = TestFont(a.Range(0, 1) ? 32 : 8);
         CRF_DrawMode(font, a.Range(0, 2));
         CRF_BackdropColour(font, a.Colour());
         char text[8];
         for (char& c : text) c = static_cast<char>(a.Range('@', 'I'));
         const int32_t length = a.Range(-1, 7);
         text[7] = 0;
         const int32_t x = a.Coord(0, kWidth), y = a.Coord(0, kHeight);
         CRF_Draw(font, text, length, x, y, a.Colour());
         r = s.view;
         return true;
     }},
    {"QRV_TriT", [](Session& s, Args& a, Rect& r, Rect&) {
         int32_t p[12];
         for (int i = 0; i < 12; ++i) p[i] = i % 4 < 2 ? a.Coord(0, i % 4 ? kHeight : kWidth) : a.Coord(0, kTexels);
         QRV_TriT(s.textureDesc, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[9], p[10], p[11], s.tpd);
         r = s.view;
         return true;
     }},
    {"QRV_DrawSpriteQuad", [](Session& s, Args& a, Rect& r, Rect&) {
         int32_t p[16];
         for (int i = 0; i < 16; ++i) p[i] = i % 4 < 2 ? a.Coord(0, i % 4 ? kHeight : kWidth) : a.Coord(0, kTexels);
         QRV_DrawSpriteQuad(s.textureDesc, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[9], p[10], p[11],
                            p[12], p[13], p[14], p[15], s.tpd, a.Range(-1, 2));
         r = s.view;
         return true;
     }},
    {"QRV_DrawTexture", [](Session& s, Args& a, Rect& r, Rect&) {
         const int32_t x = a.Coord(0, kWidth), y = a.Coord(0, kHeight);
         QRV_DrawTexture(s.textureDesc, x, y, s.tpd);
         r = s.view;
         return true;
     }},
    {"TPD_BuildSpriteDrawMode", [](Session& s, Args& a, Rect&, Rect&) {
         TPD_Free(s.tpd);
         const int32_t flags = a.Keep(static_cast<int32_t>(s.in.U32() & 0x1FFF));
         const uint32_t tint = a.Colour(), colour = a.Colour();
         s.tpd = TPD_BuildSpriteDrawMode(flags, tint, colour, a.Range(-2, 300));
         return true;
     }},
    {"TPD_AddTexelEffect", [](Session& s, Args& a, Rect&, Rect&) {
         const int32_t effect = a.Range(0, 16);
         const uint32_t a1 = a.Colour(), a2 = a.Colour();
         TPD_AddTexelEffect(s.tpd, effect, nullptr, nullptr, a1, a2, a.Colour(), a.Colour());
         return true;
     }},
    {"TPD_SetOutputEffect", [](Session& s, Args& a, Rect&, Rect&) {
         const int32_t type = a.Range(0, 6), param = a.Range(-2, 300);
         TPD_SetOutputEffect(s.tpd, type, param, a.Range(-2, 300));
         TPD_SetMaskCompression(s.tpd, a.Range(0, 1));
         return true;
     }},
    {"QRV_SetSurfaceDescVP", [](Session& s, Args& a, Rect&, Rect&) {
         const int32_t x1 = a.Coord(0, kWidth), y1 = a.Coord(0, kHeight), x2 = a.Coord(0, kWidth),
                       y2 = a.Coord(0, kHeight);
         QRV_SetSurfaceDescVP(s.surface, x1, y1, x2, y2);
         s.surfaceView = {s.surface->viewLeft, s.surface->viewTop, s.surface->viewRight, s.surface->viewBottom};
         return true;
     }},
    {"QRV_PokeSurface", [](Session& s, Args& a, Rect& r, Rect&) {
         const int32_t x = a.Coord(0, kWidth), y = a.Coord(0, kHeight);
         QRV_PokeSurface(s.surface, x, y, a.Colour());
         r = s.surfaceView;
         return true;
     }},
    {"QRV_FillRect_Fade", [](Session& s, Args& a, Rect& r, Rect&) {
         QRV_FillRect_Fade(s.surface, a.Range(-10, 300));
         r = s.surfaceView;
         return true;
     }},
    {"QRV_FillRect_GreyScale", [](Session& s, Args&, Rect& r, Rect&) {
         QRV_FillRect_GreyScale(s.surface);
         r = s.surfaceView;
         return true;
     }},
    {"QRV_FillRect_Make_Alpha", [](Session& s, Args& a, Rect& r, Rect&) {
         QRV_FillRect_Make_Alpha(s.surface, a.Range(-1, 4));
         r = s.surfaceView;
         return true;
     }},
    {"QRV_FillRect_Blur", [](Session& s, Args& a, Rect& r, Rect&) {
         QRV_FillRect_Blur(s.surface, a.Float());
         r = s.surfaceView;
         return true;
     }},
    {"QRV_FillRect_Light", [](Session& s, Args& a, Rect& r, Rect&) {
         const int32_t cx = a.Coord(0, kWidth), cy = a.Coord(0, kHeight);
         const float intensity = a.Float();
         QRV_FillRect_Light(s.surface, cx, cy, intensity, a.Float(), 0);
         r = s.surfaceView;
         return true;
     }},
    {"QRV_FillRect_PhongMap", [](Session& s, Args& a, Rect& r, Rect&) {
         const int32_t cx = a.Coord(0, kWidth), cy = a.Coord(0, kHeight);
         const uint32_t colour = a.Colour();
         const float intensity = a.Float();
         QRV_FillRect_PhongMap(s.surface, cx, cy, colour, intensity, a.Float(), 0);
         r = s.surfaceView;
         return true;
     }},
    {"QRV_MirrorRect", [](Session& s, Args& a, Rect& r, Rect&) {
         const int32_t h = a.Range(0, 1);
         QRV_MirrorRect(s.surface, h, a.Range(0, 1));
         r = s.surfaceView;
         return true;
     }},
    {"QRV_ScaleSurface", [](Session& s, Args& a, Rect& r, Rect&) {
         const int32_t mode = a.Range(0, 2) == 2 ? 1111 : a.Range(0, 1);
         QRV_ScaleSurface(s.srcDesc, s.surface, mode);
         r = mode == 1111 ? s.surfaceView : Rect{0, 0, kWidth, kHeight};
         return true;
     }},
    {"QRV_ScaleSurface_OLD", [](Session& s, Args& a, Rect& r, Rect&) {
         QRV_ScaleSurface_OLD(s.srcDesc, s.surface, a.Range(0, 2) == 2 ? 1111 : a.Range(0, 1));
         r = s.surfaceView;
         return true;
     }},
    // The calls below do not clip: their points lie inside the viewport.
    {"QRV_DrawStrip", [](Session& s, Args& a, Rect& r, Rect&) {
         if (s.ViewEmpty()) return false;
         const int32_t y = a.Inside(s.view.top, s.view.bottom);
         const int32_t x0 = a.Range(s.view.left, s.view.right), x1 = a.Range(s.view.left, s.view.right);
         QRV_DrawStrip(y, x0, x1, RGBForBuffer(a.Colour(), s.dst.format()), a.Mode());
         r = s.view;
         return true;
     }},
    {"QRV_WriteLine", [](Session& s, Args& a, Rect& r, Rect&) {
         if (s.ViewEmpty()) return false;
         const int32_t x1 = a.Inside(s.view.left, s.view.right), y1 = a.Inside(s.view.top, s.view.bottom);
         const int32_t x2 = a.Inside(s.view.left, s.view.right), y2 = a.Inside(s.view.top, s.view.bottom);
         const uint32_t colour = a.Colour();
         switch (a.Range(0, 2)) {
             case 0: QRV_WriteLine(x1, y1, x2, y2, colour, a.Mode()); break;
             case 1: QRV_WriteDrawModeLine(x1, y1, x2, y2, colour, a.Mode()); break;
             default:
                 if (s.dst.format() < 4) return false;
                 QRV_WriteLine_32Bit(x1, y1, x2, y2, colour, 0);
         }
         r = s.view;
         return true;
     }},
    {"QRV_FastDot", [](Session& s, Args& a, Rect& r, Rect&) {
         if (s.ViewEmpty()) return false;
         const int32_t x = a.Inside(s.view.left, s.view.right), y = a.Inside(s.view.top, s.view.bottom);
         if (a.Range(0, 1)) QRV_FastDot(x, y, a.Colour(), a.Mode());
         else QRV_DrawPixel(x, y, RGBForBuffer(a.Colour(), s.dst.format()), a.Mode());
         r = s.view;
         return true;
     }},
    // State that the next calls draw with.
    {"QRV_SetBufferViewPort", [](Session& s, Args&, Rect&, Rect&) {
         s.view = s.RandomView();
         QRV_SetBufferViewPort(s.view.left, s.view.top, s.view.right, s.view.bottom);
         return true;
     }},
    {"QRV_SetInkAlpha", [](Session&, Args& a, Rect&, Rect&) {
         QRV_SetInkAlpha(a.Range(-2, 260));
         QRV_SetMMXState(a.Range(0, 1));
         return true;
     }},
};

constexpr size_t kCallCount = sizeof kCalls / sizeof kCalls[0];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qrvfuzz::StartLibrary();
    TestFont(8);
    TestFont(32);
    const qrvfuzz::HostLeakCheck leaks;
    qrvfuzz::Reader in(data, size);
    const int format = in.Range(1, 5), srcFormat = in.Range(1, 5), textureFormat = in.Range(1, 5);
    QRV_SetInkAlpha(in.U8());
    QRV_SetMMXState(in.U8() & 1);
    Session s(in, format, srcFormat, textureFormat);
    for (int calls = 0; calls < 64 && !in.Empty(); ++calls) {
        const Entry& e = kCalls[in.U8() % kCallCount];
        Args args(in);
        Rect allowed{0, 0, 0, 0}, srcAllowed{0, 0, 0, 0};
        if (!e.call(s, args, allowed, srcAllowed)) continue;
        const Rect none{0, 0, 0, 0};
        const bool hit = s.dst.FirstHitOutside(allowed) != -1 || s.src.FirstHitOutside(srcAllowed) != -1 ||
                         s.blend.FirstHitOutside(none) != -1 || s.texture.FirstHitOutside(none) != -1;
        if (hit) args.Report(e.name);
        qrvfuzz::CheckAndCommit(s.dst, allowed, "the destination outside the region it may write", e.name);
        qrvfuzz::CheckAndCommit(s.src, srcAllowed, "the source outside the rectangle it may write", e.name);
        qrvfuzz::CheckAndCommit(s.blend, none, "the blend buffer", e.name);
        qrvfuzz::CheckAndCommit(s.texture, none, "the texture", e.name);
    }
    return 0;
}
