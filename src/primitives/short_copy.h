// Copies of short rows between buffers that share no bytes. A call into the
// C library per row costs more than a row of a tile or small sprite, so they
// are copied here in whole pieces (longer rows go to the library, whose
// copies are wider than ours); pieces that overlap each other within the row
// rewrite the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace qrv {

constexpr size_t kShortRowBytes = 96;

// N bytes; pieces longer than 16 bytes go 16 at a time (the compiler keeps a
// temporary of more than one vector on the stack).
template <size_t N>
inline void CopyPiece(uint8_t* d, const uint8_t* s) {
    if constexpr (N > 16) {
        CopyPiece<16>(d, s);
        CopyPiece<N - 16>(d + 16, s + 16);
    } else {
        uint8_t piece[N];
        std::memcpy(piece, s, N);
        std::memcpy(d, piece, N);
    }
}

// n bytes, n at most kShortRowBytes.
inline void CopyShortRow(uint8_t* d, const uint8_t* s, size_t n) {
    if (n >= 16) {
        size_t i = 0;
        for (; i + 16 <= n; i += 16) CopyPiece<16>(d + i, s + i);
        if (i < n) CopyPiece<16>(d + n - 16, s + n - 16);
    } else if (n >= 8) {
        CopyPiece<8>(d, s);
        CopyPiece<8>(d + n - 8, s + n - 8);
    } else if (n >= 4) {
        CopyPiece<4>(d, s);
        CopyPiece<4>(d + n - 4, s + n - 4);
    } else if (n >= 2) {
        CopyPiece<2>(d, s);
        CopyPiece<2>(d + n - 2, s + n - 2);
    } else if (n == 1) {
        *d = *s;
    }
}

// n bytes of any length.
inline void CopyRowBytes(void* d, const void* s, size_t n) {
    if (n <= kShortRowBytes) CopyShortRow(static_cast<uint8_t*>(d), static_cast<const uint8_t*>(s), n);
    else std::memcpy(d, s, n);
}

}  // namespace qrv
