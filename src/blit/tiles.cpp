// Tile maps drawn from a sheet in the source buffer, and the map-block copy
// that cuts such sheets out of surfaces and classifies each block.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "blit/blit.h"
#include "frame/colour.h"
#include "frame/state.h"
#include "quorvel.h"
#include "surfaces/surface.h"

namespace qrv {
namespace {

static_assert(sizeof(QrvTileRecord) == 20 && offsetof(QrvTileRecord, y2) == 16, "tile records are five words");

constexpr bool FitsInt32(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

// One non-empty cell of a map: its tile, the tile's top row in the sheet and
// the cell's corner. Positions and sheet rows are taken in 64 bits: a cell
// whose corner or sheet rows lie beyond the 32-bit range cannot be drawn
// (drawable false) instead of wrapping onto the screen.
struct Cell {
    int32_t tile, base, px, py;
    bool drawable;
};

// The walk shared by the tile array and its hit test; visit returns false to
// stop, and then so does the walk.
template <class Visit>
bool WalkMap(const int32_t* map, int32_t cols, int32_t rows, int32_t tileWidth, int32_t tileHeight, int32_t x0,
             int32_t y0, Visit visit) {
    if (map == nullptr || cols < 1 || rows < 1) return true;
    const int32_t* entry = map;
    for (int64_t r = 0; r < rows; ++r) {
        const int64_t py = y0 + r * tileHeight;
        for (int64_t c = 0; c < cols; ++c) {
            const int32_t t = *entry++;
            if (t < 0) continue;
            const int64_t px = x0 + c * tileWidth;
            const int64_t base = static_cast<int64_t>(t) * tileHeight;
            const bool drawable = FitsInt32(px) && FitsInt32(py) && FitsInt32(base) && FitsInt32(base + tileHeight);
            if (!visit(Cell{t, static_cast<int32_t>(base), static_cast<int32_t>(px), static_cast<int32_t>(py), drawable}))
                return false;
        }
    }
    return true;
}

// The masked blit of a record's sub-rectangle, skipped when its corners leave
// the 32-bit range.
void BlitSubRect(const BlitPlan& masked, const QrvTileRecord& rec, const Cell& cell) {
    if (!cell.drawable) return;
    const int64_t sy1 = static_cast<int64_t>(cell.base) + rec.y1, sy2 = static_cast<int64_t>(cell.base) + rec.y2;
    const int64_t dx = static_cast<int64_t>(cell.px) + rec.x1, dy = static_cast<int64_t>(cell.py) + rec.y1;
    if (!FitsInt32(sy1) || !FitsInt32(sy2) || !FitsInt32(dx) || !FitsInt32(dy)) return;
    RunBlit(masked, rec.x1, static_cast<int32_t>(sy1), rec.x2, static_cast<int32_t>(sy2), static_cast<int32_t>(dx),
            static_cast<int32_t>(dy));
}

// A row of a map block counts as empty when every pixel is transparent:
// equal to the key, or in a source with coverage alpha, nearly uncovered.
enum class RowKind { Empty, Clear, Mixed };

RowKind Classify(const uint32_t* row, int32_t count, bool coverage, uint32_t key) {
    int32_t transparent = 0;
    if (coverage) {
        for (int32_t i = 0; i < count; ++i) transparent += (row[i] >> 24) < 0xFE;
    } else {
        for (int32_t i = 0; i < count; ++i) transparent += row[i] == key;
    }
    if (transparent == count) return RowKind::Empty;
    return transparent == 0 ? RowKind::Clear : RowKind::Mixed;
}

}  // namespace
}  // namespace qrv

using namespace qrv;

extern "C" {

QRV_API int32_t QRV_CALL QRV_Blit_Tile_Array(const QrvTileRecord* tileRecords, const int32_t* map, int32_t cols,
                                             int32_t rows, int32_t tileWidth, int32_t tileHeight, int32_t x0,
                                             int32_t y0, uint32_t maskColour) {
    // The buffers and flags stay the same for the whole map: resolve them once.
    const BlitPlan solid = PlanBlit(maskColour, 0), masked = PlanBlit(maskColour, 1);
    WalkMap(map, cols, rows, tileWidth, tileHeight, x0, y0, [&](const Cell& cell) {
        const int32_t kind = tileRecords == nullptr ? 0 : tileRecords[cell.tile].kind;
        if (kind == 0 && cell.drawable) {
            RunBlit(solid, 0, cell.base, tileWidth, cell.base + tileHeight, cell.px, cell.py);
        } else if (kind > 0) {
            BlitSubRect(masked, tileRecords[cell.tile], cell);
        }
        return true;
    });
    return 1;
}

QRV_API int32_t QRV_CALL QRV_Rect_Hit_Tile_Array(const QrvTileRecord* tileRecords, const int32_t* map, int32_t cols,
                                                 int32_t rows, int32_t tileWidth, int32_t tileHeight, int32_t x0,
                                                 int32_t y0, uint32_t maskColour) {
    if (tileRecords == nullptr) return 0;
    const BlitPlan masked = PlanBlit(maskColour, 1);
    const bool walkedAll =
        WalkMap(map, cols, rows, tileWidth, tileHeight, x0, y0, [&](const Cell& cell) {
            const QrvTileRecord& rec = tileRecords[cell.tile];
            if (rec.kind == 0) return false;
            if (rec.kind > 0) BlitSubRect(masked, rec, cell);
            return true;
        });
    return walkedAll ? 0 : 1;
}

// Reads stay inside the part of the source view that lies on the source, and
// writes inside the destination surface, so that a block reaching past either
// touches no memory beyond them; within them the copy is as unclipped as the
// caller placed it.
QRV_API int32_t QRV_CALL QRV_CopyRect_MoveMapBlk(const QrvSurfaceDesc* src, int32_t x1, int32_t y1, int32_t x2,
                                                 int32_t y2, QrvSurfaceDesc* dst, int32_t dx, int32_t dy,
                                                 uint32_t* rowBuffer, uint32_t keyColour) {
    const int64_t w64 = static_cast<int64_t>(x2) - x1;
    if (y2 <= y1 || src == nullptr || dst == nullptr || rowBuffer == nullptr || w64 > INT32_MAX) return -1;
    const int32_t w = static_cast<int32_t>(std::max<int64_t>(w64, 0));
    const uint32_t key = RGBPrecisionMask(keyColour, src->format);
    const SurfaceRect view = ClippedView(src);
    const int32_t readFrom = std::max(x1, view.left), readTo = std::min(x2, view.right);
    const bool rowReadable = !view.Empty() && readFrom < readTo;
    if (x1 < view.left || x2 >= view.right) std::fill_n(rowBuffer, w, key);

    // The destination columns and rows that lie on the destination surface.
    const SurfaceRect onDst = SurfaceUsable(dst) ? SurfaceRect{0, 0, dst->width, dst->height} : SurfaceRect{};
    const int64_t writeFrom = std::max<int64_t>(dx, onDst.left);
    const int64_t writeTo = std::min<int64_t>(static_cast<int64_t>(dx) + w, onDst.right);

    const bool coverage = src->format == 5;
    bool mixed = false, allEmpty = true;
    for (int64_t y = y1; y < y2; ++y) {
        if (rowReadable && y >= view.top && y < view.bottom) {
            PeekPixelStrip(src, readFrom, readTo, static_cast<int32_t>(y), rowBuffer + (static_cast<int64_t>(readFrom) - x1));
        } else {
            std::fill_n(rowBuffer, w, key);
        }
        if (!mixed) {
            const RowKind kind = w < 1 ? RowKind::Empty : Classify(rowBuffer, w, coverage, key);
            mixed = kind == RowKind::Mixed;
            allEmpty = allEmpty && kind == RowKind::Empty;
        }
        const int64_t ty = dy + (y - y1);
        if (ty >= onDst.top && ty < onDst.bottom && writeFrom < writeTo)
            PokePixelStrip(dst, rowBuffer + (writeFrom - dx), static_cast<int32_t>(writeTo - writeFrom),
                           static_cast<int32_t>(writeFrom), static_cast<int32_t>(ty), 0, 0);
    }
    if (mixed) return 1;
    return allEmpty ? -1 : 0;
}

}  // extern "C"
