// The namespace that header-only pixel code is compiled into. A file built
// for a wider instruction set names its own before its first include, so its
// inline copies of that code never stand in, at link time, for the copies of
// the baseline build.
#pragma once

#ifndef QRV_ISA
#define QRV_ISA base
#endif
