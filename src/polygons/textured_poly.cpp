// Textured polygons: the edge walk carrying texture coordinates (and the
// Gouraud colours when the TPD asks for them), the axis-aligned texture draw,
// the span pipeline every textured draw ends in, and the raw texture strips.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include "blit/blit.h"
#include "frame/colour.h"
#include "frame/numeric.h"
#include "polygons/edge_walk.h"
#include "polygons/gouraud_spans.h"
#include "polygons/textured.h"
#include "polygons/turned_copy.h"
#include "primitives/packed.h"
#include "primitives/pixel_format.h"
#include "primitives/short_copy.h"
#include "quorvel.h"

namespace qrv {
namespace {

// u and v of the vertex slots in 16.16 (plus offset, 0x8000 to sample texel
// centres), then, when Colours, red, green and blue as 16.16.
template <bool Colours>
struct TexturedAttrs {
    static constexpr int kAttrs = Colours ? 5 : 2;
    int32_t offset;
    int32_t Target(int32_t vertex, int i) const {
        if (i == 0) return (PolyU[vertex] << 16) + offset;
        if (i == 1) return (PolyV[vertex] << 16) + offset;
        return static_cast<int32_t>((PolyRGB[vertex] >> (16 - 8 * (i - 2))) & 0xFF) << 16;
    }
    int32_t Start(int32_t chainVertex, int32_t, int i) const { return Target(chainVertex, i); }
};

template <int N>
uint32_t PackedColour(const EdgeChain<N>& c) {
    return PackAccumulators({c.attr[2], c.attr[3], c.attr[4]});
}

template <bool Colours>
int32_t WalkTextured(const PolyWalkSetup& setup, const Viewport& view, int32_t count, int32_t offset,
                     SpanWriter& spans) {
    using Chain = EdgeChain<TexturedAttrs<Colours>::kAttrs>;
    // The last row's texel changes, width and steps: rows that repeat them
    // (every row of an axis-aligned quad) skip the two divisions.
    int32_t lastWidth = 0, lastChangeU = 0, lastChangeV = 0, du = 0, dv = 0;
    WalkEdges(PolyX, PolyY, count, setup.top, view, TexturedAttrs<Colours>{offset},
              [&](int32_t y, const Chain& left, const Chain& right) {
                  auto [xLeft, xRight] = RowColumnsOf(left.x, right.x, setup.clipX);
                  if (setup.clipX && (xLeft >= view.right || xRight < view.left)) return;
                  if (xRight - xLeft < 1) return;
                  const int32_t width = xRight - xLeft;
                  const int32_t changeU = right.attr[0] - left.attr[0], changeV = right.attr[1] - left.attr[1];
                  if (width != lastWidth || changeU != lastChangeU || changeV != lastChangeV) {
                      lastWidth = width, lastChangeU = changeU, lastChangeV = changeV;
                      du = changeU / width;
                      dv = changeV / width;
                  }
                  int32_t u = left.attr[0], v = left.attr[1];
                  if (setup.clipX) {
                      if (xLeft < view.left) {
                          u += (view.left - xLeft) * du;
                          v += (view.left - xLeft) * dv;
                          xLeft = view.left;
                      }
                      if (xRight > view.right) xRight = view.right;
                      if (xRight <= xLeft) return;
                  }
                  SpanRecord* r = spans.Next();
                  if (r == nullptr) return;
                  r->y = y;
                  r->xLeft = xLeft;
                  r->xRight = xRight;
                  r->leftAttr[1] = u;
                  r->leftAttr[2] = v;
                  r->rightAttr[1] = du;
                  r->rightAttr[2] = dv;
                  if constexpr (Colours) {
                      // The colours of the unclipped ends.
                      r->leftAttr[0] = static_cast<int32_t>(PackedColour(left));
                      r->rightAttr[0] = static_cast<int32_t>(PackedColour(right));
                  } else {
                      r->leftAttr[0] = r->rightAttr[0] = 0;
                  }
              });
    return spans.count;
}

// ---- The pipeline ----

bool HasTexelEffects(const Tpd& t) { return t.texelEffectCount > 0 && t.texelEffects[0].effect != 0; }

// Both formats 32-bit, replace, no texel effects: the texels themselves are
// what the pipeline writes, so spans may copy them.
bool CopiesTexels(const QrvSurfaceDesc& dest, const QrvSurfaceDesc& tex, const Tpd& t) {
    return dest.format == 4 && tex.format == 4 && t.outputType == 1 && !HasTexelEffects(t);
}

// Both formats 32-bit 0x00RRGGBB, replace, no effects: texels go straight to
// the destination, those equal to the key word skipped when masked; or, for
// filtered spans on whole texels under the channel rule, each byte two less.
enum class CopyRule { All, SkipKey, AllUnlessAllKey, ChannelFiltered };

// The channel rule's filter at a whole texel: each of its two steps keeps
// (c * 255) >> 8 of every byte c, which is c - 1 down to 0.
constexpr uint32_t ChannelFilteredTexel(uint32_t t) {
    uint32_t r = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t c = (t >> shift) & 0xFF;
        r |= (c > 2 ? c - 2 : 0) << shift;
    }
    return r;
}

void ChannelFilteredRow(uint32_t* out, const uint32_t* in, int32_t n) {
    int32_t k = 0;
#if defined(__SSE2__)
    if (PackedKernelsActive()) {
        using W = packed::Width16;
        for (; k + 4 <= n; k += 4)
            W::Store(reinterpret_cast<uint8_t*>(out + k),
                     W::SubSat8(W::Load(reinterpret_cast<const uint8_t*>(in + k)), W::Splat8(2)));
    }
#endif
    for (; k < n; ++k) out[k] = ChannelFilteredTexel(in[k]);
}

// n texels from `from` to `out` by the rule (AllUnlessAllKey, once a span is
// known to hold another texel, copies them all).
inline void CopyTexelRun(uint32_t* out, const uint32_t* from, int32_t n, CopyRule rule, BlitRowFn keyedRow,
                         uint32_t key) {
    if (rule == CopyRule::SkipKey) {
        keyedRow(reinterpret_cast<uint8_t*>(out), reinterpret_cast<const uint8_t*>(from), n, key);
    } else if (rule == CopyRule::ChannelFiltered) {
        ChannelFilteredRow(out, from, n);
    } else {
        CopyRowBytes(out, from, static_cast<size_t>(n) * 4);
    }
}

// Along one texture row at a step of 3/4 to 1 texel, the positions fall on
// runs of consecutive texels (a quad drawn a little larger than its texels,
// as when its far edge is held to the last texel): position k + j reads texel
// (u >> 16) + j as long as the fraction of u is at least j times the
// shortfall 0x10000 - du. Calls run(k, texel, n) for each run.
constexpr int32_t kRunStepMin = 0xC000;

template <class Run>
void ForEachTexelRun(int32_t u, int32_t du, int32_t width, Run run) {
    const int32_t shortfall = 0x10000 - du;
    for (int32_t k = 0; k < width;) {
        int32_t n = width - k;
        if (shortfall > 0 && (u & 0xFFFF) / shortfall + 1 < n) n = (u & 0xFFFF) / shortfall + 1;
        run(k, u >> 16, n);
        u = static_cast<int32_t>(u + int64_t{n} * du);
        k += n;
    }
}

// keyedRow is the blitter's keyed 32-bit row, which skips the texels equal to
// the key word.
void DirectCopySpan(const QrvSurfaceDesc& dest, const QrvSurfaceDesc& tex, const SpanRecord& r, CopyRule rule,
                    BlitRowFn keyedRow) {
    const int32_t width = r.xRight - r.xLeft;
    if (width < 1) return;
    const bool masked = rule == CopyRule::SkipKey;
    const auto* texels = static_cast<const uint8_t*>(tex.pixels);
    const ptrdiff_t texPitch = tex.pitch;
    const uint32_t key = tex.maskColour;
    uint32_t* out =
        reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(dest.pixels) + static_cast<ptrdiff_t>(r.y) * dest.pitch) +
        r.xLeft;
    int32_t u = r.leftAttr[1], v = r.leftAttr[2];
    const int32_t du = r.rightAttr[1], dv = r.rightAttr[2];
    auto texel = [&](int32_t tu, int32_t tv) {
        uint32_t t;
        std::memcpy(&t, texels + (tv >> 16) * texPitch + static_cast<ptrdiff_t>(tu >> 16) * 4, 4);
        return t;
    };
    if (rule == CopyRule::AllUnlessAllKey) {
        int32_t k = 0;
        for (int32_t tu = u, tv = v; k < width && texel(tu, tv) == key; ++k, tu += du, tv += dv) {
        }
        if (k == width) return;
    }
    if (dv == 0 && du >= kRunStepMin && du <= 0x10000) {
        const auto* row = reinterpret_cast<const uint32_t*>(texels + (v >> 16) * texPitch);
        ForEachTexelRun(u, du, width,
                        [&](int32_t k, int32_t t, int32_t n) {
                            CopyTexelRun(out + k, row + t, n, rule, keyedRow, key);
                        });
        return;
    }
    auto put = [&](int32_t k, uint32_t t) {
        if (rule == CopyRule::ChannelFiltered) t = ChannelFilteredTexel(t);
        if (!masked || t != key) out[k] = t;
    };
    // Position by position: the 32-byte set gathers eight texels at a time
    // when every row lies within 32-bit offsets of the first.
    int32_t k = 0;
    static const TurnedCopyRow wide = WideTurnedCopyRow();
    if (wide != nullptr && ActiveKernelSet() == KernelSet::Avx2 &&
        int64_t{tex.height} * (texPitch < 0 ? -texPitch : texPitch) <= INT32_MAX) {
        const TurnedTexels how = masked                              ? TurnedTexels::SkipKey
                                 : rule == CopyRule::ChannelFiltered ? TurnedTexels::LessTwo
                                                                     : TurnedTexels::Copy;
        k = wide(out, texels, tex.pitch, u, v, du, dv, width, how, key);
        u = StepBy(u, du, k);
        v = StepBy(v, dv, k);
    }
    if (dv == 0) {
        // Along one texture row at another scale: the row is found once.
        const uint8_t* row = texels + (v >> 16) * texPitch;
        for (; k < width; ++k, u += du) {
            uint32_t t;
            std::memcpy(&t, row + static_cast<ptrdiff_t>(u >> 16) * 4, 4);
            put(k, t);
        }
        return;
    }
    for (; k < width; ++k, u += du, v += dv) put(k, texel(u, v));
}

