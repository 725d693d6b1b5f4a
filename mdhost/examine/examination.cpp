#include "mdhost/examine/examination.h"

#include <cstdio>
#include <new>
#include <optional>

#include "mdhost/contract/plugin_texts.h"
#include "mdhost/contract/rules.h"
#include "mdhost/examine/action_document.h"
#include "mdhost/examine/getter_protocol.h"
#include "mdhost/examine/loaded_module.h"
#include "mdhost/examine/pe_image.h"
#include "mdhost/examine/process_state_check.h"
#include "mdhost/system/crash_report.h"
#include "mdhost/system/system.h"

namespace host {
namespace {

using SdkVersionGetter = int32_t (*)();

bool ExportsAnyGetter(const LoadedModule& module) {
  for (const PluginText& text : kPluginTexts)
    if (module.Export(text.getter) != nullptr) return true;
  return false;
}

// The SDK version the host would see; an SDK1 plugin exports no getter.
std::optional<int32_t> ReadSdkVersion(ReportSink& sink, const LoadedModule& module) {
  auto sdk = reinterpret_cast<SdkVersionGetter>(module.Export(kSdkVersionExport));
  sink.report().sdk_known = true;
  if (sdk == nullptr) return std::nullopt;
  sink.Stage(kSdkVersionExport, kSdkVersionExport);
  const int32_t version = sdk();
  sink.report().sdk_version = version;
  return version;
}

void JudgeSdkVersion(ReportSink& sink, const std::optional<int32_t>& sdk) {
  const Subject subject = ExportSubject(kSdkVersionExport);
  if (!sdk)
    sink.Add(rule::kSdk1, std::string(kSdkVersionExport) + ": not exported (an SDK1 plugin)", subject);
  else if (*sdk == 2)
    sink.Pass(rule::kSdkVersion, std::string(kSdkVersionExport) + ": 2", subject);
  else
    sink.Add(rule::kSdkVersion, std::string(kSdkVersionExport) + ": returned " + std::to_string(*sdk) + ", expected 2",
             subject);
}

// The last FAIL since the report held `before` findings: why a getter's
// text could not be had.
std::optional<Finding> FailureSince(const PluginReport& report, std::size_t before) {
  for (std::size_t i = report.findings.size(); i > before; --i)
    if (report.findings[i - 1].severity == Severity::kFail) return report.findings[i - 1];
  return std::nullopt;
}

// The action document, where the getter gave it; otherwise why not.
void TakeDocument(ReportSink& sink, const std::optional<std::string>& xml, std::size_t findings_before) {
  if (xml)
    ReadDocumentInto(sink, *xml);
  else
    sink.report().actions_failure = FailureSince(sink.report(), findings_before);
}

// The host registers every plugin's actions too: a registration that raises
// or leaves the stack unbalanced fails here as in a check. It is held
// against the document's actions where there are any.
void Register(ReportSink& sink, const LoadedModule& module) {
  // A document of another kind names no actions: its MD303 is the one finding.
  const PluginReport& report = sink.report();
  CheckRegistration(sink, module, report.actions_failure ? std::nullopt : report.actions);
}

void ReadPlugin(const LoadedModule& module, ReportSink& sink) {
  for (const PluginText& text : kPluginTexts) {
    const std::size_t before = sink.report().findings.size();
    const std::optional<std::string> value = ReadGetter(sink, module, text.getter);
    if (value) sink.report().texts[text.getter] = *value;
    if (std::string(text.getter) == kActionXmlGetter) TakeDocument(sink, value, before);
  }
  JudgeSdkVersion(sink, ReadSdkVersion(sink, module));
  Register(sink, module);
}

// "1.2.0.0" and "1.2" are one version: the numbers up to the first other
// character, without trailing zeros.
std::string VersionNumbers(const std::string& text) {
  std::string numbers;
  std::size_t i = 0;
  while (i < text.size() && ((text[i] >= '0' && text[i] <= '9') || text[i] == '.')) numbers += text[i++];
  while (numbers.size() > 2 && numbers.compare(numbers.size() - 2, 2, ".0") == 0) numbers.resize(numbers.size() - 2);
  while (!numbers.empty() && numbers.back() == '.') numbers.pop_back();
  return numbers;
}

// Every version the resource states, against the version text: one finding
// naming each that disagrees.
void CheckVersionResource(ReportSink& sink, const std::optional<std::string>& version, const ModuleImage& file) {
  if (!version) return;
  const struct {
    const char* name;
    const std::string& value;
    bool text;
  } stated[] = {{"FileVersion", file.file_version_string, true},
                {"FILEVERSION", file.file_version_number, false},
                {"ProductVersion", file.product_version_string, true},
                {"PRODUCTVERSION", file.product_version_number, false}};
  std::string differ;
  for (const auto& s : stated) {
    if (s.value.empty() || VersionNumbers(*version) == VersionNumbers(s.value)) continue;
    differ +=
        std::string(differ.empty() ? "" : ", ") + "its " + s.name + " is " + (s.text ? "\"" + s.value + "\"" : s.value);
  }
  if (differ.empty()) return;
  sink.Add(rule::kVersionResource,
           std::string(kVersionGetter) + " says \"" + *version + "\" but the version resource disagrees: " + differ +
               "; installers and Explorer show the one, scripts the other",
           ExportSubject(kVersionGetter));
}

void CheckPlugin(const LoadedModule& module, const ModuleImage& file, ReportSink& sink) {
  std::optional<std::string> xml;
  std::size_t before_xml = 0;
  for (const PluginText& text : kPluginTexts) {
    if (std::string(text.getter) == kActionXmlGetter) before_xml = sink.report().findings.size();
    std::optional<std::string> value = CheckGetter(sink, module, text.getter);
    if (value) sink.report().texts[text.getter] = *value;
    if (std::string(text.getter) == kVersionGetter) CheckVersionResource(sink, value, file);
    if (std::string(text.getter) == kActionXmlGetter) xml = std::move(value);
  }
  JudgeSdkVersion(sink, ReadSdkVersion(sink, module));
  TakeDocument(sink, xml, before_xml);
  Register(sink, module);
}

// A plugin whose threads outlive its release runs code that is gone: the
// host's process crashes later, far from the cause. On Windows a thread is
// the plugin's when it will run the released image's code; elsewhere the
// threads more than the worker had before the plugin's load are (the count
// after one plugin is the count before the next).
// A thread of the pool in a callback is left to `pool_due`'s finding, one
// cause, where the pool still holds timers or waits of the images.
bool LeftThreadsRunning(ReportSink& sink, const std::vector<ImageRange>& images, int pool_due, int* known_threads) {
  const int now = OtherThreads();
  int left = ThreadsRunningCodeOf(images, pool_due <= 0);  // judged by what they run, where the system tells
  if (left < 0) left = now - *known_threads;
  *known_threads = now;
  if (left <= 0) return false;
  sink.Add(rule::kThreadsLeft, ThreadsLeftText(left));
  return true;
}

// A timer or wait the plugin set on the system's thread pool and left due
// calls code that is gone: the host crashes later, in a thread of the pool,
// far from the cause.
bool LeftPoolCallbacks(ReportSink& sink, int due) {
  if (due <= 0) return false;
  sink.Add(rule::kPoolLeft, PoolLeftText(due));
  return true;
}

}  // namespace

void WaitForOwnReferences(const ImageRange& image) {
  for (int waited = 0; waited < 500 && image.end != 0 && ImageStillLoaded(image); ++waited) PauseBriefly();
}

void ReadDocumentInto(ReportSink& sink, const std::string& xml) {
  ActionDocument document = ReadActionDocument(xml);
  if (!document.well_formed) {
    const bool placed = document.problem_place.line > 0;  // no place: mdhost ran short of memory
    sink.Add(rule::kNotWellFormed, std::string(placed ? "" : "action XML: ") + NotWellFormedText(document),
             ElementSubject("", document.problem_place));
    sink.report().actions_failure = sink.report().findings.back();
    return;
  }
  sink.Pass(rule::kWellFormed,
            "action XML: well-formed (" + std::to_string(document.actions.size()) + " actions named)");
  for (Finding& finding : document.findings) {
    sink.Add(finding);
    // A document of another kind has no actions to compare or show.
    if (finding.rule == rule::kRootElement && !sink.report().actions_failure) sink.report().actions_failure = finding;
  }
  sink.report().actions = std::move(document.actions);
  sink.report().action_specs = std::move(document.specs);
  sink.report().plugin_details = std::move(document.plugin_details);
}

std::string ThreadsLeftText(int count, const std::string& crash) {
  if (!crash.empty())
    return "leaves a thread running after it is released, which crashed the process once the module was gone (" +
           crash + "); " + kStopThreads;
  return "leaves " + std::to_string(count) + " thread" + (count == 1 ? "" : "s") + " running after it is released; " +
         kStopThreads;
}

std::string PoolLeftText(int count, const std::string& crash) {
  if (!crash.empty())
    return "leaves a timer or wait on the system's thread pool due after it is released, whose callback crashed the "
           "process once the module was gone (" +
           crash + "); " + kStopPoolCallbacks;
  const std::string plural = count == 1 ? "" : "s";
  return "leaves " + std::to_string(count) + " timer" + plural + " or wait" + plural +
         " on the system's thread pool due after it is released; " + kStopPoolCallbacks;
}

namespace {

// A module without relocations loads at its preferred base or not at all:
// the cause, where something else is there already.
std::string FixedBaseTaken(const ModuleImage& file) {
  if (file.relocatable || file.image_size == 0) return "";
  const std::string taken = ModuleOccupying({file.preferred_base, file.preferred_base + uintptr_t{file.image_size}});
  if (taken.empty()) return "";
  char base[16];
  std::snprintf(base, sizeof base, "0x%08X", static_cast<unsigned>(file.preferred_base));
  return std::string("; it has no relocations, and its fixed base ") + base + " is taken by " + taken +
         " in the host's process: link it with relocations (no /FIXED; --dynamicbase)";
}

void Examine(Examination what, const std::string& path, int load_cycles, ReportSink& sink) {
  const ModuleImage file = ReadModuleFile(path);
  sink.report().file_version = file.file_version;
  sink.report().product_version = file.product_version;
  static int known_threads = OtherThreads();
  WatchThreadPool();
  BeginArrivals();
  const ProcessStateWatch process_state(sink);
  if (!file.relocatable)  // no base but its own: what mdhost keeps of plugins before it gives way
    GiveBackReleased({file.preferred_base, file.preferred_base + uintptr_t{file.image_size}});
  sink.Stage(kLoadStage);
  std::optional<LoadedModule> module(std::in_place, path);
  if (!module->ok()) {
    // What came in before the load failed (a helper) may stay: a fresh
    // worker for the next plugin.
    for (const Arrival& a : EndArrivals({BaseName(path), {}, false}))
      if (a.loaded) sink.LeftBehind();
    if (module->failed_in_startup())
      sink.Error(rule::kCrashed, "crashed in its start-up code (DllMain) while loading: " + module->why());
    else
      sink.Error(rule::kCannotLoad, "cannot be loaded: " + module->why() + FixedBaseTaken(file));
    return;
  }
  const ImageRange image = ModuleImageRange(module->handle());
  const std::string file_name = BaseName(path);
  NoteImage(file_name, image);  // where the loader told of it, noted already
  // A module that is no plugin is that and nothing else: what a plugin
  // leaves behind or keeps per load is no question for it.
  const bool plugin =
      ExportsAnyGetter(*module) && (what == Examination::kCheck || module->Export(kNameGetter) != nullptr);
  if (!plugin) {
    sink.Error(rule::kNotAPlugin,
               std::string("not a plugin: it exports no ") + kNameGetter + file.DecoratedExportHint());
  } else if (what == Examination::kCheck) {
    CheckPlugin(*module, file, sink);
  } else {
    ReadPlugin(*module, sink);
  }
  sink.Stage(kReleaseStage);
  WatchReleaseFaults(true);
  module.reset();
  WatchReleaseFaults(false);
  // The loader may swallow a fault in DllMain's detach; the host's does not.
  if (const std::string fault = ReleaseFault(); !fault.empty()) {
    sink.Error(rule::kCrashed, "crashed in its release (DLL_PROCESS_DETACH): " + fault);
    sink.LeftBehind();
  }
  WaitForOwnReferences(image);
  // Everything the plugin brought in is its own: a module of it still
  // loaded, a thread or a pool callback left, and the next plugin gets a
  // fresh worker; one released is noted so (a crash there is the plugin's).
  std::vector<ImageRange> released;
  for (const Arrival& a : EndArrivals({file_name, image, true})) {
    if (a.loaded)
      sink.LeftBehind();
    else
      released.push_back(a.range);
  }
  if (PoolEntriesOfRequest(fault_report::current_request) > 0) sink.LeftBehind();
  if (!plugin) return;
  sink.Stage(kAfterReleaseStage);
  // A module still loaded runs no freed code: its threads hold it.
  if (ImageStillLoaded(image)) return;
  // Both are told; either leaves the process unfit for a measurement. The
  // pool is asked first: a timer that fires during the count is the pool's.
  const int pool_due = PoolCallbacksInto(released);
  const bool threads_left = LeftThreadsRunning(sink, released, pool_due, &known_threads);
  const bool pool_left = LeftPoolCallbacks(sink, pool_due);
  if (threads_left || pool_left) {
    sink.LeftBehind();
    return;
  }
  if (what == Examination::kCheck && load_cycles > 0) MeasureKeptPerLoad(sink, path, load_cycles);
}

}  // namespace

// mdhost's own shortage of memory, wherever it strikes, is its own finding,
// never the plugin's crash.
void ExaminePlugin(Examination what, const std::string& path, int load_cycles, ReportSink& sink) {
  try {
    Examine(what, path, load_cycles, sink);
  } catch (const std::bad_alloc&) {
    sink.Error(rule::kOwnShortage, "mdhost could not get the memory to examine the plugin");
  }
}

}  // namespace host
