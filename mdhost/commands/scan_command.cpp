// mdhost scan FOLDER: every plugin module below a folder, found by reading
// each file's export table (no code runs for that), then read in a worker.
// A file named like a plugin (.lmd, or a module exporting decorated getter
// names) that the host cannot use is a failing row; other modules (the
// helpers plugins import) are counted, and listed with --verbose.
#include <atomic>

#include "mdhost/commands/commands.h"
#include "mdhost/commands/rule_config.h"
#include "mdhost/commands/scan_findings.h"
#include "mdhost/commands/suppressions.h"
#include "mdhost/examine/pe_image.h"
#include "mdhost/report/output.h"
#include "mdhost/system/system.h"
#include "mdhost/worker/examiner.h"
#include "mdhost/worker/examiner_pool.h"

namespace host {

int ScanCommand(const Invocation& call) {
  const std::string& folder = call.arguments[0];
  if (!IsFolder(folder)) {
    Complain(AnsiToUtf8(folder) + (IsFile(folder) ? ": a file, not a folder: scan takes a folder ('mdhost check "
                                                    "FILE' examines one plugin)"
                                                  : ": no such folder"));
    return kExitNoInput;
  }
  // The first worker starts while the files are read.
  std::unique_ptr<Examiner> early = std::make_unique<Examiner>(call.isolated, call.timeout_seconds);
  early->StartEarly();
  std::vector<std::string> plugins;
  std::vector<PluginReport> unusable;  // named like plugins, of no use to the host
  ReportSet set;
  set.folder = AnsiToUtf8(folder);
  std::vector<Skipped>&skipped = set.skipped, &helpers = set.helpers;
  std::vector<std::string> unreachable;
  for (const std::string& path : FilesBelow(folder, &unreachable)) {
    const ModuleImage image = ReadModuleFile(path);
    if (image.IsPluginModule())
      plugins.push_back(path);
    else if (std::optional<PluginReport> report = UnusableAsPlugin(path, image))
      unusable.push_back(std::move(*report));
    else if (image.kind != ModuleKind::kNotAModule)
      helpers.push_back({AnsiToUtf8(path), image.WhyNoPlugin()});
    else if (const std::string why = WhyNotAModule(path); !why.empty())
      skipped.push_back({AnsiToUtf8(path), why});
    else
      ++set.other_files;
  }
  for (const std::string& path : unreachable) skipped.push_back({path, kNameNotInAnsi});
  RuleChoices choices(call);
  Acceptance acceptance(call, choices);
  std::vector<std::string> named_like_plugins = plugins;
  for (const PluginReport& report : unusable) named_like_plugins.push_back(report.path);
  if (std::string why; !choices.Find(named_like_plugins, &why) || !acceptance.Ready(&why)) {
    Complain(why);
    return kExitUsage;
  }
  std::atomic<bool> early_taken{false};
  const auto make = [&] {
    std::unique_ptr<Examiner> examiner =
        early_taken.exchange(true) ? std::make_unique<Examiner>(call.isolated, call.timeout_seconds) : std::move(early);
    examiner->AdjustEach([&](PluginReport* report) { choices.Apply(report); });
    return examiner;
  };
  // The table's rows go out as their reports come in, so that a plugin that
  // ends mdhost's own process (--in-process) leaves the rows before it.
  std::vector<PluginReport>& reports = set.reports;
  const std::unique_ptr<Emitter> out = MakeEmitter(call, Listing::kScan);
  out->Begin();
  ExamineWithJobs(
      JobsOf(call), make, Examination::kRead, plugins,
      [&](const PluginReport& report) {
        reports.push_back(report);
        acceptance.Accept(&reports.back());
        out->Report(reports.back());
      },
      [&](std::size_t plugin, const LeftWorkCrash& crash) {  // a crash is its own however late
        out->Late(reports[plugin], ChargeLeftWork(reports[plugin], crash, true));
      });
  for (PluginReport& report : unusable) {
    choices.Apply(&report);
    out->Report(report);
    reports.push_back(std::move(report));
  }
  for (const PluginReport& report : reports) set.side_by_side_from.push_back(report.findings.size());
  CheckNeighbours(reports);
  for (PluginReport& report : reports) {  // the clashes just found
    choices.Apply(&report);
    acceptance.Accept(&report);
  }
  if (std::string why; !acceptance.Finish(&set, &why)) Complain(why);
  out->Reports(set);
  int failed = 0;
  for (const PluginReport& report : reports) failed += !report.Passed(call.strict);
  // A folder without a plugin module is no green light.
  return reports.empty() ? kExitNothing : failed ? kExitFailed : kExitOk;
}

}  // namespace host