// A bilinear fetch whose positions all fall on whole texels gives the texels
// themselves under the lane rule; the compressing one drops the texels equal
// to the key word, which the renderer then writes back as the mask colour
// unless masked, or not at all when the span holds no other texel.
bool OnWholeTexels(const SpanRecord& r) {
    return ((r.leftAttr[1] | r.leftAttr[2] | r.rightAttr[1] | r.rightAttr[2]) & 0xFFFF) == 0;
}

// Filtered spans on whole texels copy directly too, by this rule: the lane
// rule (compressing fetches, or the MMX state 0) gives the texels themselves,
// the channel rule each byte two less.
CopyRule WholeTexelRule(const Tpd& t, int32_t mmxState) {
    if (t.maskCompression) return t.masked ? CopyRule::SkipKey : CopyRule::AllUnlessAllKey;
    return mmxState == 0 ? CopyRule::All : CopyRule::ChannelFiltered;
}

// An axis-aligned rectangle whose texture is not turned (u changes only
// across, v only down), drawn by copies (plain, masked, or filtered on whole
// texels): the rows the edge walk would give, each copied as it comes,
// without span records. False when the slots hold no such rectangle or the
// draw needs the pipeline.
bool DrawTexelRectangle(const QrvSurfaceDesc& tex, const Tpd& tpd, const PolyWalkSetup& setup, const Viewport& view,
                        int32_t offset) {
    const QrvSurfaceDesc& dest = g.destDesc;
    RectangleCorners c;
    if (!CopiesTexels(dest, tex, tpd) || !AxisRectangle(PolyX, PolyY, c)) return false;
    if (PolyU[c.topLeft] != PolyU[c.bottomLeft] || PolyU[c.topRight] != PolyU[c.bottomRight] ||
        PolyV[c.topLeft] != PolyV[c.topRight] || PolyV[c.bottomLeft] != PolyV[c.bottomRight])
        return false;
    const int32_t rows = PolyY[c.bottomLeft] - PolyY[c.topLeft];
    const int32_t vTop = (PolyV[c.topLeft] << 16) + offset;
    const int32_t dvRow = ((PolyV[c.bottomLeft] << 16) + offset - vTop) / rows;
    int32_t xLeft = PolyX[c.topLeft], xRight = PolyX[c.topRight];
    int32_t u = (PolyU[c.topLeft] << 16) + offset;
    const int32_t du = ((PolyU[c.topRight] << 16) + offset - u) / (xRight - xLeft);
    // Filtered, every row must fall on whole texels.
    if (tpd.filtered && ((u | du | vTop | dvRow) & 0xFFFF) != 0) return false;
    if (setup.clipX) {
        if (xLeft >= view.right || xRight < view.left) return true;
        if (xLeft < view.left) {
            u += (view.left - xLeft) * du;
            xLeft = view.left;
        }
        if (xRight > view.right) xRight = view.right;
        if (xRight <= xLeft) return true;
    }
    const int32_t top = PolyY[c.topLeft];
    const int32_t first = top > view.top ? top : view.top;
    const int32_t end = PolyY[c.bottomLeft] < view.bottom ? PolyY[c.bottomLeft] : view.bottom;
    const CopyRule rule =
        tpd.filtered ? WholeTexelRule(tpd, g.mmxState) : tpd.masked ? CopyRule::SkipKey : CopyRule::All;
    const BlitRowFn keyedRow =
        rule == CopyRule::SkipKey ? BlitRowFor(4, 4, true, g.mmxState, ActiveKernelSet()) : nullptr;
    const int32_t width = xRight - xLeft;
    const uint32_t key = tex.maskColour;
    const auto* texels = static_cast<const uint8_t*>(tex.pixels);
    auto* pixels = static_cast<uint8_t*>(dest.pixels);
    for (int32_t y = first; y < end; ++y) {
        const int32_t v = StepBy(vTop, dvRow, y - top);
        if (du != 0x10000) {
            const SpanRecord r{y, xLeft, {0, u, v}, xRight, {0, du, 0}};
            DirectCopySpan(dest, tex, r, rule, keyedRow);
            continue;
        }
        // At one texel a pixel the row is one run from texel u.
        uint8_t* out = pixels + static_cast<ptrdiff_t>(y) * dest.pitch + static_cast<ptrdiff_t>(xLeft) * 4;
        const uint8_t* from =
            texels + static_cast<ptrdiff_t>(v >> 16) * tex.pitch + static_cast<ptrdiff_t>(u >> 16) * 4;
        const auto* run = reinterpret_cast<const uint32_t*>(from);
        if (rule == CopyRule::AllUnlessAllKey && std::all_of(run, run + width, [&](uint32_t t) { return t == key; }))
            continue;
        CopyTexelRun(reinterpret_cast<uint32_t*>(out), run, width, rule, keyedRow, key);
    }
    return true;
}

