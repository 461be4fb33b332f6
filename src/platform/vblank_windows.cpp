// The vertical blank from the display driver, which is looked up in its DLL
// at run time: the library must load and draw on systems without it. Only
// the few interface slots called here are declared.
#include "platform/vblank.h"

#if defined(_WIN32)

#include <windows.h>

namespace qrv::platform {
namespace {

struct DriverInterface;
using ReleaseFn = ULONG(WINAPI*)(DriverInterface*);
using GetScanLineFn = HRESULT(WINAPI*)(DriverInterface*, DWORD*);
using WaitForVerticalBlankFn = HRESULT(WINAPI*)(DriverInterface*, DWORD, HANDLE);

// Slots of the version-7 display interface's method table.
constexpr int kReleaseSlot = 2;
constexpr int kGetScanLineSlot = 16;
constexpr int kWaitForVerticalBlankSlot = 22;
constexpr DWORD kWaitBlockBegin = 1;

struct DriverInterface {
    void** methods;
};

template <class Fn>
Fn Method(DriverInterface* object, int slot) {
    return reinterpret_cast<Fn>(object->methods[slot]);
}

using CreateFn = HRESULT(WINAPI*)(GUID*, void**, const GUID&, void*);

constexpr GUID kInterfaceId7 = {0x15e65ec0, 0x3b9c, 0x11d2, {0xb9, 0x2f, 0x00, 0x60, 0x97, 0x97, 0xea, 0x5b}};

// The driver DLL stays loaded while an object made by it is held.
HMODULE gDriverModule;

}  // namespace

void* OpenVerticalBlank() {
    if (gDriverModule == nullptr) gDriverModule = LoadLibraryA("ddraw.dll");
    if (gDriverModule == nullptr) return nullptr;
    const auto create = reinterpret_cast<CreateFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(gDriverModule, "DirectDrawCreateEx")));
    void* object = nullptr;
    if (create == nullptr || FAILED(create(nullptr, &object, kInterfaceId7, nullptr)) || object == nullptr) {
        FreeLibrary(gDriverModule);
        gDriverModule = nullptr;
        return nullptr;
    }
    return object;
}

void CloseVerticalBlank(void* source) {
    auto* object = static_cast<DriverInterface*>(source);
    Method<ReleaseFn>(object, kReleaseSlot)(object);
    if (gDriverModule != nullptr) FreeLibrary(gDriverModule);
    gDriverModule = nullptr;
}

int32_t WaitVerticalBlank(void* source) {
    auto* object = static_cast<DriverInterface*>(source);
    return static_cast<int32_t>(
        Method<WaitForVerticalBlankFn>(object, kWaitForVerticalBlankSlot)(object, kWaitBlockBegin, nullptr));
}

int32_t CurrentScanLine(void* source) {
    auto* object = static_cast<DriverInterface*>(source);
    DWORD line = 0;
    const HRESULT result = Method<GetScanLineFn>(object, kGetScanLineSlot)(object, &line);
    return FAILED(result) ? static_cast<int32_t>(result) : static_cast<int32_t>(line);
}

}  // namespace qrv::platform

#endif
