// Win32 side of the stand-in host's operating-system layer.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "fault_report.h"
#include "host_platform.h"

namespace host {
namespace {

// ---- Worker processes -------------------------------------------------------

std::string Quote(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, '\\');
  return quoted + "\"";
}

// The name of an exception code, or null; allocates nothing (crash handler).
const char* ExceptionName(DWORD code) {
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

std::string DescribeExit(DWORD code) {
  if (const char* name = ExceptionName(code)) return name;
  char text[64];
  if (code >= 0xC0000000u)
    std::snprintf(text, sizeof text, "exception 0x%08lX", static_cast<unsigned long>(code));
  else
    std::snprintf(text, sizeof text, "exit code %lu", static_cast<unsigned long>(code));
  return text;
}

class Win32Child : public ChildProcess {
 public:
  Win32Child(HANDLE process, HANDLE input, HANDLE output)
      : process_(process), input_(input), output_(output), event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Win32Child() override {
    Kill();
    if (pending_) {
      CancelIo(output_);
      WaitForSingleObject(event_, 1000);
    }
    CloseHandle(input_);
    CloseHandle(output_);
    CloseHandle(event_);
    CloseHandle(process_);
  }

  bool Write(const std::string& bytes) override {
    DWORD written = 0;
    return WriteFile(input_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
  }

  std::string Read(int timeout_ms, bool* closed) override {
    *closed = false;
    if (!pending_) {
      std::memset(&overlapped_, 0, sizeof overlapped_);
      overlapped_.hEvent = event_;
      ResetEvent(event_);
      DWORD got = 0;
      if (ReadFile(output_, chunk_, sizeof chunk_, &got, &overlapped_)) return std::string(chunk_, got);
      if (GetLastError() != ERROR_IO_PENDING) {
        *closed = true;
        return "";
      }
      pending_ = true;
    }
    if (WaitForSingleObject(event_, static_cast<DWORD>(timeout_ms)) != WAIT_OBJECT_0) return "";
    pending_ = false;
    DWORD got = 0;
    if (!GetOverlappedResult(output_, &overlapped_, &got, FALSE) || got == 0) {
      *closed = true;
      return "";
    }
    return std::string(chunk_, got);
  }

  void Kill() override {
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_, 0xDEAD);
      WaitForSingleObject(process_, 5000);
    }
  }

  ProcessEnd Wait() override {
    WaitForSingleObject(process_, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    ProcessEnd end;
    end.crashed = code >= 0xC0000000u || code == 0x80000003u;
    end.exit_code = static_cast<int>(code);
    end.description = DescribeExit(code);
    return end;
  }

 private:
  HANDLE process_, input_, output_, event_;
  OVERLAPPED overlapped_ = {};
  bool pending_ = false;
  char chunk_[65536];
};

std::atomic<unsigned> pipe_serial{0};

}  // namespace

std::unique_ptr<ChildProcess> StartSelf(const std::vector<std::string>& arguments, std::string* error) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command = Quote(self);
  for (const std::string& argument : arguments) command += " " + Quote(argument);

  // The child's output is a named pipe, so that our end can wait with a timeout.
  char name[96];
  std::snprintf(name, sizeof name, "\\\\.\\pipe\\mdhost-%lu-%u", GetCurrentProcessId(), pipe_serial++);
  HANDLE ours_out = CreateNamedPipeA(name, PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                     PIPE_TYPE_BYTE | PIPE_WAIT, 1, 65536, 65536, 0, nullptr);
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE theirs_out = CreateFileA(name, GENERIC_WRITE, 0, &inherit, OPEN_EXISTING, 0, nullptr);
  HANDLE theirs_in = nullptr, ours_in = nullptr;
  if (ours_out == INVALID_HANDLE_VALUE || theirs_out == INVALID_HANDLE_VALUE ||
      !CreatePipe(&theirs_in, &ours_in, &inherit, 0)) {
    *error = "cannot make pipes for a worker: " + LastErrorText();
    return nullptr;
  }
  SetHandleInformation(ours_in, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = theirs_in;
  startup.hStdOutput = theirs_out;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info = {};
  const BOOL started = CreateProcessA(self, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                      &startup, &info);
  if (!started) *error = "cannot start a worker: " + LastErrorText();
  CloseHandle(theirs_in);
  CloseHandle(theirs_out);
  if (!started) {
    CloseHandle(ours_in);
    CloseHandle(ours_out);
    return nullptr;
  }
  CloseHandle(info.hThread);
  return std::unique_ptr<ChildProcess>(new Win32Child(info.hProcess, ours_in, ours_out));
}

namespace {

class Win32SharedMemory : public SharedMemory {
 public:
  Win32SharedMemory(HANDLE mapping, void* view) : mapping_(mapping), view_(view) {}
  ~Win32SharedMemory() override {
    UnmapViewOfFile(view_);
    CloseHandle(mapping_);
  }
  void* data() override { return view_; }
  std::string token() const override { return std::to_string(reinterpret_cast<uintptr_t>(mapping_)); }

