// Scene replay: a record drawn back through the drawing routines, moved by a
// camera position. Each replay first asks whether its shape can reach the
// viewport; the drawing routine then clips as it would for any caller.
#include <algorithm>
#include <cstdlib>

#include "frame/state.h"
#include "polygons/edge_walk.h"
#include "polygons/polygons.h"
#include "quorvel.h"
#include "scene/scene_record.h"

namespace qrv {
namespace {

// Record coordinates plus (viewport left - camX, viewport top - camY), in
// 64 bits so that a far-off camera cannot wrap a point into view.
struct CameraMap {
    int64_t dx;
    int64_t dy;

    CameraMap(int32_t camX, int32_t camY, const Viewport& v)
        : dx(int64_t{v.left} - camX), dy(int64_t{v.top} - camY) {}

    // False when the mapped value has no 32-bit coordinate for the drawing routine.
    static bool Narrow(int64_t v, int32_t& out) {
        if (v < INT32_MIN || v > INT32_MAX) return false;
        out = static_cast<int32_t>(v);
        return true;
    }
    bool X(int32_t x, int32_t& out) const { return Narrow(x + dx, out); }
    bool Y(int32_t y, int32_t& out) const { return Narrow(y + dy, out); }
    bool Point(const QrvSceneVertex* v, int32_t& x, int32_t& y) const { return X(v->drawX, x) && Y(v->drawY, y); }
};

// Whether the closed extent between two corners, given in any order, meets
// the viewport. It covers every pixel the drawing routines can write for the
// shape (outlines include their far edge), so culling never hides what the
// routine itself would draw.
bool Reaches(const Viewport& v, int64_t xa, int64_t ya, int64_t xb, int64_t yb) {
    return std::max(ya, yb) >= v.top && std::min(ya, yb) < v.bottom && std::max(xa, xb) >= v.left &&
           std::min(xa, xb) < v.right;
}

// Radii from the offset of the second vertex; false when one has no 32-bit value.
bool Radius(int32_t a, int32_t b, int32_t& r) { return CameraMap::Narrow(std::llabs(int64_t{b} - a), r); }

// A strip's mapped ends along its axis (from the first vertex and the second
// vertex's coordinate on that axis) and its row or column (from the first
// vertex); false when it cannot reach the viewport.
struct StripEnds {
    int32_t from, to, line;
};

bool MapStrip(const QrvSceneRecord* rec, int32_t camX, int32_t camY, bool vertical, StripEnds& ends) {
    const Viewport v = View();
    const CameraMap cam(camX, camY, v);
    const QrvSceneVertex* first = SceneVertex(rec, 0);
    const QrvSceneVertex* second = SceneVertex(rec, 1);
    int32_t x, y, to;
    if (!cam.Point(first, x, y) || !(vertical ? cam.Y(second->drawY, to) : cam.X(second->drawX, to))) return false;
    if (!(vertical ? Reaches(v, x, y, x, to) : Reaches(v, x, y, to, y))) return false;
    ends = vertical ? StripEnds{y, to, x} : StripEnds{x, to, y};
    return true;
}

// The polygon's mapped vertices into slots 0 .. count - 1; false when there is
// nothing to draw.
bool LoadPolySlots(const QrvSceneRecord* rec, int32_t camX, int32_t camY, bool colours, bool uv) {
    const int32_t count = rec->vertexCount;
    if (count < 1 || count > kSceneMaxPolyVertices) return false;
    const CameraMap cam(camX, camY, View());
    int32_t xs[kSceneMaxPolyVertices], ys[kSceneMaxPolyVertices];
    for (int32_t i = 0; i < count; ++i) {
        if (!cam.Point(SceneVertex(rec, i), xs[i], ys[i])) return false;
    }
    for (int32_t i = 0; i < count; ++i) {
        const QrvSceneVertex* v = SceneVertex(rec, i);
        PolyX[i] = xs[i];
        PolyY[i] = ys[i];
        if (colours) PolyRGB[i] = v->colour;
        if (uv) PolyU[i] = v->u, PolyV[i] = v->v;
    }
    return true;
}

}  // namespace
}  // namespace qrv

using namespace qrv;

