#include "mdhost/report/output.h"

#include <cstdio>

#include "mdhost/system/system.h"
#include "mdhost/examine/plugin_texts.h"

namespace host {

void Print(const std::string& utf8) { WriteUtf8(stdout, utf8); }

void PrintAnsi(const std::string& ansi) { Print(AnsiToUtf8(ansi)); }

void Complain(const std::string& utf8) {
  std::fflush(stdout);
  WriteUtf8(stderr, "mdhost: " + utf8 + "\n");
}

const char* SeverityName(Severity severity) {
  switch (severity) {
    case Severity::kPass: return "PASS";
    case Severity::kFail: return "FAIL";
    default: return "NOTE";
  }
}

nlohmann::json ReportJson(const PluginReport& report) {
  nlohmann::json out = {{"path", AnsiToUtf8(report.path)}};
  for (const PluginText& text : kPluginTexts) {
    const std::string* value = report.Text(text.getter);
    out[text.json_key] = value ? nlohmann::json(AnsiToUtf8(*value)) : nlohmann::json();
  }
  out["sdk_version"] = report.sdk_version ? nlohmann::json(*report.sdk_version) : nlohmann::json();
  out["actions"] = report.actions;
  if (!report.findings.empty()) {
    nlohmann::json findings = nlohmann::json::array();
    for (const Finding& finding : report.findings)
      findings.push_back({{"severity", SeverityName(finding.severity)}, {"text", finding.text}});
    out["findings"] = findings;
  }
  for (const auto& figure : report.figures) out[figure.first] = figure.second;
  if (!report.error.empty()) out["error"] = report.error;
  return out;
}

nlohmann::json ModuleJson(const PluginReport& report, const ModuleImage& image) {
  nlohmann::json out = ReportJson(report);
  out.erase("action_xml");
  out["file_version"] = image.file_version.empty() ? nlohmann::json() : nlohmann::json(image.file_version);
  out["product_version"] = image.product_version.empty() ? nlohmann::json() : nlohmann::json(image.product_version);
  return out;
}

void PrintJson(const nlohmann::json& value) {
  Print(value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
}

}  // namespace host
