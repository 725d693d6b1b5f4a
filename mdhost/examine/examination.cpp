#include "mdhost/examine/examination.h"

#include <optional>

#include "mdhost/examine/action_document.h"
#include "mdhost/examine/getter_protocol.h"
#include "mdhost/examine/loaded_module.h"
#include "mdhost/examine/pe_image.h"
#include "mdhost/contract/plugin_texts.h"
#include "mdhost/contract/rules.h"
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
  if (sdk == nullptr) {
    sink.SdkVersion(std::nullopt);
    return std::nullopt;
  }
  sink.Stage(kSdkVersionExport);
  const int32_t version = sdk();
  sink.SdkVersion(version);
  return version;
}

// The document's actions, or none when it cannot be read; and what the
// document says against the host's vocabulary.
std::optional<std::vector<std::string>> ReadDocument(ReportSink& sink, const std::string& xml) {
  const ActionDocument document = ReadActionDocument(xml);
  if (!document.well_formed) {
    sink.Fail(rule::kNotWellFormed, "action XML: not well-formed: " + document.problem);
    return std::nullopt;
  }
  sink.Actions(document.actions);
  sink.Pass(rule::kWellFormed, "action XML: well-formed (" + std::to_string(document.actions.size()) + " actions named)");
  for (const Finding& finding : document.findings)
    sink.Add({finding.rule, finding.severity, "action XML " + finding.text});
  return document.actions;
}

void JudgeSdkVersion(ReportSink& sink, const std::optional<int32_t>& sdk) {
  if (!sdk)
    sink.Note(rule::kSdk1, std::string(kSdkVersionExport) + ": not exported (an SDK1 plugin)");
  else if (*sdk == 2)
    sink.Pass(rule::kSdkVersion, std::string(kSdkVersionExport) + ": 2");
  else
    sink.Fail(rule::kSdkVersion, std::string(kSdkVersionExport) + ": returned " + std::to_string(*sdk) + ", expected 2");
}

// A read (info, scan, diff) tells what fails or warns, with the same rule
// and severity as a check, and drops the PASS and NOTE lines; everything
// that is no finding passes on.
class ProblemsOnly : public ReportSink {
 public:
  explicit ProblemsOnly(ReportSink& sink) : sink_(sink) {}
  void Stage(const std::string& what) override { sink_.Stage(what); }
  void Text(const std::string& getter, const std::string& ansi) override { sink_.Text(getter, ansi); }
  void SdkVersion(std::optional<int32_t> version) override { sink_.SdkVersion(version); }
  void Add(const Finding& finding) override {
    if (finding.severity == Severity::kWarn || finding.severity == Severity::kFail) sink_.Add(finding);
  }
  void Actions(const std::vector<std::string>& names) override { sink_.Actions(names); }
  void VersionResource(const std::string& file, const std::string& product) override {
    sink_.VersionResource(file, product);
  }
  void Error(const char* rule, const std::string& why) override { sink_.Error(rule, why); }
  void Figure(const std::string& name, double value) override { sink_.Figure(name, value); }

 private:
  ReportSink& sink_;
};

