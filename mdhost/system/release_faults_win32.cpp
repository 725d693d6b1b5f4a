// Faults in a plugin's release, on Win32. The loader calls DllMain and the
// TLS callbacks at detach inside a handler of its own (Wine's swallows an
// access violation there, and FreeLibrary returns TRUE), so the crash
// reporter never hears of them; in the host the same plugin crashes at
// unload. A vectored handler sees each fault first, notes one raised in the
// request's code while the watch is on, and lets the search go on.
#include <windows.h>

#include "mdhost/system/fault_description_win32.h"
#include "mdhost/system/system.h"

namespace host {
namespace {

// Set on the examining thread while nothing runs of the plugin's: read by
// the handler on the same thread.
struct ReleaseWatch {
  volatile bool on = false;
  volatile bool noted = false;
  DWORD thread = 0;
  fault_report::FixedText fault;
} watch;

bool IsFault(DWORD code) {
  switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_STACK_OVERFLOW:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_UNDERFLOW:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_STACK_CHECK: return true;
    default: return false;
  }
}

// Whether `address` lies in code the request under way brought in.
bool RequestsCode(uintptr_t address) {
  fault_report::FixedText ignored;
  fault_report::Facts facts;
  fault_report::DescribeAddress(ignored, address, &facts);
  return facts.image[0] != '\0' && facts.request == fault_report::current_request;
}

// A frame of the plugin's own on this thread's handler chain (its __try, a
// C++ frame of its runtime) may take the fault: no crash of its then.
bool OwnHandlerOnChain() {
#if defined(__i386__)
  struct Frame {
    Frame* next;
    void* handler;
  };
  uintptr_t self = 0;  // the thread's block names itself at fs:0x18
  __asm__("movl %%fs:0x18, %0" : "=r"(self));
  const NT_TIB* tib = reinterpret_cast<const NT_TIB*>(self);
  const uintptr_t low = reinterpret_cast<uintptr_t>(tib->StackLimit);
  const uintptr_t high = reinterpret_cast<uintptr_t>(tib->StackBase);
  const Frame* frame = reinterpret_cast<const Frame*>(tib->ExceptionList);
  for (int n = 0; n < 256; ++n, frame = frame->next) {
    const uintptr_t at = reinterpret_cast<uintptr_t>(frame);
    if (at == ~uintptr_t{0} || at < low || at + sizeof(Frame) > high) return false;  // the end, or a broken chain
    if (RequestsCode(reinterpret_cast<uintptr_t>(frame->handler))) return true;
  }
#endif
  return false;
}

LONG WINAPI OnFirstChance(EXCEPTION_POINTERS* pointers) {
  const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
  if (!watch.on || watch.noted || GetCurrentThreadId() != watch.thread || !IsFault(record->ExceptionCode))
    return EXCEPTION_CONTINUE_SEARCH;
  if (!RequestsCode(reinterpret_cast<uintptr_t>(record->ExceptionAddress)) || OwnHandlerOnChain())
    return EXCEPTION_CONTINUE_SEARCH;
  fault_report::Facts facts;
  watch.fault = fault_report::FixedText();
  DescribeFault(record, watch.fault, &facts);
  watch.noted = true;
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

void WatchFirstChanceFaults() {
  static PVOID handler = AddVectoredExceptionHandler(1, OnFirstChance);
  (void)handler;
}

void WatchReleaseFaults(bool on) {
  watch.thread = GetCurrentThreadId();
  if (on) watch.noted = false;
  watch.on = on;
}

std::string ReleaseFault() { return watch.noted ? std::string(watch.fault.text, watch.fault.length) : ""; }

}  // namespace host
