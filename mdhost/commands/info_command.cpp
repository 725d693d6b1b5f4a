// mdhost info PLUGIN: the five texts, the SDK version and the actions, as the
// host reads them.
#include "mdhost/commands/commands.h"
#include "mdhost/commands/output_format.h"
#include "mdhost/commands/rule_config.h"
#include "mdhost/contract/plugin_texts.h"
#include "mdhost/report/output.h"
#include "mdhost/worker/examiner.h"

namespace host {
namespace {

// Multi-line texts start on a line of their own, so they read as they are.
void PrintText(const char* label, const std::string& ansi) {
  const bool lines = ansi.find('\n') != std::string::npos;
  Print(std::string(label) + (lines ? ":\n" : ": "));
  PrintAnsi(ansi);
  Print("\n");
}

void PrintReport(const PluginReport& report) {
  for (const PluginText& text : kPluginTexts) {
    if (const std::string* value = report.Text(text.getter))
      PrintText(text.label, *value);
    else
      Print(std::string(text.label) + ": (" + text.getter + " not exported or unreadable)\n");
  }
  if (!report.sdk_known)
    Print("SDK version: unknown\n");
  else if (report.sdk_version)
    Print("SDK version: " + std::to_string(*report.sdk_version) + "\n");
  else
    Print("SDK version: 1 (no irPlg_GetSDKVersion export: an SDK1 plugin)\n");
  if (report.actions) {
    Print("Actions: " + std::to_string(report.actions->size()) + "\n");
    for (const std::string& action : *report.actions) Print("  " + action + "\n");  // UTF-8 from the parser
  } else {
    Print("Actions: unknown (the action XML could not be read; the finding below says why)\n");
  }
  for (const Finding& finding : report.findings) Print(FindingLine(finding) + "\n");
}

}  // namespace

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
  const PluginReport report = examiner.ExamineOne(Examination::kRead, path);
  if (PrintForPrograms(call, {report}, {})) return report.Failures() ? kExitFailed : kExitOk;
  if (report.error.empty())
    PrintReport(report);
  else
    Print(AnsiToUtf8(path) + ": " + ErrorLine(report) + "\n");  // as check and diff say it
  if (const std::string explain = ExplainLine({report}); !explain.empty()) Print(explain + "\n");
  return report.Failures() ? kExitFailed : kExitOk;
}

}  // namespace host
