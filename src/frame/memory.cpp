// Raw memory helpers for the host: block copy, element fills, byte compare
// and run-length scans over memory and over the destination buffer.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cwchar>

#include "frame/colour.h"
#include "frame/isa.h"
#include "frame/state.h"
#include "primitives/pixel_format.h"
#include "quorvel.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

using namespace qrv;

namespace {

// Size codes 1 to 4 are element sizes in bytes; the fills take the code
// modulo 8 with 0 read as 1, and 5 to 7 write nothing (0 here).
int32_t FillElementBytes(int32_t sizeCode) {
    const int32_t code = sizeCode & 7;
    if (code == 0) return 1;
    return code <= 4 ? code : 0;
}

uint8_t* At(uint8_t* p, int64_t offset) {
    return reinterpret_cast<uint8_t*>(reinterpret_cast<uintptr_t>(p) + static_cast<uintptr_t>(offset));
}

void StoreElement(uint8_t* p, uint32_t value, int32_t bytes) {
    if (bytes == 1) {
        *p = static_cast<uint8_t>(value);
    } else if (bytes == 2) {
        const uint16_t v = static_cast<uint16_t>(value);
        std::memcpy(p, &v, 2);
    } else if (bytes == 3) {
        p[0] = static_cast<uint8_t>(value);
        p[1] = static_cast<uint8_t>(value >> 8);
        p[2] = static_cast<uint8_t>(value >> 16);
    } else {
        std::memcpy(p, &value, 4);
    }
}

// Blocks of up to 64 bytes move in a few overlapping accesses, every load
// before any store (so a block may overlap a higher source), without the cost
// of a library call.
constexpr size_t kSmallBlock = 64;

void CopySmall(const uint8_t* s, uint8_t* d, size_t n) {
#if defined(__SSE2__)
    if (n >= 16) {
        auto load = [](const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
        auto store = [](uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); };
        if (n <= 32) {
            const __m128i a = load(s), b = load(s + n - 16);
            store(d, a);
            store(d + n - 16, b);
        } else {
            const __m128i a = load(s), b = load(s + 16), c = load(s + n - 32), e = load(s + n - 16);
            store(d, a);
            store(d + 16, b);
            store(d + n - 32, c);
            store(d + n - 16, e);
        }
        return;
    }
#else
    if (n >= 16) {
        std::memmove(d, s, n);
        return;
    }
#endif
    if (n >= 8) {
        uint64_t a, b;
        std::memcpy(&a, s, 8);
        std::memcpy(&b, s + n - 8, 8);
        std::memcpy(d, &a, 8);
        std::memcpy(d + n - 8, &b, 8);
    } else if (n >= 4) {
        uint32_t a, b;
        std::memcpy(&a, s, 4);
        std::memcpy(&b, s + n - 4, 4);
        std::memcpy(d, &a, 4);
        std::memcpy(d + n - 4, &b, 4);
    } else if (n > 0) {
        const uint8_t a = s[0], b = s[n / 2], c = s[n - 1];
        d[0] = a;
        d[n / 2] = b;
        d[n - 1] = c;
    }
}

// A 32-bit pattern whose period (1, 2 or 4 bytes) divides the block's length,
// so that the last, overlapping store keeps the phase.
void FillSmall(uint8_t* p, size_t bytes, uint32_t pattern) {
#if defined(__SSE2__)
    if (bytes >= 16) {
        const __m128i v = _mm_set1_epi32(static_cast<int>(pattern));
        auto store = [v](uint8_t* at) { _mm_storeu_si128(reinterpret_cast<__m128i*>(at), v); };
        store(p);
        store(p + bytes - 16);
        if (bytes > 32) {
            store(p + 16);
            store(p + bytes - 32);
        }
        return;
    }
#else
    for (; bytes >= 16; bytes -= 4, p += 4) std::memcpy(p, &pattern, 4);
#endif
    if (bytes >= 8) {
        const uint64_t wide = pattern * 0x100000001ull;
        std::memcpy(p, &wide, 8);
        std::memcpy(p + bytes - 8, &wide, 8);
    } else if (bytes >= 4) {
        std::memcpy(p, &pattern, 4);
        std::memcpy(p + bytes - 4, &pattern, 4);
    } else if (bytes == 2) {
        std::memcpy(p, &pattern, 2);
    } else if (bytes > 0) {  // bytes of one value
        p[0] = p[bytes / 2] = p[bytes - 1] = static_cast<uint8_t>(pattern);
    }
}

// Longer blocks of a pattern with the same period.
void FillPattern32(uint8_t* p, size_t bytes, uint32_t pattern) {
    if (pattern == (pattern & 255) * 0x01010101u) {
        std::memset(p, static_cast<int>(pattern & 255), bytes);
        return;
    }
    if constexpr (kWideLibraryFill) {
        if (bytes % 4 == 0 && reinterpret_cast<uintptr_t>(p) % alignof(wchar_t) == 0) {
            std::wmemset(reinterpret_cast<wchar_t*>(p), static_cast<wchar_t>(pattern), bytes / 4);
            return;
        }
    }
#if defined(__SSE2__)
    const __m128i v = _mm_set1_epi32(static_cast<int>(pattern));
    uint8_t* const last = p + bytes - 16;
    for (; p + 16 <= last; p += 32) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), v);
    }
    if (p < last) _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(last), v);
