// mdhost's worker processes on POSIX: starting them, their pipes, how they
// ended, and the shared memory of the stage board.
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

#include "mdhost/system/system.h"

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
    CloseInput();
    close(output_);
  }

  void CloseInput() override {
    if (input_ >= 0) close(input_);
    input_ = -1;
  }

  bool Write(const std::string& bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = write(input_, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;  // EPIPE: the worker has ended
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

std::unique_ptr<ChildProcess> StartSelf(const std::vector<std::string>& arguments, std::string* error,
                                        const SharedMemory* shared) {
  // A write into a worker that has just died is that worker's end, told by
  // EPIPE and the closed output, never a signal that ends mdhost.
  signal(SIGPIPE, SIG_IGN);
  char self[4096];
  int to_child[2] = {-1, -1}, from_child[2] = {-1, -1};
  pid_t pid = -1;
  const int shared_fd = shared ? std::atoi(shared->token().c_str()) : -1;
  std::vector<char*> argv;
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) goto fail;
  self[length] = '\0';
  // Close-on-exec from the start: a worker another thread forks meanwhile
  // must hold no end of these, or this worker's end would go unseen.
  if (pipe2(to_child, O_CLOEXEC) != 0 || pipe2(from_child, O_CLOEXEC) != 0) goto fail;
  argv.push_back(self);
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid = fork();
  if (pid < 0) goto fail;
  if (pid == 0) {
    dup2(to_child[0], 0);  // the copies lose close-on-exec
    dup2(from_child[1], 1);
    if (shared_fd >= 0) fcntl(shared_fd, F_SETFD, 0);  // this worker's own shared memory alone
    execv(self, argv.data());
    _exit(127);
  }
  close(to_child[0]);
  close(from_child[1]);
  return std::unique_ptr<ChildProcess>(new PosixChild(pid, to_child[1], from_child[0]));

fail:  // closes whatever the steps before made
  *error = "cannot start a worker: " + LastErrorText();
  for (int fd : {to_child[0], to_child[1], from_child[0], from_child[1]})
    if (fd >= 0) close(fd);
  return nullptr;
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
  const int fd = memfd_create("mdhost-shared", MFD_CLOEXEC);  // StartSelf lets its own worker have it
  if (fd < 0 || ftruncate(fd, static_cast<off_t>(size)) != 0) {
    if (fd >= 0) close(fd);
    return nullptr;
  }
  return Map(fd, size);
}

std::unique_ptr<SharedMemory> SharedMemory::Open(const std::string& token, std::size_t size) {
  return Map(std::atoi(token.c_str()), size);
}

}  // namespace host
