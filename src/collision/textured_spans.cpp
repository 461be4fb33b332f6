// Textured span buffers: the rows of a textured polygon with the texel
// coordinates at both ends, and the tests that look for a pair of opaque
// texels under two buffers, or an opaque texel under a plain span buffer.
#include <cstddef>
#include <cstdint>

#include "collision/span_collision.h"
#include "frame/colour.h"
#include "frame/numeric.h"
#include "frame/state.h"
#include "polygons/edge_walk.h"
#include "primitives/packed.h"
#include "primitives/pixel_format.h"
#include "quorvel.h"

namespace qrv {

static_assert(sizeof(QrvTexturedSpanRecord) == 28, "textured span records are seven 32-bit words");
static_assert(sizeof(void*) != 4 || sizeof(QrvTexturedSpanHeader) == 24, "textured span header is six words");
static_assert(sizeof(void*) != 4 || offsetof(QrvTexturedSpanHeader, key) == 20, "textured span header layout");
static_assert(offsetof(QrvTexturedSpanHeader, base) == 8 && offsetof(QrvTexturedSpanRecord, rightV) == 24,
              "textured span layout");

namespace {

bool IsTerminator(const QrvTexturedSpanRecord& r) {
    return (r.y | r.left | r.leftU | r.leftV | r.right | r.rightU | r.rightV) == 0;
}

// Texel coordinates start half a texel in. Each chain starts at the texel of
// its own first vertex (the top vertex, unless the outline has a flat top, whose
// far end then keeps its own texel) and aims each edge at its end vertex's.
struct TexelCarry {
    static constexpr int kAttrs = 2;
    const int32_t* us;
    const int32_t* vs;
    static int32_t Fixed(int32_t t) { return static_cast<int32_t>(static_cast<uint32_t>(t) << 16); }
    int32_t Target(int32_t vertex, int i) const { return Fixed(i == 0 ? us[vertex] : vs[vertex]) + 0x8000; }
    int32_t Start(int32_t vertex, int32_t, int i) const { return Fixed(i == 0 ? us[vertex] : vs[vertex]) | 0x8000; }
};

// A buffer's texture as the tests read it. Addresses are formed as integers,
// since the host's texel coordinates may point anywhere.
struct TexelSource {
    uintptr_t base;
    intptr_t pitch;
    uint32_t key;

    explicit TexelSource(const QrvTexturedSpanHeader* h)
        : base(reinterpret_cast<uintptr_t>(h->base)), pitch(h->pitch), key(h->key) {}

    template <int Bytes>
    const uint8_t* At(int32_t uu, int32_t vv) const {
        return reinterpret_cast<const uint8_t*>(base + static_cast<uintptr_t>(intptr_t{vv >> 16} * pitch) +
                                                static_cast<uintptr_t>(intptr_t{uu >> 16} * Bytes));
    }
};

// One span's walk through its texture: the texel coordinates under a column,
// stepping per column.
struct TexelTrack {
    int32_t u, v, du, dv;

