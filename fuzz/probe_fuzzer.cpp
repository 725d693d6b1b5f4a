// The path probe's string handling on arbitrary texts, with a seam that
// answers from the fuzz input and checks what reaches it.
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "plugin/inspect/plugin_query.h"

namespace md {
inline Platform& OsForSubstitution() { return os_operations; }
}  // namespace md

namespace {

uint8_t answers;

void CheckPath(const char* path) {
  if (std::strlen(path) > 261) __builtin_trap();  // the copy is cut to 260 (+ a root's "\")
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = [] {
    md::OsForSubstitution().drive_type = [](const char* p) -> unsigned {
      CheckPath(p);
      return answers % 7;
    };
    md::OsForSubstitution().find_first = [](const char* p, md::FoundEntry* e, void** spelling) {
      CheckPath(p);
      if (spelling != nullptr) __builtin_trap();  // the help display loads nothing
      *e = {answers & 0x10u, (static_cast<uint64_t>(answers) << 32) | 7};
      return (answers & 1) != 0 ? md::Search::kFound : (answers & 0x20) ? md::Search::kNoMemory : md::Search::kNothing;
    };
    md::OsForSubstitution().path_attributes = [](const char* p) -> uint32_t {
      CheckPath(p);
      return (answers & 2) ? md::kInvalidAttributes : (answers & 0x10u);
    };
    return true;
  }();
  (void)ready;
  if (size == 0) return 0;
  answers = data[0];
  const std::string path(reinterpret_cast<const char*>(data + 1), size - 1);
  const int64_t result = md::ProbePath(path.c_str());
  if (result < -2) __builtin_trap();
  return 0;
}
