// Threads of this process on Win32, told apart by where they started.
#include <windows.h>
#include <tlhelp32.h>
#include <winternl.h>

#include "mdhost/system/system.h"

namespace host {
namespace {

constexpr THREADINFOCLASS kThreadStartAddress = static_cast<THREADINFOCLASS>(9);  // ThreadQuerySetWin32StartAddress

uintptr_t StartAddress(DWORD thread_id) {
  HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, thread_id);
  if (thread == nullptr) return 0;
  PVOID start = nullptr;
  if (NtQueryInformationThread(thread, kThreadStartAddress, &start, sizeof start, nullptr) != 0) start = nullptr;
  CloseHandle(thread);
  return reinterpret_cast<uintptr_t>(start);
}

}  // namespace

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

int OtherThreads(const ImageRange* started_in) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  const DWORD process = GetCurrentProcessId(), self = GetCurrentThreadId();
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != process || entry.th32ThreadID == self) continue;
    if (started_in != nullptr) {
      const uintptr_t start = StartAddress(entry.th32ThreadID);
      if (start < started_in->start || start >= started_in->end) continue;
    }
    ++count;
  }
  CloseHandle(snapshot);
  return count;
}

}  // namespace host