#else
    for (; bytes >= 4; bytes -= 4, p += 4) std::memcpy(p, &pattern, 4);
    if (bytes >= 2) std::memcpy(p, &pattern, 2);
#endif
}

// Three-byte elements: four of them make three 32-bit words.
void Fill24(uint8_t* p, size_t count, uint32_t value) {
    const uint32_t b0 = value & 255, b1 = (value >> 8) & 255, b2 = (value >> 16) & 255;
    if (b0 == b1 && b1 == b2) {
        std::memset(p, static_cast<int>(b0), count * 3);
        return;
    }
    const uint32_t w0 = b0 | (b1 << 8) | (b2 << 16) | (b0 << 24);
    const uint32_t w1 = b1 | (b2 << 8) | (b0 << 16) | (b1 << 24);
    const uint32_t w2 = b2 | (b0 << 8) | (b1 << 16) | (b2 << 24);
    for (; count >= 4; count -= 4, p += 12) {
        std::memcpy(p, &w0, 4);
        std::memcpy(p + 4, &w1, 4);
        std::memcpy(p + 8, &w2, 4);
    }
    for (; count > 0; --count, p += 3) StoreElement(p, value, 3);
}

// Overlapping copy to a higher address: a front-to-back copy of 32-bit words
// re-reads bytes it has already written, which repeats the leading bytes
// through the block; callers use that as a pattern fill.
void CopyForwardThroughOverlap(const uint8_t* s, uint8_t* d, size_t n) {
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        uint32_t w;
        std::memcpy(&w, s + i, 4);
        std::memcpy(d + i, &w, 4);
    }
    for (; i < n; ++i) d[i] = s[i];
}

template <int Bytes>
int32_t RunLength(const uint8_t* p, int64_t step, int32_t maxCount, int32_t value) {
    int32_t n = 0;
    for (; n < maxCount; ++n, p = At(const_cast<uint8_t*>(p), step)) {
        int32_t element;
        if constexpr (Bytes == 1) {
            element = static_cast<int8_t>(*p);
        } else if constexpr (Bytes == 2) {
            int16_t v;
            std::memcpy(&v, p, 2);
            element = v;
        } else {
            std::memcpy(&element, p, 4);
        }
        if (element != value) break;
    }
    return n;
}

uint32_t LoadPixel(const uint8_t* p, int32_t format) {
    switch (format) {
        case 1: case 2: return Format565::Load(p);
        case 3: return Format24::Load(p);
        default: return Format32::Load(p);
    }
}

}  // namespace

