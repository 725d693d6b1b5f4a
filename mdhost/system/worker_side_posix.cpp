// Inside an mdhost worker on POSIX: the crash reporter, guard pages and the
// output set aside for records.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "mdhost/system/crash_report.h"
#include "mdhost/system/system.h"

namespace host {

// ---- Inside a worker ----------------------------------------------------------

namespace {

using fault_report::FixedText;
CrashReporter crash_report = nullptr;

pthread_t main_thread;

void OnFault(int signal, siginfo_t* info, void*) {
  FixedText out;
  fault_report::Facts facts;
  facts.other_thread = !pthread_equal(pthread_self(), main_thread);
  if (facts.other_thread) out << fault_report::kOtherThread;
  const uintptr_t address = reinterpret_cast<uintptr_t>(info->si_addr);
  if (const fault_report::Guard* g = fault_report::GuardAt(address)) {
    out << "overrun: went past the end of the ";
    out.Number(g->offered, 10) << " bytes it was offered";
    facts.overrun = true;
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
  crash_report(facts, out.text);
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

void PauseBriefly() {
  struct timespec pause = {0, 1000000};
  nanosleep(&pause, nullptr);
}

std::FILE* OwnOutput() {
  static std::FILE* own = nullptr;
  if (records == 1) return stdout;
  if (own == nullptr) own = fdopen(records, "w");
  return own != nullptr ? own : stderr;
}

void WriteOutputRaw(const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(records, bytes, size);
    if (n <= 0) return;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
}

void InstallCrashReporter(CrashReporter report) {
  crash_report = report;
  main_thread = pthread_self();
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

}  // namespace host