    // True when the next n texels lie side by side on one row, and a vector
    // compare with the key means what the texel compare means.
    template <int Bytes>
    bool Contiguous(int64_t n, uint32_t key) const {
        if (Bytes == 2 && key > 0xFFFF) return false;
        return du == 0x10000 && dv == 0 && int64_t{u} + (n - 1) * 0x10000 <= INT32_MAX;
    }
};

template <int Bytes>
uint32_t LoadTexel(const uint8_t* p) {
    if constexpr (Bytes == 2) return Format565::Load(p);
    if constexpr (Bytes == 3) return Format24::Load(p);
    if constexpr (Bytes == 4) return Format32::Load(p);
}

// A texel coordinate's step per column, truncating. An unscaled sprite's row
// (one texel per column, or none) needs no division, and the division stays
// out of line so that the rest inlines into the row loops.
[[gnu::noinline]] int32_t DividedStep(int32_t change, int64_t width) {
    return static_cast<int32_t>(int64_t{change} / width);
}

inline int32_t ColumnStep(int32_t change, int64_t width) {
    if (change == 0) return 0;
    if (int64_t{change} == width * 0x10000) return 0x10000;
    return DividedStep(change, width);
}

// Per-column steps of a span between its two end texels, and the track
// advanced to column start.
inline TexelTrack TrackFrom(const QrvTexturedSpanRecord& r, int32_t start) {
    const int64_t width = int64_t{r.right} - r.left;
    TexelTrack t;
    t.du = ColumnStep(static_cast<int32_t>(r.rightU - r.leftU), width);
    t.dv = ColumnStep(static_cast<int32_t>(r.rightV - r.leftV), width);
    const int32_t skip = static_cast<int32_t>(int64_t{start} - r.left);
    t.u = StepBy(r.leftU, t.du, skip);
    t.v = StepBy(r.leftV, t.dv, skip);
    return t;
}

#if defined(__SSE2__)
// Lanes of a vector of texels that equal the key.
template <int Bytes>
__m128i KeyLanes(const uint8_t* p, uint32_t key) {
    const __m128i texels = packed::Load(p);
    if constexpr (Bytes == 2) return _mm_cmpeq_epi16(texels, _mm_set1_epi16(static_cast<int16_t>(key)));
    else return _mm_cmpeq_epi32(texels, _mm_set1_epi32(static_cast<int32_t>(key)));
}
#endif

// Whether any of n columns has an opaque texel under both tracks. Runs of
// adjacent texels are compared sixteen bytes at a time on the packed path.
template <int BytesA, int BytesB>
bool OpaquePair(const TexelSource& sa, TexelTrack a, const TexelSource& sb, TexelTrack b, int64_t n,
                [[maybe_unused]] bool packedSet) {
    int64_t i = 0;
#if defined(__SSE2__)
    if constexpr (BytesA == BytesB && BytesA != 3) {
        if (packedSet && a.Contiguous<BytesA>(n, sa.key) && b.Contiguous<BytesB>(n, sb.key)) {
            constexpr int kLanes = 16 / BytesA;
            const uint8_t* pa = sa.At<BytesA>(a.u, a.v);
            const uint8_t* pb = sb.At<BytesB>(b.u, b.v);
            for (; i + kLanes <= n; i += kLanes, pa += 16, pb += 16) {
                const __m128i either = _mm_or_si128(KeyLanes<BytesA>(pa, sa.key), KeyLanes<BytesB>(pb, sb.key));
                if (_mm_movemask_epi8(either) != 0xFFFF) return true;
            }
            const int32_t done = static_cast<int32_t>(i);
            a.u += done << 16;
            b.u += done << 16;
        }
    }
#endif
    for (; i < n; ++i) {
        if (LoadTexel<BytesA>(sa.At<BytesA>(a.u, a.v)) != sa.key &&
            LoadTexel<BytesB>(sb.At<BytesB>(b.u, b.v)) != sb.key)
            return true;
        a.u += a.du, a.v += a.dv;
        b.u += b.du, b.v += b.dv;
    }
    return false;
}

template <int Bytes>
bool OpaqueTexel(const TexelSource& s, TexelTrack t, int64_t n, [[maybe_unused]] bool packedSet) {
    int64_t i = 0;
#if defined(__SSE2__)
    if constexpr (Bytes != 3) {
        if (packedSet && t.Contiguous<Bytes>(n, s.key)) {
            constexpr int kLanes = 16 / Bytes;
            const uint8_t* p = s.At<Bytes>(t.u, t.v);
            for (; i + kLanes <= n; i += kLanes, p += 16)
                if (_mm_movemask_epi8(KeyLanes<Bytes>(p, s.key)) != 0xFFFF) return true;
            t.u += static_cast<int32_t>(i) << 16;
        }
    }
#endif
    for (; i < n; ++i) {
        if (LoadTexel<Bytes>(s.At<Bytes>(t.u, t.v)) != s.key) return true;
        t.u += t.du, t.v += t.dv;
    }
    return false;
}

// Element sizes the two-buffer test reads: 16- and 32-bit texels only.
int PairTexelBytes(int32_t format) { return format == 1 || format == 2 ? 2 : format == 4 || format == 5 ? 4 : 0; }

// The records of the list, at most the header's rows: the closing record may
// come first in a buffer whose header claims more.
int64_t ListedRecords(const QrvTexturedSpanHeader* h) {
    const int64_t rows = int64_t{h->bottom} - h->top;
    const QrvTexturedSpanRecord* r = TexturedRecords(h);
    int64_t n = 0;
    while (n < rows && !IsTerminator(r[n])) ++n;
    return n;
}

bool Empty(const QrvTexturedSpanRecord& r) { return r.left >= r.right; }

}  // namespace

void BuildTexturedSpans(const int32_t* vertices, int32_t count, QrvTexturedSpanHeader* buf, uint32_t key) {
    buf->top = buf->bottom = 0;
    buf->base = g.src.base;
    buf->format = g.src.format;
    buf->pitch = g.src.pitch;
    buf->key = RGBForFormat(key, g.src.format);
    QrvTexturedSpanRecord* r = TexturedRecords(buf);
    int32_t written = 0;
    if (vertices != nullptr && count >= 1 && count <= kPolySlots) {
        const VertexList v = VerticesOf(vertices);
        if (count == 1) {
            buf->top = buf->bottom = v.ys[0];
        } else if (PolyWalkable(v.xs, v.ys, count)) {
            VertexBounds b;
            const int32_t top = FindPolyTop(v.xs, v.ys, count, b);
            buf->top = b.minY;
            buf->bottom = b.maxY;
            WalkEdges(v.xs, v.ys, count, top, Viewport{0, b.minY, 0, b.maxY}, TexelCarry{v.us, v.vs},
                      [&](int32_t y, const EdgeChain<2>& left, const EdgeChain<2>& right) {
                          r[written++] = {y, left.x / 65536, left.attr[0], left.attr[1], right.x / 65536,
                                          right.attr[0], right.attr[1]};
                      });
            // An outline that turns upward ends early: the header claims only
            // the rows written.
            if (written < b.maxY - b.minY) buf->bottom = b.minY + written;
        }
    }
    r[written] = {};
}

namespace {

// The row pairs of two buffers from their first shared row on.
template <int BytesA, int BytesB>
int32_t CompareRows(const QrvTexturedSpanHeader* a, const QrvTexturedSpanRecord* ra, const QrvTexturedSpanHeader* b,
                    const QrvTexturedSpanRecord* rb, int64_t pairs) {
    const bool packedSet = PackedKernelsActive();
    const TexelSource texA(a), texB(b);
    for (int64_t i = 0; i < pairs; ++i) {
        const QrvTexturedSpanRecord& sa = ra[i];
        const QrvTexturedSpanRecord& sb = rb[i];
        // A list that closes before its header's bottom row ends there.
        if (IsTerminator(sa) || IsTerminator(sb)) return 0;
        if (sa.y != sb.y || Empty(sa) || Empty(sb)) continue;
        const int32_t start = sa.left > sb.left ? sa.left : sb.left;
        const int32_t end = sa.right < sb.right ? sa.right : sb.right;
        const int64_t width = int64_t{end} - start;
        if (width < 2) continue;
        if (OpaquePair<BytesA, BytesB>(texA, TrackFrom(sa, start), texB, TrackFrom(sb, start), width, packedSet)) return 1;
    }
    return 0;
}

}  // namespace

int32_t CompareTextured(const QrvTexturedSpanHeader* a, const QrvTexturedSpanHeader* b) {
    if (a->bottom < b->top || a->top > b->bottom) return 0;
    const int32_t top = a->top > b->top ? a->top : b->top;
    const int32_t bottom = a->bottom < b->bottom ? a->bottom : b->bottom;
    const int64_t pairs = int64_t{bottom} - top - 1;
    if (pairs < 1) return 0;
    const QrvTexturedSpanRecord* ra = TexturedRecords(a) + (int64_t{top} - a->top);
    const QrvTexturedSpanRecord* rb = TexturedRecords(b) + (int64_t{top} - b->top);
    // Each buffer's texels are read at its own element size, so that a 16-bit
    // image is never stepped through as a 32-bit one.
    const int bytesA = PairTexelBytes(a->format), bytesB = PairTexelBytes(b->format);
    if (bytesA == 2) {
        if (bytesB == 2) return CompareRows<2, 2>(a, ra, b, rb, pairs);
        if (bytesB == 4) return CompareRows<2, 4>(a, ra, b, rb, pairs);
    } else if (bytesA == 4) {
        if (bytesB == 2) return CompareRows<4, 2>(a, ra, b, rb, pairs);
        if (bytesB == 4) return CompareRows<4, 4>(a, ra, b, rb, pairs);
    }
    return 0;
}

namespace {

template <int Bytes>
int32_t CompareFilledRows(const QrvSpanCollisionHeader* filled, const QrvTexturedSpanHeader* tex) {
    const int64_t rows = ListedRecords(tex);
    const QrvSpanCollisionRecord* fr = SpanRecords(filled);
    const QrvTexturedSpanRecord* tr = TexturedRecords(tex);
    const bool packedSet = PackedKernelsActive();
    const TexelSource source(tex);
    for (int32_t i = 0; i < filled->count - 1; ++i) {
        const QrvSpanCollisionRecord& f = fr[i];
        const int64_t index = int64_t{f.y} - tex->top;
        if (index < 0 || index >= rows) continue;
        const QrvTexturedSpanRecord& t = tr[index];
        if (f.left >= f.right || Empty(t)) continue;
        const int32_t start = f.left > t.left ? f.left : t.left;
        const int32_t end = f.right < t.right ? f.right : t.right;
        const int64_t width = int64_t{end} - start;
        if (width < 2) continue;
        if (OpaqueTexel<Bytes>(source, TrackFrom(t, start), width, packedSet)) return 1;
    }
    return 0;
}

}  // namespace

int32_t CompareFilledToTextured(const QrvSpanCollisionHeader* filled, const QrvTexturedSpanHeader* tex) {
    if (filled->bottom < tex->top || filled->top > tex->bottom || filled->count < 2) return 0;
    // 24-bit texels are read as three bytes, and formats that are none are
    // not read at all.
    switch (tex->format) {
        case 1: case 2: return CompareFilledRows<2>(filled, tex);
        case 3: return CompareFilledRows<3>(filled, tex);
        case 4: case 5: return CompareFilledRows<4>(filled, tex);
        default: return 0;
    }
}

}  // namespace qrv

