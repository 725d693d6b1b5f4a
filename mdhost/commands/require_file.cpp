#include "mdhost/commands/commands.h"
#include "mdhost/report/output.h"
#include "mdhost/system/system.h"

namespace host {

bool RequireFile(const std::string& path) {
  if (IsFile(path)) return true;
  Complain(AnsiToUtf8(path) + (IsFolder(path) ? ": a folder, not a file" : ": no such file"));
  return false;
}

}  // namespace host
