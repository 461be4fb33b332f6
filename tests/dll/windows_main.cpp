// The DLL test: loads quorvel.dll, resolves every export by its decorated
// stdcall name, draws the reference scene through checked calls and prints
// one hash per (format, MMX state, kernel set).
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "checked_call.h"
#include "checked_calls.h"
#include "reference_scene.h"

// Last: its CopyMemory and FillMemory macros would rename the callers above.
#include <windows.h>


namespace dlltest {
namespace {

constexpr int kExportCount = static_cast<int>(sizeof(kExports) / sizeof(kExports[0]));
void* procs[kExportCount];
bool called[kExportCount];
int breaches = 0;
long calls = 0;

}  // namespace

void* Proc(int index) { return procs[index]; }

CallFrame Invoke(int index, const uint32_t* words, int count, bool floatResult) {
    CallFrame f{};
    f.fn = procs[index];
    if (f.fn == nullptr) {
        std::printf("FAIL %s is called but not exported\n", kExports[index].name);
        std::exit(2);
    }
    f.words = words;
    f.count = count;
    f.floatResult = floatResult ? 1 : 0;
    qrvCallChecked(&f);
    called[index] = true;
    ++calls;
    if (f.espDelta != 0 || !f.keptRegisters) {
        if (++breaches <= 20)
            std::printf("FAIL %s: stack pointer moved by %d bytes, registers %s\n", kExports[index].name, f.espDelta,
                        f.keptRegisters ? "kept" : "clobbered");
    }
    return f;
}

}  // namespace dlltest

int main(int argc, char** argv) {
    using namespace dlltest;
    const char* path = argc > 1 ? argv[1] : "quorvel.dll";
    // The first line tells the script that wine started us, whatever follows.
    std::printf("loading %s\n", path);
    std::fflush(stdout);
    HMODULE dll = LoadLibraryA(path);
    if (dll == nullptr) {
        std::printf("FAIL cannot load %s (error %lu)\n", path, GetLastError());
        return 2;
    }
    int failures = 0, resolved = 0;
    for (int i = 0; i < kExportCount; ++i) {
        char decorated[128];
        std::snprintf(decorated, sizeof decorated, "_%s@%d", kExports[i].name, 4 * kExports[i].argc);
        procs[i] = reinterpret_cast<void*>(GetProcAddress(dll, decorated));
        if (procs[i] != nullptr) ++resolved;
        if (GetProcAddress(dll, kExports[i].name) != nullptr) {
            std::printf("FAIL %s is exported undecorated\n", kExports[i].name);
            ++failures;
        }
    }
    for (const char* name : kPromised) {
        bool found = false;
        for (int i = 0; i < kExportCount; ++i)
            if (std::strcmp(kExports[i].name, name) == 0) found = procs[i] != nullptr;
        if (!found) {
            std::printf("FAIL %s is listed for export but does not resolve\n", name);
            ++failures;
        }
    }
    // 1, or -1 where no display driver offers a vertical blank (headless wine).
    const int32_t init = checked::QRV_Init_Lib();
    std::printf("QRV_Init_Lib returned %d\n", init);
    if (init != 1 && init != -1) {
        std::printf("FAIL QRV_Init_Lib returned neither 1 nor -1\n");
        ++failures;
    }
    failures += scene::DrawAll();
    checked::QRV_Close_Lib();
    int uncalled = 0;
    for (int i = 0; i < kExportCount; ++i)
        if (procs[i] != nullptr && !called[i]) ++uncalled;
    std::printf("exports: %d of %d resolved, %d of them not called by the scene; %ld checked calls, %d breaches\n",
                resolved, kExportCount, uncalled, calls, breaches);
    if (uncalled > 0) {
        std::printf("not called:");
        for (int i = 0; i < kExportCount; ++i)
            if (procs[i] != nullptr && !called[i]) std::printf(" %s", kExports[i].name);
        std::printf("\n");
    }
    FreeLibrary(dll);
    return failures + breaches == 0 ? 0 : 1;
}
