#include "mdhost/report/ci_formats.h"

#include "mdhost/system/system.h"

namespace host {
namespace {

nlohmann::json Location(const std::string& path, const Place& place) {
  nlohmann::json physical = {{"artifactLocation", {{"uri", FileUri(AnsiToUtf8(AbsolutePath(path)))}}}};
  if (place.line > 0) physical["region"] = {{"startLine", place.line}, {"startColumn", place.column}};
  return nlohmann::json::array({{{"physicalLocation", physical}}});
}

// mdhost's own text (MDHOST.txt) lies beside it, as the zip has it.
nlohmann::json Driver() {
  return {{"name", "mdhost"},
          {"version", MD_VERSION_TEXT},
          {"informationUri", FileUri(AnsiToUtf8(FolderOf(AbsolutePath(OwnProgramPath()))) + "/MDHOST.txt")}};
}

nlohmann::json Log(nlohmann::json run) {
  return {{"$schema", "https://docs.oasis-open.org/sarif/sarif/v2.1.0/errata01/os/schemas/sarif-schema-2.1.0.json"},
          {"version", "2.1.0"},
          {"runs", nlohmann::json::array({std::move(run)})}};
}

// GitHub's escapes: a message's %, CR and LF; a property's , and : too.
std::string GithubEscaped(const std::string& text, bool property) {
  std::string out;
  for (char c : text) {
    if (c == '%')
      out += "%25";
    else if (c == '\r')
      out += "%0D";
    else if (c == '\n')
      out += "%0A";
    else if (property && c == ':')
      out += "%3A";
    else if (property && c == ',')
      out += "%2C";
    else
      out += c;
  }
  return out;
}

std::string Annotation(const char* command, const std::string& path, const Place& place, const std::string& title,
                       const std::string& message) {
  std::string line = std::string("::") + command + " file=" + GithubEscaped(AnsiToUtf8(path), true);
  if (place.line > 0) line += ",line=" + std::to_string(place.line) + ",col=" + std::to_string(place.column);
  return line + ",title=" + GithubEscaped(title, true) + "::" + GithubEscaped(Escaped(message), false) + "\n";
}

}  // namespace

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

nlohmann::json SarifLog(const std::vector<PluginReport>& reports, const std::vector<RuleDescription>& rules) {
  nlohmann::json driver = Driver();
  driver["rules"] = nlohmann::json::array();
  for (const RuleDescription& rule : rules)
    driver["rules"].push_back({{"id", rule.id},
                               {"shortDescription", {{"text", rule.title}}},
                               {"defaultConfiguration", {{"level", WordsOf(rule.severity).sarif_level}}},
                               {"helpUri", rule.help_uri}});
  const auto index = [&](const std::string& id) {
    for (std::size_t i = 0; i < rules.size(); ++i)
      if (rules[i].id == id) return static_cast<int>(i);
    return -1;
  };
  nlohmann::json results = nlohmann::json::array();
  const auto add = [&](const PluginReport& report, const Finding& finding) {
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
  };
  for (const PluginReport& report : reports)
    for (const Finding& finding : report.Listed()) add(report, finding);
  return Log({{"tool", {{"driver", driver}}}, {"columnKind", "unicodeCodePoints"}, {"results", results}});
}

nlohmann::json SarifDiffLog(const DiffResult& result) {
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

std::string GithubAnnotations(const std::vector<PluginReport>& reports) {
  std::string out;
  for (const PluginReport& report : reports)
    for (const Finding& f : report.Listed())
      if (const char* command = WordsOf(f.severity).github_command)
        out += Annotation(command, report.path, f.subject.place, f.rule, f.text);
  return out;
}

std::string GithubDiffAnnotations(const DiffResult& result) {
  std::string out;
  for (const PluginReport* side : {&result.old_side, &result.new_side})
    if (const std::optional<Finding> failure = side->WhyNoActions())
      out += Annotation("error", side->path, failure->subject.place, failure->rule, failure->text);
  for (const Change& c : result.changes) {
    const bool breaking = c.what == ChangeClass::kBreaking;
    out += Annotation(breaking ? (result.versions.ok ? "warning" : "error") : "notice", result.new_side.path, {},
                      c.kind, (c.action.empty() ? "" : c.action + ": ") + c.text);
  }
  return out;
}

}  // namespace host
