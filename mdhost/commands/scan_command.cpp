// mdhost scan FOLDER: every plugin module below a folder, found by reading
// each file's export table (no code runs for that), then read in a worker.
// A file named like a plugin (.lmd, or a module exporting decorated getter
// names) that the host cannot use is a failing row; other modules (the
// helpers plugins import) are counted, and listed with --verbose.
#include <atomic>
#include "mdhost/commands/commands.h"
#include "mdhost/commands/output_format.h"
#include "mdhost/commands/rule_config.h"
#include "mdhost/commands/scan_findings.h"
#include "mdhost/contract/plugin_texts.h"
#include "mdhost/examine/pe_image.h"
#include "mdhost/report/output.h"
#include "mdhost/system/system.h"

#include "mdhost/worker/examiner.h"
#include "mdhost/worker/examiner_pool.h"

namespace host {
namespace {

std::string Cell(const std::string& utf8, std::size_t width) {
  std::string cell = Escaped(utf8.substr(0, utf8.find_first_of("\r\n")));
  if (cell.size() > width) cell = cell.substr(0, width - 3) + "...";
  // Pad by characters, not bytes, so that UTF-8 texts line up.
  std::size_t characters = 0;
  for (unsigned char c : cell) characters += (c & 0xC0) != 0x80;
  return cell + std::string(characters < width ? width - characters : 0, ' ');
}

void PrintRow(const std::string& name, const std::string& version, const std::string& lua, const std::string& sdk,
              const std::string& path) {
  Print(Cell(name, 28) + " " + Cell(version, 12) + " " + Cell(lua, 10) + " " + Cell(sdk, 4) + " " + path + "\n");
}

std::string TextOr(const PluginReport& report, const char* getter) {
  const std::string* text = report.Text(getter);
  return text ? AnsiToUtf8(*text) : "-";
}

std::string SdkCell(const PluginReport& report) {
  if (!report.sdk_known) return "?";
  return report.sdk_version ? "SDK" + std::to_string(*report.sdk_version) : "SDK1";
}

// One plugin's row, with its error and its WARN and FAIL findings below it.
void PrintReportRow(const PluginReport& report) {
  PrintRow(TextOr(report, kNameGetter), TextOr(report, kVersionGetter), TextOr(report, kLuaVersionGetter),
           SdkCell(report), AnsiToUtf8(report.path));
  if (!report.error.empty()) Print("    " + ErrorLine(report) + "\n");
  for (const Finding& finding : report.findings) Print("    " + FindingLine(finding) + "\n");  // a read's: WARN, FAIL
}

}  // namespace

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
  std::vector<Skipped> skipped, helpers;
  std::vector<std::string> unreachable;
  std::size_t other_files = 0;
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
      ++other_files;
  }
  for (const std::string& path : unreachable) skipped.push_back({path, kNameNotInAnsi});
  RuleChoices choices(call);
  std::vector<std::string> named_like_plugins = plugins;
  for (const PluginReport& report : unusable) named_like_plugins.push_back(report.path);
  if (std::string why; !choices.Find(named_like_plugins, &why)) {
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
  std::vector<PluginReport> reports;
  const bool text = call.format == OutputFormat::kText;
  if (text) PrintRow("NAME", "VERSION", "LUA", "SDK", "PATH");
  ExamineWithJobs(JobsOf(call), make, Examination::kRead, plugins, [&](const PluginReport& report) {
    reports.push_back(report);
    if (text) PrintReportRow(report);
  });
  for (PluginReport& report : unusable) {
    choices.Apply(&report);
    if (text) PrintReportRow(report);
    reports.push_back(std::move(report));
  }
  std::vector<std::size_t> findings_before;
  for (const PluginReport& report : reports) findings_before.push_back(report.findings.size());
  CheckNeighbours(reports);
  for (PluginReport& report : reports) choices.Apply(&report);  // the clashes just found

  int failed = 0;
  for (const PluginReport& report : reports) failed += !report.Passed(call.strict);
  // A folder without a plugin module is no green light.
  const int status = reports.empty() ? kExitNothing : failed ? kExitFailed : kExitOk;
  std::vector<Skipped> all = skipped;
  all.insert(all.end(), helpers.begin(), helpers.end());
  if (PrintForPrograms(call, reports, all)) return status;
  // What plugins do to each other, each line naming the plugin it is about.
  for (std::size_t i = 0; i < reports.size(); ++i)
    for (std::size_t f = findings_before[i]; f < reports[i].findings.size(); ++f)
      Print(AnsiToUtf8(reports[i].path) + ": " + FindingLine(reports[i].findings[f]) + "\n");
  for (const Skipped& s : skipped) Print("skipped " + s.path + ": " + s.reason + "\n");
  if (call.verbose)  // modules that are no plugins: the helpers plugins import
    for (const Skipped& s : helpers) Print("helper " + s.path + ": " + s.reason + "\n");
  if (reports.empty()) Print("no plugin modules below " + AnsiToUtf8(folder) + "\n");
  Print(std::to_string(reports.size()) + " plugin module" + (reports.size() == 1 ? "" : "s") + ", " +
        std::to_string(failed) + " could not be read or failed; " + std::to_string(skipped.size()) + " skipped, " +
        std::to_string(helpers.size()) + " other module" + (helpers.size() == 1 ? "" : "s") + ", " +
        std::to_string(other_files) + " other file" + (other_files == 1 ? "" : "s") + "\n");
  if (const std::string explain = ExplainLine(reports); !explain.empty()) Print(explain + "\n");
  return status;
}

}  // namespace host