void DrawTexturedSlots(const QrvSurfaceDesc* texture, int32_t count, const void* tpdHandle, bool sprite) {
    const Tpd* tpd = LiveTpd(tpdHandle);
    if (tpd == nullptr || !UsableTexture(texture)) return;
    const Viewport view = View();
    PolyWalkSetup setup;
    if (!BeginPolyWalk(count, view, setup)) return;
    const int32_t maxU = ReachableWidth(*texture) - 1, maxV = ReachableHeight(*texture) - 1;
    for (int32_t i = 0; i < count; ++i) {
        PolyU[i] = ClampInt(PolyU[i], 0, maxU);
        PolyV[i] = ClampInt(PolyV[i], 0, maxV);
    }
    const int32_t offset = sprite ? 0x8000 : 0;
    if (count == 4 && DrawTexelRectangle(*texture, *tpd, setup, view, offset)) return;
    const int32_t rows = tpd->gouraudState == 1 ? WalkTextured<true>(setup, view, count, offset, setup.spans)
                                                : WalkTextured<false>(setup, view, count, offset, setup.spans);
    if (rows > 0) DrawTexturedSpans(g.destDesc, texture, setup.spans.records, rows, tpd);
}

}  // namespace

bool UsableTexture(const QrvSurfaceDesc* s) {
    if (s == nullptr || s->pixels == nullptr || !IsFormat(s->format) || s->width < 1 || s->height < 1) return false;
    const int64_t rowBytes = int64_t{s->width} * BytesPerPixel(s->format);
    const int64_t pitch = s->pitch < 0 ? -int64_t{s->pitch} : s->pitch;
    return pitch >= rowBytes;
}

