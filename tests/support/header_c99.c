/* The public header compiles as plain C99. */
#include "quorvel.h"

int32_t HeaderCheckModulo(void) { return QRV_GetVertexBufferModulo(); }
