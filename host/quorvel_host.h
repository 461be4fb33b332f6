// A reference host for the library's service table: memory blocks, texts and
// byte streams over files or over memory buffers.
//
//     QRV_Init_Lib();
//     qrvhost::Install();                        // GCF_Retrieve with these services
//     void* font = CRF_Load(qrvhost::Path("font.crf"));
//
// The argument of CRF_Save and CRF_Load is a file path (qrvhost::Path). Memory
// streams serve CRF_Write and CRF_Read without touching the file system.
// Not thread-safe, like the library itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "quorvel.h"

namespace qrvhost {

// A record whose service slots hold the reference services (the others are 0).
const QrvHostRecord& Record();
// Hands Record() to the library.
void Install();

// The address of a block's first byte (what a font stores for a glyph block
// that CRF_CompressChr returned), null for anything that is no block.
void* BlockAddress(intptr_t block);

// The argument that names a file for CRF_Save and CRF_Load: the address of a
// zero-terminated path, which must stay valid during the call.
inline intptr_t Path(const char* path) { return reinterpret_cast<intptr_t>(path); }

// A readable and writable stream over a copy of the bytes (none: empty),
// positioned at 0. Close it with CloseStream.
intptr_t OpenMemoryStream(const void* data = nullptr, size_t size = 0);
// The bytes of a memory stream (empty for any other reference).
std::vector<uint8_t> MemoryStreamBytes(intptr_t stream);
void CloseStream(intptr_t stream);

// Blocks and texts not yet released, and streams not yet closed.
size_t LiveBlocks();
size_t OpenStreams();
// After `count` further successful allocations every allocation fails, until
// called again with a negative count (the default: never fail).
void FailAllocationsAfter(long count);
// Allocations fail once the live blocks would hold more than `bytes` bytes in
// all (the default is 2 GiB). The host cannot say where a stream ends, so an
// image may ask for blocks as large as the length it claims; a host that
// reads untrusted images caps what it gives.
void LimitLiveBytes(size_t bytes);

}  // namespace qrvhost
