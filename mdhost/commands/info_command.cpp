// mdhost info PLUGIN: the five texts, the SDK version and the actions, as the
// host reads them.
#include "mdhost/commands/commands.h"
#include "mdhost/commands/rule_config.h"
#include "mdhost/commands/suppressions.h"
#include "mdhost/report/output.h"
#include "mdhost/worker/examiner.h"

namespace host {

int InfoCommand(const Invocation& call) {
  const std::string& path = call.arguments[0];
  if (const int status = RequireFile(path)) return status;
  RuleChoices choices(call);
  if (std::string why; !choices.Find({path}, &why)) {
    Complain(why);
    return kExitUsage;
  }
  Examiner examiner(call.isolated, call.timeout_seconds);
  examiner.AdjustEach([&](PluginReport* report) { choices.Apply(report); });
  ReportSet set;
  set.reports.push_back(examiner.ExamineOne(Examination::kRead, path));
  Acceptance acceptance(call, choices);
  acceptance.Accept(&set.reports.front());
  std::string unused;
  acceptance.Finish(&set, &unused);  // info writes no baseline
  const std::unique_ptr<Emitter> out = MakeEmitter(call, Listing::kInfo);
  out->Report(set.reports.front());
  out->Reports(set);
  return set.reports.front().Failures() ? kExitFailed : kExitOk;
}

}  // namespace host
