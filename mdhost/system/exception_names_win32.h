// Names of Win32 exception codes, shared by the crash handler and the
// description of how a worker ended.
#pragma once

#include <windows.h>

namespace host {

// The name of an exception code, or null; allocates nothing (crash handler).
inline const char* ExceptionName(DWORD code) {
  switch (code) {
    case 0xC0000005: return "access violation (0xC0000005)";
    case 0xC00000FD: return "stack overflow (0xC00000FD)";
    case 0xC0000094: return "integer division by zero (0xC0000094)";
    case 0xC000001D: return "illegal instruction (0xC000001D)";
    case 0xC0000096: return "privileged instruction (0xC0000096)";
    case 0x80000003: return "breakpoint (0x80000003)";
    case 0xC0000374: return "heap corruption (0xC0000374)";
    case 0xC0000409: return "stack buffer overrun (0xC0000409)";
    case 0xC0000417: return "invalid parameter to the C runtime (0xC0000417)";
    default: return nullptr;
  }
}

}  // namespace host
