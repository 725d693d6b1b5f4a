// mdhost diff OLD NEW: does a new version of a plugin break the scripts
// written for the old one? Each side is a plugin module (read in a worker,
// as check reads it) or an action document as an .xml file, so that a
// document can be compared before its plugin is built.
#include "mdhost/commands/commands.h"
#include "mdhost/compare/action_diff.h"
#include "mdhost/contract/plugin_texts.h"
#include "mdhost/report/diff_output.h"
#include "mdhost/report/output.h"
#include "mdhost/contract/rules.h"
#include "mdhost/worker/examiner.h"

namespace host {
namespace {

// One side read into what the comparison takes; its failure, if any.
std::optional<Finding> ReadSide(const std::string& path, Examiner& examiner, ComparedSide* side) {
  ActionSource source;
  const std::optional<Finding> failure = ReadActionSource(path, examiner, &source);
  side->path = path;
  side->name = source.name;
  side->version = source.version;
  side->lua_version = source.lua_version;
  side->sdk_version = source.sdk_version;
  side->actions = std::move(source.actions);
  return failure;
}

}  // namespace

int DiffCommand(const Invocation& call) {
  const std::string& old_path = call.arguments[0];
  const std::string& new_path = call.arguments[1];
  for (const std::string* path : {&old_path, &new_path})
    if (const int status = RequireFile(*path)) return status;
  Examiner examiner(call.isolated, call.timeout_seconds);
  ComparedSide old_side, new_side;
  DiffResult result;
  result.old_side.failure = ReadSide(old_path, examiner, &old_side);
  result.new_side.failure = ReadSide(new_path, examiner, &new_side);
  for (auto [side, read] : {std::pair{&result.old_side, &old_side}, std::pair{&result.new_side, &new_side}}) {
    side->path = read->path;
    side->name = read->name;
    side->version = read->version;
  }
  if (result.Compared()) {
    result.changes = CompareActions(old_side, new_side);
    if (result.Breaks() && old_side.version && new_side.version &&
        !MajorVersionRose(*old_side.version, *new_side.version))
      result.warning = "scripts break while the version says they should not: " + *old_side.version +
                       " became " + *new_side.version + "; raise the version's first number";
  }
  PrintDiff(result, call.json);
  return !result.Compared() || result.Breaks() ? kExitFailed : kExitOk;
}

}  // namespace host
