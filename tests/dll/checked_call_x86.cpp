// The call trampoline of the DLL test, in i386 assembly (also built for the
// i686 Linux test of the trampoline itself).
#include "checked_call.h"

#if defined(_WIN32)
#define QRV_TRAMPOLINE "_qrvCallChecked"
#else
#define QRV_TRAMPOLINE "qrvCallChecked"
#endif

// cdecl: void qrvCallChecked(CallFrame*). Pushes the argument words so that
// the callee is entered with esp = 8 (mod 16), calls, then records how far
// the stack pointer moved and whether ebx, esi and edi survived.
asm(".intel_syntax noprefix\n.text\n.globl " QRV_TRAMPOLINE "\n" QRV_TRAMPOLINE ":\n" R"(
    push ebp
    mov ebp, esp
    push ebx
    push esi
    push edi
    mov edi, [ebp+8]
    mov esi, [edi+4]
    mov ecx, [edi+8]
    and esp, -16
    mov eax, 1
    sub eax, ecx
    and eax, 3
    shl eax, 2
    sub esp, eax
    mov ebx, esp
    mov [edi+40], esp
    test ecx, ecx
    jz 2f
1:
    push dword ptr [esi+ecx*4-4]
    dec ecx
    jnz 1b
2:
    call dword ptr [edi]
    push edx
    mov edx, [ebp+8]
    mov [edx+16], eax
    pop eax
    mov [edx+20], eax
    mov ecx, esp
    sub ecx, [edx+40]
    mov [edx+24], ecx
    xor eax, eax
    cmp edi, edx
    jne 3f
    cmp esi, [edx+4]
    jne 3f
    cmp ebx, [edx+40]
    jne 3f
    mov eax, 1
3:
    mov [edx+28], eax
    cmp dword ptr [edx+12], 0
    je 4f
    fstp qword ptr [edx+32]
4:
    lea esp, [ebp-12]
    pop edi
    pop esi
    pop ebx
    pop ebp
    ret
.att_syntax prefix
)");
