// Shared pieces of the fuzz targets: reading arguments from the input, the
// reference host with a leak count, and pixel buffers framed by a canary band.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "quorvel.h"
#include "quorvel_host.h"

namespace qrvfuzz {

// Consumes the input front to back; past its end every value is 0.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Empty() const { return pos_ >= size_; }
    size_t Left() const { return Empty() ? 0 : size_ - pos_; }
    const uint8_t* Rest() const { return data_ + pos_; }
    uint8_t U8() { return Empty() ? 0 : data_[pos_++]; }
    uint16_t U16() { return static_cast<uint16_t>(U8() | U8() << 8); }
    uint32_t U32() { return U16() | static_cast<uint32_t>(U16()) << 16; }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    float F32() {
        const uint32_t bits = U32();
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
    }
    // A value in [lo, hi] (hi - lo below 2^32).
    int32_t Range(int32_t lo, int32_t hi) {
        const uint64_t span = static_cast<uint64_t>(int64_t{hi} - lo) + 1;
        return static_cast<int32_t>(lo + static_cast<int64_t>(U32() % span));
    }
    // Mostly near the window [lo, hi), sometimes anywhere in 32 bits: clipping
    // is tried both near the viewport edges and at the extremes.
    int32_t Coord(int32_t lo, int32_t hi) {
        const uint8_t pick = U8();
        if (pick < 8) {
            static const int32_t kExtremes[] = {INT32_MIN, INT32_MIN + 1, -65536, -32769,
                                                32768,     65536,         INT32_MAX - 1, INT32_MAX};
            return kExtremes[pick];
        }
        if (pick < 16) return I32();
        const int32_t width = hi - lo;
        return Range(lo - width - 2, hi + width + 2);
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// Starts the library once and hands it the reference host. A short image may
// claim glyphs up to 2 GiB, which the host zero-fills on reading, so the host
// gives at most 128 MiB of blocks at a time.
inline void StartLibrary() {
    static bool started = false;
    if (started) return;
    started = true;
    QRV_Init_Lib();
    qrvhost::Install();
    qrvhost::LimitLiveBytes(size_t{128} << 20);
}

// Fails the run when host blocks or streams outlive one input.
class HostLeakCheck {
public:
    HostLeakCheck() : blocks_(qrvhost::LiveBlocks()), streams_(qrvhost::OpenStreams()) {}
    ~HostLeakCheck() {
        if (qrvhost::LiveBlocks() != blocks_ || qrvhost::OpenStreams() != streams_) {
            std::fprintf(stderr, "host leak: %zu blocks and %zu streams before, %zu and %zu after\n", blocks_,
                         streams_, qrvhost::LiveBlocks(), qrvhost::OpenStreams());
            std::abort();
        }
    }

private:
    size_t blocks_, streams_;
};

inline int BytesPerPixel(int format) { return format <= 2 ? 2 : format == 3 ? 3 : 4; }

struct Rect {
    int32_t left, top, right, bottom;
};

// A width x height pixel buffer whose rows are padded, inside a band of
// canary bytes. Everything outside the region a call may write must keep its
// canary; Check names the first byte that did not.
class GuardedBuffer {
public:
    static constexpr size_t kBand = 256;
    static constexpr int32_t kRowPad = 12;

    GuardedBuffer(int format, int32_t width, int32_t height)
        : format_(format), width_(width), height_(height),
          pitch_(width * BytesPerPixel(format) + kRowPad),
          bytes_(2 * kBand + static_cast<size_t>(pitch_) * height),
          canary_(bytes_.size()) {
        for (size_t i = 0; i < canary_.size(); ++i) canary_[i] = static_cast<uint8_t>(0xA5 ^ (i * 29) ^ (i >> 7));
        bytes_ = canary_;
    }

    int format() const { return format_; }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    int32_t pitch() const { return pitch_; }
    uint8_t* pixels() { return bytes_.data() + kBand; }

    // Fills the pixels inside the rectangle from the input (the rest keeps its canary).
    void Paint(const Rect& r, Reader& in) {
        const int bpp = BytesPerPixel(format_);
        const uint8_t seed = in.U8();
        for (int32_t y = r.top; y < r.bottom; ++y)
            for (int32_t x = r.left * bpp; x < r.right * bpp; ++x)
                pixels()[static_cast<size_t>(y) * pitch_ + x] = static_cast<uint8_t>(seed * 37 + x * 11 + y * 5);
    }

    // The offset from pixels() of the first byte outside `allowed` (clipped to
    // the buffer) that lost its canary, or -1 when there is none.
    long FirstHitOutside(Rect allowed) const {
        allowed.left = std::max(allowed.left, 0);
        allowed.top = std::max(allowed.top, 0);
        allowed.right = std::min(allowed.right, width_);
        allowed.bottom = std::min(allowed.bottom, height_);
        const int bpp = BytesPerPixel(format_);
        const bool any = allowed.left < allowed.right && allowed.top < allowed.bottom;
        for (size_t i = 0; i < bytes_.size(); ++i) {
            if (bytes_[i] == canary_[i]) continue;
            const long offset = static_cast<long>(i) - static_cast<long>(kBand);
            if (any && offset >= 0) {
                const long y = offset / pitch_, xByte = offset % pitch_;
                if (y >= allowed.top && y < allowed.bottom && xByte >= allowed.left * bpp &&
                    xByte < allowed.right * bpp)
                    continue;
            }
            return offset;
        }
        return -1;
    }
    // Takes the bytes as they are now as the canary for the next check.
    void Commit() { canary_ = bytes_; }

private:
    int format_;
    int32_t width_, height_, pitch_;
    std::vector<uint8_t> bytes_;
    std::vector<uint8_t> canary_;
};

// Aborts, naming the call, when the buffer was written outside `allowed`.
inline void CheckBand(const GuardedBuffer& buffer, const Rect& allowed, const char* what, const char* call) {
    const long hit = buffer.FirstHitOutside(allowed);
    if (hit == -1) return;
    std::fprintf(stderr,
                 "guard band hit: %s wrote %s at byte offset %ld (pitch %d, format %d, allowed [%d, %d) x [%d, %d))\n",
                 call, what, hit, buffer.pitch(), buffer.format(), allowed.left, allowed.right, allowed.top,
                 allowed.bottom);
    std::abort();
}

// CheckBand, then the buffer as it stands is the canary of the next call.
inline void CheckAndCommit(GuardedBuffer& buffer, const Rect& allowed, const char* what, const char* call) {
    CheckBand(buffer, allowed, what, call);
    buffer.Commit();
}

}  // namespace qrvfuzz
