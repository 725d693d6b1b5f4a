// Threads of this process on Win32, and the image a module occupies.
#include <windows.h>  // first: the other system headers need it

#include <tlhelp32.h>
#include <winternl.h>

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

std::string ModuleOccupying(const ImageRange& range) {
  for (uintptr_t at = range.start; at < range.end;) {
    MEMORY_BASIC_INFORMATION region;
    if (VirtualQuery(reinterpret_cast<void*>(at), &region, sizeof region) == 0) break;
    char name[MAX_PATH];
    if (region.State != MEM_FREE && region.Type == MEM_IMAGE &&
        GetModuleFileNameA(static_cast<HMODULE>(region.AllocationBase), name, sizeof name) > 0)
      return BaseName(name);
    if (region.State != MEM_FREE) return "memory of the process";
    at = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
  }
  return "";
}

void Reserve(const ImageRange& range) {
  if (range.end > range.start)
    VirtualAlloc(reinterpret_cast<void*>(range.start), range.end - range.start, MEM_RESERVE, PAGE_NOACCESS);
}

// Frees only a reservation of ours that still starts there.
void FreeReservation(const ImageRange& range) {
  MEMORY_BASIC_INFORMATION info = {};
  if (range.end <= range.start || VirtualQuery(reinterpret_cast<void*>(range.start), &info, sizeof info) != sizeof info)
    return;
  if (info.State == MEM_RESERVE && info.AllocationBase == reinterpret_cast<void*>(range.start) &&
      info.Type == MEM_PRIVATE)
    VirtualFree(reinterpret_cast<void*>(range.start), 0, MEM_RELEASE);
}

bool ImageStillLoaded(const ImageRange& range) {
  HMODULE module = nullptr;
  return range.end > range.start &&
         GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(range.start), &module) &&
         reinterpret_cast<uintptr_t>(module) == range.start;
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

namespace {

constexpr int kMaxThreads = 512;
constexpr THREADINFOCLASS kStartAddress = static_cast<THREADINFOCLASS>(9);  // ThreadQuerySetWin32StartAddress

using QueryThread = LONG(NTAPI*)(HANDLE, THREADINFOCLASS, PVOID, ULONG, PULONG);

struct BasicInformation {  // THREAD_BASIC_INFORMATION
  LONG exit_status;
  PVOID teb;
  PVOID process, thread;  // CLIENT_ID
  ULONG_PTR affinity;
  LONG priority, base_priority;
};

// Whether a live word of the suspended thread's stack, from `low` up to
// `high`, points into `image`. Read through ReadProcessMemory, into a fixed
// buffer: nothing is allocated while another thread is stopped (it may hold
// the heap's lock).
bool StackPointsInto(uintptr_t low, uintptr_t high, const std::vector<ImageRange>& image) {
  static uintptr_t words[1024];
  if (high <= low || high - low > 8 * 1024 * 1024) return false;
  for (uintptr_t at = low & ~static_cast<uintptr_t>(3); at < high; at += sizeof words) {
    SIZE_T size = high - at < sizeof words ? high - at : sizeof words;
    SIZE_T got = 0;
    if (!ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<void*>(at), words, size, &got)) return false;
    for (SIZE_T i = 0; i < got / sizeof(uintptr_t); ++i)
      if (InAnyImage(image, words[i])) return true;
  }
  return false;
}

QueryThread NtQueryThread() {
  return reinterpret_cast<QueryThread>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
}

// Where a thread began; 0 where the system does not say.
uintptr_t StartOf(HANDLE thread, QueryThread query) {
  uintptr_t start = 0;
  return query(thread, kStartAddress, &start, sizeof start, nullptr) == 0 ? start : 0;
}

// The system's pool begins its threads in ntdll.
bool BegunByPool(uintptr_t start) {
  const ImageRange ntdll = ModuleImageRange(GetModuleHandleA("ntdll.dll"));
  return start >= ntdll.start && start < ntdll.end;
}

bool RunsCodeOf(HANDLE thread, const std::vector<ImageRange>& image, QueryThread query, bool pool_threads) {
  const uintptr_t start = StartOf(thread, query);
  if (InAnyImage(image, start)) return true;
  if (!pool_threads && BegunByPool(start)) return false;  // in a callback the pool holds
  BasicInformation basic = {};
  if (query(thread, static_cast<THREADINFOCLASS>(0), &basic, sizeof basic, nullptr) != 0 || basic.teb == nullptr)
    return false;
  const auto stack_base = reinterpret_cast<uintptr_t>(static_cast<NT_TIB*>(basic.teb)->StackBase);
  if (SuspendThread(thread) == static_cast<DWORD>(-1)) return false;
  CONTEXT context = {};
  context.ContextFlags = CONTEXT_CONTROL;
  bool runs = false;
  if (GetThreadContext(thread, &context))
    runs = InAnyImage(image, context.Eip) || StackPointsInto(context.Esp, stack_base, image);
  ResumeThread(thread);
  return runs;
}

}  // namespace

int ThreadsRunningCodeOf(const std::vector<ImageRange>& image, bool pool_threads) {
  if (image.empty()) return -1;
  const QueryThread query = NtQueryThread();
  if (query == nullptr) return -1;
  DWORD ids[kMaxThreads];
  int count = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  const DWORD process = GetCurrentProcessId(), self = GetCurrentThreadId();
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more && count < kMaxThreads; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == process && entry.th32ThreadID != self) ids[count++] = entry.th32ThreadID;
  CloseHandle(snapshot);
  int running = 0;
  for (int i = 0; i < count; ++i) {
    HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION | THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT, FALSE, ids[i]);
    if (thread == nullptr) continue;
    running += RunsCodeOf(thread, image, query, pool_threads);
    CloseHandle(thread);
  }
  return running;
}

bool InSystemPoolThread() {
  const QueryThread query = NtQueryThread();
  return query != nullptr && BegunByPool(StartOf(GetCurrentThread(), query));
}

}  // namespace host
