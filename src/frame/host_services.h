// The host's services as the library calls them. Every wrapper gives 0 (and
// does nothing) while its slot is empty, so that a font call made before
// GCF_Retrieve fails cleanly instead of jumping through a null pointer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "quorvel.h"

namespace qrv::host {

inline constexpr intptr_t kCurrent = -1;  // stream position: where the stream stands

intptr_t AllocBlock(intptr_t size);
void FreeBlock(intptr_t block);
void FreeAddress(const void* address);
void* BlockAddress(intptr_t block);

intptr_t OpenRead(intptr_t argument);
intptr_t OpenWrite(intptr_t argument);
void CloseStream(intptr_t stream);
int64_t StreamPos(intptr_t stream);
void StreamSeek(intptr_t stream, int64_t position);
uint32_t ReadWord(intptr_t stream, intptr_t position);
uint32_t ReadLong(intptr_t stream, intptr_t position);
void ReadToMemory(intptr_t stream, intptr_t position, void* address, intptr_t length);
void WriteWord(intptr_t stream, intptr_t position, uint32_t value);
void WriteLong(intptr_t stream, intptr_t position, uint32_t value);
void WriteMemory(intptr_t stream, intptr_t position, const void* first, size_t length);

// A zero-filled block of the host's memory by its address (released with
// FreeAddress), or null when the host has none to give.
void* AllocAddress(size_t size);

}  // namespace qrv::host
