// Where an examination puts what it learns: one PluginReport, filled field
// by field, and the step about to run, which a crash or a hang is blamed on.
// The worker's sink also sends the report so far at each step
// (worker_protocol.h), so that a crash keeps what was learnt before it.
#pragma once

#include <string>

#include "mdhost/contract/plugin_report.h"

namespace host {

class ReportSink {
 public:
  explicit ReportSink(PluginReport* report) : report_(report) {}
  virtual ~ReportSink() = default;
  ReportSink(const ReportSink&) = delete;
  ReportSink& operator=(const ReportSink&) = delete;

  PluginReport& report() { return *report_; }
  // The step about to run ("loading the module", an export's name...). In
  // mdhost's own process a crash ends it anyway: nothing to do.
  virtual void Stage(const std::string& what) { (void)what; }
  // The step under way goes on (one more of many cycles): a sign of life, so
  // that a long step is no hang while each part of it is quick.
  virtual void Progress() {}

  void Add(const Finding& finding) { report_->findings.push_back(finding); }
  void Pass(const char* rule, const std::string& text) { Add({rule, Severity::kPass, text}); }
  void Note(const char* rule, const std::string& text) { Add({rule, Severity::kNote, text}); }
  void Warn(const char* rule, const std::string& text) { Add({rule, Severity::kWarn, text}); }
  void Fail(const char* rule, const std::string& text) { Add({rule, Severity::kFail, text}); }
  void Error(const char* rule, const std::string& why) {
    report_->error_rule = rule;
    report_->error = why;
  }

 private:
  PluginReport* report_;
};

}  // namespace host
