#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <numeric>
#include <vector>

#include "support/canvas.h"
#include "quorvel.h"

namespace {

constexpr uint8_t kGuard = 0xEE;

// A byte block with guard bytes on both sides; offsets are relative to the middle.
struct Block {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(256, kGuard);
    uint8_t* At(int offset) { return bytes.data() + 128 + offset; }
    std::vector<uint8_t> Range(int from, int to) { return {At(from), At(to)}; }
    int Written() const { return static_cast<int>(bytes.size() - std::count(bytes.begin(), bytes.end(), kGuard)); }
};

// Copies run from the first argument to the second. Onto a higher address
// that overlaps, the copy runs front to back in words and repeats the leading
// bytes; onto a lower one the block moves whole, at every length.
TEST(MemoryCopy, SeparateAndOverlappingBlocks) {
    for (int length = -5; length <= 101; ++length) {
        Block src, dst, self;
        std::iota(src.At(0), src.At(110), uint8_t{1});
        std::iota(self.At(0), self.At(110), uint8_t{1});
        std::vector<uint8_t> moved = self.bytes;
        if (length > 0) std::memmove(moved.data() + 128 - 5, moved.data() + 128, static_cast<size_t>(length));
        CopyMemory(src.At(0), dst.At(0), length);
        CopyMemory(self.At(0), self.At(-5), length);
        ASSERT_EQ(dst.Written(), std::max(length, 0)) << length;
        ASSERT_EQ(dst.Range(0, std::max(length, 0)), src.Range(0, std::max(length, 0))) << length;
        ASSERT_EQ(self.bytes, moved) << length;
    }
    const struct { int offset, length; std::vector<uint8_t> want; } cases[] = {
        {4, 10, {1, 2, 3, 4, 1, 2, 3, 4, 1, 2, 3, 4, 1, 2}},
        {2, 9, {1, 2, 1, 2, 3, 4, 3, 4, 7, 8, 7}},
        {-3, 6, {1, 2, 3, 4, 5, 6, 4, 5, 6}},
    };
    for (const auto& c : cases) {
        Block b;
        std::iota(b.At(0), b.At(16), uint8_t{1});
        CopyMemory(b.At(0), b.At(c.offset), c.length);
        const int from = std::min(0, c.offset);
        EXPECT_EQ(b.Range(from, from + static_cast<int>(c.want.size())), c.want) << c.offset;
    }
}

// Elements of one to four bytes, low byte first, from every alignment and at
// counts on both sides of the short-fill path. The size code is read modulo
// 8, 0 meaning 1; codes 5 to 7 and counts below 1 write nothing.
TEST(MemoryFill, EverySizeCodeAtEveryAlignment) {
    constexpr uint32_t kValue = 0x11C0FF17;  // no byte equals the guard
    for (auto [code, size] : {std::pair{1, 1}, {2, 2}, {3, 3}, {4, 4}, {8, 1}, {12, 4}})
        for (int start = 0; start < 4; ++start)
            for (int count : {1, 2, 3, 5, 6, 9, 15, 16, 33, 200}) {
                std::vector<uint8_t> buf(1024, kGuard);
                FillMemory(buf.data() + start, count, kValue, code);
                for (int i = 0; i < static_cast<int>(buf.size()); ++i) {
                    const int k = i - start;
                    const uint8_t want = k >= 0 && k < count * size ? (kValue >> (8 * (k % size))) & 255 : kGuard;
                    ASSERT_EQ(buf[i], want) << code << " " << start << " " << count << " " << i;
                }
            }
    for (auto [count, code] : {std::pair{4, 5}, {4, 6}, {4, 7}, {0, 1}, {-4, 4}}) {
        Block b;
        FillMemory(b.At(0), count, kValue, code);
        EXPECT_EQ(b.Written(), 0) << count << " of code " << code;
    }
}

TEST(MemoryFill, StridedFillSteps) {
    Block b;
    FillMemoryEx(b.At(0), -1, 4, 7, 4);  // words at 0, -4, -8, -12
    EXPECT_EQ(b.Range(-12, 4), (std::vector<uint8_t>{7, 0, 0, 0, 7, 0, 0, 0, 7, 0, 0, 0, 7, 0, 0, 0}));
    Block c;
    FillMemoryEx(c.At(0), 2, 3, 0xA1B2C3, 3);  // one element every six bytes
    const uint8_t g = kGuard;
    EXPECT_EQ(c.Range(0, 15),
              (std::vector<uint8_t>{0xC3, 0xB2, 0xA1, g, g, g, 0xC3, 0xB2, 0xA1, g, g, g, 0xC3, 0xB2, 0xA1}));
    for (auto [stride, count, code] : {std::tuple{0, 4, 1}, {3, 0, 1}, {3, -1, 1}, {1, 4, 5}}) {
        Block d;
        FillMemoryEx(d.At(0), stride, count, 1, code);
        EXPECT_EQ(d.Written(), 0);
    }
    EXPECT_EQ(b.Written() + c.Written(), 16 + 9);
}

TEST(MemoryCompare, Bytes) {
    uint8_t a[] = {1, 2, 3, 4, 5}, b[] = {1, 2, 3, 4, 6};
    for (auto [length, want] : {std::pair{4, 1}, {5, 0}, {0, 1}, {INT_MIN, 1}}) EXPECT_EQ(CompareBytes(a, b, length), want);
}

// Elements compare as signed values of their size; a zero direction stays put.
TEST(MemoryRunLength, SignedElementsBothWays) {
    uint8_t bytes[10];
    std::memset(bytes, 0xFF, sizeof bytes);
    int32_t words[] = {9, 7, 7, 7, 5};
    const struct { void* start; int direction, count, code, value, want; } cases[] = {
        {bytes, 1, 10, 1, 255, 0},     {bytes, 1, 10, 1, -1, 10},     {bytes, 1, 4, 1, -1, 4},
        {bytes + 9, -1, 10, 1, -1, 10}, {bytes, 1, 5, 2, -1, 5},       {bytes, 1, 5, 2, 0xFFFF, 0},
        {&words[3], -1, 3, 4, 7, 3},   {&words[3], -2, 10, 4, 7, 3},  {&words[1], 0, 10, 4, 7, 3},
        {&words[1], 1, 0, 4, 7, 0},    {&words[1], 1, -3, 4, 7, 0},   {&words[1], 1, 3, 3, 7, 0},
        {&words[1], 1, 3, 0, 7, 0},    {&words[1], 1, 3, 8, 7, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(QRV_FindRunLength(c.start, c.direction, c.count, c.code, c.value), c.want)
            << "element " << c.code << " direction " << c.direction << " count " << c.count << " value " << c.value;
}

// Steps never wrap back into the viewport; the alpha byte counts only in format 5.
TEST(MemoryRunLength, PixelsInsideTheViewport) {
    QRV_Init_Lib();
    qrvtest::Canvas c(8, 6, QRV_FORMAT_565);
    c.Select();
    QRV_SetBufferViewPort(1, 1, 6, 5);
    for (int x = 0; x < 8; ++x) QRV_Dot(x, 2, 0xFF0000, 1);
    const int32_t cases[][6] = {{1, 2, 1, 0, 0xFF0000, 5}, {1, 2, 1, 0, 0xF80000, 5}, {5, 2, 1, 0, 0xFF0000, 1},
                                {5, 2, -2, 0, 0xFF0000, 3}, {3, 2, 0, 1, 0xFF0000, 1}, {0, 2, 1, 0, 0xFF0000, 0},
                                {3, 2, 0, 0, 0xFF0000, 0}, {3, 2, INT_MIN, 0, 0xFF0000, 1},
                                {3, 2, INT_MAX, INT_MIN, 0xFF0000, 1}};
    for (const auto& k : cases)
        EXPECT_EQ(QRV_PixelRunLength(k[0], k[1], k[2], k[3], static_cast<uint32_t>(k[4])), k[5])
            << k[0] << "," << k[1] << " step " << k[2] << "," << k[3];
    for (int format : {QRV_FORMAT_24, QRV_FORMAT_32, QRV_FORMAT_ARGB}) {
        qrvtest::Canvas d(4, 1, format);
        d.Select();
        for (int x = 0; x < 4; ++x) d.Set(x, 0, x < 3 ? 0x80123456u & (format == 3 ? 0xFFFFFF : ~0u) : 0);
        EXPECT_EQ(QRV_PixelRunLength(0, 0, 1, 0, 0x00123456), format == QRV_FORMAT_ARGB ? 0 : 3) << format;
        EXPECT_EQ(QRV_PixelRunLength(0, 0, 1, 0, 0x80123456), 3) << format;
    }
    QRV_SetBuffer(c.Base(), c.pitch, 9);
    EXPECT_EQ(QRV_PixelRunLength(3, 2, 1, 0, 0xFF0000), 0);
}

}  // namespace
