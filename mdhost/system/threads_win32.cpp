// Threads of this process on Win32, and the image a module occupies.
#include <windows.h>
#include <tlhelp32.h>

#include "mdhost/system/system.h"

namespace host {

ImageRange ModuleImageRange(void* module) {
  ImageRange range;
  const auto* dos = static_cast<const IMAGE_DOS_HEADER*>(module);
  if (dos == nullptr || dos->e_magic != IMAGE_DOS_SIGNATURE) return range;
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(static_cast<const char*>(module) + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE) return range;
  range.start = reinterpret_cast<uintptr_t>(module);
  range.end = range.start + nt->OptionalHeader.SizeOfImage;
  return range;
}

int OtherThreads() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  const DWORD process = GetCurrentProcessId(), self = GetCurrentThreadId();
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    count += entry.th32OwnerProcessID == process && entry.th32ThreadID != self;
  CloseHandle(snapshot);
  return count;
}

}  // namespace host
