// Span collision buffers drawn over the shapes they were built from, and the tests between them.
#include <cmath>
#include <string>
#include <vector>

#include "canvas.h"

namespace gallery {
namespace {

constexpr int kW = 240, kH = 180;
constexpr uint32_t kShape = 0x2A4F8A, kSpan = 0xFF9020, kEdge = 0xFFFF40;
constexpr uint32_t kKey = 0xFF00FF;

struct SpanBuffer {
    std::vector<int32_t> words = std::vector<int32_t>(3 + 3 * 1024);
    QrvSpanCollisionHeader* header() { return reinterpret_cast<QrvSpanCollisionHeader*>(words.data()); }
    const QrvSpanCollisionRecord* records() const {
        return reinterpret_cast<const QrvSpanCollisionRecord*>(words.data() + 3);
    }
};

// The spans of every `step`-th row over the shape, both ends of every span marked.
void DrawSpans(const QrvSpanCollisionRecord* records, int count, int step = 4) {
    for (int i = 0; i < count; ++i) {
        const QrvSpanCollisionRecord& r = records[i];
        if (r.y % step == 0) QRV_DrawStrip(r.y, r.left, r.right, kSpan, QRV_MODE_REPLACE);
        QRV_Dot(r.left, r.y, kEdge, 1);
        QRV_Dot(r.right - 1, r.y, kEdge, 1);
    }
}

struct VertexList {
    int32_t words[32] = {};  // x[8], y[8], u[8], v[8]
    void Set(int i, int x, int y, int u = 0, int v = 0) {
        words[i] = x;
        words[8 + i] = y;
        words[16 + i] = u;
        words[24 + i] = v;
    }
};

struct Panel {
    const char* title;
    std::string (*draw)(Surface& panel);  // returns a result line ("" for none)
};

std::string RectPanel(Surface&) {
    SpanBuffer b;
    QRV_Box(40, 40, 200, 140, kShape, QRV_STYLE_FILLED);
    CreateSpanCollision_Rect(b.header(), 200, 40, 40, 140);
    DrawSpans(b.records(), b.header()->count);
    return "rows " + std::to_string(b.header()->top) + " to " + std::to_string(b.header()->bottom);
}

std::string EllipsePanel(Surface&) {
    SpanBuffer b;
    QRV_Ellipse(120, 90, 90, 60, kShape, QRV_STYLE_FILLED);
    CreateSpanCollision_Ellipse(b.header(), 120, 90, 90, 60);
    DrawSpans(b.records(), b.header()->count);
    return std::to_string(b.header()->count) + " spans";
}

std::string PolygonPanel(Surface&) {
    VertexList list;
    const int xs[] = {120, 210, 180, 60, 24}, ys[] = {16, 70, 160, 164, 80};
    for (int i = 0; i < 5; ++i) list.Set(i, xs[i], ys[i]);
    QRV_Quad(xs[0], ys[0], xs[1], ys[1], xs[2], ys[2], xs[3], ys[3], kShape, 0);
    QRV_Tri(xs[0], ys[0], xs[3], ys[3], xs[4], ys[4], kShape, 0);
    SpanBuffer b;
    CreateSpanCollision_Polygon(list.words, 5, b.header());
    DrawSpans(b.records(), b.header()->count);
    return std::to_string(b.header()->count) + " spans";
}

std::string LinePanel(Surface&) {
    struct Line {
        int x1, y1, x2, y2;
    };
    const Line lines[] = {{20, 20, 220, 60}, {30, 160, 90, 20}, {120, 100, 220, 170}, {150, 30, 150, 90}};
    for (const Line& l : lines) {
        QRV_WriteLine(l.x1, l.y1, l.x2, l.y2, 0x80B0FF, 1);
        SpanBuffer b;
        CreateSpanCollision_Line(b.header(), l.x1, l.y1, l.x2, l.y2);
        // A steep line's count leaves out its last record.
        const int records = std::abs(l.y2 - l.y1) >= std::abs(l.x2 - l.x1) ? b.header()->count + 1 : b.header()->count;
        DrawSpans(b.records(), l.y1 == l.y2 ? 1 : records, 1);
    }
    return "";
}

// A five-pointed star through the shape edge buffer: spans from it, then drawn by it.
void BufferStar(std::vector<int32_t>& rowTable) {
    rowTable.assign(rowTable.size(), 0);
    rowTable[0] = 12;  // offset 0 ends a list, so the pool starts one node in
    float px[10], py[10];
    for (int i = 0; i < 10; ++i) {
        const double a = -1.5708 + i * 0.6283185, r = (i & 1) ? 32 : 82;
        px[i] = float(120 + r * std::cos(a));
        py[i] = float(94 + r * std::sin(a));
    }
    for (int i = 0; i < 10; ++i) Shape_BufferEdge(px[i], py[i], px[(i + 1) % 10], py[(i + 1) % 10], 0, kH);
}

std::string ShapePanel(Surface&) {
    std::vector<int32_t> rowTable(1 + kH + 1);
    std::vector<uint8_t> pool(12 * 4096);
    Shape_Set_Buffers(rowTable.data(), pool.data());
    BufferStar(rowTable);
    QRV_Draw_Shape_Span_Buffer(rowTable.data() + 1, 0, kShape, QRV_MODE_REPLACE);
    BufferStar(rowTable);
    SpanBuffer b;
    const int count = CreateSpanCollision_ShapeSpanBuffer(b.header(), 0, 0, kW, kH, rowTable.data(), 0);
    DrawSpans(b.records(), count);
    return std::to_string(count) + " spans, several per row";
}

// A 64 x 64 ARGB ring sprite on the key colour, the source of the textured spans.
Surface& RingSprite() {
    static Surface sprite = [] {
        Surface s(64, 64, QRV_FORMAT_32);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const int d2 = (x - 32) * (x - 32) + (y - 32) * (y - 32);
                s.Row32(y)[x] = d2 < 30 * 30 && d2 >= 16 * 16 ? ZK_RGB(80 + x * 2, 200, 255 - y * 2) : kKey;
            }
        return s;
    }();
    return sprite;
}

struct TexturedSpans {
    std::vector<uint8_t> bytes =
        std::vector<uint8_t>(sizeof(QrvTexturedSpanHeader) + sizeof(QrvTexturedSpanRecord) * 256);
    QrvTexturedSpanHeader* header() { return reinterpret_cast<QrvTexturedSpanHeader*>(bytes.data()); }
};

// The sprite drawn keyed at (x, y) and its textured span buffer (the whole 64 x 64 texture).
void PlaceSprite(int x, int y, TexturedSpans& spans) {
    RingSprite().SelectAsSource();
    QRV_Blit(0, 0, 64, 64, x, y, kKey, 1);
    VertexList list;
    list.Set(0, x, y, 0, 0);
    list.Set(1, x + 64, y, 64, 0);
    list.Set(2, x + 64, y + 64, 64, 64);
    list.Set(3, x, y + 64, 0, 64);
    QRV_SpanBufferCollisionPolygon(list.words, 4, spans.header(), kKey);
    QRV_DrawSpansEdges(spans.header());
}

std::string TexturedPanel(Surface&) {
    TexturedSpans a, b, c;
    PlaceSprite(16, 20, a);
    PlaceSprite(60, 40, b);   // overlaps a's ring
    PlaceSprite(150, 66, c);  // its box overlaps b's, its ring does not reach b's ring
    const bool ab = QRV_CompareTexturedSpans(a.header(), b.header());
    const bool bc = QRV_CompareTexturedSpans(b.header(), c.header());
    return std::string("left pair: ") + (ab ? "hit" : "miss") + ", right pair: " + (bc ? "hit" : "miss");
}

std::string FilledPanel(Surface&) {
    TexturedSpans ring;
    PlaceSprite(88, 58, ring);
    std::string result;
    const struct {
        int cx, cy, r;
        const char* name;
    } discs[] = {{120, 90, 12, "hole"}, {148, 74, 14, "ring"}};
    for (const auto& d : discs) {
        SpanBuffer b;
        QRV_Circle(d.cx, d.cy, d.r, kShape, QRV_MODE_HALF | QRV_STYLE_FILLED);
        CreateSpanCollision_Ellipse(b.header(), d.cx, d.cy, d.r, d.r);
        DrawSpans(b.records(), b.header()->count);
        const bool hit = QRV_CompareFilledToTexturedSpans(b.header(), ring.header());
        result += std::string(result.empty() ? "discs: " : ", ") + d.name + (hit ? " hit" : " miss");
    }
    return result;
}

std::string OcclusionPanel(Surface&) {
    SpanBuffer b;
    QRV_Ellipse(120, 92, 100, 70, kShape, QRV_STYLE_FILLED);
    CreateSpanCollision_Ellipse(b.header(), 120, 92, 100, 70);
    constexpr int kCell = 16;
    std::vector<QrvOcclusionEntry> entries(1024);
    const int n = CreateOcclusionMapFromSpanCollision(b.header(), kCell, kCell, entries.data());
    for (int i = 0; i < n; ++i) {
        const QrvOcclusionEntry& e = entries[i];
        const uint32_t colour = e.kind == 2 ? 0x40C040 : e.kind == 4 ? 0xFF8040 : 0xFFE040;
        const int top = e.band * kCell;  // bands are whole multiples of the cell height
        for (int c = e.first; c <= e.last; ++c)
            QRV_Box(c * kCell + 1, top + 1, c * kCell + kCell - 1, top + kCell - 1, colour,
                    e.kind == 2 ? (QRV_MODE_HALF | QRV_STYLE_FILLED) : QRV_STYLE_OUTLINE);
    }
    return std::to_string(n) + " entries; green: fully covered cells";
}

const Panel kPanels[] = {
    {"rectangle", RectPanel},
    {"ellipse", EllipsePanel},
    {"convex polygon", PolygonPanel},
    {"lines", LinePanel},
    {"shape edge buffer", ShapePanel},
    {"textured spans", TexturedPanel},
    {"filled vs textured", FilledPanel},
    {"occlusion map", OcclusionPanel},
};
constexpr int kPanelCount = sizeof(kPanels) / sizeof(kPanels[0]);

}  // namespace

void CollisionGallery() {
    constexpr int kColumns = 4;
    const Grid grid{10, kTitleBand + 22, kW, kH + 22, 16};
    const int rows = (kPanelCount + kColumns - 1) / kColumns;
    Picture picture(grid.Width(kColumns), grid.Height(rows), "Span collision buffers over their shapes");
    Surface panel(kW, kH, QRV_FORMAT_32);
    for (int i = 0; i < kPanelCount; ++i) {
        panel.Select();
        QRV_Box(0, 0, kW, kH, 0x101418, QRV_STYLE_FILLED);
        const std::string result = kPanels[i].draw(panel);
        const int x = grid.X(i % kColumns), y = grid.Y(i / kColumns);
        picture.Text(x, y - 18, kPanels[i].title);
        picture.Paste(panel, x, y);
        if (!result.empty()) picture.Text(x + 4, y + kH + 2, result, 0xFFB0D0FF);
    }
    picture.Save("collision",
                 "Blue: the shape as drawn; orange (the spans of every fourth row) and yellow (the ends of every "
                 "span): the spans the "
                 "collision builders made from the same coordinates. The textured panels outline the sprites' "
                 "span buffers in red and report the library's texel-exact tests.");
}

}  // namespace gallery