void DrawTexturedSpans(const QrvSurfaceDesc& dest, const QrvSurfaceDesc* texture, const SpanRecord* records,
                       int32_t count, const void* tpdHandle) {
    const Tpd* tpd = LiveTpd(tpdHandle);
    if (tpd == nullptr || tpd->outputType == 0 || records == nullptr || !UsableTexture(texture)) return;
    const QrvSurfaceDesc& tex = *texture;
    const OutputRenderer render = OutputRendererFor(tpd->outputType, dest.format);
    if (render == nullptr) return;
    const int32_t mmxState = g.mmxState;
    const bool direct = CopiesTexels(dest, tex, *tpd);
    const BlitRowFn keyedRow = direct ? BlitRowFor(4, 4, true, mmxState, ActiveKernelSet()) : nullptr;
    if (direct && !tpd->filtered) {
        const CopyRule rule = tpd->masked ? CopyRule::SkipKey : CopyRule::All;
        for (int32_t n = 0; n < count; ++n) DirectCopySpan(dest, tex, records[n], rule, keyedRow);
        return;
    }
    const CopyRule wholeTexelRule = WholeTexelRule(*tpd, mmxState);
    const uint32_t mask = ForBuffer(RGBPrecisionMask(tex.maskColour, tex.format), dest.format);
    int32_t mode = (tpd->masked & 1) | (tex.format == 5 ? 2 : 0);
    if (tpd->outputType == 2) mode |= tpd->outputLevel << 16;
    for (int32_t n = 0; n < count; ++n) {
        const SpanRecord& r = records[n];
        if (direct && OnWholeTexels(r)) {
            DirectCopySpan(dest, tex, r, wholeTexelRule, keyedRow);
            continue;
        }
        if (int64_t{r.xRight} - r.xLeft < 1 || !ReserveLines(r.xRight - r.xLeft)) continue;
        const int32_t width = r.xRight - r.xLeft;
        const TexelWalk walk{r.leftAttr[1], r.leftAttr[2], r.rightAttr[1], r.rightAttr[2]};
        uint32_t* line = gLines.texels;
        int32_t* runs = gLines.runs;
        int32_t words, texels;
        if (tpd->maskCompression) {
            words = tpd->filtered ? FetchTexelsBilinearCompressed(tex, line, runs, width, walk)
                                  : FetchTexelsCompressed(tex, line, runs, width, walk);
            if (words == 0) continue;
            texels = 0;
            for (int32_t i = 1; i < words; i += 2) texels += runs[i];
        } else {
            if (tpd->filtered) {
                FetchTexelsBilinear(tex, line, width, walk, mmxState);
            } else {
                FetchTexels(tex, line, width, walk);
            }
            runs[0] = 0;
            runs[1] = width;
            words = 1;
            texels = width;
        }
        if (tpd->gouraudState == 1) BuildColourLine(r, gLines.colours, runs, (words + 1) / 2);
        ApplyTexelEffects(*tpd, texels);
        render(dest, r.xLeft, r.y, width, words, mask, mode);
    }
}

}  // namespace qrv

