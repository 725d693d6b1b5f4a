// mdhost doc PLUGIN|DOCUMENT.xml: the plugin's reference page, from what its
// action document and its getters say, as one self-contained HTML page or as
// Markdown, with an anchor per action (#Table.Action) that a help export can
// open.
#include "mdhost/commands/commands.h"
#include "mdhost/contract/plugin_texts.h"
#include "mdhost/report/doc_page.h"
#include "mdhost/report/output.h"
#include "mdhost/worker/examiner.h"

namespace host {
namespace {

// A document's page is titled by its file name.
std::string FileTitle(const std::string& path) { return AnsiToUtf8(BaseName(path)); }

std::optional<std::string> Detail(const PluginReport& report, const char* name) {
  for (const EasyModeEntry& d : report.plugin_details)
    if (d.name == name && !d.text.empty()) return d.text;
  return std::nullopt;
}

// Version1 to Version4 joined: "1.2".
std::optional<std::string> DocumentVersion(const PluginReport& report) {
  std::string version;
  for (const char* part : {"Version1", "Version2", "Version3", "Version4"})
    if (const std::optional<std::string> number = Detail(report, part))
      version += (version.empty() ? "" : ".") + *number;
  return version.empty() ? std::nullopt : std::optional<std::string>(version);
}

}  // namespace

int DocCommand(const Invocation& call) {
  const std::string& path = call.arguments[0];
  if (const int status = RequireFile(path)) return status;
  if (!call.output.empty() && SameFile(call.output, path)) {
    Complain("-o " + AnsiToUtf8(call.output) + " is the file doc reads: name another file for the page");
    return kExitUsage;
  }
  Examiner examiner(call.isolated, call.timeout_seconds);
  const PluginReport report = ReadActionSource(path, examiner);
  if (const std::optional<Finding> failure = report.WhyNoActions()) {
    Print(PluginFindingLine(path, *failure) + "\n");  // as check says it
    return kExitFailed;
  }
  const auto text = [&](const char* getter) {
    const std::string* ansi = report.Text(getter);
    return ansi ? std::optional<std::string>(AnsiToUtf8(*ansi)) : std::nullopt;
  };
  // What the command line gives goes over what the plugin says; a document
  // alone says its name and version in its Extended section, where it does.
  const PluginPage page{call.page_name      ? call.page_name
                        : text(kNameGetter) ? text(kNameGetter)
                                            : Detail(report, "Name"),
                        call.page_version      ? call.page_version
                        : text(kVersionGetter) ? text(kVersionGetter)
                                               : DocumentVersion(report),
                        text(kLuaVersionGetter),
                        text(kAuthorInfoGetter),
                        FileTitle(path),
                        report.action_specs,
                        report.plugin_details};
  const std::string page_text = MakeEmitter(call)->Page(page);
  if (call.output.empty()) {
    Print(page_text);
    return kExitOk;
  }
  if (std::string why; !WriteWholeFile(call.output, page_text, &why)) {
    Complain(AnsiToUtf8(call.output) + ": cannot be written: " + why);
    return kExitNoInput;
  }
  return kExitOk;
}

}  // namespace host
