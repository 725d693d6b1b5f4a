#include "mdhost/commands/commands.h"
#include "mdhost/report/output.h"
#include "mdhost/system/system.h"

namespace host {

int RequireFile(const std::string& path, std::string* why) {
  std::string real_name, reason;
  int status = kExitOk;
  if (ArgumentNameLost(path, &real_name) == LostName::kExists) {
    // What scan says of such a name: the host cannot load it either.
    reason = kNameNotInAnsi;
    status = kExitFailed;
  } else if (!IsFile(path)) {
    real_name = AnsiToUtf8(path);
    reason = IsFolder(path) ? "a folder, not a file" : "no such file";
    status = kExitNoInput;
  }
  if (status != kExitOk) Complain(real_name + ": " + reason);
  if (why != nullptr) *why = reason;
  return status;
}

}  // namespace host
