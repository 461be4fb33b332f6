// Rectangle effects over a surface's view, and surface scaling.
#include <string>
#include <vector>

#include "canvas.h"

namespace gallery {
namespace {

constexpr int kW = 112, kH = 84, kInset = 8;
constexpr uint32_t kKey = 0xFF00FF;

// The picture every effect starts from: a ramp with shapes and a key-coloured bar.
Surface MakeBase(int format) {
    Surface base32 = MakeRamp(kW, kH);
    base32.Select();
    QRV_Circle(36, 40, 22, 0xF0F0F0, QRV_STYLE_FILLED);
    QRV_Box(60, 20, 100, 64, 0x202020, QRV_STYLE_FILLED);
    QRV_Tri(64, 60, 80, 24, 96, 60, 0xFFD040, 0);
    QRV_Box(8, 68, 104, 76, kKey, QRV_STYLE_FILLED);
    for (int i = 0; i < 5; ++i) QRV_WriteLine(10, 8 + i * 3, 100, 8 + i * 3, 0x000000, 1);
    if (format == QRV_FORMAT_32) return base32;
    Surface s(kW, kH, format);
    s.CopyFrom(base32);
    return s;
}

// An ARGB surface shown over a checkerboard, blended by its alpha.
Surface OverChecker(const Surface& argb) {
    Surface shown = MakeChecker(argb.width, argb.height, 8);
    argb.SelectAsSource();
    shown.Select();
    QRV_Blit(0, 0, argb.width, argb.height, 0, 0, 0, 1);
    return shown;
}

QrvSurfaceDesc* InsetView(Surface& s) {
    return QRV_SetSurfaceDescVP(s.Desc(), kInset, kInset, s.width - kInset, s.height - kInset);
}

struct Effect {
    const char* name;
    Surface (*make)();
};

Surface Apply(void (*effect)(QrvSurfaceDesc*)) {
    Surface s = MakeBase(QRV_FORMAT_32);
    effect(InsetView(s));
    return s;
}

Surface Scaled(int srcW, int srcH, int dstW, int dstH, int mode, bool old) {
    // The centre of the base picture, scaled to fill a cell-sized surface.
    Surface base = MakeBase(QRV_FORMAT_32);
    Surface src(srcW, srcH, QRV_FORMAT_32);
    base.SelectAsSource();
    src.Select();
    QRV_Blit(50, 28, 50 + srcW, 28 + srcH, 0, 0, 0, 0);
    Surface dst(dstW, dstH, QRV_FORMAT_32);
    dst.Select();
    QRV_Box(0, 0, dstW, dstH, 0x000000, QRV_STYLE_FILLED);
    if (old) InsetView(dst);
    (old ? QRV_ScaleSurface_OLD : QRV_ScaleSurface)(src.Desc(), dst.Desc(), mode);
    if (dstW == kW) return dst;
    Surface cell(kW, kH, QRV_FORMAT_32);
    cell.Select();
    QRV_Box(0, 0, kW, kH, 0x000000, QRV_STYLE_FILLED);
    dst.SelectAsSource();
    QRV_Blit(0, 0, dstW, dstH, (kW - dstW) / 2, (kH - dstH) / 2, 0, 0);
    return cell;
}

const Effect kEffects[] = {
    {"original", [] { return MakeBase(QRV_FORMAT_32); }},
    {"fade 50%", [] { return Apply([](QrvSurfaceDesc* d) { QRV_FillRect_Fade(d, 50); }); }},
    {"fade 200%", [] { return Apply([](QrvSurfaceDesc* d) { QRV_FillRect_Fade(d, 200); }); }},
    {"grey scale", [] { return Apply(QRV_FillRect_GreyScale); }},
    {"blur 9", [] { return Apply([](QrvSurfaceDesc* d) { QRV_FillRect_Blur(d, 9.0f); }); }},
    {"blur 5", [] { return Apply([](QrvSurfaceDesc* d) { QRV_FillRect_Blur(d, 5.0f); }); }},
    {"make alpha",
     [] {
         Surface s = MakeBase(QRV_FORMAT_ARGB);
         QRV_FillRect_Make_Alpha(QRV_SetSurfaceDescMaskColour(InsetView(s), kKey), 0);
         return OverChecker(s);
     }},
    {"light", [] { return Apply([](QrvSurfaceDesc* d) { QRV_FillRect_Light(d, 40, 36, 420.0f, 7.0f, 0); }); }},
    {"light map",
     [] { return Apply([](QrvSurfaceDesc* d) { QRV_FillRect_PhongMap(d, 56, 42, 0xFFD080, 300.0f, 6.0f, 0); }); }},
    {"mirror across", [] { return Apply([](QrvSurfaceDesc* d) { QRV_MirrorRect(d, 1, 0); }); }},
    {"mirror down", [] { return Apply([](QrvSurfaceDesc* d) { QRV_MirrorRect(d, 0, 1); }); }},
    {"half turn", [] { return Apply([](QrvSurfaceDesc* d) { QRV_MirrorRect(d, 1, 1); }); }},
    {"nearest x3.5", [] { return Scaled(32, 24, kW, kH, 0, false); }},
    {"bilinear x3.5", [] { return Scaled(32, 24, kW, kH, 1, false); }},
    {"bilinear 1111", [] { return Scaled(32, 24, kW, kH, 1111, false); }},
    {"old, view", [] { return Scaled(32, 24, kW, kH, 1, true); }},
    {"nearest x0.6", [] { return Scaled(72, 54, 43, 32, 0, false); }},
    {"bilinear x0.6", [] { return Scaled(72, 54, 43, 32, 1, false); }},
    {"prepare FX",
     [] {
         Surface src = MakeBase(QRV_FORMAT_565);
         QRV_SetSurfaceDescMaskColour(src.Desc(), kKey);
         Surface dst(kW, kH, QRV_FORMAT_ARGB);
         QRV_PrepareFXSurface(src.Desc(), dst.Desc(), 0);
         return OverChecker(dst);
     }},
};
constexpr int kEffectCount = sizeof(kEffects) / sizeof(kEffects[0]);
constexpr int kColumns = 7;

}  // namespace

void SurfaceEffectGallery() {
    const Grid grid{10, kTitleBand + 22, kW, kH, 8};
    const int rows = (kEffectCount + kColumns - 1) / kColumns;
    const Grid labelled{grid.left, grid.top, kW, kH + 22, grid.gap};
    Picture picture(labelled.Width(kColumns), labelled.Height(rows) - 22, "Rectangle effects and scaling");
    for (int i = 0; i < kEffectCount; ++i) {
        const int x = labelled.X(i % kColumns), y = labelled.Y(i / kColumns);
        picture.Text(x, y - 18, kEffects[i].name);
        picture.Paste(kEffects[i].make(), x, y);
    }
    picture.Save("surface_effects",
                 "Each effect works in place on a surface whose view is inset by 8 pixels (the border is left as "
                 "it was); make alpha and prepare FX build ARGB surfaces, shown blended over a checkerboard. The "
                 "scalings map a crop of the picture onto the whole destination; the old scaler clips to the "
                 "destination's inset view.");
}

}  // namespace gallery
