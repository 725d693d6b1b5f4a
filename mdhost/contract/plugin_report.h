// What mdhost learns about one plugin module: one record per plugin, built
// once (in the worker that examines it) and rendered as text or JSON by
// every command. An examination tells it through a ReportSink: straight into
// a report here, or down a worker's pipe (worker_protocol.h).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "mdhost/contract/report_sink.h"

namespace host {

struct PluginReport {
  std::string path;
  std::string error;  // why the module could not be read or examined (UTF-8); "" when it could
  std::string error_rule;  // the rule the error is about
  // The texts by getter export name, as the plugin gave them (ANSI bytes); a
  // getter that is not exported or could not be read has no entry.
  std::map<std::string, std::string> texts;
  bool sdk_known = false;              // irPlg_GetSDKVersion was looked for
  std::optional<int32_t> sdk_version;  // its answer; none (when known) for an SDK1 plugin
  // The action names its document gives; none when the document could not be read.
  std::optional<std::vector<std::string>> actions;
  std::string file_version, product_version;  // from the version resource; "" where absent
  std::vector<Finding> findings;
  std::map<std::string, double> figures;

  int Count(Severity severity) const;
  int Failures() const;  // FAIL findings, and the error
  bool Passed(bool strict) const { return Failures() == 0 && (!strict || Count(Severity::kWarn) == 0); }
  const std::string* Text(const std::string& getter) const;
};

// Fills a report in this process.
class ReportBuilder : public ReportSink {
 public:
  explicit ReportBuilder(PluginReport* report) : report_(report) {}
  void Stage(const std::string&) override {}  // in this process, a crash ends it anyway
  void Text(const std::string& getter, const std::string& ansi) override { report_->texts[getter] = ansi; }
  void SdkVersion(std::optional<int32_t> version) override {
    report_->sdk_known = true;
    report_->sdk_version = version;
  }
  void Add(const Finding& finding) override { report_->findings.push_back(finding); }
  void Actions(const std::vector<std::string>& names) override { report_->actions = names; }
  void VersionResource(const std::string& file_version, const std::string& product_version) override {
    report_->file_version = file_version;
    report_->product_version = product_version;
  }
  void Error(const char* rule, const std::string& why) override {
    report_->error_rule = rule;
    report_->error = why;
  }
  void Figure(const std::string& name, double value) override { report_->figures[name] = value; }

 private:
  PluginReport* report_;
};

}  // namespace host
