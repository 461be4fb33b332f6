// Shared pieces of the font tests: the reference host with every release
// recorded, raw glyph building and reading glyph blocks back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

#include "quorvel.h"
#include "quorvel_host.h"

namespace fonttest {

// Addresses released through the free-address service, and the releases of
// addresses that were no longer (or never) blocks.
inline std::set<intptr_t>& Released() {
    static std::set<intptr_t> released;
    return released;
}
inline int& StrayReleases() {
    static int stray;
    return stray;
}

inline intptr_t QRV_CALL CountingFreeAddress(intptr_t address) {
    Released().insert(address);
    const size_t before = qrvhost::LiveBlocks();
    using Fn = intptr_t(QRV_CALL*)(intptr_t);
    reinterpret_cast<Fn>(qrvhost::Record().slot[QRV_HOST_FREE_ADDRESS])(address);
    if (qrvhost::LiveBlocks() == before) ++StrayReleases();
    return 0;
}

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
        Released().clear();
        StrayReleases() = 0;
        baseline = qrvhost::LiveBlocks();
    }
    void TearDown() override {
        qrvhost::FailAllocationsAfter(-1);
        EXPECT_EQ(qrvhost::LiveBlocks(), baseline) << "blocks leaked";
        EXPECT_EQ(qrvhost::OpenStreams(), 0u) << "streams left open";
        EXPECT_EQ(StrayReleases(), 0) << "a block released twice, or an address that is no block";
    }
    size_t baseline = 0;
};

// A raw glyph: the header, then the pixels (bytes at depth 8, words at 32).
inline std::vector<uint8_t> RawGlyph(int width, int height, int depth, uint32_t key,
                                     const std::vector<uint32_t>& pixels) {
    const QrvRawGlyph header{width, height, depth, key};
    std::vector<uint8_t> raw(sizeof header + pixels.size() * (depth / 8));
    std::memcpy(raw.data(), &header, sizeof header);
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (depth == 8) raw[sizeof header + i] = static_cast<uint8_t>(pixels[i]);
        else std::memcpy(raw.data() + sizeof header + 4 * i, &pixels[i], 4);
    }
    return raw;
}

// The glyph block of a raw glyph as its address, owned by whoever stores it.
inline uint8_t* Compress(const std::vector<uint8_t>& raw) {
    const intptr_t block = CRF_CompressChr(reinterpret_cast<const QrvRawGlyph*>(raw.data()));
    if (block == 0) return nullptr;
    return static_cast<uint8_t*>(qrvhost::BlockAddress(block));
}

inline std::vector<uint8_t> BlockBytes(const uint8_t* glyph) {
    int32_t size;
    std::memcpy(&size, glyph, 4);
    return std::vector<uint8_t>(glyph, glyph + size);
}

// Little-endian image building.
struct Bytes {
    std::vector<uint8_t> b;
    Bytes& I32(int64_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
    Bytes& U16(uint32_t v) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
        return *this;
    }
    Bytes& Raw(const std::vector<uint8_t>& more) {
        b.insert(b.end(), more.begin(), more.end());
        return *this;
    }
    Bytes& U8(std::initializer_list<int> more) {
        for (int v : more) b.push_back(static_cast<uint8_t>(v));
        return *this;
    }
};

inline std::vector<uint8_t> WriteImage(void* font) {
    const intptr_t s = qrvhost::OpenMemoryStream();
    CRF_Write(font, s);
    std::vector<uint8_t> bytes = qrvhost::MemoryStreamBytes(s);
    qrvhost::CloseStream(s);
    return bytes;
}

inline void* ReadImage(const std::vector<uint8_t>& bytes) {
    const intptr_t s = qrvhost::OpenMemoryStream(bytes.data(), bytes.size());
    void* font = CRF_Read(s);
    qrvhost::CloseStream(s);
    return font;
}

}  // namespace fonttest
