// GCF_Retrieve and the typed calls through the service slots it fills.
#include "frame/host_services.h"

#include <cstddef>

namespace qrv::host {
namespace {

static_assert(sizeof(void*) != 4 || (sizeof(QrvHostRecord) == 1700 &&
                                     offsetof(QrvHostRecord, slot[QRV_HOST_MEMORY_SLOTS]) == 800 &&
                                     offsetof(QrvHostRecord, slot[QRV_HOST_BLOCK_SLOTS]) == 880 &&
                                     offsetof(QrvHostRecord, slot[QRV_HOST_TEXT_SLOTS]) == 1200 &&
                                     offsetof(QrvHostRecord, slot[QRV_HOST_STREAM_SLOTS]) == 1600),
              "the host record is an array of 32-bit slots");

constexpr int kMemoryCount = 5, kBlockCount = 19, kTextCount = 50, kStreamCount = 25;

struct ServiceTable {
    QrvHostService memory[kMemoryCount];
    QrvHostService block[kBlockCount];
    QrvHostService text[kTextCount];
    QrvHostService stream[kStreamCount];
};

constinit ServiceTable services{};

QrvHostService Slot(int slot) {
    if (slot < QRV_HOST_BLOCK_SLOTS) return services.memory[slot - QRV_HOST_MEMORY_SLOTS];
    if (slot < QRV_HOST_TEXT_SLOTS) return services.block[slot - QRV_HOST_BLOCK_SLOTS];
    if (slot < QRV_HOST_STREAM_SLOTS) return services.text[slot - QRV_HOST_TEXT_SLOTS];
    return services.stream[slot - QRV_HOST_STREAM_SLOTS];
}

// Calls the service of a slot with pointer-sized arguments; 0 when it is empty.
template <class... Args>
intptr_t Call(int slot, Args... args) {
    using Fn = intptr_t(QRV_CALL*)(decltype(static_cast<intptr_t>(args))...);
    const QrvHostService fn = Slot(slot);
    if (fn == nullptr) return 0;
    return reinterpret_cast<Fn>(fn)(static_cast<intptr_t>(args)...);
}

intptr_t Ref(const void* p) { return reinterpret_cast<intptr_t>(p); }

}  // namespace

intptr_t AllocBlock(intptr_t size) { return Call(QRV_HOST_ALLOC_BLOCK, size); }
void FreeBlock(intptr_t block) { Call(QRV_HOST_FREE_BLOCK, block); }
void FreeAddress(const void* address) { Call(QRV_HOST_FREE_ADDRESS, Ref(address)); }
void* BlockAddress(intptr_t block) { return reinterpret_cast<void*>(Call(QRV_HOST_BLOCK_ADDRESS, block)); }

intptr_t OpenRead(intptr_t argument) { return Call(QRV_HOST_OPEN_READ, argument); }
intptr_t OpenWrite(intptr_t argument) { return Call(QRV_HOST_OPEN_WRITE, argument); }
void CloseStream(intptr_t stream) { Call(QRV_HOST_CLOSE_STREAM, stream); }
int64_t StreamPos(intptr_t stream) { return Call(QRV_HOST_STREAM_POS, stream); }
void StreamSeek(intptr_t stream, int64_t position) {
    Call(QRV_HOST_STREAM_SEEK, stream, static_cast<intptr_t>(position));
}
uint32_t ReadWord(intptr_t stream, intptr_t position) {
    return static_cast<uint32_t>(Call(QRV_HOST_READ_WORD, stream, position)) & 0xFFFF;
}
uint32_t ReadLong(intptr_t stream, intptr_t position) {
    return static_cast<uint32_t>(Call(QRV_HOST_READ_LONG, stream, position));
}
void ReadToMemory(intptr_t stream, intptr_t position, void* address, intptr_t length) {
    Call(QRV_HOST_READ_TO_MEMORY, stream, position, Ref(address), length);
}
void WriteWord(intptr_t stream, intptr_t position, uint32_t value) {
    Call(QRV_HOST_WRITE_WORD, stream, position, static_cast<intptr_t>(value & 0xFFFF));
}
void WriteLong(intptr_t stream, intptr_t position, uint32_t value) {
    Call(QRV_HOST_WRITE_LONG, stream, position, static_cast<intptr_t>(static_cast<int32_t>(value)));
}
void WriteMemory(intptr_t stream, intptr_t position, const void* first, size_t length) {
    Call(QRV_HOST_WRITE_MEMORY, stream, position, Ref(first), Ref(static_cast<const uint8_t*>(first) + length));
}

void* AllocAddress(size_t size) {
    if (size > static_cast<size_t>(INTPTR_MAX)) return nullptr;
    const intptr_t block = AllocBlock(static_cast<intptr_t>(size));
    if (block == 0) return nullptr;
    void* address = BlockAddress(block);
    if (address == nullptr) FreeBlock(block);
    return address;
}

}  // namespace qrv::host

extern "C" QRV_API void QRV_CALL GCF_Retrieve(const QrvHostRecord* record) {
    using namespace qrv::host;
    if (record == nullptr) return;
    for (int i = 0; i < kMemoryCount; ++i) services.memory[i] = record->slot[QRV_HOST_MEMORY_SLOTS + i];
    for (int i = 0; i < kBlockCount; ++i) services.block[i] = record->slot[QRV_HOST_BLOCK_SLOTS + i];
    for (int i = 0; i < kTextCount; ++i) services.text[i] = record->slot[QRV_HOST_TEXT_SLOTS + i];
    for (int i = 0; i < kStreamCount; ++i) services.stream[i] = record->slot[QRV_HOST_STREAM_SLOTS + i];
}
