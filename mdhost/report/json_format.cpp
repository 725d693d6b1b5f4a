// JSON for programs (docs/json.md): one UTF-8 object per command, every
// plugin's record built by the table of fields (report_fields.h).
#include <memory>

#include <nlohmann/json.hpp>

#include "mdhost/contract/plugin_texts.h"
#include "mdhost/contract/report_fields.h"
#include "mdhost/report/emitter.h"

namespace host {
namespace {

constexpr int kJsonFormatVersion = 2;  // 2: diff's "warnings" gave way to "versions"

// What every JSON object mdhost prints opens with: format_version and tool.
nlohmann::json Envelope() {
  return {{"format_version", kJsonFormatVersion}, {"tool", {{"name", "mdhost"}, {"version", MD_VERSION_TEXT}}}};
}

nlohmann::json ReportJson(const PluginReport& report, bool strict) {
  nlohmann::json out = nlohmann::json::object();
  const JsonContext context{AnsiToUtf8, strict};
  for (const ReportField& field : ReportFields()) field.json(report, context, &out);
  return out;
}

// Every command's JSON of reports: format_version, tool, plugins (one record
// each), skipped and summary.
nlohmann::json ResultsJson(const std::vector<PluginReport>& reports, const std::vector<Skipped>& skipped,
                           const std::vector<Finding>& set_notes, bool strict) {
  nlohmann::json plugins = nlohmann::json::array();
  int passed = 0, failed = 0;
  nlohmann::json counts = nlohmann::json::object();
  for (Severity s : {Severity::kPass, Severity::kNote, Severity::kWarn, Severity::kFail}) counts[SeverityName(s)] = 0;
  for (const PluginReport& report : reports) {
    plugins.push_back(ReportJson(report, strict));
    (report.Passed(strict) ? passed : failed)++;
    for (const Finding& finding : report.Listed())
      counts[SeverityName(finding.severity)] = counts[SeverityName(finding.severity)].get<int>() + 1;
  }
  nlohmann::json skips = nlohmann::json::array();
  for (const Skipped& s : skipped) skips.push_back({{"path", s.path}, {"reason", s.reason}});
  nlohmann::json out = Envelope();
  out["plugins"] = plugins;
  out["skipped"] = skips;
  nlohmann::json notes = nlohmann::json::array();
  for (const Finding& note : set_notes) notes.push_back(FindingJson(note, AnsiToUtf8));
  out["notes"] = notes;
  out["summary"] = {
      {"plugins", reports.size()}, {"passed", passed}, {"failed", failed}, {"strict", strict}, {"findings", counts}};
  return out;
}

nlohmann::json TextJson(const PluginReport& side, const char* getter) {
  const std::string* text = side.Text(getter);
  return text ? nlohmann::json(AnsiToUtf8(*text)) : nlohmann::json();
}

nlohmann::json SideJson(const PluginReport& side) {
  const std::optional<Finding> failure = side.WhyNoActions();
  return {{"path", AnsiToUtf8(side.path)},
          {"name", TextJson(side, kNameGetter)},
          {"version", TextJson(side, kVersionGetter)},
          {"error", failure ? nlohmann::json({{"rule", failure->rule}, {"text", FindingSentence(*failure)}})
                            : nlohmann::json()}};
}

nlohmann::json VersionsJson(const DiffResult& result) {
  if (!result.Compared()) return nullptr;
  const VersionVerdict& v = result.versions;
  const auto text = [](const std::optional<std::string>& t) { return t ? nlohmann::json(*t) : nlohmann::json(); };
  return {{"old", text(v.old_version)},
          {"new", text(v.new_version)},
          {"release", v.release.empty() ? nlohmann::json() : nlohmann::json(v.release)},
          {"release_stated", v.release_stated},
          {"required_bump", v.required},
          {"ok", v.ok}};
}

nlohmann::json DiffJson(const DiffResult& result) {
  nlohmann::json list = nlohmann::json::array();
  for (const Change& c : result.changes) {
    nlohmann::json entry = {{"kind", c.kind},
                            {"class", ChangeClassName(c.what)},
                            {"breaking", c.what == ChangeClass::kBreaking},
                            {"action", c.action.empty() ? nlohmann::json() : nlohmann::json(c.action)},
                            {"old", c.old_value},
                            {"new", c.new_value},
                            {"text", c.text}};
    if (!c.argument.empty()) entry["argument"] = c.argument;
    list.push_back(entry);
  }
  nlohmann::json out = Envelope();
  out["old"] = SideJson(result.old_side);
  out["new"] = SideJson(result.new_side);
  out["changes"] = list;
  out["versions"] = VersionsJson(result);
  out["summary"] = {{"breaking", result.Count(ChangeClass::kBreaking)},
                    {"compatible", result.Count(ChangeClass::kCompatible)},
                    {"notes", result.Count(ChangeClass::kNote)}};
  return out;
}

class JsonEmitter : public Emitter {
 public:
  explicit JsonEmitter(const OutputOptions& options) : strict_(options.strict), out_(WriterOf(options)) {}
  void Reports(const ReportSet& set) override {
    std::vector<Skipped> all = set.skipped;
    all.insert(all.end(), set.helpers.begin(), set.helpers.end());
    out_.Write(JsonText(ResultsJson(set.reports, all, set.notes, strict_)));
  }
  void Diff(const DiffResult& result) override { out_.Write(JsonText(DiffJson(result))); }

 private:
  bool strict_;
  Writer& out_;
};

}  // namespace

std::unique_ptr<Emitter> MakeJsonEmitter(const OutputOptions& options) {
  return std::make_unique<JsonEmitter>(options);
}

}  // namespace host