extern "C" {

QRV_API int32_t QRV_CALL Scene_Render_Check_Object_Visible(const QrvSceneRecord* rec, int32_t camX, int32_t camY) {
    if (rec == nullptr) return 0;
    const Viewport v = View();
    const CameraMap cam(camX, camY, v);
    return rec->boxBottom + cam.dy > v.top && rec->boxTop + cam.dy < v.bottom && rec->boxRight + cam.dx > v.left &&
                   rec->boxLeft + cam.dx < v.right
               ? 1
               : 0;
}

QRV_API void QRV_CALL Scene_Render_Captured_Box(const QrvSceneRecord* rec, int32_t camX, int32_t camY) {
    if (rec == nullptr) return;
    const Viewport v = View();
    const CameraMap cam(camX, camY, v);
    int32_t x0, y0, x1, y1;
    if (!cam.Point(SceneVertex(rec, 0), x0, y0) || !cam.Point(SceneVertex(rec, 1), x1, y1)) return;
    if (!Reaches(v, x0, y0, x1, y1)) return;
    QRV_Box(x0, y0, x1, y1, SceneVertex(rec, 0)->colour, rec->mode);
}

QRV_API void QRV_CALL Scene_Render_Captured_ShadeBox(const QrvSceneRecord* rec, int32_t camX, int32_t camY) {
    if (rec == nullptr) return;
    const Viewport v = View();
    const CameraMap cam(camX, camY, v);
    int32_t x0, y0, x2, y2;
    if (!cam.Point(SceneVertex(rec, 0), x0, y0) || !cam.Point(SceneVertex(rec, 2), x2, y2)) return;
    if (!Reaches(v, x0, y0, x2, y2)) return;
    QRV_ShadeBox(x0, y0, x2, y2, SceneVertex(rec, 0)->colour, SceneVertex(rec, 1)->colour,
                 SceneVertex(rec, 2)->colour, SceneVertex(rec, 3)->colour, rec->mode);
}

QRV_API void QRV_CALL Scene_Render_Captured_Circle(const QrvSceneRecord* rec, int32_t camX, int32_t camY) {
    if (rec == nullptr) return;
    const Viewport v = View();
    const CameraMap cam(camX, camY, v);
    const QrvSceneVertex* centre = SceneVertex(rec, 0);
    int32_t x, y, r;
    if (!cam.Point(centre, x, y) || !Radius(centre->drawX, SceneVertex(rec, 1)->drawX, r)) return;
    if (!Reaches(v, int64_t{x} - r, int64_t{y} - r, int64_t{x} + r, int64_t{y} + r)) return;
    QRV_Circle(x, y, r, centre->colour, rec->mode);
}

QRV_API void QRV_CALL Scene_Render_Captured_Ellipse(const QrvSceneRecord* rec, int32_t camX, int32_t camY) {
    if (rec == nullptr) return;
    const Viewport v = View();
    const CameraMap cam(camX, camY, v);
    const QrvSceneVertex* centre = SceneVertex(rec, 0);
    const QrvSceneVertex* corner = SceneVertex(rec, 1);
    int32_t x, y, rx, ry;
    if (!cam.Point(centre, x, y) || !Radius(centre->drawX, corner->drawX, rx) ||
        !Radius(centre->drawY, corner->drawY, ry))
        return;
    if (!Reaches(v, int64_t{x} - rx, int64_t{y} - ry, int64_t{x} + rx, int64_t{y} + ry)) return;
    QRV_Ellipse(x, y, rx, ry, centre->colour, rec->mode);
}

QRV_API void QRV_CALL Scene_Render_Captured_GouraudStripH(const QrvSceneRecord* rec, int32_t camX, int32_t camY) {
    StripEnds e;
    if (rec == nullptr || !MapStrip(rec, camX, camY, false, e)) return;
    QRV_HoriGouraudStrip(e.from, SceneVertex(rec, 0)->colour, e.to, SceneVertex(rec, 1)->colour, e.line);
}

QRV_API void QRV_CALL Scene_Render_Captured_GouraudStripV(const QrvSceneRecord* rec, int32_t camX, int32_t camY) {
    StripEnds e;
    if (rec == nullptr || !MapStrip(rec, camX, camY, true, e)) return;
    QRV_VertGouraudStrip(e.from, SceneVertex(rec, 0)->colour, e.to, SceneVertex(rec, 1)->colour, e.line);
}

QRV_API void QRV_CALL Scene_Render_Captured_TextureStripH(const QrvSceneRecord* rec, int32_t camX, int32_t camY,
                                                          QrvSurfaceDesc* src) {
    StripEnds e;
    if (rec == nullptr || !MapStrip(rec, camX, camY, false, e)) return;
    const QrvSceneVertex* a = SceneVertex(rec, 0);
    const QrvSceneVertex* b = SceneVertex(rec, 1);
    QRV_HoriTextureStrip(src, e.from, a->u, a->v, e.to, b->u, b->v, e.line);
}

QRV_API void QRV_CALL Scene_Render_Captured_TextureStripV(const QrvSceneRecord* rec, int32_t camX, int32_t camY,
                                                          QrvSurfaceDesc* src) {
    StripEnds e;
    if (rec == nullptr || !MapStrip(rec, camX, camY, true, e)) return;
    const QrvSceneVertex* a = SceneVertex(rec, 0);
    const QrvSceneVertex* b = SceneVertex(rec, 1);
    QRV_VertTextureStrip(src, e.from, a->u, a->v, e.to, b->u, b->v, e.line);
}

QRV_API void QRV_CALL Scene_Render_Captured_Polygon(const QrvSceneRecord* rec, int32_t camX, int32_t camY) {
    if (rec == nullptr || !LoadPolySlots(rec, camX, camY, false, false)) return;
    DrawFlatPoly(rec->vertexCount, SceneVertex(rec, 0)->colour, rec->mode);
}

QRV_API void QRV_CALL Scene_Render_Captured_PolygonG(const QrvSceneRecord* rec, int32_t camX, int32_t camY) {
    if (rec == nullptr || !LoadPolySlots(rec, camX, camY, true, false)) return;
    QRV_DrawGouraudPoly(rec->vertexCount, rec->mode);
}

QRV_API void QRV_CALL Scene_Render_Captured_PolygonT(const QrvSceneRecord* rec, int32_t camX, int32_t camY,
                                                     QrvSurfaceDesc* s, void* t) {
    if (rec == nullptr || !LoadPolySlots(rec, camX, camY, false, true)) return;
    QRV_DrawTexturedPoly(s, rec->vertexCount, t);
}

}  // extern "C"
