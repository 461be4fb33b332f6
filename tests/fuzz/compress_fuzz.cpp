// CRF_CompressChr on random raw glyphs. Every block is decoded independently
// of the library and must give back exactly the raw glyph: the runs cover the
// non-key pixels and the values are theirs (none stored for solid coverage).
#include "fuzz_support.h"

namespace {

[[noreturn]] void Fail(const char* what, int32_t width, int32_t height, int32_t depth) {
    std::fprintf(stderr, "glyph block of a %d x %d depth-%d glyph: %s\n", width, height, depth, what);
    std::abort();
}

int32_t Word(const uint8_t* p) {
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
uint32_t Half(const uint8_t* p) { return p[0] | p[1] << 8; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qrvfuzz::StartLibrary();
    const qrvfuzz::HostLeakCheck leaks;
    qrvfuzz::Reader in(data, size);
    const uint8_t shape = in.U8();
    const int32_t width = shape & 0x80 ? in.Range(-2, 160) : in.Range(0, 40);
    const int32_t height = shape & 0x40 ? in.Range(-2, 160) : in.Range(0, 40);
    const int32_t depth = (shape & 3) == 3 ? in.I32() : (shape & 1) ? 32 : 8;
    const uint32_t key = shape & 4 ? in.U32() : (shape & 8 ? 0xFF000000u : 0);
    const int bytes = depth == 32 ? 4 : 1;
    const size_t pixels = width > 0 && height > 0 ? static_cast<size_t>(width) * height : 0;
    std::vector<uint8_t> raw(sizeof(QrvRawGlyph) + pixels * bytes, 0);
    const QrvRawGlyph header{width, height, depth, key};
    std::memcpy(raw.data(), &header, sizeof header);
    // Pixels: the input's bytes, repeated; key bytes where it has none.
    for (size_t i = 0; i < pixels * bytes; ++i)
        raw[sizeof header + i] = in.Left() ? in.Rest()[i % in.Left()] : static_cast<uint8_t>(key >> (8 * (i % 4)));

    const intptr_t block = CRF_CompressChr(reinterpret_cast<const QrvRawGlyph*>(raw.data()));
    if (depth != 8 && depth != 32) {
        if (block != 0) Fail("made for a depth that is neither 8 nor 32", width, height, depth);
        return 0;
    }
    if (block == 0) {
        if (pixels > 0) Fail("not made", width, height, depth);
        return 0;
    }
    const auto* g = static_cast<const uint8_t*>(qrvhost::BlockAddress(block));
    const int32_t total = Word(g), firstRow = Word(g + 16), endRow = Word(g + 20);
    const int32_t runTable = Word(g + 24), valueTable = Word(g + 28);
    if (Word(g + 4) != width || Word(g + 8) != height || Word(g + 12) != depth) Fail("header", width, height, depth);
    const int32_t rows = endRow - firstRow;
    if (runTable == 0 ? valueTable != 0 : (runTable != 32 || firstRow < 0 || rows < 1 || endRow > height))
        Fail("tables", width, height, depth);
    auto within = [&](int64_t offset, int64_t length) { return offset >= 0 && offset + length <= total; };
    const uint8_t* p = raw.data() + sizeof header;
    for (int32_t y = 0; y < std::max(height, 0); ++y) {
        std::vector<int> covered(std::max(width, 0), 0);
        std::vector<uint32_t> values;
        const int32_t r = y - firstRow;
        if (runTable != 0 && r >= 0 && r < rows) {
            if (!within(runTable + 4 * int64_t{r}, 4)) Fail("run table outside the block", width, height, depth);
            const int32_t entry = Word(g + runTable + 4 * r);
            if (entry != 0) {
                const int64_t row = int64_t{runTable} + entry;
                if (!within(row, 2)) Fail("run row outside the block", width, height, depth);
                const uint32_t n = Half(g + row);
                if (!within(row, 2 + 4 * int64_t{n})) Fail("runs outside the block", width, height, depth);
                for (uint32_t k = 0; k < n; ++k) {
                    const uint32_t start = Half(g + row + 2 + 4 * k), length = Half(g + row + 4 + 4 * k);
                    if (length == 0 || start + length > static_cast<uint32_t>(width))
                        Fail("run outside the row", width, height, depth);
                    for (uint32_t x = start; x < start + length; ++x) covered[x]++;
                }
            }
        }
        size_t stored = 0;
        for (int x = 0; x < width; ++x) stored += covered[x];
        if (stored > 0 && valueTable != 0) {
            const int32_t entry = within(valueTable + 4 * int64_t{r}, 4) ? Word(g + valueTable + 4 * r) : 0;
            const int64_t row = int64_t{valueTable} + entry;
            if (entry == 0 || !within(row, static_cast<int64_t>(stored) * bytes))
                Fail("values outside the block", width, height, depth);
            for (size_t k = 0; k < stored; ++k)
                values.push_back(bytes == 1 ? g[row + k] : static_cast<uint32_t>(Word(g + row + 4 * k)));
        }
        size_t next = 0;
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* px = p + (static_cast<size_t>(y) * width + x) * bytes;
            const uint32_t value = bytes == 1 ? px[0] : static_cast<uint32_t>(Word(px));
            if (covered[x] > 1) Fail("runs overlap", width, height, depth);
            if ((value != key) != (covered[x] == 1)) Fail("runs do not cover the ink", width, height, depth);
            if (covered[x] == 0) continue;
            const uint32_t decoded = valueTable == 0 ? (depth == 8 ? 255u : ~value) : values[next++];
            if (decoded != value) {
                std::fprintf(stderr, "row %d col %d: %08x for %08x\n", y, x, decoded, value);
                Fail("a value differs", width, height, depth);
            }
        }
    }
    using FreeBlock = intptr_t(QRV_CALL*)(intptr_t);
    reinterpret_cast<FreeBlock>(qrvhost::Record().slot[QRV_HOST_FREE_BLOCK])(block);
    return 0;
}
