// mdhost check PLUGIN...: each plugin against the host's contract, one line
// per finding with its rule ID; the exit code is 0 only when nothing failed
// (with --strict, when nothing warned either).
#include "mdhost/commands/commands.h"
#include "mdhost/report/output.h"
#include "mdhost/worker/examiner.h"

namespace host {
namespace {

void PrintReport(const PluginReport& report, const Invocation& call) {
  Print("Checking " + AnsiToUtf8(report.path) + "\n");
  for (const Finding& finding : report.findings)
    if (!call.quiet || finding.IsProblem()) Print(FindingLine(finding) + "\n");
  if (!report.error.empty()) Print(ErrorLine(report) + "\n");
  Print(VerdictLine(report, call.strict) + "\n");
}

}  // namespace

int CheckCommand(const Invocation& call) {
  int status = kExitOk;
  std::vector<std::string> files;
  for (const std::string& path : call.arguments) {
    const int usable = RequireFile(path);
    if (usable == kExitOk)
      files.push_back(path);
    else if (status == kExitOk)
      status = usable;
  }
  std::vector<PluginReport> reports;
  Examiner examiner(call.isolated, call.timeout_seconds, call.load_cycles);
  examiner.ExamineAll(Examination::kCheck, files, [&](const PluginReport& report) {
    if (!report.Passed(call.strict) && status == kExitOk) status = kExitFailed;
    if (!call.json) PrintReport(report, call);
    reports.push_back(report);
  });
  if (call.json)
    PrintJson(ResultsJson(reports, {}, call.strict));
  else if (reports.size() > 1)
    Print(SummaryLine(reports, call.strict) + "\n");
  return status;
}

}  // namespace host