extern "C" {

QRV_API void QRV_CALL CopyMemory(void* source, void* destination, int32_t length) {
    if (length <= 0) return;
    const auto* s = static_cast<const uint8_t*>(source);
    auto* d = static_cast<uint8_t*>(destination);
    const size_t n = static_cast<size_t>(length);
    const uintptr_t from = reinterpret_cast<uintptr_t>(s), to = reinterpret_cast<uintptr_t>(d);
    if (to > from && to - from < n) {
        CopyForwardThroughOverlap(s, d, n);
    } else if (n <= kSmallBlock) {
        CopySmall(s, d, n);
    } else if (to <= from && from - to < n) {
        std::memmove(d, s, n);  // front to back reads every byte before it is overwritten
    } else {
        std::memcpy(d, s, n);
    }
}

QRV_API void QRV_CALL FillMemory(void* destination, int32_t count, uint32_t value, int32_t sizeCode) {
    const int32_t bytes = FillElementBytes(sizeCode);
    if (count <= 0 || bytes == 0) return;
    auto* p = static_cast<uint8_t*>(destination);
    const size_t n = static_cast<size_t>(count);
    if (bytes == 3) {
        Fill24(p, n, value);
        return;
    }
    // The element replicated through a 32-bit word, sizes 1, 2 and 4 alike.
    static constexpr uint32_t kMask[5] = {0, 0xFF, 0xFFFF, 0, 0xFFFFFFFF};
    static constexpr uint32_t kSpread[5] = {0, 0x01010101, 0x00010001, 0, 1};
    const uint32_t pattern = (value & kMask[bytes]) * kSpread[bytes];
    const size_t total = n * static_cast<size_t>(bytes);
    if (total <= kSmallBlock) {
        FillSmall(p, total, pattern);
    } else {
        FillPattern32(p, total, pattern);
    }
}

QRV_API void QRV_CALL FillMemoryEx(void* destination, int32_t stride, int32_t count, uint32_t value,
                                   int32_t sizeCode) {
    const int32_t bytes = FillElementBytes(sizeCode);
    if (count <= 0 || stride == 0 || bytes == 0) return;
    const int64_t step = int64_t{stride} * bytes;
    auto* p = static_cast<uint8_t*>(destination);
    for (int32_t i = 0; i < count; ++i, p = At(p, step)) StoreElement(p, value, bytes);
}

QRV_API int32_t QRV_CALL CompareBytes(void* a, void* b, int32_t length) {
    if (length < 1) return 1;
    return std::memcmp(a, b, static_cast<size_t>(length)) == 0 ? 1 : 0;
}

QRV_API int32_t QRV_CALL QRV_FindRunLength(void* start, int32_t direction, int32_t maxCount, int32_t sizeCode,
                                           int32_t value) {
    if (maxCount < 1) return 0;
    const auto* p = static_cast<const uint8_t*>(start);
    const int64_t sign = direction >= 0 ? 1 : -1;
    switch (sizeCode) {
        case 1: return RunLength<1>(p, sign, maxCount, value);
        case 2: return RunLength<2>(p, 2 * sign, maxCount, value);
        case 4: return RunLength<4>(p, 4 * sign, maxCount, value);
        default: return 0;
    }
}

QRV_API int32_t QRV_CALL QRV_PixelRunLength(int32_t x, int32_t y, int32_t dx, int32_t dy, uint32_t colour) {
    const Buffer& b = g.dest;
    const int bpp = BytesPerPixel(b.format);
    if ((dx == 0 && dy == 0) || bpp == 0 || b.base == nullptr) return 0;
    const uint32_t mask = b.format == 5 ? 0xFFFFFFFFu : 0x00FFFFFFu;
    const uint32_t target = ForBuffer(colour, b.format) & mask;
    const Viewport v = View();
    // Positions in 64 bits: a step can only leave the viewport, never wrap back into it.
    int64_t px = x, py = y;
    int32_t n = 0;
    while (px >= v.left && px < v.right && py >= v.top && py < v.bottom && n < INT32_MAX) {
        const uint8_t* p = RowAddress(b, static_cast<int32_t>(py)) + static_cast<ptrdiff_t>(px) * bpp;
        if ((LoadPixel(p, b.format) & mask) != target) break;
        ++n;
        px += dx;
        py += dy;
    }
    return n;
}

}  // extern "C"
