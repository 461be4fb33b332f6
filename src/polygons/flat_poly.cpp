// Flat (single-colour) polygons: the edge walk's rows go to the span filler.
#include "frame/colour.h"
#include "polygons/edge_walk.h"
#include "polygons/polygons.h"
#include "primitives/ink_modes.h"
#include "quorvel.h"

namespace qrv {

void DrawFlatPoly(int32_t count, uint32_t colour, int32_t mode) {
    const Viewport view = View();
    PolyWalkSetup setup;
    if (!BeginPolyWalk(count, view, setup)) return;
    SpanWriter& spans = setup.spans;
    WalkEdges(PolyX, PolyY, count, setup.top, view, NoAttrs{},
              [&](int32_t y, const EdgeChain<0>& left, const EdgeChain<0>& right) {
                  auto [xLeft, xRight] = RowColumnsOf(left.x, right.x, setup.clipX);
                  if (setup.clipX) {
                      if (xLeft >= view.right || xRight < view.left) return;
                      if (xLeft < view.left) xLeft = view.left;
                      if (xRight > view.right) xRight = view.right;
                      if (xLeft >= xRight) return;
                  }
                  if (SpanRecord* r = spans.Next()) {
                      r->y = y;
                      r->xLeft = xLeft;
                      r->xRight = xRight;
                  }
              });
    if (spans.count > 0) FillSpans(spans.records, spans.count, ForBuffer(colour, g.dest.format), ShapeMode(mode, 2));
}

}  // namespace qrv

using namespace qrv;

extern "C" {

QRV_API void QRV_CALL QRV_Tri(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour,
                              int32_t mode) {
    PolyX[0] = x0, PolyY[0] = y0;
    PolyX[1] = x1, PolyY[1] = y1;
    PolyX[2] = x2, PolyY[2] = y2;
    DrawFlatPoly(3, colour, mode);
}

QRV_API void QRV_CALL QRV_Quad(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3,
                               int32_t y3, uint32_t colour, int32_t mode) {
    PolyX[0] = x0, PolyY[0] = y0;
    PolyX[1] = x1, PolyY[1] = y1;
    PolyX[2] = x2, PolyY[2] = y2;
    PolyX[3] = x3, PolyY[3] = y3;
    DrawFlatPoly(4, colour, mode);
}

}  // extern "C"
