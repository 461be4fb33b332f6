// The 32-byte kernel set's copy of a span position by position (a turned or
// scaled quad), declared apart from the rest of the textured code so that the
// one file built with AVX2 includes nothing else.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qrv {

// What each texel becomes: copied, skipped when equal to the key, or each
// byte two less (the channel filter at a whole texel).
enum class TurnedTexels : int { Copy, SkipKey, LessTwo };

// The texels at positions (u + k du, v + k dv) in 16.16 of a 32-bit texture
// whose rows all lie within 2^31 bytes of `texels` (the first row's start),
// to out[k], for k from 0 in whole groups of eight below width; gives the
// count done, which the caller's loop goes on from.
using TurnedCopyRow = int32_t (*)(uint32_t* out, const uint8_t* texels, int32_t pitch, int32_t u, int32_t v,
                                  int32_t du, int32_t dv, int32_t width, TurnedTexels rule, uint32_t key);

// The AVX2 row, null in builds without it.
TurnedCopyRow WideTurnedCopyRow();

}  // namespace qrv
