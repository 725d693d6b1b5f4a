// POSIX side of the stand-in host's operating-system layer, for the native
// build. Plugin texts are Windows texts: they are read as Windows-1252.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "fault_report.h"
#include "host_platform.h"

namespace host {
namespace {

// ---- Worker processes -------------------------------------------------------

std::string DescribeSignal(int signal) {
  switch (signal) {
    case SIGSEGV: return "segmentation fault (SIGSEGV)";
    case SIGBUS: return "bus error (SIGBUS)";
    case SIGFPE: return "arithmetic fault (SIGFPE)";
    case SIGILL: return "illegal instruction (SIGILL)";
    case SIGABRT: return "aborted (SIGABRT)";
    case SIGKILL: return "killed (SIGKILL)";
    default: return std::string("signal ") + std::to_string(signal);
  }
}

class PosixChild : public ChildProcess {
 public:
  PosixChild(pid_t pid, int input, int output) : pid_(pid), input_(input), output_(output) {}
  ~PosixChild() override {
    Kill();
    close(input_);
    close(output_);
  }

  bool Write(const std::string& bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = write(input_, bytes.data() + done, bytes.size() - done);
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }

  std::string Read(int timeout_ms, bool* closed) override {
    *closed = false;
    pollfd poll_fd = {output_, POLLIN, 0};
    if (poll(&poll_fd, 1, timeout_ms) <= 0) return "";
    char chunk[65536];
    const ssize_t n = read(output_, chunk, sizeof chunk);
    if (n <= 0) {
      *closed = true;
      return "";
    }
    return std::string(chunk, static_cast<std::size_t>(n));
  }

  void Kill() override {
    if (!ended_ && waitpid(pid_, &status_, WNOHANG) == 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status_, 0);
      ended_ = true;
    } else {
      ended_ = true;
    }
  }

  ProcessEnd Wait() override {
    if (!ended_) waitpid(pid_, &status_, 0);
    ended_ = true;
    ProcessEnd end;
    if (WIFSIGNALED(status_)) {
      end.crashed = true;
      end.description = DescribeSignal(WTERMSIG(status_));
    } else {
      end.exit_code = WEXITSTATUS(status_);
      end.description = "exit code " + std::to_string(end.exit_code);
    }
    return end;
  }

 private:
  pid_t pid_;
  int input_, output_;
  int status_ = 0;
  bool ended_ = false;
};

}  // namespace

std::unique_ptr<ChildProcess> StartSelf(const std::vector<std::string>& arguments, std::string* error) {
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  int to_child[2], from_child[2];
  if (length <= 0 || pipe(to_child) != 0 || pipe(from_child) != 0) {
    *error = "cannot make pipes for a worker: " + LastErrorText();
    return nullptr;
  }
  self[length] = '\0';
  std::vector<char*> argv = {self};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(to_child[0], 0);
    dup2(from_child[1], 1);
    close(to_child[0]);
    close(to_child[1]);
    close(from_child[0]);
    close(from_child[1]);
    execv(self, argv.data());
    _exit(127);
  }
  close(to_child[0]);
  close(from_child[1]);
  if (pid < 0) {
    *error = "cannot start a worker: " + LastErrorText();
    close(to_child[1]);
    close(from_child[0]);
    return nullptr;
  }
  fcntl(to_child[1], F_SETFD, FD_CLOEXEC);
  fcntl(from_child[0], F_SETFD, FD_CLOEXEC);
  return std::unique_ptr<ChildProcess>(new PosixChild(pid, to_child[1], from_child[0]));
}

namespace {

class PosixSharedMemory : public SharedMemory {
 public:
  PosixSharedMemory(int fd, void* view, std::size_t size) : fd_(fd), view_(view), size_(size) {}
  ~PosixSharedMemory() override {
    munmap(view_, size_);
    close(fd_);
  }
  void* data() override { return view_; }
  std::string token() const override { return std::to_string(fd_); }

 private:
  int fd_;
  void* view_;
  std::size_t size_;
};

std::unique_ptr<SharedMemory> Map(int fd, std::size_t size) {
  void* view = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (view == MAP_FAILED) {
    close(fd);
    return nullptr;
  }
  return std::unique_ptr<SharedMemory>(new PosixSharedMemory(fd, view, size));
}

}  // namespace

std::unique_ptr<SharedMemory> SharedMemory::Make(std::size_t size) {
  const int fd = memfd_create("mdhost-shared", 0);  // inherited across exec
  if (fd < 0 || ftruncate(fd, static_cast<off_t>(size)) != 0) {
    if (fd >= 0) close(fd);
    return nullptr;
  }
  return Map(fd, size);
}

std::unique_ptr<SharedMemory> SharedMemory::Open(const std::string& token, std::size_t size) {
  return Map(std::atoi(token.c_str()), size);
}

// ---- Inside a worker ----------------------------------------------------------

