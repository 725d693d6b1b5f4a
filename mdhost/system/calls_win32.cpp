// A call into a plugin as the host makes it, cdecl, that sees what the callee
// did to the stack (x86). A __stdcall function takes its arguments off the
// stack itself; called as cdecl, the caller's stack is then off by their
// size, which crashes the host somewhere later. Here the stack is put back
// and the difference told.
#include "mdhost/system/system.h"

namespace host {

intptr_t CallCdecl(void* function, void* first, void* second, int* popped) {
  intptr_t result;
  uintptr_t before, after;
  // esi keeps the stack pointer across the call (the callee preserves it),
  // edi takes it after the call; the stack is then put back from esi.
  __asm__ volatile(
      "movl %%esp, %%esi\n\t"
      "pushl %%edx\n\t"
      "pushl %%ecx\n\t"
      "call *%%ebx\n\t"
      "movl %%esp, %%edi\n\t"
      "movl %%esi, %%esp\n\t"
      : "=a"(result), "=S"(before), "=D"(after), "+c"(first), "+d"(second)
      : "b"(function)
      : "memory", "cc");
  *popped = static_cast<int>(after - (before - 2 * sizeof(void*)));
  return result;
}

}  // namespace host
