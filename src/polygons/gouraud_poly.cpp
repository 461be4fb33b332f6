// Gouraud polygons: the edge walk with a colour accumulator per channel on
// each chain, rendered by the Gouraud span renderers.
#include "polygons/edge_walk.h"
#include "polygons/gouraud_spans.h"
#include "primitives/ink_modes.h"
#include "quorvel.h"

namespace qrv {
namespace {

// Red, green and blue of the vertex colours as 16.16 values.
struct ColourAttrs {
    static constexpr int kAttrs = 3;
    int32_t Target(int32_t vertex, int i) const {
        return static_cast<int32_t>((PolyRGB[vertex] >> (16 - 8 * i)) & 0xFF) << 16;
    }
    int32_t Start(int32_t chainVertex, int32_t, int i) const { return Target(chainVertex, i); }
};

using ColourChain = EdgeChain<3>;

void DrawGouraudSlots(int32_t count, int32_t mode) {
    const Viewport view = View();
    PolyWalkSetup setup;
    if (!BeginPolyWalk(count, view, setup)) return;
    SpanWriter& spans = setup.spans;
    WalkEdges(PolyX, PolyY, count, setup.top, view, ColourAttrs{},
              [&](int32_t y, const ColourChain& left, const ColourChain& right) {
                  std::array<int32_t, 3> leftColour = left.attr, rightColour = right.attr;
                  auto [xLeft, xRight] = RowColumnsOf(left.x, right.x, setup.clipX);
                  if (setup.clipX) {
                      if (xLeft >= view.right || xRight < view.left || xRight - xLeft < 1) return;
                      const int32_t width = xRight - xLeft;
                      for (int i = 0; i < 3; ++i) {
                          const int32_t slope = (rightColour[i] - leftColour[i]) / width;
                          if (xLeft < view.left) leftColour[i] += (view.left - xLeft) * slope;
                          if (xRight >= view.right) rightColour[i] -= (xRight - view.right) * slope;
                      }
                      if (xLeft < view.left) xLeft = view.left;
                      if (xRight >= view.right) xRight = view.right;
                  }
                  if (xRight <= xLeft) return;
                  if (SpanRecord* r = spans.Next()) {
                      r->y = y;
                      r->xLeft = xLeft;
                      r->xRight = xRight;
                      r->leftAttr[0] = static_cast<int32_t>(PackAccumulators(leftColour));
                      r->rightAttr[0] = static_cast<int32_t>(PackAccumulators(rightColour));
                  }
              });
    if (spans.count > 0) DrawGouraudSpans(spans.records, spans.count, 0, ShapeMode(mode, 2));
}

}  // namespace
}  // namespace qrv

using namespace qrv;

extern "C" {

QRV_API void QRV_CALL QRV_DrawGouraudPoly(int32_t count, int32_t mode) { DrawGouraudSlots(count, mode); }

QRV_API void QRV_CALL QRV_TriG(int32_t x0, int32_t y0, uint32_t c0, int32_t x1, int32_t y1, uint32_t c1, int32_t x2,
                               int32_t y2, uint32_t c2, int32_t mode) {
    PolyX[0] = x0, PolyY[0] = y0, PolyRGB[0] = c0;
    PolyX[1] = x1, PolyY[1] = y1, PolyRGB[1] = c1;
    PolyX[2] = x2, PolyY[2] = y2, PolyRGB[2] = c2;
    DrawGouraudSlots(3, mode);
}

QRV_API void QRV_CALL QRV_QuadG(int32_t x0, int32_t y0, uint32_t c0, int32_t x1, int32_t y1, uint32_t c1, int32_t x2,
                                int32_t y2, uint32_t c2, int32_t x3, int32_t y3, uint32_t c3, int32_t mode) {
    PolyX[0] = x0, PolyY[0] = y0, PolyRGB[0] = c0;
    PolyX[1] = x1, PolyY[1] = y1, PolyRGB[1] = c1;
    PolyX[2] = x2, PolyY[2] = y2, PolyRGB[2] = c2;
    PolyX[3] = x3, PolyY[3] = y3, PolyRGB[3] = c3;
    DrawGouraudSlots(4, mode);
}

QRV_API void QRV_CALL QRV_QuadSetGouraud(uint32_t c0, uint32_t c1, uint32_t c2, uint32_t c3) {
    PolyRGB[0] = c0;
    PolyRGB[1] = c1;
    PolyRGB[2] = c2;
    PolyRGB[3] = c3;
}

}  // extern "C"
