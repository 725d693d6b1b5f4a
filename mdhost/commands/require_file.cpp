#include "mdhost/commands/commands.h"
#include "mdhost/report/output.h"
#include "mdhost/system/system.h"

namespace host {

int RequireFile(const std::string& path) {
  std::string real_name;
  if (ArgumentNameLost(path, &real_name) == LostName::kExists) {
    // What scan says of such a name: the host cannot load it either.
    Complain(real_name + ": " + kNameNotInAnsi);
    return kExitFailed;
  }
  if (IsFile(path)) return kExitOk;
  Complain(AnsiToUtf8(path) + (IsFolder(path) ? ": a folder, not a file" : ": no such file"));
  return kExitNoInput;
}

}  // namespace host
