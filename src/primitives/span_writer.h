// Producing span records into a block of known capacity.
#pragma once

#include <cstdint>

#include "frame/state.h"
#include "primitives/spans.h"

namespace qrv {

// Appends records; rows past the capacity are dropped rather than written
// beyond the block.
struct SpanWriter {
    SpanRecord* records = nullptr;
    int32_t capacity = 0;
    int32_t count = 0;

    SpanRecord* Next() { return count < capacity ? &records[count++] : nullptr; }
};

// Records to ask the span buffer for when a shape or polygon emits at most one
// span per row of firstRow .. endRow - 1: the usual 2 x viewport bottom, and
// never fewer than the rows it can emit inside the viewport.
inline int32_t SpanRowsFor(const Viewport& view, int64_t firstRow, int64_t endRow) {
    constexpr int64_t kUsualMost = 1 << 16;
    constexpr int64_t kMostRecords = INT32_MAX / 64;
    const int64_t from = firstRow > view.top ? firstRow : view.top;
    const int64_t to = endRow < view.bottom ? endRow : view.bottom;
    int64_t want = 2 * int64_t{view.bottom};
    if (want > kUsualMost) want = kUsualMost;
    if (to - from > want) want = to - from;
    if (want < 1) want = 1;
    if (want > kMostRecords) want = kMostRecords;
    return static_cast<int32_t>(want);
}

// A writer on the shared span buffer for that many records; its records are
// null when the buffer cannot grow.
inline SpanWriter SpanBufferFor(int32_t records) { return {GetSpanBuffer(records), records, 0}; }

}  // namespace qrv
