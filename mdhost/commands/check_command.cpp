// mdhost check PLUGIN...: each plugin against the host's contract, one line
// per finding with its rule ID; the exit code is 0 only when nothing failed
// (with --strict, when nothing warned either).
#include "mdhost/commands/commands.h"
#include "mdhost/commands/plugin_arguments.h"
#include "mdhost/commands/rule_config.h"
#include "mdhost/contract/report_sink.h"
#include "mdhost/contract/rules.h"
#include "mdhost/report/output.h"
#include "mdhost/worker/examiner.h"
#include "mdhost/worker/examiner_pool.h"

namespace host {

int CheckCommand(const Invocation& call) {
  int status = kExitOk;
  const PluginFiles named = PluginFilesNamed(call.arguments);
  for (const std::string& folder : named.empty_folders) {
    Complain(AnsiToUtf8(folder) + ": no plugin module below this folder");
    status = kExitNothing;
  }
  if (named.files.empty()) return status;
  // Each file named has its place in the JSON, one that cannot be used too:
  // its report is the reason, as MD001 (the host cannot load it either).
  ReportSet set;
  std::vector<PluginReport>& reports = set.reports;
  reports.resize(named.files.size());
  std::vector<std::string> files;
  std::vector<std::size_t>& places = set.examined;
  for (std::size_t i = 0; i < named.files.size(); ++i) {
    std::string why;
    const int usable = RequireFile(named.files[i], &why);
    if (usable == kExitOk) {
      files.push_back(named.files[i]);
      places.push_back(i);
      continue;
    }
    if (status == kExitOk) status = usable;
    reports[i].path = named.files[i];
    ReportSink(&reports[i]).Error(rule::kCannotLoad, "cannot be loaded: " + why);
  }
  RuleChoices choices(call);
  if (std::string why; !choices.Find(named.files, &why)) {
    Complain(why);
    return kExitUsage;
  }
  std::size_t delivered = 0;
  const auto make = [&] {
    auto examiner = std::make_unique<Examiner>(call.isolated, call.timeout_seconds, call.load_cycles);
    examiner->AdjustEach([&](PluginReport* report) { choices.Apply(report); });
    return examiner;
  };
  const std::unique_ptr<Emitter> out = MakeEmitter(call, Listing::kCheck);
  ExamineWithJobs(JobsOf(call), make, Examination::kCheck, files, [&](const PluginReport& report) {
    if (!report.Passed(call.strict) && status == kExitOk) status = kExitFailed;
    out->Report(report);
    reports[places[delivered++]] = report;
  });
  out->Reports(set);
  return status;
}

}  // namespace host
