#include "quorvel_host.h"

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace qrvhost {
namespace {

// A block is one allocation: this header, then its bytes. The reference is
// the header's address, the block address that of its first byte.
struct alignas(16) Block {
    size_t size;
};

struct Stream {
    FILE* file;                  // null for a memory stream
    std::vector<uint8_t> bytes;  // the contents of a memory stream
    int64_t pos;
};

std::unordered_set<Block*>& Blocks() {
    static std::unordered_set<Block*> blocks;
    return blocks;
}
std::unordered_set<Stream*>& Streams() {
    static std::unordered_set<Stream*> streams;
    return streams;
}
long allocationsLeft = -1;
size_t liveBytes = 0, liveByteLimit = size_t{1} << 31;  // the bytes in live blocks, and their cap

Block* AsBlock(intptr_t ref) {
    Block* b = reinterpret_cast<Block*>(ref);
    return b != nullptr && Blocks().count(b) != 0 ? b : nullptr;
}
uint8_t* Bytes(Block* b) { return reinterpret_cast<uint8_t*>(b + 1); }

Stream* AsStream(intptr_t ref) {
    Stream* s = reinterpret_cast<Stream*>(ref);
    return s != nullptr && Streams().count(s) != 0 ? s : nullptr;
}

// ---- memory and blocks

intptr_t QRV_CALL AllocBlock(intptr_t size) {
    if (size < 0 || static_cast<uint64_t>(size) > liveByteLimit - liveBytes || allocationsLeft == 0) return 0;
    Block* b = static_cast<Block*>(std::calloc(1, sizeof(Block) + static_cast<size_t>(size)));
    if (b == nullptr) return 0;
    if (allocationsLeft > 0) --allocationsLeft;
    b->size = static_cast<size_t>(size);
    liveBytes += b->size;
    Blocks().insert(b);
    return reinterpret_cast<intptr_t>(b);
}

intptr_t QRV_CALL FreeBlock(intptr_t ref) {
    if (Block* b = AsBlock(ref)) {
        Blocks().erase(b);
        liveBytes -= b->size;
        std::free(b);
    }
    return 0;
}

intptr_t QRV_CALL FreeAddress(intptr_t address) {
    if (address == 0) return 0;
    return FreeBlock(reinterpret_cast<intptr_t>(reinterpret_cast<Block*>(address) - 1));
}

intptr_t QRV_CALL AddressOf(intptr_t ref) {
    Block* b = AsBlock(ref);
    return b != nullptr ? reinterpret_cast<intptr_t>(Bytes(b)) : 0;
}

intptr_t QRV_CALL BlockSize(intptr_t ref) {
    Block* b = AsBlock(ref);
    return b != nullptr ? static_cast<intptr_t>(b->size) : 0;
}

// True when [offset, offset + length) lies within the block.
bool Within(const Block* b, intptr_t offset, intptr_t length) {
    return offset >= 0 && length >= 0 && static_cast<uint64_t>(offset) + static_cast<uint64_t>(length) <= b->size;
}

intptr_t QRV_CALL CopyBlock(intptr_t source, intptr_t sourceOffset, intptr_t length, intptr_t target,
                            intptr_t targetOffset) {
    Block* s = AsBlock(source);
    Block* t = AsBlock(target);
    if (s == nullptr || t == nullptr || !Within(s, sourceOffset, length) || !Within(t, targetOffset, length)) return 0;
    std::memmove(Bytes(t) + targetOffset, Bytes(s) + sourceOffset, static_cast<size_t>(length));
    return 0;
}

intptr_t QRV_CALL PokeLong(intptr_t ref, intptr_t offset, intptr_t value) {
    Block* b = AsBlock(ref);
    if (b == nullptr || !Within(b, offset, 4)) return 0;
    const uint32_t v = static_cast<uint32_t>(value);
    std::memcpy(Bytes(b) + offset, &v, 4);
    return 0;
}

// ---- texts: blocks of bytes, compared as zero-terminated strings

intptr_t QRV_CALL AllocText(intptr_t size) { return AllocBlock(size); }

intptr_t QRV_CALL CopyToText(intptr_t text, intptr_t address, intptr_t length) {
    Block* b = AsBlock(text);
    if (b == nullptr || address == 0 || !Within(b, 0, length)) return 0;
    std::memcpy(Bytes(b), reinterpret_cast<const void*>(address), static_cast<size_t>(length));
    return 0;
}

intptr_t QRV_CALL TextEqual(intptr_t a, intptr_t b) {
    Block* x = AsBlock(a);
    Block* y = AsBlock(b);
    if (x == nullptr || y == nullptr) return 0;
    const size_t lx = strnlen(reinterpret_cast<const char*>(Bytes(x)), x->size);
    const size_t ly = strnlen(reinterpret_cast<const char*>(Bytes(y)), y->size);
    return lx == ly && std::memcmp(Bytes(x), Bytes(y), lx) == 0 ? 1 : 0;
}

// ---- streams

intptr_t Open(intptr_t path, const char* how) {
    if (path == 0) return 0;
    FILE* f = std::fopen(reinterpret_cast<const char*>(path), how);
    if (f == nullptr) return 0;
    Stream* s = new Stream{f, {}, 0};
    Streams().insert(s);
    return reinterpret_cast<intptr_t>(s);
}

intptr_t QRV_CALL OpenRead(intptr_t path) { return Open(path, "rb"); }
intptr_t QRV_CALL OpenWrite(intptr_t path) { return Open(path, "wb"); }

intptr_t QRV_CALL Close(intptr_t ref) {
    Stream* s = AsStream(ref);
    if (s == nullptr) return 0;
    if (s->file != nullptr) std::fclose(s->file);
    Streams().erase(s);
    delete s;
    return 0;
}

intptr_t QRV_CALL Pos(intptr_t ref) {
    Stream* s = AsStream(ref);
    return s != nullptr ? static_cast<intptr_t>(s->pos) : 0;
}

intptr_t QRV_CALL Seek(intptr_t ref, intptr_t position) {
    Stream* s = AsStream(ref);
    if (s != nullptr && position >= 0) s->pos = position;
    return 0;
}

// The byte position an access starts at, or -1 when it cannot be made.
int64_t Start(Stream* s, intptr_t position) {
    if (s == nullptr) return -1;
    return position == -1 ? s->pos : (position < 0 ? -1 : int64_t{position});
}

// Reads length bytes at a position; bytes past the end read as 0.
void Read(intptr_t ref, intptr_t position, void* to, size_t length) {
    std::memset(to, 0, length);
    Stream* s = AsStream(ref);
    const int64_t at = Start(s, position);
    if (at < 0) return;
    if (s->file != nullptr) {
        if (std::fseek(s->file, static_cast<long>(at), SEEK_SET) == 0) {
            const size_t got = std::fread(to, 1, length, s->file);
            (void)got;
        }
    } else if (static_cast<uint64_t>(at) < s->bytes.size()) {
        const size_t n = std::min(length, s->bytes.size() - static_cast<size_t>(at));
        std::memcpy(to, s->bytes.data() + at, n);
    }
    if (position == -1) s->pos += static_cast<int64_t>(length);
}

void Write(intptr_t ref, intptr_t position, const void* from, size_t length) {
    Stream* s = AsStream(ref);
    const int64_t at = Start(s, position);
    if (at < 0) return;
    if (s->file != nullptr) {
        if (std::fseek(s->file, static_cast<long>(at), SEEK_SET) == 0) std::fwrite(from, 1, length, s->file);
    } else {
        if (s->bytes.size() < static_cast<size_t>(at) + length) s->bytes.resize(static_cast<size_t>(at) + length);
        if (length != 0) std::memcpy(s->bytes.data() + at, from, length);
    }
    if (position == -1) s->pos += static_cast<int64_t>(length);
}

intptr_t QRV_CALL ReadWord(intptr_t ref, intptr_t position) {
    uint8_t b[2];
    Read(ref, position, b, 2);
    return b[0] | b[1] << 8;
}

intptr_t QRV_CALL ReadLong(intptr_t ref, intptr_t position) {
    uint8_t b[4];
    Read(ref, position, b, 4);
    return static_cast<int32_t>(uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24);
}

intptr_t QRV_CALL ReadToMemory(intptr_t ref, intptr_t position, intptr_t address, intptr_t length) {
    if (address == 0 || length <= 0) return 0;
    Read(ref, position, reinterpret_cast<void*>(address), static_cast<size_t>(length));
    return 0;
}

intptr_t QRV_CALL ReadToText(intptr_t ref, intptr_t position, intptr_t text, intptr_t length) {
    Block* b = AsBlock(text);
    if (b == nullptr || !Within(b, 0, length)) return 0;
    return ReadToMemory(ref, position, reinterpret_cast<intptr_t>(Bytes(b)), length);
}

intptr_t QRV_CALL WriteWord(intptr_t ref, intptr_t position, intptr_t value) {
    const uint8_t b[2] = {uint8_t(value), uint8_t(value >> 8)};
    Write(ref, position, b, 2);
    return 0;
}

intptr_t QRV_CALL WriteLong(intptr_t ref, intptr_t position, intptr_t value) {
    const uint8_t b[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    Write(ref, position, b, 4);
    return 0;
}

intptr_t QRV_CALL WriteMemory(intptr_t ref, intptr_t position, intptr_t first, intptr_t end) {
    if (first == 0 || end <= first) return 0;
    Write(ref, position, reinterpret_cast<const void*>(first), static_cast<size_t>(end - first));
    return 0;
}

template <class Fn>
QrvHostService Service(Fn fn) {
    return reinterpret_cast<QrvHostService>(fn);
}

QrvHostRecord BuildRecord() {
    QrvHostRecord r{};
    r.slot[QRV_HOST_ALLOC_BLOCK] = Service(&AllocBlock);
    r.slot[QRV_HOST_FREE_BLOCK] = Service(&FreeBlock);
    r.slot[QRV_HOST_FREE_ADDRESS] = Service(&FreeAddress);
    r.slot[QRV_HOST_BLOCK_ADDRESS] = Service(&AddressOf);
    r.slot[QRV_HOST_BLOCK_SIZE] = Service(&BlockSize);
    r.slot[QRV_HOST_COPY_BLOCK] = Service(&CopyBlock);
    r.slot[QRV_HOST_POKE_LONG] = Service(&PokeLong);
    r.slot[QRV_HOST_ALLOC_TEXT] = Service(&AllocText);
    r.slot[QRV_HOST_COPY_TO_TEXT] = Service(&CopyToText);
    r.slot[QRV_HOST_TEXT_EQUAL] = Service(&TextEqual);
    r.slot[QRV_HOST_OPEN_READ] = Service(&OpenRead);
    r.slot[QRV_HOST_OPEN_WRITE] = Service(&OpenWrite);
    r.slot[QRV_HOST_CLOSE_STREAM] = Service(&Close);
    r.slot[QRV_HOST_STREAM_POS] = Service(&Pos);
    r.slot[QRV_HOST_STREAM_SEEK] = Service(&Seek);
    r.slot[QRV_HOST_READ_WORD] = Service(&ReadWord);
    r.slot[QRV_HOST_READ_LONG] = Service(&ReadLong);
    r.slot[QRV_HOST_READ_TO_TEXT] = Service(&ReadToText);
    r.slot[QRV_HOST_READ_TO_MEMORY] = Service(&ReadToMemory);
    r.slot[QRV_HOST_WRITE_WORD] = Service(&WriteWord);
    r.slot[QRV_HOST_WRITE_LONG] = Service(&WriteLong);
    r.slot[QRV_HOST_WRITE_MEMORY] = Service(&WriteMemory);
    return r;
}

}  // namespace

const QrvHostRecord& Record() {
    static const QrvHostRecord record = BuildRecord();
    return record;
}

void Install() { GCF_Retrieve(&Record()); }

void* BlockAddress(intptr_t block) { return reinterpret_cast<void*>(AddressOf(block)); }

intptr_t OpenMemoryStream(const void* data, size_t size) {
    Stream* s = new Stream{nullptr, {}, 0};
    if (data != nullptr && size != 0) {
        const uint8_t* p = static_cast<const uint8_t*>(data);
        s->bytes.assign(p, p + size);
    }
    Streams().insert(s);
    return reinterpret_cast<intptr_t>(s);
}

std::vector<uint8_t> MemoryStreamBytes(intptr_t stream) {
    Stream* s = AsStream(stream);
    return s != nullptr && s->file == nullptr ? s->bytes : std::vector<uint8_t>{};
}

void CloseStream(intptr_t stream) { Close(stream); }

size_t LiveBlocks() { return Blocks().size(); }
size_t OpenStreams() { return Streams().size(); }
void FailAllocationsAfter(long count) { allocationsLeft = count < 0 ? -1 : count; }
void LimitLiveBytes(size_t bytes) { liveByteLimit = std::max(bytes, liveBytes); }

}  // namespace qrvhost
