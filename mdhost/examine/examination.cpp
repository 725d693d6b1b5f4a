#include "mdhost/examine/examination.h"

#include <optional>

#include "mdhost/examine/action_document.h"
#include "mdhost/examine/getter_protocol.h"
#include "mdhost/examine/loaded_module.h"
#include "mdhost/examine/plugin_texts.h"

namespace host {
namespace {

using SdkVersionGetter = int32_t (*)();

void ReadPlugin(const LoadedModule& module, ReportSink& sink) {
  if (module.Export(kNameGetter) == nullptr) {
    sink.Error(std::string("not a plugin: it exports no ") + kNameGetter);
    return;
  }
  for (const PluginText& text : kPluginTexts) {
    auto getter = reinterpret_cast<TextGetter>(module.Export(text.getter));
    if (getter == nullptr) continue;
    sink.Stage(text.getter);
    const TextRead read = ReadText(getter);
    if (read.ok)
      sink.Text(text.getter, read.text);
    else
      sink.Fail(std::string(text.getter) + ": " + read.problem);
  }
  if (auto sdk = reinterpret_cast<SdkVersionGetter>(module.Export("irPlg_GetSDKVersion"))) {
    sink.Stage("irPlg_GetSDKVersion");
    sink.SdkVersion(sdk());
  }
}

void CheckSdkVersion(ReportSink& sink, const LoadedModule& module) {
  auto sdk = reinterpret_cast<SdkVersionGetter>(module.Export("irPlg_GetSDKVersion"));
  if (sdk == nullptr) {
    sink.Note("irPlg_GetSDKVersion: not exported (an SDK1 plugin)");
    return;
  }
  sink.Stage("irPlg_GetSDKVersion");
  const int32_t version = sdk();
  sink.SdkVersion(version);
  if (version == 2)
    sink.Pass("irPlg_GetSDKVersion: 2");
  else
    sink.Fail("irPlg_GetSDKVersion: returned " + std::to_string(version) + ", expected 2");
}

void CheckDocument(ReportSink& sink, const LoadedModule& module, const std::string& xml) {
  if (module.Export(kActionXmlGetter) == nullptr) return;
  const ActionDocument document = ReadActionDocument(xml);
  if (!document.well_formed) {
    sink.Fail("action XML: not well-formed: " + document.problem);
    return;
  }
  sink.Pass("action XML: well-formed (" + std::to_string(document.actions.size()) + " actions named)");
  for (const Finding& finding : document.findings) sink.Add(finding.severity, "action XML " + finding.text);
  for (const std::string& action : document.actions) sink.Action(action);
  CheckRegistration(sink, module, document.actions);
}

void CheckPlugin(std::optional<LoadedModule>& module, const std::string& path, int load_cycles, ReportSink& sink) {
  for (const PluginText& text : kPluginTexts)
    if (std::string(text.getter) != kActionXmlGetter) CheckGetter(sink, *module, text.getter);
  const std::string xml = CheckGetter(sink, *module, kActionXmlGetter);
  CheckSdkVersion(sink, *module);
  CheckDocument(sink, *module, xml);
  sink.Stage("releasing the module");
  module.reset();
  if (load_cycles > 0) MeasureKeptPerLoad(sink, path, load_cycles);
}

}  // namespace

void Examine(Examination what, const std::string& path, int load_cycles, ReportSink& sink) {
  sink.Stage("loading the module");
  std::optional<LoadedModule> module(std::in_place, path);
  if (!module->ok()) {
    sink.Error("cannot be loaded: " + module->why());
    return;
  }
  if (what == Examination::kCheck) {
    CheckPlugin(module, path, load_cycles, sink);
    return;
  }
  ReadPlugin(*module, sink);
  sink.Stage("releasing the module");
  module.reset();
}

}  // namespace host
