// SARIF 2.1.0 for code-scanning tools: one run, mdhost with its rules (the
// rule list's titles and severities, each with its page in the CHECKS.md
// beside mdhost), each finding a result on the plugin's file, one in the
// action document with its line and column.
#include <algorithm>
#include <cctype>
#include <memory>

#include <nlohmann/json.hpp>

#include "mdhost/contract/rules.h"
#include "mdhost/report/emitter.h"

namespace host {
namespace {

// "C:/p/My%20Plugin.lmd" of a path (UTF-8, the system's separators): a URI's
// path. A backslash that is part of a name (not on Windows) is encoded.
std::string UriPath(std::string utf8_path) {
  for (char& c : utf8_path)
    if (IsPathSeparator(c)) c = '/';
  return PercentEncoded(utf8_path, "/:");
}

// A relative reference: one whose first segment holds ':' ("https:x.xml",
// "c:x.xml") would read as a scheme, so it starts with "./".
std::string RelativeUri(const std::string& utf8_path) {
  const std::string uri = UriPath(utf8_path);
  const std::size_t colon = uri.find(':');
  return colon != std::string::npos && colon < uri.find('/') ? "./" + uri : uri;
}

// "file:///C:/p/My%20Plugin.lmd" of an absolute path.
std::string FileUri(const std::string& absolute_utf8_path) {
  const bool rooted = !absolute_utf8_path.empty() && (absolute_utf8_path[0] == '/' || absolute_utf8_path[0] == '\\');
  return std::string(rooted ? "file://" : "file:///") + UriPath(absolute_utf8_path);
}

// The folder of mdhost's own files (CHECKS.md, README.txt), as a URI.
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

// Where the repository's paths begin: a file below the root is named
// relative to it, so that code scanning finds it in the repository.
constexpr char kRootId[] = "SRCROOT";

nlohmann::json Location(const std::string& path, const Place& place, const std::string& root) {
  const std::string relative = RelativeTo(root, path);
  nlohmann::json artifact = {{"uri", FileUri(AnsiToUtf8(AbsolutePath(path)))}};
  if (!relative.empty()) artifact = {{"uri", RelativeUri(AnsiToUtf8(relative))}, {"uriBaseId", kRootId}};
  nlohmann::json physical = {{"artifactLocation", artifact}};
  if (place.line > 0) physical["region"] = {{"startLine", place.line}, {"startColumn", place.column}};
  return nlohmann::json::array({{{"physicalLocation", physical}}});
}

// A finding is located in its source document where it has one, otherwise
// in the plugin's file.
nlohmann::json FindingLocation(const std::string& plugin, const Finding& f, const std::string& root) {
  return Location(f.subject.file.empty() ? plugin : f.subject.file, f.subject.place, root);
}

nlohmann::json Run(nlohmann::json run, const std::string& root) {
  std::string root_uri = FileUri(AnsiToUtf8(AbsolutePath(root)));
  if (root_uri.back() != '/') root_uri += "/";  // a base URI names a folder
  run["originalUriBaseIds"] = {{kRootId, {{"uri", root_uri}}}};
  return run;
}

// No informationUri: mdhost has no page of its own on the web, and a
// file:// link to a README on the machine that ran the check names nothing
// where the log is read. Each rule's helpUri names its page beside mdhost,
// the one place that page is.
nlohmann::json Driver() { return {{"name", "mdhost"}, {"version", MD_VERSION_TEXT}}; }

nlohmann::json Log(nlohmann::json run) {
  return {{"$schema", "https://docs.oasis-open.org/sarif/sarif/v2.1.0/errata01/os/schemas/sarif-schema-2.1.0.json"},
          {"version", "2.1.0"},
          {"runs", nlohmann::json::array({std::move(run)})}};
}

nlohmann::json Result(const std::string& plugin, const Finding& finding, const std::string& root) {
  nlohmann::json result = {{"ruleId", finding.rule},
                           {"level", WordsOf(finding.severity).sarif_level},
                           {"message", {{"text", FindingSentence(finding)}}},
                           {"locations", FindingLocation(plugin, finding, root)}};
  for (std::size_t i = 0; i < sizeof rule::kAll / sizeof rule::kAll[0]; ++i)
    if (finding.rule == rule::kAll[i].id) result["ruleIndex"] = static_cast<int>(i);
  if (finding.severity == Severity::kPass) result["kind"] = "pass";
  if (!finding.set_by.empty())
    result["properties"] = {{"default_severity", SeverityName(finding.rule_severity)},
                            {"severity_set_by", finding.set_by}};
  return result;
}

nlohmann::json ReportsLog(const ReportSet& set, const std::string& root) {
  const std::vector<PluginReport>& reports = set.reports;
  nlohmann::json driver = Driver();
  driver["rules"] = nlohmann::json::array();
  const std::string pages = OwnFolderUri() + "/CHECKS.md";
  for (const Rule& rule : rule::kAll) {
    driver["rules"].push_back({{"id", rule.id},
                               {"shortDescription", {{"text", rule.title}}},
                               {"defaultConfiguration", {{"level", WordsOf(rule.severity).sarif_level}}},
                               {"helpUri", pages + "#" + Anchor(rule.id, rule.title)}});
    if (rule.fixable) driver["rules"].back()["properties"] = {{"fixable", true}};  // check --fix mends it
  }
  nlohmann::json results = nlohmann::json::array();
  for (const PluginReport& report : reports) {
    for (const Finding& finding : report.Listed()) results.push_back(Result(report.path, finding, root));
    // What the author accepted is a result too, suppressed outside the log.
    for (const Suppression& s : report.suppressed) {
      nlohmann::json result = Result(report.path, s.finding, root);
      result["suppressions"] = {
          {{"kind", "external"}, {"justification", s.reason.empty() ? "accepted in " + AnsiToUtf8(s.by) : s.reason}}};
      results.push_back(std::move(result));
    }
  }
  // The author's own entries that took nothing, as notes on the run.
  nlohmann::json notes = nlohmann::json::array();
  for (const Finding& note : set.notes)
    notes.push_back({{"level", "note"},
                     {"message", {{"text", note.rule + ": " + FindingSentence(note)}}},
                     {"locations", FindingLocation(note.subject.file, note, root)}});
  nlohmann::json run = {{"tool", {{"driver", driver}}}, {"columnKind", "unicodeCodePoints"}, {"results", results}};
  if (!notes.empty()) run["invocations"] = {{{"executionSuccessful", true}, {"toolConfigurationNotifications", notes}}};
  return Log(Run(run, root));
}

nlohmann::json DiffLog(const DiffResult& result, const std::string& root) {
  nlohmann::json results = nlohmann::json::array();
  for (const PluginReport* side : {&result.old_side, &result.new_side})
    if (const std::optional<Finding> failure = side->WhyNoActions())
      results.push_back({{"ruleId", failure->rule},
                         {"level", "error"},
                         {"message", {{"text", FindingSentence(*failure)}}},
                         {"locations", FindingLocation(side->path, *failure, root)}});
  for (const Change& c : result.changes) {
    const bool breaking = c.what == ChangeClass::kBreaking;
    results.push_back({{"ruleId", c.kind},
                       {"level", breaking ? (result.versions.ok ? "warning" : "error") : "note"},
                       {"message", {{"text", (c.action.empty() ? "" : c.action + ": ") + c.text}}},
                       {"locations", Location(result.new_side.path, {}, root)}});
  }
  return Log(Run({{"tool", {{"driver", Driver()}}}, {"results", results}}, root));
}

class SarifEmitter : public Emitter {
 public:
  explicit SarifEmitter(const OutputOptions& options) : root_(options.root), out_(WriterOf(options)) {}
  void Reports(const ReportSet& set) override { out_.Write(JsonText(ReportsLog(set, root_))); }
  void Diff(const DiffResult& result) override { out_.Write(JsonText(DiffLog(result, root_))); }

 private:
  std::string root_;
  Writer& out_;
};

}  // namespace

std::unique_ptr<Emitter> MakeSarifEmitter(const OutputOptions& options) {
  return std::make_unique<SarifEmitter>(options);
}

}  // namespace host
