// Display sync: the vertical-blank source opened once and kept, and the two
// exports that wait for the blank and read the scan line.
#include "blit/display_sync.h"

#include "platform/vblank.h"
#include "quorvel.h"

namespace qrv {
namespace {

struct DisplaySync {
    void* source;
    int32_t state;  // 0: not open, 1: open
};

constinit DisplaySync gSync{};

// The open source, opening it on demand; null when it cannot be had.
void* Source() { return EnsureDisplaySync() == 1 ? gSync.source : nullptr; }

}  // namespace

int32_t EnsureDisplaySync() {
    if (gSync.state != 0) return gSync.state;
    gSync.source = platform::OpenVerticalBlank();
    if (gSync.source == nullptr) return -1;
    gSync.state = 1;
    return 1;
}

int32_t ReleaseDisplaySync() {
    if (gSync.state != 1) return gSync.state;
    if (gSync.source != nullptr) platform::CloseVerticalBlank(gSync.source);
    gSync.source = nullptr;
    gSync.state = 0;
    return 0;
}

}  // namespace qrv

using namespace qrv;

extern "C" {

QRV_API int32_t QRV_CALL DX_WaitVBL(void) {
    void* source = Source();
    return source == nullptr ? 0 : platform::WaitVerticalBlank(source);
}

QRV_API int32_t QRV_CALL DX_ScanLine(void) {
    void* source = Source();
    return source == nullptr ? 0 : platform::CurrentScanLine(source);
}

}  // extern "C"
