// Span collision buffers: the host-owned records that the builders fill and
// the comparisons read, and the views of a host vertex list.
#pragma once

#include <cstdint>

#include "quorvel.h"

namespace qrv {

inline QrvSpanCollisionRecord* SpanRecords(QrvSpanCollisionHeader* h) {
    return reinterpret_cast<QrvSpanCollisionRecord*>(h + 1);
}
inline const QrvSpanCollisionRecord* SpanRecords(const QrvSpanCollisionHeader* h) {
    return reinterpret_cast<const QrvSpanCollisionRecord*>(h + 1);
}
inline QrvTexturedSpanRecord* TexturedRecords(QrvTexturedSpanHeader* h) {
    return reinterpret_cast<QrvTexturedSpanRecord*>(h + 1);
}
inline const QrvTexturedSpanRecord* TexturedRecords(const QrvTexturedSpanHeader* h) {
    return reinterpret_cast<const QrvTexturedSpanRecord*>(h + 1);
}

inline void WriteSpanHeader(QrvSpanCollisionHeader* h, int32_t count, int32_t top, int32_t bottom) {
    h->count = count;
    h->top = top;
    h->bottom = bottom;
}

// A host vertex list: eight x, then eight y, u and v, each array 32 bytes on.
inline constexpr int kVertexListStride = 8;
struct VertexList {
    const int32_t* xs;
    const int32_t* ys;
    const int32_t* us;
    const int32_t* vs;
};
inline VertexList VerticesOf(const int32_t* words) {
    return {words, words + kVertexListStride, words + 2 * kVertexListStride, words + 3 * kVertexListStride};
}

}  // namespace qrv
