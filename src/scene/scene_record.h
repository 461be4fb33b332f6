// Access to host-allocated scene records: the fixed layout, and vertices
// addressed by index so that records longer than the four-vertex struct can
// be read without indexing past the declared array.
#pragma once

#include <cstddef>
#include <cstdint>

#include "quorvel.h"

namespace qrv {

inline constexpr size_t kSceneVertexOffset = 60;
inline constexpr int32_t kSceneMaxPolyVertices = 8;

static_assert(sizeof(QrvSceneVertex) == 40);
static_assert(offsetof(QrvSceneVertex, x) == 0 && offsetof(QrvSceneVertex, y) == 4);
static_assert(offsetof(QrvSceneVertex, drawX) == 12 && offsetof(QrvSceneVertex, drawY) == 16);
static_assert(offsetof(QrvSceneVertex, colour) == 24);
static_assert(offsetof(QrvSceneVertex, u) == 32 && offsetof(QrvSceneVertex, v) == 36);

static_assert(sizeof(QrvSceneRecord) == 220);
static_assert(offsetof(QrvSceneRecord, inUse) == 0 && offsetof(QrvSceneRecord, kind) == 2);
static_assert(offsetof(QrvSceneRecord, extraA) == 4 && offsetof(QrvSceneRecord, extraB) == 8);
static_assert(offsetof(QrvSceneRecord, source) == 12 && offsetof(QrvSceneRecord, mode) == 16);
static_assert(offsetof(QrvSceneRecord, shape) == 24);
static_assert(offsetof(QrvSceneRecord, boxLeft) == 36 && offsetof(QrvSceneRecord, boxTop) == 40);
static_assert(offsetof(QrvSceneRecord, boxRight) == 44 && offsetof(QrvSceneRecord, boxBottom) == 48);
static_assert(offsetof(QrvSceneRecord, vertexCount) == 52 && offsetof(QrvSceneRecord, blend) == 56);
static_assert(offsetof(QrvSceneRecord, vertex) == kSceneVertexOffset);

inline QrvSceneVertex* SceneVertex(QrvSceneRecord* rec, int32_t i) {
    return reinterpret_cast<QrvSceneVertex*>(reinterpret_cast<unsigned char*>(rec) + kSceneVertexOffset +
                                             static_cast<size_t>(i) * sizeof(QrvSceneVertex));
}

inline const QrvSceneVertex* SceneVertex(const QrvSceneRecord* rec, int32_t i) {
    return SceneVertex(const_cast<QrvSceneRecord*>(rec), i);
}

}  // namespace qrv
