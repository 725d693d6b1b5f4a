// Where an examination puts what it learns: one PluginReport, filled field
// by field, and the step about to run, which a crash or a hang is blamed on.
// The worker's sink also sends the report so far at each step
// (worker_protocol.h), so that a crash keeps what was learnt before it.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "mdhost/contract/plugin_report.h"
#include "mdhost/contract/rules.h"

namespace host {

class ReportSink {
 public:
  explicit ReportSink(PluginReport* report) : report_(report) {}
  virtual ~ReportSink() = default;
  ReportSink(const ReportSink&) = delete;
  ReportSink& operator=(const ReportSink&) = delete;

  PluginReport& report() { return *report_; }
  // The step about to run ("loading the module", an export's name...) and
  // the export it calls, if any; the step before it has ended.
  void Stage(const std::string& what, const std::string& export_name = "") {
    EndStep();
    step_ = what;
    step_export_ = export_name;
    Began(what, export_name);
  }
  // The last step has ended: nothing runs of the plugin after it.
  void EndStep() {
    if (step_ended_ && !step_.empty()) step_ended_(step_, step_export_);
    step_.clear();
  }
  // Called as each step ends, with its words and export, so that what the
  // plugin's code changed in it is found there.
  using StepEnded = std::function<void(const std::string& what, const std::string& export_name)>;
  void OnStepEnded(StepEnded ended) { step_ended_ = std::move(ended); }
  // The step under way goes on (one more of many cycles): a sign of life, so
  // that a long step is no hang while each part of it is quick.
  virtual void Progress() {}
  // Something of the plugin outlived its release (a module still loaded, a
  // thread, a timer or wait): the process is no fit place for the next one.
  virtual void LeftBehind() {}

  void Add(Finding finding) { report_->findings.push_back(std::move(finding)); }
  // A finding of `rule` at the rule's own severity.
  void Add(const char* rule, std::string text, Subject subject = {}) {
    Add(Found(rule, std::move(text), std::move(subject)));
  }
  // What the rule checks went right.
  void Pass(const char* rule, std::string text, Subject subject = {}) {
    Add({rule, Severity::kPass, std::move(text), std::move(subject)});
  }
  // Worth knowing, below what the rule's mistake is (a little memory kept).
  void Inform(const char* rule, std::string text) { Add({rule, Severity::kNote, std::move(text)}); }
  void Error(const char* rule, const std::string& why) {
    report_->error_rule = rule;
    report_->error = why;
  }

  // One cause, one finding: several exports that make one mistake alike
  // (MD009, MD105) share one finding that names each. The first adds it;
  // each later one is named in it, and `say` words it anew from the exports
  // named and what the first showed ("8 bytes").
  using CauseText = std::string (*)(const std::vector<std::string>& exports, const std::string& first_shown);
  void AddToCause(const char* rule, const std::string& export_name, const std::string& shown, CauseText say);

 protected:
  // A step begins. In mdhost's own process a crash ends it anyway: nothing
  // to do.
  virtual void Began(const std::string& what, const std::string& export_name) {
    (void)what;
    (void)export_name;
  }
  // A new report begins: the causes of the last one are forgotten.
  void ForgetCauses() {
    causes_.clear();
    step_.clear();
  }

 private:
  struct Cause {
    std::size_t index;  // of its finding
    std::vector<std::string> exports;
    std::string first_shown;
  };
  PluginReport* report_;
  std::map<std::string, Cause> causes_;  // by rule
  std::string step_, step_export_;       // the step under way
  StepEnded step_ended_;
};

}  // namespace host
