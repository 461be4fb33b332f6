// The reference scene drawn by a Linux build of the library: one hash per
// (format, MMX state, kernel set), in the same form as the DLL test prints.
#include <cstdio>
#include <cstdlib>

#include "quorvel.h"
#include "reference_scene.h"

int main() {
    const char* kernels = std::getenv("QUORVEL_SIMD");
    int failures = 0;
    if (QRV_Init_Lib() != 1) {
        std::printf("FAIL QRV_Init_Lib did not return 1\n");
        ++failures;
    }
    for (int32_t format : scene::kFormats)
        for (int32_t mmx : scene::kMmxStates) {
            const scene::Result r = scene::Draw(format, mmx);
            std::printf("format %d mmx %d kernels %s hash %016llx\n", format, mmx, kernels ? kernels : "default",
                        static_cast<unsigned long long>(r.hash));
            if (!r.outsideIntact) {
                std::printf("FAIL format %d mmx %d wrote outside the viewport\n", format, mmx);
                ++failures;
            }
        }
    QRV_Close_Lib();
    return failures == 0 ? 0 : 1;
}
