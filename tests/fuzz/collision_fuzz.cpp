// The span collision builders on random shapes, and the comparisons and the
// occlusion map on what they build and on random span buffers. Every buffer
// is sized for the most records its arguments allow and followed by canary
// words; a builder that writes past its records aborts.
#include <cmath>

#include "fuzz_support.h"

namespace {

constexpr uint32_t kCanary = 0x5EC7ED55u;
constexpr size_t kTail = 32;

// Words for the header and `records` records of `recordWords` words, then the canary tail.
struct Words {
    std::vector<int32_t> w;
    size_t used;
    Words(size_t headerWords, int64_t records, size_t recordWords)
        : w(headerWords + static_cast<size_t>(std::max<int64_t>(records, 0)) * recordWords + kTail, 0),
          used(w.size() - kTail) {
        for (size_t i = used; i < w.size(); ++i) w[i] = static_cast<int32_t>(kCanary);
    }
    template <class T>
    T* As() { return reinterpret_cast<T*>(w.data()); }
    void Check(const char* call) const {
        for (size_t i = used; i < w.size(); ++i)
            if (static_cast<uint32_t>(w[i]) != kCanary) {
                std::fprintf(stderr, "%s wrote word %zu of a buffer sized for %zu\n", call, i, used);
                std::abort();
            }
    }
};

constexpr size_t kSpanHeaderWords = sizeof(QrvSpanCollisionHeader) / 4;
constexpr size_t kTexturedHeaderWords = sizeof(QrvTexturedSpanHeader) / 4;

// A host vertex list: mostly small coordinates, sometimes anywhere in or just outside 16 bits.
struct VertexList {
    int32_t words[32] = {};
    int32_t count = 0;
    int64_t rows = 0;  // an upper bound on the rows of the outline
    VertexList(qrvfuzz::Reader& in, int32_t texels) {
        count = in.Range(-1, 9);
        const uint8_t spread = in.U8();
        const int32_t reach = spread < 200 ? 300 : spread < 250 ? 32767 : 40000;
        int32_t lo = INT32_MAX, hi = INT32_MIN;
        for (int i = 0; i < 8; ++i) {
            words[i] = in.Range(-reach, reach);
            words[8 + i] = in.Range(-reach, reach);
            words[16 + i] = in.Range(0, texels - 1);
            words[24 + i] = in.Range(0, texels - 1);
            if (i < std::max(count, 0)) {
                lo = std::min(lo, words[8 + i]);
                hi = std::max(hi, words[8 + i]);
            }
        }
        rows = count > 0 ? int64_t{hi} - lo + 2 : 1;
    }
};

// The source image of the textured buffers: 64 x 64 texels of format 1 or 4.
struct Source {
    int format;
    std::vector<uint8_t> pixels;
    static constexpr int32_t kSize = 64, kReach = 48;
    explicit Source(qrvfuzz::Reader& in) : format(in.U8() & 1 ? 4 : 1), pixels(kSize * kSize * 4) {
        const uint8_t density = in.U8();
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = (i * 131 + density) % 256 < density ? 0 : 0x80;
        QRV_SetSrcBuffer(pixels.data(), kSize * qrvfuzz::BytesPerPixel(format), format);
    }
};

Words Filled(qrvfuzz::Reader& in, int32_t texels) {
    switch (in.U8() % 6) {
        case 0: {
            const int32_t x1 = in.Range(-4096, 4096), y1 = in.Range(-4096, 4096);
            const int32_t x2 = in.Range(-4096, 4096), y2 = in.Range(-4096, 4096);
            Words b(kSpanHeaderWords, std::abs(y2 - y1), 3);
            CreateSpanCollision_Rect(b.As<QrvSpanCollisionHeader>(), x1, y1, x2, y2);
            b.Check("CreateSpanCollision_Rect");
            return b;
        }
        case 1: {
            const int32_t cx = in.Range(-4096, 4096), cy = in.Range(-4096, 4096);
            const int32_t rx = in.Range(-8, 200000), ry = in.Range(-8, 3000);
            Words b(kSpanHeaderWords, 2 * int64_t{ry} - 1, 3);
            CreateSpanCollision_Ellipse(b.As<QrvSpanCollisionHeader>(), cx, cy, rx, ry);
            b.Check("CreateSpanCollision_Ellipse");
            return b;
        }
        case 2: {
            const VertexList v(in, texels);
            Words b(kSpanHeaderWords, v.rows, 3);
            CreateSpanCollision_Polygon(v.words, v.count, b.As<QrvSpanCollisionHeader>());
            b.Check("CreateSpanCollision_Polygon");
            return b;
        }
        case 3: {
            const int32_t x1 = in.Range(-2000, 2000), y1 = in.Range(-2000, 2000);
            const int32_t x2 = in.Range(-2000, 2000), y2 = in.Range(-2000, 2000);
            Words b(kSpanHeaderWords, std::max(std::abs(x2 - x1), std::abs(y2 - y1)) + 2, 3);
            CreateSpanCollision_Line(b.As<QrvSpanCollisionHeader>(), x1, y1, x2, y2);
            b.Check("CreateSpanCollision_Line");
            return b;
        }
        case 4: {
            // Edges buffered into rows 0 .. 255, then paired into spans.
            constexpr int32_t kRows = 256;
            const int edges = in.U8() % 9;
            std::vector<int32_t> rowTable(kRows + 1, 0);
            std::vector<QrvShapeNode> pool(1 + edges * kRows + 1);
            rowTable[0] = sizeof(QrvShapeNode);
            Shape_Set_Buffers(rowTable.data(), pool.data());
            for (int e = 0; e < edges; ++e) {
                const float x1 = in.U8() < 16 ? in.F32() : in.Range(-500, 500) / 4.0f;
                const float y1 = in.U8() < 16 ? in.F32() : in.Range(-100, 1100) / 4.0f;
                const float x2 = in.Range(-500, 500) / 4.0f, y2 = in.Range(-100, 1100) / 4.0f;
                const int32_t top = in.Range(0, kRows), bottom = in.Range(0, kRows);
                Shape_BufferEdge(x1, y1, x2, y2, top, bottom);
            }
            const int32_t top = in.Range(0, kRows), bottom = in.Range(0, kRows);
            const int32_t left = in.Range(-200, 200), right = in.Range(-200, 200);
            Words b(kSpanHeaderWords, int64_t{edges} * kRows, 3);
            CreateSpanCollision_ShapeSpanBuffer(b.As<QrvSpanCollisionHeader>(), left, top, right, bottom,
                                                rowTable.data(), 0);
            b.Check("CreateSpanCollision_ShapeSpanBuffer");
            Shape_Set_Buffers(nullptr, nullptr);
            return b;
        }
        default: {
            // Raw records: the count and the rows never claim more records than there are.
            const int32_t records = in.Range(0, 64);
            Words b(kSpanHeaderWords, records, 3);
            auto* h = b.As<QrvSpanCollisionHeader>();
            h->count = in.Range(-2, records);
            h->top = in.Range(-300, 300);
            h->bottom = h->top + in.Range(0, records);
            for (int32_t i = 0; i < 3 * records; ++i) b.w[kSpanHeaderWords + i] = in.Range(-300, 300);
            return b;
        }
    }
}

Words Textured(qrvfuzz::Reader& in) {
    const VertexList v(in, Source::kReach);
    const uint32_t key = in.U8() & 1 ? 0 : 0xFF808080u;
    Words b(kTexturedHeaderWords, v.rows + 1, 7);
    QRV_SpanBufferCollisionPolygon(v.words, v.count, b.As<QrvTexturedSpanHeader>(), key);
    b.Check("QRV_SpanBufferCollisionPolygon");
    return b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qrvfuzz::StartLibrary();
    qrvfuzz::Reader in(data, size);
    const Source source(in);
    Words filled = Filled(in, Source::kReach);
    Words textured = Textured(in);
    Words other = Textured(in);
    QRV_CompareFilledToTexturedSpans(filled.As<QrvSpanCollisionHeader>(), textured.As<QrvTexturedSpanHeader>());
    QRV_CompareTexturedSpans(textured.As<QrvTexturedSpanHeader>(), other.As<QrvTexturedSpanHeader>());

    // At most three entries per band, and one band more than the records read.
    const auto* h = filled.As<QrvSpanCollisionHeader>();
    const int64_t records = std::max<int64_t>(int64_t{h->bottom} - h->top, 0);
    if (records <= static_cast<int64_t>((filled.used - kSpanHeaderWords) / 3)) {
        const int32_t cellWidth = in.Range(-2, 40), cellHeight = in.Range(-2, 40);
        Words out(0, 3 * (records + 2), 4);
        CreateOcclusionMapFromSpanCollision(h, cellWidth, cellHeight, out.As<QrvOcclusionEntry>());
        out.Check("CreateOcclusionMapFromSpanCollision");
    }
    QRV_SetSrcBuffer(nullptr, 0, 0);
    return 0;
}
