#include "commands.h"
#include "output.h"
#include "platform/host_platform.h"

namespace host {

bool RequireFile(const std::string& path) {
  if (IsFile(path)) return true;
  Complain(AnsiToUtf8(path) + (IsFolder(path) ? ": a folder, not a file" : ": no such file"));
  return false;
}

}  // namespace host