 private:
  HANDLE mapping_;
  void* view_;
};

}  // namespace

std::unique_ptr<SharedMemory> SharedMemory::Make(std::size_t size) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, &inherit, PAGE_READWRITE, 0, static_cast<DWORD>(size),
                                      nullptr);
  void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, size) : nullptr;
  if (view == nullptr) {
    if (mapping) CloseHandle(mapping);
    return nullptr;
  }
  return std::unique_ptr<SharedMemory>(new Win32SharedMemory(mapping, view));
}

std::unique_ptr<SharedMemory> SharedMemory::Open(const std::string& token, std::size_t size) {
  HANDLE mapping = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::strtoull(token.c_str(), nullptr, 10)));
  void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, size);
  if (view == nullptr) return nullptr;
  return std::unique_ptr<SharedMemory>(new Win32SharedMemory(mapping, view));
}

// ---- Inside a worker ----------------------------------------------------------

namespace {

using fault_report::FixedText;
void (*crash_report)(const char*) = nullptr;

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* pointers) {
  const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
  FixedText out;
  if (record->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record->NumberParameters >= 2) {
    const uintptr_t address = record->ExceptionInformation[1];
    const bool writing = record->ExceptionInformation[0] == 1;
    if (const fault_report::Guard* g = fault_report::GuardAt(address)) {
      out << (writing ? "overrun: wrote past the end of the " : "overrun: read past the end of the ");
      out.Number(g->offered, 10) << " bytes it was offered";
      crash_report(out.text);
      TerminateProcess(GetCurrentProcess(), record->ExceptionCode);
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
  crash_report(out.text);
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

void WriteOutputRaw(const char* bytes, std::size_t size) {
  HANDLE out = records != INVALID_HANDLE_VALUE ? records : GetStdHandle(STD_OUTPUT_HANDLE);
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(out, bytes, static_cast<DWORD>(size), &written, nullptr) || written == 0) return;
    bytes += written;
    size -= written;
  }
}

void InstallCrashReporter(void (*report)(const char* description)) {
  crash_report = report;
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(OnUnhandledException);
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

// ---- Output -------------------------------------------------------------------

void UseBinaryOutput() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

namespace {

std::wstring Widen(const std::string& text, UINT code_page) {
  if (text.empty()) return std::wstring();
  const int n = MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  return wide;
}

}  // namespace

std::string AnsiToUtf8(const std::string& ansi) {
  const std::wstring wide = Widen(ansi, CP_ACP);
  if (wide.empty()) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], n, nullptr, nullptr);
  return utf8;
}

void WriteUtf8(std::FILE* stream, const std::string& utf8) {
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode;
  if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
    std::fflush(stream);
    const std::wstring wide = Widen(utf8, CP_UTF8);
    DWORD written;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  std::fwrite(utf8.data(), 1, utf8.size(), stream);
}

// ---- Files --------------------------------------------------------------------

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> FilesBelow(const std::string& folder) {
  std::vector<std::string> files, pending = {folder};
  while (!pending.empty()) {
    const std::string dir = pending.back();
    pending.pop_back();
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) continue;
    do {
      const std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = dir + "\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) pending.push_back(path);
      } else {
        files.push_back(path);
      }
    } while (FindNextFileA(search, &data));
    FindClose(search);
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string LastErrorText() {
  const DWORD code = GetLastError();
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length ? std::string(text, length) : "";
  LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.' ||
                              message.back() == ' '))
    message.pop_back();
  char number[32];
  std::snprintf(number, sizeof number, "error %lu", static_cast<unsigned long>(code));
  return message.empty() ? std::string(number) : AnsiToUtf8(message) + " (" + number + ")";
}

std::string LastLoadErrorText() {
  // The loader's "bad format" is what a file that is not a module gives.
  if (GetLastError() == ERROR_BAD_EXE_FORMAT) return "not a module";
  return LastErrorText();
}

// ---- Process figures ------------------------------------------------------------

MemoryFigures CurrentMemory() {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof counters;
  K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                          sizeof counters);
  DWORD handles = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handles);
  MemoryFigures figures;
  figures.working_set = counters.WorkingSetSize;
  figures.private_bytes = counters.PrivateUsage;  // Wine reports 0
  figures.handles = handles;
  return figures;
}

}  // namespace host
