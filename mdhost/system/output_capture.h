// What a plugin prints (its standard output and error, through any C
// runtime or the system's own handles), captured apart from mdhost's own
// output (set aside before: OwnOutput, WriteOutputRaw): appended to a file
// that the examination's side reads back, so that it is shown with the
// plugin's report, escaped, and never at the start of mdhost's lines.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace host {

// A file of the parent's that a worker's plugins print into.
class CaptureFile {
 public:
  // Null when no file can be made.
  static std::unique_ptr<CaptureFile> Make();
  ~CaptureFile();  // the file goes (once the worker is gone)
  CaptureFile(const CaptureFile&) = delete;
  CaptureFile& operator=(const CaptureFile&) = delete;
  const std::string& path() const { return path_; }
  // What was printed since the last call, up to offset `upto` where it is
  // given (at most `limit` bytes, then a word of how many more).
  std::string TakeNew(std::optional<std::uint64_t> upto = std::nullopt, std::size_t limit = 64 * 1024);
  // How many bytes the file at `path` holds now (0 where it cannot be read).
  static std::uint64_t SizeOf(const std::string& path);

 private:
  explicit CaptureFile(std::string path) : path_(std::move(path)) {}
  std::string path_;
  std::uint64_t taken_ = 0;
};

// From now on, what plugins print goes to `file` (in a worker, for good).
void PrintInto(const std::string& file);

// For the life of this object, what plugins print goes to `file`; then as
// before (mdhost's own process, --in-process).
class PrintingInto {
 public:
  explicit PrintingInto(const std::string& file);
  ~PrintingInto();
  PrintingInto(const PrintingInto&) = delete;
  PrintingInto& operator=(const PrintingInto&) = delete;

 private:
  struct Saved;
  std::unique_ptr<Saved> saved_;
};

}  // namespace host
