// mdhost diff OLD NEW: does a new version of a plugin break the scripts
// written for the old one? Each side is a plugin module (read in a worker,
// as check reads it) or an action document as an .xml file, so that a
// document can be compared before its plugin is built.
#include <cctype>
#include <fstream>
#include <sstream>

#include "mdhost/commands/commands.h"
#include "mdhost/compare/action_diff.h"
#include "mdhost/contract/plugin_texts.h"
#include "mdhost/report/diff_output.h"
#include "mdhost/report/output.h"
#include "mdhost/contract/rules.h"
#include "mdhost/worker/examiner.h"

namespace host {
namespace {

bool IsDocumentFile(const std::string& path) {
  if (path.size() < 4) return false;
  std::string end = path.substr(path.size() - 4);
  for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return end == ".xml";
}

std::optional<std::string> AnsiText(const PluginReport& report, const char* getter) {
  const std::string* text = report.Text(getter);
  return text ? std::optional<std::string>(AnsiToUtf8(*text)) : std::nullopt;
}

// Why a side cannot be compared, as check says it: its rule and text.
std::optional<Finding> ReadFailure(const PluginReport& report) {
  if (!report.error.empty()) return Finding{report.error_rule, Severity::kFail, report.error};
  if (report.Text(kActionXmlGetter) != nullptr) return std::nullopt;
  const std::string prefix = std::string(kActionXmlGetter) + ":";
  for (const Finding& finding : report.findings)
    if (finding.severity == Severity::kFail && finding.text.compare(0, prefix.size(), prefix) == 0) return finding;
  return Finding{rule::kGetterMissing, Severity::kFail, std::string(kActionXmlGetter) + ": not exported"};
}

// One side read: its failure, if it cannot be compared.
std::optional<Finding> ReadSide(const std::string& path, Examiner& examiner, ComparedSide* side) {
  side->path = path;
  std::string xml;
  if (IsDocumentFile(path)) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    xml = bytes.str();
  } else {
    const PluginReport report = examiner.ExamineOne(Examination::kRead, path);
    if (std::optional<Finding> failure = ReadFailure(report)) return failure;
    side->name = AnsiText(report, kNameGetter);
    side->version = AnsiText(report, kVersionGetter);
    side->lua_version = AnsiText(report, kLuaVersionGetter);
    if (report.sdk_known) side->sdk_version = report.sdk_version.value_or(1);
    xml = *report.Text(kActionXmlGetter);
  }
  const ActionDocument document = ReadActionDocument(xml);
  if (!document.well_formed)
    return Finding{rule::kNotWellFormed, Severity::kFail, "action XML: not well-formed: " + document.problem};
  for (const Finding& finding : document.findings)  // a document of another kind has no actions to compare
    if (finding.rule == rule::kRootElement) return finding;
  side->actions = document.specs;
  return std::nullopt;
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
