// Raw glyphs to glyph blocks: per row the runs of opaque pixels and their
// values, each row's data stored once in a pool that later rows search at
// every byte offset.
#include <cstring>

#include "fonts/font.h"
#include "frame/host_services.h"

namespace qrv {
namespace {

// A pool of row data; rows already in it are found again at any byte offset.
struct Pool {
    uint8_t* bytes;
    size_t used;

    // The offset of the row's bytes in the pool, appended when not found.
    int32_t Merge(const uint8_t* row, size_t length) {
        if (length <= used) {
            const uint8_t* last = bytes + (used - length);
            for (const uint8_t* p = bytes; p <= last; ++p) {
                p = static_cast<const uint8_t*>(std::memchr(p, row[0], static_cast<size_t>(last - p) + 1));
                if (p == nullptr) break;
                if (std::memcmp(p, row, length) == 0) return static_cast<int32_t>(p - bytes);
            }
        }
        std::memcpy(bytes + used, row, length);
        used += length;
        return static_cast<int32_t>(used - length);
    }
};

void StoreU16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void StoreI32(uint8_t* p, int64_t v) {
    const int32_t w = static_cast<int32_t>(v);
    std::memcpy(p, &w, 4);
}

// A table of one word per row from first to end - 1: the row's pool offset
// measured from the table's start, 0 for a row without runs.
void WriteTable(uint8_t* table, const int32_t* offsets, int32_t first, int32_t end) {
    const int64_t tableBytes = int64_t{end - first} * 4;
    for (int32_t r = first; r < end; ++r)
        StoreI32(table + 4 * (r - first), offsets[r] < 0 ? 0 : offsets[r] + tableBytes);
}

}  // namespace
}  // namespace qrv

using namespace qrv;

extern "C" QRV_API intptr_t QRV_CALL CRF_CompressChr(const QrvRawGlyph* raw) {
    if (raw == nullptr || (raw->depth != 8 && raw->depth != 32) || raw->width < 0 || raw->height < 0) return 0;
    const int32_t width = raw->width, height = raw->height, bpp = raw->depth / 8;
    const uint8_t* pixels = reinterpret_cast<const uint8_t*>(raw + 1);
    const uint32_t key = raw->key;

    // Worst cases: runs alternate with single transparent pixels.
    const uint64_t runRowMax = 2 + 4 * ((uint64_t{static_cast<uint32_t>(width)} + 1) / 2);
    const uint64_t valueRowMax = uint64_t{static_cast<uint32_t>(width)} * bpp;
    const uint64_t rows = static_cast<uint32_t>(height);
    const uint64_t work = (rows + 1) * (runRowMax + valueRowMax) + 2 * (rows + 1) * 4;
    if (work > (uint64_t{1} << 31)) return 0;
    uint8_t* scratch = static_cast<uint8_t*>(host::AllocAddress(static_cast<size_t>(work)));
    if (scratch == nullptr) return 0;
    int32_t* runAt = reinterpret_cast<int32_t*>(scratch);
    int32_t* valueAt = runAt + (rows + 1);
    uint8_t* runRow = scratch + 2 * (rows + 1) * 4;
    uint8_t* valueRow = runRow + runRowMax;
    Pool runPool{valueRow + valueRowMax, 0};
    Pool valuePool{runPool.bytes + rows * runRowMax, 0};

    int32_t first = -1, last = -1;
    bool allSolid = true;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(width) * bpp;
        uint32_t runs = 0;
        size_t values = 0;
        for (int32_t x = 0; x < width;) {
            auto opaque = [&](int32_t at) {
                uint32_t v;
                if (bpp == 1) v = row[at];
                else std::memcpy(&v, row + 4 * static_cast<size_t>(at), 4);
                return v != key;
            };
            if (!opaque(x)) { ++x; continue; }
            const int32_t start = x;
            while (x < width && opaque(x)) ++x;
            StoreU16(runRow + 2 + 4 * runs, static_cast<uint32_t>(start));
            StoreU16(runRow + 4 + 4 * runs, static_cast<uint32_t>(x - start));
            ++runs;
            const size_t n = static_cast<size_t>(x - start) * bpp;
            std::memcpy(valueRow + values, row + static_cast<size_t>(start) * bpp, n);
            values += n;
        }
        if (runs == 0) {
            runAt[y] = valueAt[y] = -1;
            continue;
        }
        StoreU16(runRow, runs);
        runAt[y] = runPool.Merge(runRow, 2 + 4 * size_t{runs});
        valueAt[y] = valuePool.Merge(valueRow, values);
        if (first < 0) first = y;
        last = y;
    }
    if (bpp == 1)
        for (size_t i = 0; i < valuePool.used && allSolid; ++i) allSolid = valuePool.bytes[i] == 255;
    const bool hasRuns = runPool.used != 0;
    const bool hasValues = hasRuns && !(bpp == 1 && allSolid);
    const int32_t firstRow = hasRuns ? first : 0, endRow = hasRuns ? last + 1 : height;
    const int64_t tableBytes = int64_t{endRow - firstRow} * 4;
    const int64_t runBytes = hasRuns ? tableBytes + static_cast<int64_t>(runPool.used) : 0;
    const int64_t valueBytes = hasValues ? tableBytes + static_cast<int64_t>(valuePool.used) : 0;
    const int64_t total = kGlyphHeaderSize + runBytes + valueBytes;

    intptr_t block = 0;
    uint8_t* out = nullptr;
    if (total <= INT32_MAX && (block = host::AllocBlock(static_cast<intptr_t>(total))) != 0)
        out = static_cast<uint8_t*>(host::BlockAddress(block));
    if (out == nullptr) {
        if (block != 0) host::FreeBlock(block);
        host::FreeAddress(scratch);
        return 0;
    }
    const QrvGlyphHeader header = {static_cast<int32_t>(total), width, height, raw->depth, firstRow, endRow,
                                   hasRuns ? kGlyphHeaderSize : 0,
                                   hasValues ? static_cast<int32_t>(kGlyphHeaderSize + runBytes) : 0};
    std::memcpy(out, &header, sizeof header);
    if (hasRuns) {
        WriteTable(out + kGlyphHeaderSize, runAt, firstRow, endRow);
        std::memcpy(out + kGlyphHeaderSize + tableBytes, runPool.bytes, runPool.used);
    }
    if (hasValues) {
        uint8_t* table = out + header.valueTable;
        WriteTable(table, valueAt, firstRow, endRow);
        std::memcpy(table + tableBytes, valuePool.bytes, valuePool.used);
    }
    host::FreeAddress(scratch);
    return block;
}
