// Calls into quorvel.dll through its export table: every export is resolved
// by its decorated stdcall name, and every call goes through a trampoline
// that enters the callee with a stack aligned to 8 modulo 16 (the Windows ABI
// promises only 4) and checks that the callee popped exactly its arguments
// and kept the registers it must keep.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace dlltest {

struct ExportName {
    const char* name;
    int argc;
};

struct CallFrame {
    void* fn;               // 0
    const uint32_t* words;  // 4
    int32_t count;          // 8
    int32_t floatResult;    // 12: pop st(0) into st0
    uint32_t eax;           // 16
    uint32_t edx;           // 20
    int32_t espDelta;       // 24: stack pointer after the call minus before
    int32_t keptRegisters;  // 28: 1 when ebx, esi, edi and ebp survived
    double st0;             // 32
    uint32_t expectedEsp;   // 40: the trampoline's own scratch
};
static_assert(offsetof(CallFrame, espDelta) == 24 && offsetof(CallFrame, st0) == 32 &&
                  offsetof(CallFrame, expectedEsp) == 40,
              "the trampoline addresses these fields by offset");

// The 32-bit stack word of one argument.
template <class T>
uint32_t Word(T v) {
    if constexpr (std::is_pointer_v<T>) {
        return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(v));
    } else if constexpr (std::is_floating_point_v<T>) {
        const float f = static_cast<float>(v);
        uint32_t w;
        std::memcpy(&w, &f, 4);
        return w;
    } else {
        return static_cast<uint32_t>(v);
    }
}

// The trampoline (cdecl): runs frame->fn on frame->count words.
extern "C" void qrvCallChecked(CallFrame* frame);

// Resolved address of export `index` of kExports (null when missing).
void* Proc(int index);
// Runs one call and records any breach of the calling convention.
CallFrame Invoke(int index, const uint32_t* words, int count, bool floatResult);

}  // namespace dlltest
