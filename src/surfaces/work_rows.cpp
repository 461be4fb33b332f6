#include "surfaces/work_rows.h"

#include <cstddef>
#include <cstdlib>

namespace qrv {

namespace {

struct WorkRow {
    uint32_t* data;
    int64_t capacity;
};

constinit WorkRow generalRow{nullptr, 0};
constinit WorkRow lightRow{nullptr, 0};

// Grows by 32 spare entries beyond the request, recording only the request as
// the capacity.
uint32_t* Request(WorkRow& row, int64_t entries) {
    if (entries < 1) return nullptr;
    if (entries <= row.capacity) return row.data;
    std::free(row.data);
    row.data = nullptr;
    row.capacity = 0;
    const uint64_t count = static_cast<uint64_t>(entries) + 32;
    if (count > SIZE_MAX / sizeof(uint32_t)) return nullptr;
    row.data = static_cast<uint32_t*>(std::calloc(static_cast<size_t>(count), sizeof(uint32_t)));
    if (row.data) row.capacity = entries;
    return row.data;
}

void Release(WorkRow& row) {
    std::free(row.data);
    row.data = nullptr;
    row.capacity = 0;
}

}  // namespace

uint32_t* GeneralWorkRow(int64_t entries) { return Request(generalRow, entries); }
uint32_t* LightWorkRow(int64_t entries) { return Request(lightRow, entries); }

void FreeWorkRows() {
    Release(generalRow);
    Release(lightRow);
}

}  // namespace qrv
