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
std::optional<Finding> ReadSide(const std::string& path, Examiner& examiner, Compared* side) {
  side->path = path;
  std::string xml;
  if (IsDocumentFile(path)) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    xml = bytes.str();
  } else {
    const PluginReport report = examiner.Examine(Examination::kRead, path);
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

const char* ClassName(ChangeClass what) {
  switch (what) {
    case ChangeClass::kBreaking: return "BREAKING";
    case ChangeClass::kCompatible: return "compatible";
    default: return "note";
  }
}

nlohmann::json SideJson(const Compared& side, const std::optional<Finding>& failure) {
  return {{"path", AnsiToUtf8(side.path)},
          {"name", side.name ? nlohmann::json(*side.name) : nlohmann::json()},
          {"version", side.version ? nlohmann::json(*side.version) : nlohmann::json()},
          {"error", failure ? nlohmann::json({{"rule", failure->rule}, {"text", failure->text}}) : nlohmann::json()}};
}

nlohmann::json DiffJson(const Compared& old_side, const std::optional<Finding>& old_failure, const Compared& new_side,
                        const std::optional<Finding>& new_failure) {
  return {{"format_version", kJsonFormatVersion},
          {"tool", {{"name", "mdhost"}, {"version", MD_VERSION_TEXT}}},
          {"old", SideJson(old_side, old_failure)},
          {"new", SideJson(new_side, new_failure)},
          {"changes", nlohmann::json::array()},
          {"warnings", nlohmann::json::array()},
          {"summary", {{"breaking", 0}, {"compatible", 0}, {"notes", 0}}}};
}

}  // namespace

int DiffCommand(const Invocation& call) {
  const std::string& old_path = call.arguments[0];
  const std::string& new_path = call.arguments[1];
  for (const std::string* path : {&old_path, &new_path})
    if (const int status = RequireFile(*path)) return status;
  Examiner examiner(call.isolated, call.timeout_seconds);
  Compared old_side, new_side;
  const std::optional<Finding> old_failure = ReadSide(old_path, examiner, &old_side);
  const std::optional<Finding> new_failure = ReadSide(new_path, examiner, &new_side);
  if (old_failure || new_failure) {
    if (call.json) {
      PrintJson(DiffJson(old_side, old_failure, new_side, new_failure));
    } else {
      if (old_failure) Print(AnsiToUtf8(old_path) + ": " + FindingLine(*old_failure) + "\n");
      if (new_failure) Print(AnsiToUtf8(new_path) + ": " + FindingLine(*new_failure) + "\n");
    }
    return kExitFailed;
  }

  const std::vector<Change> changes = CompareActions(old_side, new_side);
  int breaking = 0, compatible = 0, notes = 0;
  for (const Change& change : changes) {
    breaking += change.what == ChangeClass::kBreaking;
    compatible += change.what == ChangeClass::kCompatible;
    notes += change.what == ChangeClass::kNote;
  }
  std::string warning;
  if (breaking > 0 && old_side.version && new_side.version && !MajorVersionRose(*old_side.version, *new_side.version))
    warning = "scripts break while the version says they should not: " + *old_side.version + " became " +
              *new_side.version + "; raise the version's first number";
  const std::string verdict = std::to_string(breaking) + " breaking, " + std::to_string(compatible) +
                              " compatible change" + (compatible == 1 ? "" : "s") +
                              (notes ? ", " + std::to_string(notes) + " note" + (notes == 1 ? "" : "s") : "");
  if (call.json) {
    nlohmann::json list = nlohmann::json::array();
    for (const Change& c : changes) {
      nlohmann::json entry = {{"kind", c.kind}, {"class", ClassName(c.what)}, {"breaking", c.what == ChangeClass::kBreaking},
                              {"action", c.action.empty() ? nlohmann::json() : nlohmann::json(c.action)},
                              {"old", c.old_value}, {"new", c.new_value}, {"text", c.text}};
      if (!c.argument.empty()) entry["argument"] = c.argument;
      list.push_back(entry);
    }
    nlohmann::json out = DiffJson(old_side, std::nullopt, new_side, std::nullopt);
    out["changes"] = list;
    out["warnings"] = warning.empty() ? nlohmann::json::array() : nlohmann::json::array({warning});
    out["summary"] = {{"breaking", breaking}, {"compatible", compatible}, {"notes", notes}};
    PrintJson(out);
  } else {
    Print("Comparing " + AnsiToUtf8(old_path) + " with " + AnsiToUtf8(new_path) + "\n");
    for (const Change& c : changes)
      Print(std::string(ClassName(c.what)) + std::string(12 - std::string(ClassName(c.what)).size(), ' ') +
            Escaped((c.action.empty() ? "" : c.action + ": ") + c.text) + "\n");
    if (!warning.empty()) Print("WARN        " + warning + "\n");
    Print(verdict + "\n");
  }
  return breaking > 0 ? kExitFailed : kExitOk;
}

}  // namespace host
