// The namespace that header-only pixel code is compiled into. A file built
// for a wider instruction set names its own before its first include, so its
// inline copies of that code never stand in, at link time, for the copies of
// the baseline build.
#pragma once

#ifndef QRV_ISA
#define QRV_ISA base
#endif

namespace qrv {

// Whether long 32-bit fills go to the C library's wide-character fill: where
// its element is a 32-bit word and the library picks the widest stores of the
// running processor (x86-64; its 32-bit x86 fill is a plain loop, slower
// than the packed fills here).
#if defined(__x86_64__)
inline constexpr bool kWideLibraryFill = sizeof(wchar_t) == 4;
#else
inline constexpr bool kWideLibraryFill = false;
#endif

}  // namespace qrv
