// mdhost check PLUGIN...: each plugin against the host's contract, one line
// per finding; the exit code is 0 only when nothing failed.
#include "mdhost/commands/commands.h"
#include "mdhost/worker/examiner.h"
#include "mdhost/report/output.h"

namespace host {

int CheckCommand(const Invocation& call) {
  int status = kExitOk;
  std::vector<std::string> files;
  for (const std::string& path : call.arguments) {
    if (RequireFile(path))
      files.push_back(path);
    else
      status = kExitNoInput;
  }
  nlohmann::json all = nlohmann::json::array();
  Examiner examiner(call.isolated, call.timeout_seconds, call.load_cycles);
  examiner.ExamineAll(Examination::kCheck, files, [&](const PluginReport& report) {
    const int failures = report.Failures();
    if (failures && status == kExitOk) status = kExitFailed;
    if (call.json) {
      nlohmann::json entry = ReportJson(report);
      entry["passed"] = failures == 0;
      all.push_back(entry);
      return;
    }
    Print("Checking " + AnsiToUtf8(report.path) + "\n");
    for (const Finding& finding : report.findings)
      Print(std::string(SeverityName(finding.severity)) + "  " + finding.text + "\n");
    if (!report.error.empty()) Print("FAIL  " + report.error + "\n");
    Print(std::string(failures ? "FAILED" : "PASSED") + ": " + std::to_string(failures) + " problem" +
          (failures == 1 ? "" : "s") + "\n");
  });
  if (call.json) PrintJson(all);
  return status;
}

}  // namespace host
