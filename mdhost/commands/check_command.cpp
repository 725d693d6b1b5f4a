// mdhost check PLUGIN...: each plugin against the host's contract, one line
// per finding with its rule ID; the exit code is 0 only when nothing failed
// (with --strict, when nothing warned either). An action document named
// alone (actions.xml) is checked here, by every rule that reads a document,
// each finding on the file's own lines; a module's document, on the lines of
// the source it was built from where the author names it (--document).
#include "mdhost/commands/commands.h"
#include "mdhost/commands/plugin_arguments.h"
#include "mdhost/commands/rule_config.h"
#include "mdhost/commands/scan_findings.h"
#include "mdhost/commands/source_fixes.h"
#include "mdhost/commands/suppressions.h"
#include "mdhost/contract/report_sink.h"
#include "mdhost/contract/rules.h"
#include "mdhost/examine/document_file.h"
#include "mdhost/report/output.h"
#include "mdhost/worker/examiner.h"
#include "mdhost/worker/examiner_pool.h"

namespace host {
namespace {

// A source document to fix, and the plugin whose report its findings join
// (the document itself, or the module built from it).
struct FixTarget {
  std::string source, plugin;
};

// --fix: each source document mended (the documents named, and the module's
// source where one is named) before it is checked, so that what was fixed
// is quiet; what the author allowed or accepted is left as it is. With
// --diff, the change alone on standard output, as a patch, and nothing
// written.
int FixSources(const Invocation& call, const std::vector<FixTarget>& targets, const Acceptance& acceptance) {
  for (const FixTarget& target : targets) {
    SourceFixes fixes;
    std::string why;
    FixChoices choices;
    choices.wanted = [&](const Finding& finding, const std::vector<ActionSpec>& specs) {
      Finding placed = finding;
      if (target.plugin != target.source) placed.subject.file = target.source;
      return !acceptance.WouldAccept(target.plugin, placed, specs);
    };
    choices.unsafe = call.unsafe_fixes;
    choices.write = !call.fix_diff;
    if (!FixSource(target.source, RepositoryName(target.source, RootOf(call)), choices, &fixes, &why)) {
      Complain(why);
      return kExitNoInput;
    }
    if (!fixes.settled)
      Complain(AnsiToUtf8(target.source) + ": the fixes did not settle in " + std::to_string(kFixRounds) +
               " rounds; what was fixed is kept");
    if (fixes.unsafe_left > 0)
      Complain(AnsiToUtf8(target.source) + ": " + std::to_string(fixes.unsafe_left) + " unsafe fix" +
               (fixes.unsafe_left == 1 ? "" : "es") +
               " not made (each may change what a script gets): --unsafe-fixes makes them; look at each");
    if (call.fix_diff) {
      std::fwrite(fixes.diff.data(), 1, fixes.diff.size(), OwnOutput());  // the file's own bytes
      std::fflush(OwnOutput());
      continue;
    }
    std::string said;
    for (const SourceFix& fix : fixes.fixed) said += FixedLine(target.source, fix) + "\n";
    // The formats for programs keep standard output to themselves.
    if (call.format->is_default)
      Print(said);
    else
      WriteUtf8(stderr, said);
  }
  return kExitOk;
}

}  // namespace

int CheckCommand(const Invocation& call) {
  int status = kExitOk;
  const PluginFiles named = PluginFilesNamed(call.arguments);
  for (const std::string& folder : named.empty_folders) {
    Complain(AnsiToUtf8(folder) + ": no plugin module below this folder");
    status = kExitNothing;
  }
  if (named.files.empty()) return status;
  if (!call.document.empty())
    if (const int missing = RequireFile(call.document)) return missing;  // said on standard error
  // Each file named has its place in the JSON, one that cannot be used too:
  // its report is the reason, as MD001 (the host cannot load it either).
  ReportSet set;
  std::vector<PluginReport>& reports = set.reports;
  reports.resize(named.files.size());
  std::vector<std::string> modules;
  std::vector<std::size_t> module_places, document_places;
  for (std::size_t i = 0; i < named.files.size(); ++i) {
    std::string why;
    const int usable = RequireFile(named.files[i], &why);
    if (usable == kExitOk) {
      if (IsActionDocumentFile(named.files[i])) {
        document_places.push_back(i);
      } else {
        modules.push_back(named.files[i]);
        module_places.push_back(i);
      }
      continue;
    }
    if (status == kExitOk) status = usable;
    reports[i].path = named.files[i];
    ReportSink(&reports[i]).Error(rule::kCannotLoad, "cannot be loaded: " + why);
  }
  RuleChoices choices(call);
  Acceptance acceptance(call, choices);
  if (std::string why; !choices.Find(named.files, &why) || !acceptance.Ready(&why)) {
    Complain(why);
    return kExitUsage;
  }
  // No output onto a file read: the baseline written is none of them.
  if (!call.write_baseline.empty()) {
    std::vector<std::string> read = named.files;
    for (const std::string& file : choices.FilesRead()) read.push_back(file);
    for (const std::string& file : {call.document, call.baseline, call.config_file}) read.push_back(file);
    for (const std::string& module : modules)
      if (const std::optional<std::string> source = choices.DocumentFor(module)) read.push_back(*source);
    for (const std::string& file : read)
      if (!file.empty() && SameFile(call.write_baseline, file)) {
        Complain("--write-baseline " + AnsiToUtf8(call.write_baseline) + " is " + AnsiToUtf8(file) +
                 ", a file this check reads: name another file for the baseline");
        return kExitUsage;
      }
  }
  if (call.fix) {
    std::vector<FixTarget> targets;
    for (std::size_t place : document_places) targets.push_back({named.files[place], named.files[place]});
    for (const std::string& module : modules) {
      const std::string source = call.document.empty() ? choices.DocumentFor(module).value_or("") : call.document;
      if (!source.empty() &&
          std::none_of(targets.begin(), targets.end(), [&](const FixTarget& t) { return t.source == source; }))
        targets.push_back({source, module});
    }
    if (const int failed = FixSources(call, targets, acceptance)) return failed;
  }
  const auto make = [&] {
    auto examiner = std::make_unique<Examiner>(call.isolated, call.timeout_seconds, call.load_cycles);
    examiner->AdjustEach([&](PluginReport* report) { choices.Apply(report); });
    return examiner;
  };
  // With --fix --diff, standard output is the patch's alone.
  const std::unique_ptr<Emitter> out = MakeEmitter(call, Listing::kCheck, call.fix_diff ? &StandardError() : nullptr);
  // Reports go out in the order named: the documents (read here, at once)
  // between the modules (read in workers) as they come.
  const auto deliver = [&](std::size_t place, PluginReport report) {
    const std::string source = call.document.empty() ? choices.DocumentFor(report.path).value_or("") : call.document;
    if (!source.empty() && report.error.empty()) PlaceOnSource(&report, source);
    report.OrderByPlace();
    choices.Apply(&report);  // the source's finding too
    acceptance.Accept(&report);
    if (!report.Passed(call.strict) && status == kExitOk) status = kExitFailed;
    out->Report(report);
    reports[place] = std::move(report);
    set.examined.push_back(place);
  };
  std::size_t delivered = 0, next_document = 0;
  const auto documents_before = [&](std::size_t place) {
    for (; next_document < document_places.size() && document_places[next_document] < place; ++next_document) {
      const std::size_t at = document_places[next_document];
      deliver(at, ExamineDocumentFile(named.files[at], Examination::kCheck));
    }
  };
  // Modules named together meet in one host: a fixed base that overlaps
  // another's is known from the files, before any is examined.
  const std::vector<std::optional<Finding>> fixed_bases = FixedBaseFindings(modules);
  // What a plugin left behind may crash the worker after its report went
  // out: the crash is still its own, and counts.
  const auto late = [&](std::size_t module, const LeftWorkCrash& crash) {
    PluginReport& report = reports[module_places[module]];
    const Finding& charged = ChargeLeftWork(report, crash, true);
    if (!report.Passed(call.strict) && status == kExitOk) status = kExitFailed;
    out->Late(report, charged);
  };
  ExamineWithJobs(
      JobsOf(call), make, Examination::kCheck, modules,
      [&](const PluginReport& report) {
        documents_before(module_places[delivered]);
        PluginReport beside = report;
        if (fixed_bases[delivered] && report.error.empty()) beside.findings.push_back(*fixed_bases[delivered]);
        deliver(module_places[delivered++], std::move(beside));
      },
      late);
  documents_before(named.files.size());
  if (std::string why; !acceptance.Finish(&set, &why)) {
    Complain(why);
    status = kExitNoInput;  // whatever was found: the file asked for is not there
  }
  out->Reports(set);
  return status;
}

}  // namespace host
