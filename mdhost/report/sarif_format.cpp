// SARIF 2.1.0 for code-scanning tools: one run, mdhost with its rules (the
// rule list's titles and severities, each with its page in the CHECKS.md
// beside mdhost), each finding a result on the plugin's file, one in the
// action document with its line and column.
#include <cctype>
#include <memory>

#include "mdhost/contract/rules.h"
#include "mdhost/report/emitter.h"

namespace host {
namespace {

// "file:///C:/p/My%20Plugin.lmd" of an absolute path (UTF-8, either separator).
std::string FileUri(const std::string& absolute_utf8_path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string uri = "file://";
  if (absolute_utf8_path.empty() || (absolute_utf8_path[0] != '/' && absolute_utf8_path[0] != '\\')) uri += '/';
  for (unsigned char c : absolute_utf8_path) {
    if (c == '\\') c = '/';
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '.' || c == '_' || c == '~' || c == '/' || c == ':';
    if (plain) {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    }
  }
  return uri;
}

// The folder of mdhost's own files (CHECKS.md, MDHOST.txt), as a URI.
std::string OwnFolderUri() { return FileUri(AnsiToUtf8(FolderOf(AbsolutePath(OwnProgramPath())))); }

// The heading's anchor as Markdown renderers make it: "md501-memory-kept-per-load".
std::string Anchor(const std::string& id, const std::string& title) {
  std::string anchor;
  for (unsigned char c : id + " " + title) {
    if (std::isalnum(c))
      anchor += static_cast<char>(std::tolower(c));
    else if (c == ' ' || c == '-')
      anchor += '-';
  }
  return anchor;
}

nlohmann::json Location(const std::string& path, const Place& place) {
  nlohmann::json physical = {{"artifactLocation", {{"uri", FileUri(AnsiToUtf8(AbsolutePath(path)))}}}};
  if (place.line > 0) physical["region"] = {{"startLine", place.line}, {"startColumn", place.column}};
  return nlohmann::json::array({{{"physicalLocation", physical}}});
}

// mdhost's own text (MDHOST.txt) lies beside it, as the zip has it.
nlohmann::json Driver() {
  return {{"name", "mdhost"}, {"version", MD_VERSION_TEXT}, {"informationUri", OwnFolderUri() + "/MDHOST.txt"}};
}

nlohmann::json Log(nlohmann::json run) {
  return {{"$schema", "https://docs.oasis-open.org/sarif/sarif/v2.1.0/errata01/os/schemas/sarif-schema-2.1.0.json"},
          {"version", "2.1.0"},
          {"runs", nlohmann::json::array({std::move(run)})}};
}

nlohmann::json ReportsLog(const std::vector<PluginReport>& reports) {
  nlohmann::json driver = Driver();
  driver["rules"] = nlohmann::json::array();
  const std::string pages = OwnFolderUri() + "/CHECKS.md";
  for (const Rule& rule : rule::kAll)
    driver["rules"].push_back({{"id", rule.id},
                               {"shortDescription", {{"text", rule.title}}},
                               {"defaultConfiguration", {{"level", WordsOf(rule.severity).sarif_level}}},
                               {"helpUri", pages + "#" + Anchor(rule.id, rule.title)}});
  const auto index = [&](const std::string& id) {
    for (std::size_t i = 0; i < sizeof rule::kAll / sizeof rule::kAll[0]; ++i)
      if (id == rule::kAll[i].id) return static_cast<int>(i);
    return -1;
  };
  nlohmann::json results = nlohmann::json::array();
  for (const PluginReport& report : reports)
    for (const Finding& finding : report.Listed()) {
      nlohmann::json result = {{"ruleId", finding.rule},
                               {"level", WordsOf(finding.severity).sarif_level},
                               {"message", {{"text", finding.text}}},
                               {"locations", Location(report.path, finding.subject.place)}};
      if (index(finding.rule) >= 0) result["ruleIndex"] = index(finding.rule);
      if (finding.severity == Severity::kPass) result["kind"] = "pass";
      if (!finding.set_by.empty())
        result["properties"] = {{"default_severity", SeverityName(finding.rule_severity)},
                                {"severity_set_by", finding.set_by}};
      results.push_back(std::move(result));
    }
  return Log({{"tool", {{"driver", driver}}}, {"columnKind", "unicodeCodePoints"}, {"results", results}});
}

nlohmann::json DiffLog(const DiffResult& result) {
  nlohmann::json results = nlohmann::json::array();
  for (const PluginReport* side : {&result.old_side, &result.new_side})
    if (const std::optional<Finding> failure = side->WhyNoActions())
      results.push_back({{"ruleId", failure->rule},
                         {"level", "error"},
                         {"message", {{"text", failure->text}}},
                         {"locations", Location(side->path, failure->subject.place)}});
  for (const Change& c : result.changes) {
    const bool breaking = c.what == ChangeClass::kBreaking;
    results.push_back({{"ruleId", c.kind},
                       {"level", breaking ? (result.versions.ok ? "warning" : "error") : "note"},
                       {"message", {{"text", (c.action.empty() ? "" : c.action + ": ") + c.text}}},
                       {"locations", Location(result.new_side.path, {})}});
  }
  return Log({{"tool", {{"driver", Driver()}}}, {"results", results}});
}

class SarifEmitter : public Emitter {
 public:
  void Reports(const ReportSet& set) override { PrintJson(ReportsLog(set.reports)); }
  void Diff(const DiffResult& result) override { PrintJson(DiffLog(result)); }
};

}  // namespace

std::unique_ptr<Emitter> MakeSarifEmitter(const OutputOptions&) { return std::make_unique<SarifEmitter>(); }

}  // namespace host
