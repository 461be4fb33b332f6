// The reference scene drawn by a Linux build of the library: one hash per
// (format, MMX state, kernel set), in the same form as the DLL test prints.
#include <cstdio>
#include <cstdlib>

#include "quorvel.h"
#include "reference_scene.h"

int main() {
    int failures = 0;
    if (QRV_Init_Lib() != 1) {
        std::printf("FAIL QRV_Init_Lib did not return 1\n");
        ++failures;
    }
    failures += scene::DrawAll();
    QRV_Close_Lib();
    return failures == 0 ? 0 : 1;
}
