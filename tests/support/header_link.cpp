// Links a program against the shared library through the public header only.
#include "quorvel.h"

extern "C" int32_t HeaderCheckModulo(void);

int main() {
    if (QRV_Init_Lib() != 1) return 1;
    return HeaderCheckModulo() == 32 && QRV_GetThreadCount() == 8 ? 0 : 1;
}
