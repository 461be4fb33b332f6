// Helpers for the span collision suites: host-style buffers whose unwritten
// words keep a marker, and sprite vertex lists.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "quorvel.h"

namespace qrvtest {

inline constexpr int32_t kMarker = 0x5A5A5A5A;
using Words = std::vector<int32_t>;

struct CollisionTest : ::testing::Test {
    void SetUp() override { QRV_Init_Lib(); }
};

// A span collision buffer of `records` records, every word the marker.
struct SpanBuf {
    Words words;
    explicit SpanBuf(int records = 64) : words(3 + 3 * records, kMarker) {}
    QrvSpanCollisionHeader* Header() { return reinterpret_cast<QrvSpanCollisionHeader*>(words.data()); }
    // The header and the first n records, as words.
    Words Head(int n) const { return {words.begin(), words.begin() + 3 + 3 * n}; }
    // True when no word after the first n records was written.
    bool UntouchedFrom(int n) const {
        for (size_t i = 3 + 3 * n; i < words.size(); ++i)
            if (words[i] != kMarker) return false;
        return true;
    }
};

// A textured span buffer with room for `records` records.
struct TexturedBuf {
    std::vector<uint8_t> bytes;
    explicit TexturedBuf(int records = 80)
        : bytes(sizeof(QrvTexturedSpanHeader) + records * sizeof(QrvTexturedSpanRecord), 0x5A) {}
    QrvTexturedSpanHeader* Header() { return reinterpret_cast<QrvTexturedSpanHeader*>(bytes.data()); }
    QrvTexturedSpanRecord* Records() { return reinterpret_cast<QrvTexturedSpanRecord*>(Header() + 1); }
    // Record i's seven words.
    Words Record(int i) {
        const QrvTexturedSpanRecord& r = Records()[i];
        return {r.y, r.left, r.leftU, r.leftV, r.right, r.rightU, r.rightV};
    }
};

// A host vertex list: x, y, u and v arrays of eight, 32 bytes apart.
struct Vertices {
    int32_t words[32] = {};
    Vertices() = default;
    Vertices(std::initializer_list<std::array<int32_t, 4>> xyuv) {
        int i = 0;
        for (const auto& p : xyuv) words[i] = p[0], words[8 + i] = p[1], words[16 + i] = p[2], words[24 + i++] = p[3];
    }
};

// An axis-aligned sprite quad at (x, y) mapping texels 0..w, 0..h.
inline Vertices SpriteQuad(int32_t x, int32_t y, int32_t w, int32_t h) {
    return Vertices{{x, y, 0, 0}, {x + w, y, w, 0}, {x + w, y + h, w, h}, {x, y + h, 0, h}};
}

}  // namespace qrvtest
