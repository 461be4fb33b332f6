// Scene record writers and the small record and vertex helpers of the host.
#include <algorithm>
#include <cmath>
#include <cstddef>

#include "frame/numeric.h"
#include "quorvel.h"
#include "scene/scene_record.h"

namespace qrv {
namespace {

QrvSceneRecord* Begin(QrvSceneRecord* rec, int32_t kind, int32_t mode, int32_t count) {
    rec->inUse = 1;
    rec->kind = static_cast<uint16_t>(kind);
    rec->mode = mode;
    rec->vertexCount = count;
    return rec;
}

QrvSceneVertex* Place(QrvSceneRecord* rec, int32_t i, int32_t x, int32_t y) {
    QrvSceneVertex* v = SceneVertex(rec, i);
    v->x = v->drawX = x;
    v->y = v->drawY = y;
    return v;
}

void Place(QrvSceneRecord* rec, int32_t i, int32_t x, int32_t y, uint32_t colour) {
    Place(rec, i, x, y)->colour = colour;
}

void PlaceUV(QrvSceneRecord* rec, int32_t i, int32_t x, int32_t y, int32_t u, int32_t v) {
    QrvSceneVertex* p = Place(rec, i, x, y);
    p->u = u;
    p->v = v;
}

void SetBox(QrvSceneRecord* rec, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    rec->boxLeft = left;
    rec->boxTop = top;
    rec->boxRight = right;
    rec->boxBottom = bottom;
}

// The record words are 32 bits: a box whose far corner passes the range wraps.
void SetBoxFromSize(QrvSceneRecord* rec, int32_t x, int32_t y, int32_t w, int32_t h) {
    SetBox(rec, x, y, x + w, y + h);
}

void SetSortedBox(QrvSceneRecord* rec, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    SetBox(rec, std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
}

// Polygon records get a box only on request, spanning their vertices
// inclusively (callers rely on the missing + 1).
void FinishPoly(QrvSceneRecord* rec, int32_t flag) {
    if (flag != 2) return;
    const QrvSceneVertex* first = SceneVertex(rec, 0);
    int32_t left = first->x, top = first->y, right = first->x, bottom = first->y;
    for (int32_t i = 1; i < rec->vertexCount; ++i) {
        const QrvSceneVertex* v = SceneVertex(rec, i);
        left = std::min(left, v->x), right = std::max(right, v->x);
        top = std::min(top, v->y), bottom = std::max(bottom, v->y);
    }
    SetBox(rec, left, top, right, bottom);
}

struct ColouredPoint {
    int32_t x, y;
    uint32_t colour;
};

struct TexturedPoint {
    int32_t x, y, u, v;
};

template <size_t N>
void CaptureColouredPoly(QrvSceneRecord* rec, int32_t kind, int32_t mode, const ColouredPoint (&points)[N],
                         int32_t flag) {
    if (rec == nullptr) return;
    Begin(rec, kind, mode, N);
    for (size_t i = 0; i < N; ++i) Place(rec, int32_t(i), points[i].x, points[i].y, points[i].colour);
    FinishPoly(rec, flag);
}

template <size_t N>
void CaptureTexturedPoly(QrvSceneRecord* rec, int32_t mode, int32_t src, const TexturedPoint (&points)[N],
                         int32_t flag) {
    if (rec == nullptr) return;
    Begin(rec, QRV_SCENE_TEXTURED_POLY, mode, N);
    rec->source = src;
    for (size_t i = 0; i < N; ++i) PlaceUV(rec, int32_t(i), points[i].x, points[i].y, points[i].u, points[i].v);
    FinishPoly(rec, flag);
}

// A single-vertex record with a box from position and size.
QrvSceneRecord* CaptureImage(QrvSceneRecord* rec, int32_t kind, int32_t mode, int32_t src, int32_t x, int32_t y,
                             int32_t a, int32_t w, int32_t h) {
    Begin(rec, kind, mode, 1);
    rec->source = src;
    rec->extraA = a;
    SetBoxFromSize(rec, x, y, w, h);
    Place(rec, 0, x, y);
    return rec;
}

// Circles and ellipses: the centre, and a second vertex whose offset from it
// carries the radii.
QrvSceneVertex* CaptureRound(QrvSceneRecord* rec, int32_t kind, int32_t mode, int32_t cx, int32_t cy, int32_t a,
                             int32_t rx, int32_t ry, uint32_t colour) {
    Begin(rec, kind, mode, 2);
    rec->extraA = a;
    SetBox(rec, cx - rx, cy - ry, cx + rx, cy + ry);
    Place(rec, 0, cx, cy, colour);
    Place(rec, 1, cx + rx, cy + ry);
    return SceneVertex(rec, 1);
}

int32_t FloorToInt32(float v) { return TruncToInt32(std::floor(static_cast<double>(v))); }

}  // namespace
}  // namespace qrv

using namespace qrv;

extern "C" {

QRV_API QrvSceneRecord* QRV_CALL Scene_Write_Capture_SpriteNC(QrvSceneRecord* rec, int32_t src, int32_t x, int32_t y,
                                                              int32_t a) {
    if (rec == nullptr) return nullptr;
    rec->inUse = 1;
    rec->kind = QRV_SCENE_SPRITE;
    rec->vertexCount = 1;
    rec->source = src;
    rec->extraA = a;
    Place(rec, 0, x, y);
    return rec;
}

QRV_API QrvSceneRecord* QRV_CALL Scene_Write_Capture_Image(QrvSceneRecord* rec, int32_t mode, int32_t src, int32_t x,
                                                           int32_t y, int32_t a, int32_t w, int32_t h) {
    if (rec == nullptr) return nullptr;
    return CaptureImage(rec, QRV_SCENE_IMAGE, mode, src, x, y, a, w, h);
}

QRV_API QrvSceneRecord* QRV_CALL Scene_Write_Capture_ImageBB(QrvSceneRecord* rec, int32_t mode, int32_t b,
                                                             int32_t src, int32_t x, int32_t y, int32_t a, int32_t w,
                                                             int32_t h) {
    if (rec == nullptr) return nullptr;
    rec->extraB = b;
    return CaptureImage(rec, QRV_SCENE_IMAGE_BB, mode, src, x, y, a, w, h);
}

QRV_API QrvSceneRecord* QRV_CALL Scene_Write_Capture_Map(QrvSceneRecord* rec, int32_t mode, int32_t b, int32_t c,
                                                         int32_t x, int32_t y, int32_t a, int32_t w, int32_t h) {
    if (rec == nullptr) return nullptr;
    rec->extraB = b;
    return CaptureImage(rec, QRV_SCENE_MAP, mode, c, x, y, a, w, h);
}

QRV_API QrvSceneRecord* QRV_CALL Scene_Write_Capture_Image_AlphaBlend(QrvSceneRecord* rec, int32_t mode, int32_t src,
                                                                      int32_t x, int32_t y, int32_t a, int32_t g,
                                                                      int32_t w, int32_t h) {
    if (rec == nullptr) return nullptr;
    rec->blend = g;
    return CaptureImage(rec, QRV_SCENE_IMAGE_ALPHA_BLEND, mode, src, x, y, a, w, h);
}

QRV_API QrvSceneRecord* QRV_CALL Scene_Write_Capture_Shape(QrvSceneRecord* rec, int32_t mode, int32_t src, int32_t x,
                                                           int32_t y, int32_t a, int32_t s1, int32_t s2, int32_t s3,
                                                           uint32_t colour) {
    if (rec == nullptr) return nullptr;
    Begin(rec, QRV_SCENE_SHAPE, mode, 1);
    rec->source = src;
    rec->extraA = a;
    rec->shape[0] = s1;
    rec->shape[1] = s2;
    rec->shape[2] = s3;
    Place(rec, 0, x, y, colour);
    return rec;
}

QRV_API QrvSceneVertex* QRV_CALL Scene_Write_Capture_Text(QrvSceneRecord* rec, int32_t mode, int32_t b, int32_t,
                                                          int32_t, int32_t x, int32_t y, int32_t a, int32_t w,
                                                          int32_t h, uint32_t colour) {
    if (rec == nullptr) return nullptr;
    Begin(rec, QRV_SCENE_TEXT, mode, 1);
    rec->extraB = b;
    rec->extraA = a;
    SetBoxFromSize(rec, x, y, w, h);
    Place(rec, 0, x, y, colour);
    return SceneVertex(rec, 1);
}

QRV_API void QRV_CALL Scene_Write_Capture_Dot(QrvSceneRecord* rec, int32_t mode, float fx, float fy, float,
                                              uint32_t colour) {
    if (rec == nullptr) return;
    const int32_t x = FloorToInt32(fx), y = FloorToInt32(fy);
    Begin(rec, QRV_SCENE_DOT, mode, 1);
    SetBox(rec, x, y, x + 1, y + 1);
    Place(rec, 0, x, y, colour);
}

QRV_API QrvSceneVertex* QRV_CALL Scene_Write_Capture_Line(QrvSceneRecord* rec, int32_t mode, int32_t x1, int32_t y1,
                                                          int32_t x2, int32_t y2, int32_t a, uint32_t colour) {
    if (rec == nullptr) return nullptr;
    Begin(rec, QRV_SCENE_LINE, mode, 2);
    rec->extraA = a;
    Place(rec, 0, x1, y1, colour);
    Place(rec, 1, x2, y2);
    return SceneVertex(rec, 2);
}

QRV_API QrvSceneVertex* QRV_CALL Scene_Write_Capture_Box(QrvSceneRecord* rec, int32_t mode, int32_t x1, int32_t y1,
                                                         int32_t x2, int32_t y2, int32_t, uint32_t colour) {
    if (rec == nullptr) return nullptr;
    Begin(rec, QRV_SCENE_BOX, mode, 2);
    SetSortedBox(rec, x1, y1, x2, y2);
    Place(rec, 0, rec->boxLeft, rec->boxTop, colour);
    Place(rec, 1, rec->boxRight, rec->boxBottom);
    return SceneVertex(rec, 1);
}

QRV_API QrvSceneVertex* QRV_CALL Scene_Write_Capture_ShadeBox(QrvSceneRecord* rec, int32_t mode, int32_t x1,
                                                              int32_t y1, int32_t x2, int32_t y2, int32_t,
                                                              uint32_t k0, uint32_t k1, uint32_t k2, uint32_t k3) {
    if (rec == nullptr) return nullptr;
    Begin(rec, QRV_SCENE_SHADE_BOX, mode, 4);
    SetSortedBox(rec, x1, y1, x2, y2);
    const int32_t l = rec->boxLeft, t = rec->boxTop, r = rec->boxRight, b = rec->boxBottom;
    Place(rec, 0, l, t, k0);
    Place(rec, 1, r, t, k1);
    Place(rec, 2, r, b, k2);
    Place(rec, 3, l, b, k3);
    return SceneVertex(rec, 3);
}

QRV_API QrvSceneVertex* QRV_CALL Scene_Write_Capture_Circle(QrvSceneRecord* rec, int32_t mode, int32_t cx, int32_t cy,
                                                            int32_t a, int32_t r, uint32_t colour) {
    if (rec == nullptr) return nullptr;
    return CaptureRound(rec, QRV_SCENE_CIRCLE, mode, cx, cy, a, r, r, colour);
}

QRV_API QrvSceneVertex* QRV_CALL Scene_Write_Capture_Ellipse(QrvSceneRecord* rec, int32_t mode, int32_t cx,
                                                             int32_t cy, int32_t a, int32_t rx, int32_t ry,
                                                             uint32_t colour) {
    if (rec == nullptr) return nullptr;
    return CaptureRound(rec, QRV_SCENE_ELLIPSE, mode, cx, cy, a, rx, ry, colour);
}

QRV_API QrvSceneVertex* QRV_CALL Scene_Write_Capture_GouraudStripH(QrvSceneRecord* rec, int32_t mode, int32_t x1,
                                                                   uint32_t k1, int32_t x2, uint32_t k2, int32_t y,
                                                                   int32_t) {
    if (rec == nullptr) return nullptr;
    Begin(rec, QRV_SCENE_GOURAUD_STRIP_H, mode, 2);
    SetBox(rec, std::min(x1, x2), y, std::max(x1, x2), y + 1);
    Place(rec, 0, x1, y, k1);
    Place(rec, 1, x2, y, k2);
    return SceneVertex(rec, 1);
}

// The second vertex is stored one column right of the strip; replay reads
// the column of the first one only.
QRV_API QrvSceneVertex* QRV_CALL Scene_Write_Capture_GouraudStripV(QrvSceneRecord* rec, int32_t mode, int32_t y1,
                                                                   uint32_t k1, int32_t y2, uint32_t k2, int32_t x,
                                                                   int32_t) {
    if (rec == nullptr) return nullptr;
    Begin(rec, QRV_SCENE_GOURAUD_STRIP_V, mode, 2);
    SetBox(rec, x, std::min(y1, y2), x + 1, std::max(y1, y2));
    Place(rec, 0, x, y1, k1);
    Place(rec, 1, x + 1, y2, k2);
    return SceneVertex(rec, 1);
}

QRV_API QrvSceneVertex* QRV_CALL Scene_Write_Capture_TextureStripH(QrvSceneRecord* rec, int32_t mode, int32_t x1,
                                                                   int32_t tu1, int32_t tv1, int32_t x2, int32_t tu2,
                                                                   int32_t tv2, int32_t y, int32_t, int32_t src) {
    if (rec == nullptr) return nullptr;
    Begin(rec, QRV_SCENE_TEXTURE_STRIP_H, mode, 2);
    rec->source = src;
    SetBox(rec, std::min(x1, x2), y, std::max(x1, x2), y + 1);
    PlaceUV(rec, 0, x1, y, tu1, tv1);
    PlaceUV(rec, 1, x2, y, tu2, tv2);
    return SceneVertex(rec, 1);
}

QRV_API QrvSceneVertex* QRV_CALL Scene_Write_Capture_TextureStripV(QrvSceneRecord* rec, int32_t mode, int32_t y1,
                                                                   int32_t tu1, int32_t tv1, int32_t y2, int32_t tu2,
                                                                   int32_t tv2, int32_t x, int32_t, int32_t src) {
    if (rec == nullptr) return nullptr;
    Begin(rec, QRV_SCENE_TEXTURE_STRIP_V, mode, 2);
    rec->source = src;
    SetBox(rec, x, std::min(y1, y2), x + 1, std::max(y1, y2));
    PlaceUV(rec, 0, x, y1, tu1, tv1);
    PlaceUV(rec, 1, x, y2, tu2, tv2);
    return SceneVertex(rec, 1);
}

QRV_API void QRV_CALL Scene_Write_Capture_Tri(QrvSceneRecord* rec, int32_t mode, int32_t x0, int32_t y0, int32_t x1,
                                              int32_t y1, int32_t x2, int32_t y2, int32_t, uint32_t colour,
                                              int32_t flag) {
    CaptureColouredPoly(rec, QRV_SCENE_TRI, mode, {{x0, y0, colour}, {x1, y1, colour}, {x2, y2, colour}}, flag);
}

QRV_API void QRV_CALL Scene_Write_Capture_TriG(QrvSceneRecord* rec, int32_t mode, int32_t x0, int32_t y0, uint32_t k0,
                                               int32_t x1, int32_t y1, uint32_t k1, int32_t x2, int32_t y2,
                                               uint32_t k2, int32_t, int32_t flag) {
    CaptureColouredPoly(rec, QRV_SCENE_TRI_GOURAUD, mode, {{x0, y0, k0}, {x1, y1, k1}, {x2, y2, k2}}, flag);
}

QRV_API void QRV_CALL Scene_Write_Capture_TriT(QrvSceneRecord* rec, int32_t mode, int32_t x0, int32_t y0, int32_t tu0,
                                               int32_t tv0, int32_t x1, int32_t y1, int32_t tu1, int32_t tv1,
                                               int32_t x2, int32_t y2, int32_t tu2, int32_t tv2, int32_t,
                                               int32_t src, int32_t flag) {
    CaptureTexturedPoly(rec, mode, src, {{x0, y0, tu0, tv0}, {x1, y1, tu1, tv1}, {x2, y2, tu2, tv2}}, flag);
}

QRV_API void QRV_CALL Scene_Write_Capture_Quad(QrvSceneRecord* rec, int32_t mode, int32_t x0, int32_t y0, int32_t x1,
                                               int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t,
                                               uint32_t colour, int32_t flag) {
    CaptureColouredPoly(rec, QRV_SCENE_QUAD, mode,
                        {{x0, y0, colour}, {x1, y1, colour}, {x2, y2, colour}, {x3, y3, colour}}, flag);
}

QRV_API void QRV_CALL Scene_Write_Capture_QuadG(QrvSceneRecord* rec, int32_t mode, int32_t x0, int32_t y0,
                                                uint32_t k0, int32_t x1, int32_t y1, uint32_t k1, int32_t x2,
                                                int32_t y2, uint32_t k2, int32_t x3, int32_t y3, uint32_t k3, int32_t,
                                                int32_t flag) {
    CaptureColouredPoly(rec, QRV_SCENE_QUAD_GOURAUD, mode, {{x0, y0, k0}, {x1, y1, k1}, {x2, y2, k2}, {x3, y3, k3}},
                        flag);
}

QRV_API void QRV_CALL Scene_Write_Capture_QuadT(QrvSceneRecord* rec, int32_t mode, int32_t x0, int32_t y0,
                                                int32_t tu0, int32_t tv0, int32_t x1, int32_t y1, int32_t tu1,
                                                int32_t tv1, int32_t x2, int32_t y2, int32_t tu2, int32_t tv2,
                                                int32_t x3, int32_t y3, int32_t tu3, int32_t tv3, int32_t,
                                                int32_t src, int32_t flag) {
    CaptureTexturedPoly(rec, mode, src,
                        {{x0, y0, tu0, tv0}, {x1, y1, tu1, tv1}, {x2, y2, tu2, tv2}, {x3, y3, tu3, tv3}}, flag);
}

QRV_API QrvSceneRecord* QRV_CALL Scene_Poke_Bounding_Box(QrvSceneRecord* rec, int32_t x1, int32_t y1, int32_t x2,
                                                         int32_t y2) {
    if (rec == nullptr) return nullptr;
    SetSortedBox(rec, x1, y1, x2, y2);
    return rec;
}

// The differences and the length are taken in double, as an extended-precision
// processor would, and each result is rounded once to single precision.
QRV_API void QRV_CALL Scene_Poke_Edge_Vectors(float* out, float x1, float y1, float x2, float y2) {
    if (out == nullptr) return;
    const double dx = static_cast<double>(x2) - x1, dy = static_cast<double>(y1) - y2;
    const float len = static_cast<float>(std::sqrt(dy * dy + dx * dx));
    float nx = 0.0f, ny = 0.0f;
    if (len != 0.0f) {
        nx = static_cast<float>(dy / len);
        ny = static_cast<float>(dx / len);
    }
    out[0] = static_cast<float>(dx);
    out[1] = static_cast<float>(-dy);
    out[2] = nx;
    out[3] = ny;
    out[4] = -nx;
    out[5] = -ny;
}

QRV_API QrvSceneVertex* QRV_CALL SceneVert_iXYcombined(QrvSceneVertex* vertex, int32_t x, int32_t y) {
    if (vertex == nullptr) return nullptr;
    vertex->x = vertex->drawX = x;
    vertex->y = vertex->drawY = y;
    return vertex;
}

QRV_API void QRV_CALL SceneVert_iXYZ(QrvSceneVertex*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                                     int32_t, int32_t, int32_t, int32_t, int32_t) {}

QRV_API void QRV_CALL SceneVert_iTransXYZ(QrvSceneVertex*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                                          int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}

QRV_API void QRV_CALL SceneVert_iXYZUV(QrvSceneVertex*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                                       int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}

}  // extern "C"
