// What plugins print, captured on Win32: the process's standard handles and
// the C runtime's descriptors 1 and 2 point at the file, appended; a
// plugin's own C runtime takes the standard handles when it starts.
#include <windows.h>  // first: the other system headers need it

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "mdhost/system/output_capture.h"

namespace host {

std::unique_ptr<CaptureFile> CaptureFile::Make() {
  char folder[MAX_PATH], path[MAX_PATH];
  const DWORD length = GetTempPathA(MAX_PATH, folder);
  if (length == 0 || length >= MAX_PATH || GetTempFileNameA(folder, "mdh", 0, path) == 0) return nullptr;
  return std::unique_ptr<CaptureFile>(new CaptureFile(path));
}

CaptureFile::~CaptureFile() { DeleteFileA(path_.c_str()); }

namespace {

HANDLE OpenForAppending(const std::string& file) {
  return CreateFileA(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void PointOutputAt(HANDLE file) {
  std::fflush(stdout);
  std::fflush(stderr);
  SetStdHandle(STD_OUTPUT_HANDLE, file);
  SetStdHandle(STD_ERROR_HANDLE, file);
  for (int descriptor : {1, 2}) {
    HANDLE own = INVALID_HANDLE_VALUE;  // each descriptor owns a handle of its own
    DuplicateHandle(GetCurrentProcess(), file, GetCurrentProcess(), &own, 0, FALSE, DUPLICATE_SAME_ACCESS);
    const int opened = _open_osfhandle(reinterpret_cast<intptr_t>(own), _O_BINARY | _O_APPEND);
    if (opened >= 0) {
      _dup2(opened, descriptor);
      _close(opened);
    }
  }
}

}  // namespace

void PrintInto(const std::string& file) {
  HANDLE opened = OpenForAppending(file);
  if (opened != INVALID_HANDLE_VALUE) PointOutputAt(opened);  // the standard handles keep it open
}

struct PrintingInto::Saved {
  HANDLE out = INVALID_HANDLE_VALUE, err = INVALID_HANDLE_VALUE, file = INVALID_HANDLE_VALUE;
  int out_descriptor = -1, err_descriptor = -1;
};

PrintingInto::PrintingInto(const std::string& file) : saved_(new Saved) {
  std::fflush(stdout);
  std::fflush(stderr);
  saved_->out = GetStdHandle(STD_OUTPUT_HANDLE);
  saved_->err = GetStdHandle(STD_ERROR_HANDLE);
  saved_->out_descriptor = _dup(1);
  saved_->err_descriptor = _dup(2);
  saved_->file = OpenForAppending(file);
  if (saved_->file != INVALID_HANDLE_VALUE) PointOutputAt(saved_->file);
}

PrintingInto::~PrintingInto() {
  std::fflush(stdout);
  std::fflush(stderr);
  SetStdHandle(STD_OUTPUT_HANDLE, saved_->out);
  SetStdHandle(STD_ERROR_HANDLE, saved_->err);
  for (const auto& [saved, descriptor] :
       {std::pair<int, int>{saved_->out_descriptor, 1}, {saved_->err_descriptor, 2}}) {
    if (saved < 0) continue;
    _dup2(saved, descriptor);
    _close(saved);
  }
  if (saved_->file != INVALID_HANDLE_VALUE) CloseHandle(saved_->file);
}

}  // namespace host
