// Shared pieces of the font tests: the reference host with every release
// recorded, raw glyphs, little-endian bytes, glyph blocks and file images.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

#include "quorvel.h"
#include "quorvel_host.h"

namespace fonttest {

using ByteVec = std::vector<uint8_t>;

// Addresses released through the free-address service, and the releases of
// addresses that were no longer (or never) blocks.
inline std::set<intptr_t> released;
inline int strayReleases = 0;

// Releases an address through the reference host itself, uncounted.
inline void HostFree(intptr_t address) {
    reinterpret_cast<intptr_t(QRV_CALL*)(intptr_t)>(qrvhost::Record().slot[QRV_HOST_FREE_ADDRESS])(address);
}

inline intptr_t QRV_CALL CountingFreeAddress(intptr_t address) {
    released.insert(address);
    const size_t before = qrvhost::LiveBlocks();
    HostFree(address);
    if (qrvhost::LiveBlocks() == before) ++strayReleases;
    return 0;
}

inline bool WasReleased(const void* p) { return released.count(reinterpret_cast<intptr_t>(p)) != 0; }

// The reference host, its address releases counted; every test starts with
// no block alive and must end so.
class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        QRV_Init_Lib();
        QrvHostRecord record = qrvhost::Record();
        record.slot[QRV_HOST_FREE_ADDRESS] = reinterpret_cast<QrvHostService>(&CountingFreeAddress);
        GCF_Retrieve(&record);
        qrvhost::FailAllocationsAfter(-1);
        released.clear();
        strayReleases = 0;
        baseline = qrvhost::LiveBlocks();
    }
    void TearDown() override {
        qrvhost::FailAllocationsAfter(-1);
        EXPECT_EQ(qrvhost::LiveBlocks(), baseline) << "blocks leaked";
        EXPECT_EQ(qrvhost::OpenStreams(), 0u) << "streams left open";
        EXPECT_EQ(strayReleases, 0) << "a block released twice, or an address that is no block";
    }
    size_t baseline = 0;
};

// Little-endian image building.
struct Bytes {
    ByteVec b;
    Bytes& Put(int bytes, std::initializer_list<int64_t> vs) {
        for (int64_t v : vs)
            for (int i = 0; i < bytes; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
    Bytes& I32(std::initializer_list<int64_t> vs) { return Put(4, vs); }
    Bytes& U16(std::initializer_list<int64_t> vs) { return Put(2, vs); }
    Bytes& U8(std::initializer_list<int64_t> vs) { return Put(1, vs); }
    Bytes& Raw(const ByteVec& more) { b.insert(b.end(), more.begin(), more.end()); return *this; }
};

inline int32_t Word(const void* at) {
    int32_t v;
    std::memcpy(&v, at, 4);
    return v;
}
inline int32_t Word(const ByteVec& b, size_t at) { return Word(b.data() + at); }

// A raw glyph: the header, then the pixels (bytes at depth 8, words at 32).
inline ByteVec RawGlyph(int width, int height, int depth, uint32_t key, const std::vector<uint32_t>& pixels) {
    Bytes raw;
    raw.I32({width, height, depth, key});
    for (uint32_t p : pixels) raw.Put(depth == 8 ? 1 : 4, {p});
    return raw.b;
}
inline const QrvRawGlyph* AsRaw(const ByteVec& raw) { return reinterpret_cast<const QrvRawGlyph*>(raw.data()); }

// The glyph block of a raw glyph as its address, owned by whoever stores it.
inline uint8_t* Compress(const ByteVec& raw) {
    const intptr_t block = CRF_CompressChr(AsRaw(raw));
    return block == 0 ? nullptr : static_cast<uint8_t*>(qrvhost::BlockAddress(block));
}

inline ByteVec BlockBytes(const void* glyph) {
    const uint8_t* g = static_cast<const uint8_t*>(glyph);
    return ByteVec(g, g + Word(g));
}

inline ByteVec WriteImage(void* font) {
    const intptr_t s = qrvhost::OpenMemoryStream();
    CRF_Write(font, s);
    ByteVec bytes = qrvhost::MemoryStreamBytes(s);
    qrvhost::CloseStream(s);
    return bytes;
}

inline void* ReadImage(const ByteVec& bytes) {
    const intptr_t s = qrvhost::OpenMemoryStream(bytes.data(), bytes.size());
    void* font = CRF_Read(s);
    qrvhost::CloseStream(s);
    return font;
}

}  // namespace fonttest
