// Calls whose ends lie at and near the ends of the 32-bit range, on guarded
// buffers in every format, MMX state and kernel set: a clipped call writes
// only inside the viewport, and one whose far ends lie beyond the viewport
// draws what the same call with ordinary ends draws; an unclipped call whose
// run cannot lie in any buffer writes nothing at all.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "primitives/draw_test_util.h"

using namespace qrvtest;

namespace {

constexpr int32_t kMin = INT32_MIN, kMax = INT32_MAX;
constexpr int32_t kLeft = 8, kTop = 6, kRight = 40, kBottom = 34;

// The colour as ARGB and in buffer format, and the ink: 0 for replace or a
// draw mode, which each call turns into its own mode or flags argument.
struct Pen {
    uint32_t argb, native;
    int32_t ink;
    int32_t Mode(int32_t replaceAs) const { return ink == 0 ? replaceAs : ink; }
};

using Call = std::function<void(const Pen&)>;
const Call kNothing = [](const Pen&) {};

struct Case {
    const char* name;
    Call call;
    Call same;  // the call with ordinary ends; null when only containment is checked
};

// Runs every case on a randomly filled canvas in every format, ink, and two
// (MMX state, kernel set) pairs, restoring the canvas before each.
void ExpectClipped(const std::vector<Case>& cases) {
    SettingsGuard guard;
    QRV_SetInkAlpha(128);
    for (const int format : kAllFormats)
        for (const int packed : {0, 1})
            for (const int32_t ink : {0, 16, 64, 2048, 4096}) {
                QRV_SetMMXState(packed);
                qrv::SetKernelSet(packed ? qrv::KernelSet::Sse2 : qrv::KernelSet::Scalar);
                Canvas c(48, 40, format, 4);
                std::mt19937 rng(static_cast<uint32_t>(format * 31 + ink));
                c.Randomise(rng);
                c.Select();
                QRV_SetBufferViewPort(kLeft, kTop, kRight, kBottom);
                const Pen pen{0x80C86432u, RGBForBuffer(0x80C86432u, format), ink};
                const std::vector<uint8_t> before = c.Snapshot();
                for (const Case& k : cases) {
                    SCOPED_TRACE(std::string(k.name) + " format " + std::to_string(format) + " ink " +
                                 std::to_string(ink) + " mmx " + std::to_string(packed));
                    c.storage = before;
                    k.call(pen);
                    ASSERT_TRUE(c.GuardsIntact());
                    ASSERT_TRUE(UnchangedOutside(c, before, kLeft, kTop, kRight, kBottom));
                    if (!k.same) continue;
                    const std::vector<uint8_t> drawn = c.Snapshot();
                    c.storage = before;
                    k.same(pen);
                    ASSERT_TRUE(drawn == c.storage);
                }
            }
}

// Each point of the closed rectangle plotted twice, as an outline plots the
// symmetric pair of a point on its axis.
void Dots(int32_t x0, int32_t y0, int32_t x1, int32_t y1, const Pen& p) {
    for (int32_t y = y0; y <= y1; ++y)
        for (int32_t x = x0; x <= x1; ++x) QRV_Dot(x, y, p.argb, p.Mode(1)), QRV_Dot(x, y, p.argb, p.Mode(1));
}

Call Box(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t flags) {
    return [=](const Pen& p) { QRV_Box(x1, y1, x2, y2, p.argb, p.ink | flags); };
}
constexpr uint32_t kFlat = 0x00336699;
Call Shaded(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    return [=](const Pen& p) { QRV_ShadeBox(x1, y1, x2, y2, kFlat, kFlat, kFlat, kFlat, p.ink); };
}
const Call kAll = Box(-100, -100, 1000, 1000, 2);

// The unclipped calls: a strip whose ends are reversed, or a strip or line
// longer than INT32_MAX pixels (whose 32-bit difference wraps), draws nothing.
TEST(ExtremeEnds, UnclippedRunsThatCannotExistDrawNothing) {
    const int32_t strips[][2] = {{16, kMin}, {kMin, kMax}, {kMax, kMin}, {-1, kMax}, {kMin + 1, 1}, {kMin, 16},
                                 {kMax, kMax}, {kMin, kMin}, {40, kMin + 40}, {kMax - 1, kMin + 2},
                                 {-2, kMax - 1}, {kMax, 0}, {kMin, kMax - 1}};
    std::vector<Case> cases;
    for (const auto& s : strips)
        cases.push_back({"strip", [s](const Pen& p) { QRV_DrawStrip(10, s[0], s[1], p.native, p.Mode(2)); }, kNothing});
    const int32_t lines[][4] = {
        {kMin, 10, 20, 10}, {20, 10, kMin, 10}, {0, 10, kMax, 10},   {-1, 10, kMax - 1, 10},  // horizontal
        {10, kMin, 10, 20}, {10, -20, 10, kMax}, {12, kMax, 12, kMin},                          // vertical
        {kMax, 4, kMin, 6}, {5, 5, kMin + 5, 7}, {kMin, kMin, kMax, kMax}, {-20, 20, kMax, 21},  // wrapping deltas
        {20, 20, 21, kMin}, {kMin + 3, 3, kMax - 3, kMin},
    };
    for (const auto& l : lines) {
        cases.push_back({"line", [l](const Pen& p) { QRV_WriteLine(l[0], l[1], l[2], l[3], p.argb, p.ink); }, kNothing});
        cases.push_back({"mode line",
                         [l](const Pen& p) { QRV_WriteDrawModeLine(l[0], l[1], l[2], l[3], p.native, p.Mode(1)); },
                         kNothing});
        cases.push_back(
            {"32-bit line", [l](const Pen& p) { QRV_WriteLine_32Bit(l[0], l[1], l[2], l[3], p.native, 0); }, kNothing});
    }
    ExpectClipped(cases);
}

// Boxes, shaded boxes and filled circles reaching far past the viewport draw
// exactly what the same shapes with ends just beyond it draw.
TEST(ExtremeEnds, HugeShapesClipLikeOrdinaryOnes) {
    ExpectClipped({
        {"box", Box(kMin, kMin, kMax, kMax, 2), kAll},
        {"box left", Box(kMin, 10, 20, 30, 2), Box(-100, 10, 20, 30, 2)},
        {"box reversed", Box(kMax, 12, 30, kMin, 2), Box(1000, 12, 30, -100, 2)},
        {"outline rows", Box(kMin, 10, kMax, 20, 1), Box(-100, 10, 1000, 20, 1)},
        {"outline columns", Box(12, kMin, 30, kMax, 1), Box(12, -100, 30, 1000, 1)},
        {"outline far corner", Box(kMax, kMax, 20, 15, 1), Box(1000, 1000, 20, 15, 1)},
        {"flat shaded box", Shaded(kMin, kMin, kMax, kMax), Shaded(-100, -100, 1000, 1000)},
        {"flat shaded box right", Shaded(20, 10, kMax, kMax - 1), Shaded(20, 10, 1000, 1000)},
        {"huge circle", [](const Pen& p) { QRV_Circle(20, 20, kMax, p.argb, p.ink | 2); }, kAll},
        {"huge ellipse", [](const Pen& p) { QRV_Ellipse(30, 10, kMax, kMax - 1, p.argb, p.ink | 2); }, kAll},
        {"huge filled ellipse", [](const Pen& p) { QRV_FilledEllipse(20, 20, kMax, kMax, p.native, p.ink | 2); }, kAll},
        // Past INT32_MAX the ellipse's centre row lies below the viewport,
        // whatever cy - 1 would wrap to.
        {"unclipped ellipse past the top",
         [](const Pen& p) { QRV_FilledEllipseNC(20, kMin, kMax, kMax, p.native, p.ink | 2); }, kNothing},
        {"flat gradient strip", [](const Pen&) { QRV_HoriGouraudStrip(kMin, kFlat, kMax, kFlat, 20); },
         [](const Pen&) { QRV_HoriGouraudStrip(-100, kFlat, 1000, kFlat, 20); }},
        {"flat vertical strip", [](const Pen&) { QRV_VertGouraudStrip(kMax, kFlat, kMin, kFlat, 20); },
         [](const Pen&) { QRV_VertGouraudStrip(1000, kFlat, -100, kFlat, 20); }},
        {"quad at the 16-bit ends",
         [](const Pen& p) { QRV_Quad(-32768, -32768, 32767, -32768, 32767, 32767, -32768, 32767, p.argb, p.ink); },
         kAll},
        // Outlines of radius INT32_MAX centred just past INT32_MIN: only their
        // far ends reach the viewport, as a run of points on one row or column.
        // The near halves lie beyond the 32-bit range and must not wrap into view.
        {"outline past the left", [](const Pen& p) { QRV_OpenCircle(kMin + 24, 20, kMax, p.argb, p.ink | 1); },
         [](const Pen& p) { Dots(kLeft, 20, 22, 20, p); }},
        {"outline past the top", [](const Pen& p) { QRV_OpenEllipse(20, kMin + 24, kMax, kMax, p.argb, p.ink | 1); },
         [](const Pen& p) { Dots(20, kTop, 20, 22, p); }},
        {"blended outline", [](const Pen& p) { QRV_OpenEllipseFX(kMin + 24, 20, kMax, kMax, p.argb, p.ink | 1, 0); },
         [](const Pen& p) {
             if (p.ink != 0) Dots(kLeft, 20, 22, 20, p);
         }},
    });
}

// Every clipped shape over a grid of ends at, near and between the ends of
// the 32-bit range writes nothing outside the viewport.
TEST(ExtremeEnds, ClippedShapesStayInsideTheViewport) {
    const int32_t ends[] = {kMin, kMin + 1, kMin + 24, -1, 20, kMax - 24, kMax - 1, kMax};
    std::vector<Case> cases;
    auto add = [&](const char* name, Call call) { cases.push_back({name, std::move(call), {}}); };
    for (const int32_t x : ends)
        for (const int32_t y : {kMin, 20, kMax}) {
            for (const int32_t r : {1, 40, kMax - 1, kMax, kMin}) {
                add("circle", [=](const Pen& p) { QRV_Circle(x, y, r, p.argb, p.ink | 2); });
                add("ellipse", [=](const Pen& p) { QRV_Ellipse(y, x, r, 7, p.argb, p.ink | 2); });
                add("open circle", [=](const Pen& p) { QRV_OpenCircle(x, y, r, p.argb, p.ink | 1); });
                add("open ellipse", [=](const Pen& p) { QRV_OpenEllipse(y, x, 9, r, p.argb, p.ink | 1); });
                add("outline fx", [=](const Pen& p) { QRV_OpenEllipseFX(x, y, r, r, p.argb, p.ink | 1, 1); });
                add("filled", [=](const Pen& p) { QRV_FilledEllipse(x, y, r, r, p.native, p.ink | 2); });
                add("filled nc", [=](const Pen& p) { QRV_FilledEllipseNC(y, x, r, r, p.native, p.ink | 2); });
            }
            for (const int32_t x2 : ends) {
                add("box", Box(x, y, x2, x2, 2));
                add("outline", Box(x2, x, y, x2, 1));
                add("shaded", [=](const Pen& p) {
                    QRV_ShadeBox(x, x2, y, ~x2, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, p.ink);
                });
                add("gradient", [=](const Pen&) { QRV_HoriGouraudStrip(x, 0xFF, x2, 0xFF00, 20); });
                add("vertical", [=](const Pen&) { QRV_VertGouraudStrip(x, 0xFF, x2, 0xFF00, 20); });
            }
        }
    // Polygons with vertices at the 16-bit and 32-bit ends.
    const int32_t corners[] = {kMin, -32768, 20, 32767, kMax};
    std::mt19937 rng(9);
    for (int i = 0; i < 60; ++i) {
        int32_t v[8];
        for (int32_t& c : v) c = corners[rng() % 5];
        add("tri", [=](const Pen& p) { QRV_Tri(v[0], v[1], v[2], v[3], v[4], v[5], p.argb, p.ink); });
        add("quad g", [=](const Pen& p) {
            QRV_QuadG(v[0], v[1], 0xFF, v[2], v[3], 0xFF00, v[4], v[5], 0xFF0000, v[6], v[7], 0, p.ink);
        });
    }
    ExpectClipped(cases);
}

}  // namespace
