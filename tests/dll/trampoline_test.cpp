// The DLL test's call trampoline against stdcall functions whose behaviour is
// known: argument words, results in eax and st(0), the entry alignment, and
// the breaches it must report (a wrong argument count, a clobbered register).
#include <cstdio>

#include "checked_call.h"

namespace {

#define STDCALL __attribute__((stdcall))

extern "C" STDCALL int32_t Weighted(int32_t a, int32_t b, int32_t c) { return a + 2 * b + 3 * c; }
extern "C" STDCALL float Halve(float x) { return x * 0.5f; }
extern "C" STDCALL double Widen(float x, int32_t y) { return static_cast<double>(x) * y; }
extern "C" int32_t CdeclTwo(int32_t a, int32_t b) { return a - b; }

// Returns the stack pointer it was entered with and pops nothing.
extern "C" __attribute__((naked)) uint32_t EntryStack() { asm("mov %esp, %eax\n\tret"); }
// Clobbers ebx, which a callee must keep.
extern "C" __attribute__((naked)) STDCALL void ClobberEbx() { asm("xor %ebx, %ebx\n\tret"); }

int failures = 0;

void Expect(bool ok, const char* what) {
    if (!ok) {
        std::printf("FAIL %s\n", what);
        ++failures;
    }
}

dlltest::CallFrame Call(void* fn, const uint32_t* words, int count, bool floatResult) {
    dlltest::CallFrame f{};
    f.fn = fn;
    f.words = words;
    f.count = count;
    f.floatResult = floatResult ? 1 : 0;
    qrvCallChecked(&f);
    return f;
}

}  // namespace

int main() {
    const uint32_t three[] = {5, 7, 11};
    dlltest::CallFrame f = Call(reinterpret_cast<void*>(&Weighted), three, 3, false);
    Expect(f.eax == 5 + 14 + 33 && f.espDelta == 0 && f.keptRegisters, "stdcall with its own count");
    f = Call(reinterpret_cast<void*>(&Weighted), three, 2, false);
    Expect(f.espDelta == 4, "one word short: the callee pops one word more than was pushed");
    f = Call(reinterpret_cast<void*>(&CdeclTwo), three, 2, false);
    Expect(f.eax == static_cast<uint32_t>(-2) && f.espDelta == -8, "a cdecl callee leaves its words");
    const uint32_t half[] = {dlltest::Word(3.0f)};
    f = Call(reinterpret_cast<void*>(&Halve), half, 1, true);
    Expect(f.st0 == 1.5 && f.espDelta == 0, "float result from st(0)");
    const uint32_t widen[] = {dlltest::Word(2.5f), static_cast<uint32_t>(-4)};
    f = Call(reinterpret_cast<void*>(&Widen), widen, 2, true);
    Expect(f.st0 == -10.0 && f.espDelta == 0, "double result from st(0)");
    for (int count = 0; count < 6; ++count) {
        const uint32_t words[6] = {};
        f = Call(reinterpret_cast<void*>(&EntryStack), words, count, false);
        Expect(f.eax % 16 == 8 && f.espDelta == -4 * count, "entered at 8 modulo 16 whatever the count");
    }
    f = Call(reinterpret_cast<void*>(&ClobberEbx), three, 0, false);
    Expect(!f.keptRegisters && f.espDelta == 0, "a clobbered ebx is reported");
    std::printf("trampoline: %s\n", failures == 0 ? "all checks passed" : "FAILED");
    return failures == 0 ? 0 : 1;
}