using namespace qrv;

extern "C" {

QRV_API void QRV_CALL QRV_SpanBufferCollisionPolygon(const int32_t* vertices, int32_t count, QrvTexturedSpanHeader* buf,
                                                     uint32_t key) {
    if (buf != nullptr) BuildTexturedSpans(vertices, count, buf, key);
}

QRV_API int32_t QRV_CALL QRV_CompareTexturedSpans(const QrvTexturedSpanHeader* a, const QrvTexturedSpanHeader* b) {
    return a != nullptr && b != nullptr ? CompareTextured(a, b) : 0;
}

QRV_API int32_t QRV_CALL QRV_CompareFilledToTexturedSpans(const QrvSpanCollisionHeader* filled,
                                                          const QrvTexturedSpanHeader* textured) {
    return filled != nullptr && textured != nullptr ? CompareFilledToTextured(filled, textured) : 0;
}

QRV_API void QRV_CALL QRV_DrawSpansEdges(const QrvTexturedSpanHeader* textured) {
    if (textured == nullptr) return;
    const int64_t rows = int64_t{textured->bottom} - textured->top;
    const QrvTexturedSpanRecord* r = TexturedRecords(textured);
    // Every row but the last, as the comparisons see them.
    for (int64_t i = 0; i + 1 < rows && !IsTerminator(r[i]); ++i) {
        QRV_Dot(r[i].left, r[i].y, 0xFF0000, 1);
        QRV_Dot(r[i].right, r[i].y, 0xFF0000, 1);
    }
}

}  // extern "C"
