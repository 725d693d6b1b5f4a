// mdhost diff OLD NEW: does a new version of a plugin break the scripts
// written for the old one? Each side is a plugin module (read in a worker,
// as check reads it) or an action document as an .xml file, so that a
// document can be compared before its plugin is built.
#include "mdhost/commands/commands.h"
#include "mdhost/compare/action_diff.h"
#include "mdhost/worker/examiner.h"

namespace host {

int DiffCommand(const Invocation& call) {
  const std::string& old_path = call.arguments[0];
  const std::string& new_path = call.arguments[1];
  for (const std::string* path : {&old_path, &new_path})
    if (const int status = RequireFile(*path)) return status;
  Examiner examiner(call.isolated, call.timeout_seconds);
  DiffResult result;
  result.old_side = ReadActionSource(old_path, examiner);
  result.new_side = ReadActionSource(new_path, examiner);
  if (result.Compared()) {
    result.changes = CompareActions(result.old_side, result.new_side);
    result.versions = JudgeVersions(result.old_side, result.new_side, result.Breaks(), call.release_type);
  }
  MakeEmitter(call)->Diff(result);
  if (!result.Compared()) return kExitNoInput;
  return result.versions.ok ? kExitOk : kExitFailed;
}

}  // namespace host