using namespace qrv;

namespace {

void SetVertex(int32_t slot, int32_t x, int32_t y, int32_t u, int32_t v) {
    PolyX[slot] = x, PolyY[slot] = y, PolyU[slot] = u, PolyV[slot] = v;
}

struct SpriteVertex {
    int32_t x, y, u, v;
    uint32_t colour;
};

// Split 0: one quad; split 1: triangles (0, 1, 2) and (0, 2, 3).
void DrawSpriteQuad(const QrvSurfaceDesc* surface, const SpriteVertex (&q)[4], void* tpd, int32_t split, bool colours) {
    auto put = [&](int32_t slot, const SpriteVertex& p) {
        SetVertex(slot, p.x, p.y, p.u, p.v);
        if (colours) PolyRGB[slot] = p.colour;
    };
    if (split == 0) {
        for (int32_t i = 0; i < 4; ++i) put(i, q[i]);
        DrawTexturedSlots(surface, 4, tpd, true);
    } else if (split == 1) {
        put(0, q[0]), put(1, q[1]), put(2, q[2]);
        DrawTexturedSlots(surface, 3, tpd, true);
        put(0, q[0]), put(1, q[2]), put(2, q[3]);
        DrawTexturedSlots(surface, 3, tpd, true);
    }
}

// One row or column of texels copied raw from (ua, va) at position a towards
// (ub, vb) at b (exclusive) into pixels origin + position x stride, visible
// over [clipFrom, clipTo).
void TextureStrip(const QrvSurfaceDesc* texture, int32_t a, int32_t ua, int32_t va, int32_t b, int32_t ub, int32_t vb,
                  uint8_t* origin, ptrdiff_t stride, int32_t clipFrom, int32_t clipTo) {
    const QrvSurfaceDesc& dest = g.destDesc;
    if (!UsableTexture(texture) || BytesPerPixel(texture->format) != BytesPerPixel(dest.format) ||
        !IsFormat(dest.format))
        return;
    if (a > b) {
        std::swap(a, b);
        std::swap(ua, ub);
        std::swap(va, vb);
    }
    if (a > clipTo || b < clipFrom || int64_t{b} - a < 1) return;
    const QrvSurfaceDesc& tex = *texture;
    const int32_t maxU = (ReachableWidth(tex) - 1) << 16, maxV = (ReachableHeight(tex) - 1) << 16;
    ua = ClampInt(ua, 0, maxU), ub = ClampInt(ub, 0, maxU);
    va = ClampInt(va, 0, maxV), vb = ClampInt(vb, 0, maxV);
    const int64_t length = int64_t{b} - a;
    const int32_t du = static_cast<int32_t>((int64_t{ub} - ua) / length);
    const int32_t dv = static_cast<int32_t>((int64_t{vb} - va) / length);
    int32_t first = a;
    if (first < clipFrom) {
        ua += static_cast<int32_t>((int64_t{clipFrom} - a) * du);
        va += static_cast<int32_t>((int64_t{clipFrom} - a) * dv);
        first = clipFrom;
    }
    const int32_t last = b < clipTo ? b : clipTo;
    const auto* texels = static_cast<const uint8_t*>(tex.pixels);
    WithFormat(tex.format, [&]<class F>() {
        uint8_t* p = origin + static_cast<ptrdiff_t>(first) * stride;
        for (int32_t k = first; k < last; ++k, p += stride, ua += du, va += dv)
            std::memcpy(p, texels + (va >> 16) * static_cast<ptrdiff_t>(tex.pitch) +
                               static_cast<ptrdiff_t>(ua >> 16) * F::kBytes,
                        F::kBytes);
    });
}

}  // namespace

