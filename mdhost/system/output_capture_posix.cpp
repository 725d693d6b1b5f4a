// What plugins print, captured on POSIX: descriptors 1 and 2 point at the
// file, appended.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "mdhost/system/output_capture.h"

namespace host {

std::unique_ptr<CaptureFile> CaptureFile::Make() {
  const char* folder = std::getenv("TMPDIR");
  std::string path = std::string(folder != nullptr && *folder ? folder : "/tmp") + "/mdhost-output.XXXXXX";
  const int made = mkstemp(&path[0]);
  if (made < 0) return nullptr;
  close(made);
  return std::unique_ptr<CaptureFile>(new CaptureFile(path));
}

CaptureFile::~CaptureFile() { unlink(path_.c_str()); }

namespace {

void PointOutputAt(const std::string& file) {
  std::fflush(stdout);
  std::fflush(stderr);
  const int opened = open(file.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  if (opened < 0) return;
  dup2(opened, 1);
  dup2(opened, 2);
  close(opened);
}

}  // namespace

void PrintInto(const std::string& file) { PointOutputAt(file); }

struct PrintingInto::Saved {
  int out = -1, err = -1;
};

PrintingInto::PrintingInto(const std::string& file) : saved_(new Saved) {
  std::fflush(stdout);
  std::fflush(stderr);
  saved_->out = fcntl(1, F_DUPFD_CLOEXEC, 3);
  saved_->err = fcntl(2, F_DUPFD_CLOEXEC, 3);
  PointOutputAt(file);
}

PrintingInto::~PrintingInto() {
  std::fflush(stdout);
  std::fflush(stderr);
  for (const auto& [saved, descriptor] : {std::pair<int, int>{saved_->out, 1}, {saved_->err, 2}}) {
    if (saved < 0) continue;
    dup2(saved, descriptor);
    close(saved);
  }
}

}  // namespace host
