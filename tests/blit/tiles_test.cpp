#include <algorithm>
#include <climits>
#include <random>
#include <vector>

#include "blit/blit_test_util.h"

namespace {

using namespace qrvtest;

constexpr int kTile = 16, kTiles = 8;
constexpr uint32_t kKey = 0x00FF00FF;

// A sheet of kTiles tiles one below the other; every pixel tells its tile and
// place, and about one in five is the key colour.
struct Sheet {
    Canvas c{kTile, kTile * kTiles, 4};
    Sheet() {
        std::mt19937 rng(7);
        FillWith(c, 0, 0, kTile, c.height, [&](int x, int y) {
            return rng() % 5 == 0 ? kKey : 0x01000000u * (y / kTile) | y << 8 | x;
        });
        SelectSource(c);
    }
};

struct MapCase {
    const char* name;
    std::vector<int32_t> map;
    int cols, x0, y0;
    bool records;
    int viewLeft, viewTop, viewRight, viewBottom;
};

// Kinds: none, solid, sub-rectangles inside the tile and one reaching past it.
const QrvTileRecord kRecords[kTiles] = {{0, 0, 0, 0, 0},  {-1, 0, 0, 16, 16}, {2, 0, 0, 16, 16},  {1, 3, 5, 9, 6},
                                        {0, 4, 4, 8, 8},  {3, 4, 2, 12, 10},  {5, -2, 10, 20, 18}, {1, 8, 8, 8, 12}};

// The cells as the map draws them, pixel by pixel, on a 64 x 48 picture.
void DrawExpected(Canvas& out, Canvas& sheet, const MapCase& m, bool stopAtSolid) {
    for (size_t i = 0; i < m.map.size(); ++i) {
        const int t = m.map[i];
        if (t < 0) continue;
        const int px = m.x0 + int(i) % m.cols * kTile, py = m.y0 + int(i) / m.cols * kTile;
        QrvTileRecord r = m.records ? kRecords[t] : QrvTileRecord{0, 0, 0, kTile, kTile};
        if (r.kind < 0) continue;
        if (r.kind == 0) {
            if (stopAtSolid) return;
            r = {0, 0, 0, kTile, kTile};
        }
        for (int y = std::max(r.y1, m.viewTop - py); y < std::min(r.y2, m.viewBottom - py); ++y)
            for (int x = std::max(r.x1, m.viewLeft - px); x < std::min(r.x2, m.viewRight - px); ++x) {
                const uint32_t p = sheet.Get(x, t * kTile + y);
                if (r.kind == 0 || p != kKey) out.Set(px + x, py + y, p);
            }
    }
}

// Blits and hit tests of whole maps against the cell-by-cell picture; the hit
// test draws up to its first solid cell and reports it.
TEST_F(BlitTest, TileMapsMatchTheCellByCellPicture) {
    const MapCase kMaps[] = {
        {"whole view", {0, 1, -1, 2, 3, 4, 5, 6, 7, -5, 5, 0}, 4, 0, 0, false, 0, 0, 64, 48},
        {"with records", {0, 1, -1, 2, 3, 4, 5, 6, 7, -5, 5, 0}, 4, 0, 0, true, 0, 0, 64, 48},
        {"clipped on every side", {6, 5, 4, 3, 2, 1, 0, 7, 6, 5, 4, 3, 2, 1, 0, 2}, 4, -7, -9, true, 3, 2, 41, 30},
        {"offset, one row", {5, 2, 6}, 3, 9, 30, true, 0, 0, 64, 48},
    };
    for (const bool hit : {false, true})
        for (const MapCase& m : kMaps) {
            if (hit && !m.records) continue;
            Sheet sheet;
            Canvas dst(64, 48, 4), expected(64, 48, 4);
            dst.Clear(0x11);
            expected.Clear(0x11);
            dst.Select();
            QRV_SetBufferViewPort(m.viewLeft, m.viewTop, m.viewRight, m.viewBottom);
            const QrvTileRecord* recs = m.records ? kRecords : nullptr;
            const int rows = int(m.map.size()) / m.cols;
            const int32_t result =
                (hit ? QRV_Rect_Hit_Tile_Array : QRV_Blit_Tile_Array)(recs, m.map.data(), m.cols, rows, kTile, kTile,
                                                                     m.x0, m.y0, kKey);
            DrawExpected(expected, sheet.c, m, hit);
            const bool solidCell =
                std::any_of(m.map.begin(), m.map.end(), [](int t) { return t >= 0 && kRecords[t].kind == 0; });
            EXPECT_EQ(result, hit ? (solidCell ? 1 : 0) : 1) << m.name;
            EXPECT_TRUE(PixelsAre(dst, 0, 0, 64, 48, [&](int x, int y) { return expected.Get(x, y); }))
                << m.name << (hit ? " (hit)" : "");
            EXPECT_TRUE(dst.GuardsIntact()) << m.name;
        }
}

// Sizes, counts and positions that describe nothing drawable, including cells
// that only wrapping 32-bit arithmetic would bring onto the screen.
TEST_F(BlitTest, DegenerateTileMapsDrawNothing) {
    struct Bad { const char* name; std::vector<int32_t> map; int cols, rows, tileWidth, tileHeight, x0, y0; };
    const Bad cases[] = {
        {"no rows", {0}, 1, 0, kTile, kTile, 0, 0},
        {"negative rows", {0}, 1, -3, kTile, kTile, 0, 0},
        {"no columns", {0}, 0, 1, kTile, kTile, 0, 0},
        {"negative columns", {0}, INT_MIN, 1, kTile, kTile, 0, 0},
        {"zero tile size", {0, 1}, 2, 1, 0, 0, 0, 0},
        {"negative tile size", {0, 1}, 2, 1, -kTile, -kTile, 20, 20},
        {"null map", {}, 4, 4, kTile, kTile, 0, 0},
        {"column past 2^32", {-1, -1, -1, -1, 0}, 5, 1, 1 << 30, kTile, 0, 0},
        {"row past 2^32", {-1, -1, -1, -1, 0}, 1, 5, kTile, 1 << 30, 0, 0},
        {"sheet row past 2^32", {1 << 28}, 1, 1, kTile, kTile, 0, 0},
    };
    Sheet sheet;
    for (const Bad& b : cases) {
        Canvas dst(64, 48, 4);
        dst.Select();
        const auto before = dst.Snapshot();
        const int32_t* map = b.map.empty() ? nullptr : b.map.data();
        EXPECT_EQ(QRV_Blit_Tile_Array(nullptr, map, b.cols, b.rows, b.tileWidth, b.tileHeight, b.x0, b.y0, kKey), 1)
            << b.name;
        // Without a record table the hit test has nothing to test.
        EXPECT_EQ(QRV_Rect_Hit_Tile_Array(nullptr, map, b.cols, b.rows, b.tileWidth, b.tileHeight, b.x0, b.y0, kKey), 0)
            << b.name;
        EXPECT_EQ(dst.storage, before) << b.name;
    }
}

// Map blocks: a source surface of 8 x 6 pixels whose view may be smaller, a
// destination surface of 12 x 10, and the block's classification. Each
// character of rows is one source row: '.' all key, 'o' all opaque, 'm'
// opaque but for one key pixel, 'h' all of coverage 0xFD, 'x' coverage 0xFD
// but for two opaque pixels.
constexpr uint32_t kBlockKey = 0x40FF00FF;

uint32_t BlockPixel(int format, char row, int x, int y) {
    const char c = row == 'm' ? (x == 3 ? '.' : 'o') : row == 'x' ? (x == 3 || x == 4 ? 'o' : 'h') : row;
    if (c == '.') return format == 1 ? 0xF800F8 : format == 3 ? kBlockKey & 0xFFFFFF : kBlockKey;
    const uint32_t rgb = format == 1 ? 0x080400u * (x + 1) + 0x08u * y : 0x010203u * (x + 1) + 0x10u * y;
    if (format == 5) return (c == 'h' ? 0xFD000000u : 0xFE000000u) | rgb;
    return rgb;
}

TEST(MapBlock, CopiesClassifiesAndStaysInBothSurfaces) {
    struct BlockCase { const char* name; int format; const char* rows; int view[4], x1, y1, x2, y2, dx, dy, expected; };
    const BlockCase kBlocks[] = {
        {"all key", 4, "......", {0, 0, 8, 6}, 0, 0, 8, 6, 1, 1, -1},
        {"rows all key or all opaque", 4, ".oo.o.", {0, 0, 8, 6}, 0, 0, 8, 6, 0, 0, 0},
        {"one mixed row", 4, "ooomoo", {0, 0, 8, 6}, 0, 0, 8, 6, 2, 3, 1},
        {"opaque block inside the view", 4, "oooooo", {2, 1, 6, 5}, 2, 1, 6, 5, 0, 0, 0},
        {"wholly outside the view", 4, "oooooo", {0, 0, 4, 3}, 4, 3, 8, 6, 0, 0, -1},
        {"view cuts the sides: key fills in", 4, "oooooo", {2, 0, 6, 6}, 0, 0, 8, 2, 0, 0, 1},
        {"view cuts the rows: key rows", 4, "oooooo", {0, 2, 8, 4}, 0, 0, 8, 6, 0, 0, 0},
        {"block past the source surface", 4, "oooooo", {-4, -4, 40, 40}, -2, -1, 10, 8, 0, 0, 1},
        {"block past the destination", 4, "oomooo", {0, 0, 8, 6}, 0, 0, 8, 6, 7, -2, 1},
        {"5-6-5 key at its precision", 1, "......", {0, 0, 8, 6}, 0, 0, 8, 6, 0, 0, -1},
        {"24-bit key drops alpha", 3, "o.o.o.", {0, 0, 8, 6}, 0, 0, 8, 6, 0, 0, 0},
        {"coverage below 0xFE is transparent", 5, "h.ohoh", {0, 0, 8, 6}, 0, 0, 8, 6, 0, 0, 0},
        {"coverage mixes", 5, "h.oxoh", {0, 0, 8, 6}, 0, 0, 8, 6, 0, 0, 1},
        {"no rows", 4, "oooooo", {0, 0, 8, 6}, 0, 3, 8, 3, 0, 0, -1},
        {"rows upside down", 4, "oooooo", {0, 0, 8, 6}, 0, 5, 8, 1, 0, 0, -1},
        {"no columns", 4, "oooooo", {0, 0, 8, 6}, 5, 0, 2, 6, 0, 0, -1},
        {"width past 32 bits", 4, "oooooo", {0, 0, 8, 6}, INT_MIN, 0, INT_MAX, 6, 0, 0, -1},
    };
    for (const BlockCase& b : kBlocks) {
        Canvas src(8, 6, b.format), dst(12, 10, b.format);
        FillWith(src, 0, 0, 8, 6,
                 [&](int x, int y) { return RGBForBuffer(BlockPixel(b.format, b.rows[y], x, y), b.format); });
        dst.Clear(0x33);
        Canvas before = dst;
        QrvSurfaceDesc* s = QRV_AllocSurfaceDesc(b.format, src.Base(), src.pitch, 8, 6);
        QrvSurfaceDesc* d = QRV_AllocSurfaceDesc(b.format, dst.Base(), dst.pitch, 12, 10);
        QRV_SetSurfaceDescVP(s, b.view[0], b.view[1], b.view[2], b.view[3]);
        std::vector<uint32_t> row(16, 0xDEADBEEF);
        EXPECT_EQ(QRV_CopyRect_MoveMapBlk(s, b.x1, b.y1, b.x2, b.y2, d, b.dx, b.dy, row.data(), kBlockKey), b.expected)
            << b.name;
        const int vl = std::max(b.view[0], 0), vt = std::max(b.view[1], 0);
        const int vr = std::min(b.view[2], 8), vb = std::min(b.view[3], 6);
        const int64_t w = int64_t(b.x2) - b.x1;
        // Inside the block the view's pixels, the key elsewhere; outside it the picture before.
        EXPECT_TRUE(PixelsAre(dst, 0, 0, 12, 10, [&](int x, int y) {
            const int64_t sx = b.x1 + int64_t(x - b.dx), sy = b.y1 + int64_t(y - b.dy);
            if (w < 1 || w > 16 || x < b.dx || x - b.dx >= w || y < b.dy || sy >= b.y2)
                return before.Get(x, y);
            const bool inView = sx >= vl && sx < vr && sy >= vt && sy < vb;
            return inView ? src.Get(int(sx), int(sy)) : RGBForBuffer(BlockPixel(b.format, '.', 0, 0), b.format);
        })) << b.name;
        EXPECT_TRUE(dst.GuardsIntact()) << b.name;
        QRV_FreeSurfaceDesc(s);
        QRV_FreeSurfaceDesc(d);
    }
}

}  // namespace
