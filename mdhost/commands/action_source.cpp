// A plugin module or an action document, read for the commands that work
// on a plugin's actions (diff, doc).
#include <cctype>
#include <fstream>
#include <sstream>

#include "mdhost/commands/commands.h"
#include "mdhost/contract/plugin_texts.h"
#include "mdhost/contract/rules.h"
#include "mdhost/examine/action_document.h"
#include "mdhost/system/system.h"
#include "mdhost/worker/examiner.h"

namespace host {
namespace {

std::optional<std::string> AnsiText(const PluginReport& report, const char* getter) {
  const std::string* text = report.Text(getter);
  return text ? std::optional<std::string>(AnsiToUtf8(*text)) : std::nullopt;
}

// Why a plugin's actions cannot be had, as check says it: its rule and text.
std::optional<Finding> ReadFailure(const PluginReport& report) {
  if (!report.error.empty()) return Finding{report.error_rule, Severity::kFail, report.error};
  if (report.Text(kActionXmlGetter) != nullptr) return std::nullopt;
  const std::string prefix = std::string(kActionXmlGetter) + ":";
  for (const Finding& finding : report.findings)
    if (finding.severity == Severity::kFail && finding.text.compare(0, prefix.size(), prefix) == 0) return finding;
  return Finding{rule::kGetterMissing, Severity::kFail, std::string(kActionXmlGetter) + ": not exported"};
}

}  // namespace

std::string ExtensionOf(const std::string& path) {
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || path.find_first_of("\\/", dot) != std::string::npos) return "";
  std::string extension = path.substr(dot);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}

std::optional<Finding> ReadActionSource(const std::string& path, Examiner& examiner, ActionSource* source) {
  source->path = path;
  std::string xml;
  if (ExtensionOf(path) == ".xml") {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    xml = bytes.str();
  } else {
    const PluginReport report = examiner.ExamineOne(Examination::kRead, path);
    if (std::optional<Finding> failure = ReadFailure(report)) return failure;
    source->name = AnsiText(report, kNameGetter);
    source->version = AnsiText(report, kVersionGetter);
    source->lua_version = AnsiText(report, kLuaVersionGetter);
    source->author = AnsiText(report, kAuthorInfoGetter);
    if (report.sdk_known) source->sdk_version = report.sdk_version.value_or(1);
    xml = *report.Text(kActionXmlGetter);
  }
  const ActionDocument document = ReadActionDocument(xml);
  if (!document.well_formed)
    return Finding{rule::kNotWellFormed, Severity::kFail, "action XML: not well-formed: " + document.problem};
  for (const Finding& finding : document.findings)  // a document of another kind has no actions
    if (finding.rule == rule::kRootElement) return finding;
  source->actions = document.specs;
  return std::nullopt;
}

}  // namespace host
