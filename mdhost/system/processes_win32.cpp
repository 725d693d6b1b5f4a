// mdhost's worker processes on Win32: starting them, their pipes, how they
// ended, and the shared memory of the stage board.
#include <windows.h>  // first: the other system headers need it

#include <fcntl.h>
#include <io.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "mdhost/system/exception_names_win32.h"
#include "mdhost/system/system.h"

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
    CloseInput();
    CloseHandle(output_);
    CloseHandle(event_);
    CloseHandle(process_);
  }

  bool Write(const std::string& bytes) override {
    DWORD written = 0;
    return WriteFile(input_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
  }

  void CloseInput() override {
    if (input_ != nullptr) CloseHandle(input_);
    input_ = nullptr;
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

// A child inherits every inheritable handle there is while it is made: one
// made at a time, so that no worker holds another's pipe ends (whose end
// would then go unseen).
Gate spawning;

}  // namespace

std::unique_ptr<ChildProcess> StartSelf(const std::vector<std::string>& arguments, std::string* error,
                                        const SharedMemory* shared) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command = Quote(self);
  for (const std::string& argument : arguments) command += " " + Quote(argument);

  spawning.Lock();
  struct Unlock {
    ~Unlock() { spawning.Unlock(); }
  } unlock;
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
    // Whatever the steps before made is closed here.
    for (HANDLE handle : {ours_out, theirs_out, theirs_in, ours_in})
      if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
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
  // The shared memory is inheritable only while its own worker is made.
  const HANDLE mapping =
      shared ? reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::strtoull(shared->token().c_str(), nullptr, 10)))
             : nullptr;
  if (mapping) SetHandleInformation(mapping, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  const BOOL started = CreateProcessA(self, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
  if (mapping) SetHandleInformation(mapping, HANDLE_FLAG_INHERIT, 0);
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
  HANDLE mapping =
      CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, static_cast<DWORD>(size), nullptr);
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

}  // namespace host