void ReadPlugin(const LoadedModule& module, ReportSink& sink) {
  std::optional<std::vector<std::string>> actions;
  for (const PluginText& text : kPluginTexts) {
    auto getter = reinterpret_cast<TextGetter>(module.Export(text.getter));
    if (getter == nullptr) {
      sink.Fail(rule::kGetterMissing, std::string(text.getter) + ": not exported");
      continue;
    }
    const TextRead read =
        ReadText(getter, [&](int32_t stated) { sink.Stage(std::string(text.getter) + " with size " + std::to_string(stated)); });
    if (!read.ok) {
      sink.Fail(read.ours ? rule::kOwnShortage : rule::kReadText, std::string(text.getter) + ": " + read.problem);
      continue;
    }
    sink.Text(text.getter, read.text);
    if (std::string(text.getter) == kActionXmlGetter) actions = ReadDocument(sink, read.text);
  }
  JudgeSdkVersion(sink, ReadSdkVersion(sink, module));
  // The host registers every plugin's actions too: a registration that
  // raises or leaves the stack unbalanced fails here as in a check.
  CheckRegistration(sink, module, actions ? *actions : std::vector<std::string>());
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

void CheckVersionResource(ReportSink& sink, const std::optional<std::string>& version, const ModuleImage& file) {
  if (!version || file.file_version.empty()) return;
  if (VersionNumbers(*version) == VersionNumbers(file.file_version)) return;
  sink.Warn(rule::kVersionResource, std::string(kVersionGetter) + " says \"" + *version +
                                        "\" but the version resource's FileVersion is \"" + file.file_version +
                                        "\": installers and Explorer show the one, scripts the other");
}

void CheckPlugin(const LoadedModule& module, const ModuleImage& file, ReportSink& sink) {
  std::optional<std::string> xml;
  for (const PluginText& text : kPluginTexts) {
    std::optional<std::string> value = CheckGetter(sink, module, text.getter);
    if (value) sink.Text(text.getter, *value);
    if (std::string(text.getter) == kVersionGetter) CheckVersionResource(sink, value, file);
    if (std::string(text.getter) == kActionXmlGetter) xml = std::move(value);
  }
  JudgeSdkVersion(sink, ReadSdkVersion(sink, module));
  std::optional<std::vector<std::string>> actions;
  if (xml) actions = ReadDocument(sink, *xml);
  // Registration is held against the document's actions where there are any.
  CheckRegistration(sink, module, actions ? *actions : std::vector<std::string>());
}

// A plugin whose threads outlive its release runs code that is gone: the
// host's process crashes later, far from the cause. On Windows a thread is
// the plugin's when it will run the released image's code; elsewhere the
// threads more than the worker had before the plugin's load are (the count
// after one plugin is the count before the next).
bool LeftThreadsRunning(ReportSink& sink, const ImageRange& image, int* known_threads) {
  const int now = OtherThreads();
  int left = ThreadsRunningCodeOf(image);  // judged by what they run, where the system tells
  if (left < 0) left = now - *known_threads;
  *known_threads = now;
  if (left <= 0) return false;
  sink.Fail(rule::kThreadsLeft, ThreadsLeftText(left));
  return true;
}

}  // namespace

std::string ThreadsLeftText(int count, const std::string& crash) {
  if (!crash.empty())
    return "leaves a thread running after it is released, which crashed the process once the module was gone (" +
           crash + "); " + kStopThreads;
  return "leaves " + std::to_string(count) + " thread" + (count == 1 ? "" : "s") + " running after it is released; " +
         kStopThreads;
}

void ExaminePlugin(Examination what, const std::string& path, int load_cycles, ReportSink& sink) {
  const ModuleImage file = ReadModuleFile(path);
  sink.VersionResource(file.file_version, file.product_version);
  static int known_threads = OtherThreads();
  sink.Stage(kLoadStage);
  std::optional<LoadedModule> module(std::in_place, path);
  if (!module->ok()) {
    if (module->failed_in_startup())
      sink.Error(rule::kCrashed, "crashed in its start-up code (DllMain) while loading: " + module->why());
    else
      sink.Error(rule::kCannotLoad, "cannot be loaded: " + module->why());
    return;
  }
  const ImageRange image = ModuleImageRange(module->handle());
  const std::string file_name = path.substr(path.find_last_of("\\/") + 1);
  NoteExaminedImage(file_name, image, false);
  if (!ExportsAnyGetter(*module) || (what == Examination::kRead && module->Export(kNameGetter) == nullptr)) {
    sink.Error(rule::kNotAPlugin, std::string("not a plugin: it exports no ") + kNameGetter +
                                      file.DecoratedExportHint());
  } else if (what == Examination::kCheck) {
    CheckPlugin(*module, file, sink);
  } else {
    ProblemsOnly problems(sink);
    ReadPlugin(*module, problems);
  }
  sink.Stage(kReleaseStage);
  module.reset();
  NoteExaminedImage(file_name, image, true);
  sink.Stage(kAfterReleaseStage);
  if (LeftThreadsRunning(sink, image, &known_threads)) return;
  if (what == Examination::kCheck && load_cycles > 0) MeasureKeptPerLoad(sink, path, load_cycles);
}

}  // namespace host