namespace {

using fault_report::FixedText;
void (*crash_report)(const char*) = nullptr;

void OnFault(int signal, siginfo_t* info, void*) {
  FixedText out;
  const uintptr_t address = reinterpret_cast<uintptr_t>(info->si_addr);
  if (const fault_report::Guard* g = fault_report::GuardAt(address)) {
    out << "overrun: went past the end of the ";
    out.Number(g->offered, 10) << " bytes it was offered";
  } else {
    switch (signal) {
      case SIGSEGV: out << "segmentation fault (SIGSEGV) at "; break;
      case SIGBUS: out << "bus error (SIGBUS) at "; break;
      case SIGFPE: out << "arithmetic fault (SIGFPE) at "; break;
      case SIGILL: out << "illegal instruction (SIGILL) at "; break;
      default: out << "aborted (SIGABRT) at "; break;
    }
    out.Number(address, 16);
  }
  crash_report(out.text);
  ::signal(signal, SIG_DFL);
  raise(signal);
}

}  // namespace

static int records = 1;

void SetAsideOutput() {
  std::fflush(stdout);
  records = fcntl(1, F_DUPFD_CLOEXEC, 3);
  dup2(2, 1);
}

void WriteOutputRaw(const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(records, bytes, size);
    if (n <= 0) return;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
}

void InstallCrashReporter(void (*report)(const char* description)) {
  crash_report = report;
  // The handler runs on a stack of its own, so a stack overflow is reported too.
  static char alternate[64 * 1024];
  stack_t stack = {};
  stack.ss_sp = alternate;
  stack.ss_size = sizeof alternate;
  sigaltstack(&stack, nullptr);
  struct sigaction action = {};
  action.sa_sigaction = OnFault;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) sigaction(signal, &action, nullptr);
}

GuardedBuffer::GuardedBuffer(std::size_t size) : size_(size) {
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  const std::size_t pages = (size + page - 1) / page;
  region_size_ = (pages + 1) * page;
  void* region = mmap(nullptr, region_size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (region == MAP_FAILED) return;
  region_ = region;
  char* guard = static_cast<char*>(region_) + pages * page;
  mprotect(guard, page, PROT_NONE);
  data_ = guard - size;
  fault_report::AddGuard(reinterpret_cast<uintptr_t>(guard), reinterpret_cast<uintptr_t>(guard) + page, size);
}

GuardedBuffer::~GuardedBuffer() {
  if (region_ == nullptr) return;
  fault_report::RemoveGuard(reinterpret_cast<uintptr_t>(data_ + size_));
  munmap(region_, region_size_);
}

// ---- Output -------------------------------------------------------------------

void UseBinaryOutput() {}

std::string AnsiToUtf8(const std::string& ansi) {
  // Windows-1252's 0x80..0x9F; the five unassigned bytes stay C1 controls, as
  // Windows itself converts them.
  static const uint16_t kHigh[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::string utf8;
  utf8.reserve(ansi.size());
  for (unsigned char byte : ansi) {
    const unsigned code = (byte >= 0x80 && byte < 0xA0) ? kHigh[byte - 0x80] : byte;
    if (code < 0x80) {
      utf8 += static_cast<char>(code);
    } else if (code < 0x800) {
      utf8 += static_cast<char>(0xC0 | (code >> 6));
      utf8 += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      utf8 += static_cast<char>(0xE0 | (code >> 12));
      utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      utf8 += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return utf8;
}

void WriteUtf8(std::FILE* stream, const std::string& utf8) { std::fwrite(utf8.data(), 1, utf8.size(), stream); }

// ---- Files --------------------------------------------------------------------

bool IsFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> FilesBelow(const std::string& folder) {
  std::vector<std::string> files, pending = {folder};
  while (!pending.empty()) {
    const std::string dir = pending.back();
    pending.pop_back();
    DIR* listing = opendir(dir.c_str());
    if (listing == nullptr) continue;
    while (const dirent* entry = readdir(listing)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      const std::string path = dir + "/" + name;
      struct stat st;
      if (lstat(path.c_str(), &st) != 0) continue;
      if (S_ISDIR(st.st_mode)) pending.push_back(path);
      else if (S_ISREG(st.st_mode)) files.push_back(path);
    }
    closedir(listing);
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string LastErrorText() { return std::strerror(errno); }

std::string LastLoadErrorText() {
  const char* error = dlerror();
  return error ? error : std::strerror(errno);
}

// ---- Process figures ------------------------------------------------------------

MemoryFigures CurrentMemory() {
  MemoryFigures figures;
  if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
    unsigned long pages = 0, resident = 0, shared = 0;
    if (std::fscanf(statm, "%lu %lu %lu", &pages, &resident, &shared) == 3) {
      const uint64_t page = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
      figures.working_set = resident * page;
      figures.private_bytes = (resident - shared) * page;
    }
    std::fclose(statm);
  }
  if (DIR* fds = opendir("/proc/self/fd")) {
    while (readdir(fds) != nullptr) ++figures.handles;
    closedir(fds);
    figures.handles -= 3;  // ".", ".." and the listing's own descriptor
  }
  return figures;
}

}  // namespace host