extern "C" {

QRV_API void QRV_CALL QRV_DrawTexturedPoly(QrvSurfaceDesc* surface, int32_t count, void* tpd) {
    DrawTexturedSlots(surface, count, tpd, false);
}

QRV_API void QRV_CALL QRV_DrawSpritePoly(QrvSurfaceDesc* surface, int32_t count, void* tpd) {
    DrawTexturedSlots(surface, count, tpd, true);
}

QRV_API void QRV_CALL QRV_TriT(QrvSurfaceDesc* surface, int32_t x0, int32_t y0, int32_t u0, int32_t v0, int32_t x1, int32_t y1,
                               int32_t u1, int32_t v1, int32_t x2, int32_t y2, int32_t u2, int32_t v2, void* tpd) {
    SetVertex(0, x0, y0, u0, v0);
    SetVertex(1, x1, y1, u1, v1);
    SetVertex(2, x2, y2, u2, v2);
    DrawTexturedSlots(surface, 3, tpd, false);
}

QRV_API void QRV_CALL QRV_QuadT(QrvSurfaceDesc* surface, int32_t x0, int32_t y0, int32_t u0, int32_t v0, int32_t x1, int32_t y1,
                                int32_t u1, int32_t v1, int32_t x2, int32_t y2, int32_t u2, int32_t v2, int32_t x3,
                                int32_t y3, int32_t u3, int32_t v3, void* tpd) {
    SetVertex(0, x0, y0, u0, v0);
    SetVertex(1, x1, y1, u1, v1);
    SetVertex(2, x2, y2, u2, v2);
    SetVertex(3, x3, y3, u3, v3);
    DrawTexturedSlots(surface, 4, tpd, false);
}

QRV_API void QRV_CALL QRV_DrawSpriteQuad(QrvSurfaceDesc* surface, int32_t x0, int32_t y0, int32_t u0, int32_t v0, int32_t x1,
                                         int32_t y1, int32_t u1, int32_t v1, int32_t x2, int32_t y2, int32_t u2,
                                         int32_t v2, int32_t x3, int32_t y3, int32_t u3, int32_t v3, void* tpd,
                                         int32_t split) {
    const SpriteVertex q[4] = {{x0, y0, u0, v0, 0}, {x1, y1, u1, v1, 0}, {x2, y2, u2, v2, 0}, {x3, y3, u3, v3, 0}};
    DrawSpriteQuad(surface, q, tpd, split, false);
}

QRV_API void QRV_CALL QRV_DrawSpriteRGBQuad(QrvSurfaceDesc* surface, int32_t x0, int32_t y0, int32_t u0, int32_t v0,
                                            uint32_t colour0, int32_t x1, int32_t y1, int32_t u1, int32_t v1,
                                            uint32_t colour1, int32_t x2, int32_t y2, int32_t u2, int32_t v2,
                                            uint32_t colour2, int32_t x3, int32_t y3, int32_t u3, int32_t v3,
                                            uint32_t colour3, void* tpd, int32_t split) {
    const SpriteVertex q[4] = {
        {x0, y0, u0, v0, colour0}, {x1, y1, u1, v1, colour1}, {x2, y2, u2, v2, colour2}, {x3, y3, u3, v3, colour3}};
    DrawSpriteQuad(surface, q, tpd, split, true);
}

QRV_API void QRV_CALL QRV_DrawTexture(QrvSurfaceDesc* surface, int32_t x, int32_t y, void* tpd) {
    const QrvSurfaceDesc* tex = surface;
    if (!UsableTexture(tex) || LiveTpd(tpd) == nullptr) return;
    const Viewport view = View();
    const int64_t right = int64_t{x} + ReachableWidth(*tex), bottom = int64_t{y} + tex->height;
    const int32_t xLeft = x > view.left ? x : view.left;
    const int32_t xRight = static_cast<int32_t>(right < view.right ? right : view.right);
    const int32_t top = y > view.top ? y : view.top;
    const int32_t end = static_cast<int32_t>(bottom < view.bottom ? bottom : view.bottom);
    if (xRight <= xLeft || end <= top) return;
    SpanRecord* records = GetSpanBuffer(end - top);
    if (records == nullptr) return;
    int32_t rows = 0;
    for (int32_t row = top; row < end; ++row) {
        const int64_t texRow = int64_t{row} - y;
        if (texRow >= kMaxTextureSide) break;
        SpanRecord& r = records[rows++];
        r.y = row;
        r.xLeft = xLeft;
        r.xRight = xRight;
        r.leftAttr[0] = r.rightAttr[0] = 0;
        r.leftAttr[1] = (xLeft - x) << 16;
        r.leftAttr[2] = static_cast<int32_t>(texRow << 16);
        r.rightAttr[1] = 0x10000;
        r.rightAttr[2] = 0;
    }
    DrawTexturedSpans(g.destDesc, tex, records, rows, tpd);
}

QRV_API void QRV_CALL QRV_HoriTextureStrip(QrvSurfaceDesc* surface, int32_t xa, int32_t ua, int32_t va, int32_t xb, int32_t ub,
                                           int32_t vb, int32_t y) {
    const QrvSurfaceDesc& d = g.destDesc;
    if (y < d.viewTop || y >= d.viewBottom) return;
    uint8_t* row = static_cast<uint8_t*>(d.pixels) + static_cast<ptrdiff_t>(y) * d.pitch;
    TextureStrip(surface, xa, ua, va, xb, ub, vb, row, BytesPerPixel(d.format), d.viewLeft, d.viewRight);
}

QRV_API void QRV_CALL QRV_VertTextureStrip(QrvSurfaceDesc* surface, int32_t ya, int32_t ua, int32_t va, int32_t yb, int32_t ub,
                                           int32_t vb, int32_t x) {
    const QrvSurfaceDesc& d = g.destDesc;
    if (x < d.viewLeft || x >= d.viewRight) return;
    uint8_t* column = static_cast<uint8_t*>(d.pixels) + static_cast<ptrdiff_t>(x) * BytesPerPixel(d.format);
    TextureStrip(surface, ya, ua, va, yb, ub, vb, column, d.pitch, d.viewTop, d.viewBottom);
}

}  // extern "C"
