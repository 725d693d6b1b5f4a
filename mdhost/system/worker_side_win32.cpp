// Inside an mdhost worker on Win32: the crash reporter, guard pages and the
// output set aside for records.
#include <windows.h>  // first: the other system headers need it

#include <fcntl.h>
#include <io.h>
#include <psapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "mdhost/system/crash_report.h"
#include "mdhost/system/exception_names_win32.h"
#include "mdhost/system/fault_description_win32.h"
#include "mdhost/system/system.h"

namespace host {

// ---- Inside a worker ----------------------------------------------------------

namespace {

using fault_report::FixedText;
CrashReporter crash_report = nullptr;

DWORD main_thread = 0;

}  // namespace

// What a fault was and where, as a crash report says it: an overrun of a
// guarded buffer, an access violation with its address, or the exception's
// name; then the code's address and the image it lies in.
void DescribeFault(const EXCEPTION_RECORD* record, FixedText& out, fault_report::Facts* facts) {
  if (record->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record->NumberParameters >= 2) {
    const uintptr_t address = record->ExceptionInformation[1];
    const bool writing = record->ExceptionInformation[0] == 1;
    if (const fault_report::Guard* g = fault_report::GuardAt(address)) {
      out << (writing ? "overrun: wrote past the end of the " : "overrun: read past the end of the ");
      out.Number(g->offered, 10) << " bytes it was offered";
      facts->overrun = true;
      return;
    }
    out << "access violation (0xC0000005) " << (writing ? "writing " : "reading ");
    out.Number(address, 16);
  } else if (const char* name = ExceptionName(record->ExceptionCode)) {
    out << name;
  } else {
    out << "exception ";
    out.Number(record->ExceptionCode, 16);
  }
  out << " at ";
  out.Number(reinterpret_cast<uintptr_t>(record->ExceptionAddress), 16);
  fault_report::DescribeAddress(out, reinterpret_cast<uintptr_t>(record->ExceptionAddress), facts);
}

namespace {

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* pointers) {
  const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
  FixedText out;
  fault_report::Facts facts;
  facts.other_thread = GetCurrentThreadId() != main_thread;
  const bool pool_thread = facts.other_thread && InSystemPoolThread();
  if (facts.other_thread) out << (pool_thread ? fault_report::kPoolThread : fault_report::kOtherThread);
  DescribeFault(record, out, &facts);
  // A callback of a timer or wait the pool still holds: that entry's doing.
  const auto* note = fault_report::NoteAt(reinterpret_cast<uintptr_t>(record->ExceptionAddress));
  facts.pool_callback = pool_thread && note != nullptr && PoolHoldsCallbackInto(note->start, note->end);
  crash_report(facts, out.text);
  TerminateProcess(GetCurrentProcess(), record->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

static HANDLE records = INVALID_HANDLE_VALUE;

void SetAsideOutput() {
  DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_OUTPUT_HANDLE), GetCurrentProcess(), &records, 0, FALSE,
                  DUPLICATE_SAME_ACCESS);
  std::fflush(stdout);
  _dup2(_fileno(stderr), _fileno(stdout));
  SetStdHandle(STD_OUTPUT_HANDLE, GetStdHandle(STD_ERROR_HANDLE));
}

void PauseBriefly() { Sleep(1); }

std::FILE* OwnOutput() {
  static std::FILE* own = nullptr;
  if (records == INVALID_HANDLE_VALUE) return stdout;
  if (own == nullptr) {
    HANDLE mine = INVALID_HANDLE_VALUE;  // the stream owns a handle of its own
    DuplicateHandle(GetCurrentProcess(), records, GetCurrentProcess(), &mine, 0, FALSE, DUPLICATE_SAME_ACCESS);
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(mine), _O_BINARY);
    if (descriptor >= 0) own = _fdopen(descriptor, "wb");
  }
  return own != nullptr ? own : stderr;
}

void WriteOutputRaw(const char* bytes, std::size_t size) {
  HANDLE out = records != INVALID_HANDLE_VALUE ? records : GetStdHandle(STD_OUTPUT_HANDLE);
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(out, bytes, static_cast<DWORD>(size), &written, nullptr) || written == 0) return;
    bytes += written;
    size -= written;
  }
}

void InstallCrashReporter(CrashReporter report) {
  crash_report = report;
  main_thread = GetCurrentThreadId();
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(OnUnhandledException);
  WatchFirstChanceFaults();
}

GuardedBuffer::GuardedBuffer(std::size_t size) : size_(size) {
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const std::size_t page = system.dwPageSize;
  const std::size_t pages = (size + page - 1) / page;
  region_size_ = (pages + 1) * page;
  region_ = VirtualAlloc(nullptr, region_size_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (region_ == nullptr) return;
  char* guard = static_cast<char*>(region_) + pages * page;
  DWORD old;
  VirtualProtect(guard, page, PAGE_NOACCESS, &old);
  data_ = guard - size;
  fault_report::AddGuard(reinterpret_cast<uintptr_t>(guard), reinterpret_cast<uintptr_t>(guard) + page, size);
}

GuardedBuffer::~GuardedBuffer() {
  if (region_ == nullptr) return;
  fault_report::RemoveGuard(reinterpret_cast<uintptr_t>(data_ + size_));
  VirtualFree(region_, 0, MEM_RELEASE);
}

}  // namespace host
