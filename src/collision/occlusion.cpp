// Occlusion maps: the cells of a grid that a span collision buffer covers
// partly or fully, band of rows by band of rows.
#include <cstdint>

#include "collision/span_collision.h"
#include "quorvel.h"

namespace qrv {

static_assert(sizeof(QrvOcclusionEntry) == 16, "occlusion entries are four 32-bit words");

namespace {

struct Band {
    int32_t index;
    int32_t minLeft, maxRight;  // outer extent
    int32_t maxLeft, minRight;  // inner extent

    void Add(const QrvSpanCollisionRecord& r) {
        if (r.left < minLeft) minLeft = r.left;
        if (r.right > maxRight) maxRight = r.right;
        if (r.left > maxLeft) maxLeft = r.left;
        if (r.right < minRight) minRight = r.right;
    }
};

struct EntryWriter {
    QrvOcclusionEntry* out;
    int32_t written = 0;
    void Put(int32_t kind, int32_t first, int32_t last, int32_t band) { out[written++] = {kind, first, last, band}; }
};

void CloseBand(const Band& b, int32_t w, EntryWriter& e) {
    const int32_t first = b.minLeft / w, last = b.maxRight / w;
    // A cell counts as fully covered only from the one after the cell holding
    // the largest first column.
    const int32_t q = b.maxLeft / w;
    const int32_t full = q + (q * w <= b.maxLeft ? 1 : 0);
    const int32_t fullEnd = b.minRight / w;
    if (first < full && full < fullEnd) {
        e.Put(1, first, full - 1, b.index);
    } else {
        e.Put(1, first, last, b.index);
    }
    if (full < fullEnd) {
        e.Put(2, full, fullEnd - 1, b.index);
        e.Put(4, fullEnd, last, b.index);
    }
}

}  // namespace

int32_t BuildOcclusionMap(const QrvSpanCollisionHeader* buf, int32_t w, int32_t h, QrvOcclusionEntry* out) {
    if (w < 1 || h < 1) return 0;
    const int64_t n = int64_t{buf->bottom} - buf->top;
    if (n <= 0) return 0;
    const QrvSpanCollisionRecord* r = SpanRecords(buf);
    EntryWriter e{out};
    // The first band's inner extent starts from 0, not from its first record.
    Band band{r[0].y / h, r[0].left, r[0].right, 0, 0};
    for (int64_t i = 0; i < n; ++i) {
        // A record on a band's first row closes the band before it and opens
        // its own; further records on that row join the band it opened.
        if (r[i].y % h == 0 && (i == 0 || r[i].y != r[i - 1].y)) {
            CloseBand(band, w, e);
            band = {r[i].y / h, r[i].left, r[i].right, r[i].left, r[i].right};
        } else {
            band.Add(r[i]);
        }
    }
    e.Put(1, band.minLeft / w, band.maxRight / w, band.index);
    return e.written;
}

}  // namespace qrv

using namespace qrv;

extern "C" {

QRV_API int32_t QRV_CALL CreateOcclusionMapFromSpanCollision(const QrvSpanCollisionHeader* buf, int32_t cellWidth,
                                                             int32_t cellHeight, QrvOcclusionEntry* out) {
    if (buf == nullptr || out == nullptr) return 0;
    return BuildOcclusionMap(buf, cellWidth, cellHeight, out);
}

}  // extern "C"
