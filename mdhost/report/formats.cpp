#include "mdhost/report/formats.h"

namespace host {

// Each format's maker, in the format's own file.
std::unique_ptr<Emitter> MakeTextEmitter(const OutputOptions& options);
std::unique_ptr<Emitter> MakeJsonEmitter(const OutputOptions& options);
std::unique_ptr<Emitter> MakeSarifEmitter(const OutputOptions& options);
std::unique_ptr<Emitter> MakeGithubEmitter(const OutputOptions& options);
std::unique_ptr<Emitter> MakeHtmlEmitter(const OutputOptions& options);
std::unique_ptr<Emitter> MakeMarkdownEmitter(const OutputOptions& options);
std::unique_ptr<Emitter> MakeLuacheckEmitter(const OutputOptions& options);
std::unique_ptr<Emitter> MakeLualsEmitter(const OutputOptions& options);

namespace {

const std::vector<Format> kFormats = {
    {"text", kForReports | kForDiff, true, "", MakeTextEmitter},
    {"json", kForReports | kForDiff, false, "one UTF-8 object", MakeJsonEmitter},
    {"sarif", kForReports | kForDiff, false, "SARIF 2.1.0", MakeSarifEmitter},
    {"github", kForReports | kForDiff, false, "workflow annotations", MakeGithubEmitter},
    {"html", kForPage, true, "", MakeHtmlEmitter},
    {"md", kForPage, false, "Markdown", MakeMarkdownEmitter},
    {"luacheck", kForPage, false, "a luacheck standard of the plugin's table", MakeLuacheckEmitter},
    {"luals", kForPage, false, "Lua language server definitions", MakeLualsEmitter},
};

// "a, b or c" of the formats a use takes, each as `word` says it.
std::string Listed(FormatUse use, std::string (*word)(const Format&)) {
  std::vector<std::string> names;
  for (const Format& format : kFormats)
    if (format.uses & use) names.push_back(word(format));
  std::string list;
  for (std::size_t i = 0; i < names.size(); ++i)
    list += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
  return list;
}

}  // namespace

const std::vector<Format>& Formats() { return kFormats; }

const Format* FindFormat(const std::string& name, FormatUse use) {
  for (const Format& format : kFormats)
    if ((format.uses & use) && name == format.name) return &format;
  return nullptr;
}

const Format& DefaultFormat(FormatUse use) {
  for (const Format& format : kFormats)
    if ((format.uses & use) && format.is_default) return format;
  return kFormats.front();
}

std::string FormatNames(FormatUse use) {
  return Listed(use, [](const Format& f) { return std::string(f.name); });
}

namespace {
std::string Described(const Format& f) {
  return std::string(f.name) + (f.is_default ? " (the default)" : *f.help ? std::string(" (") + f.help + ")" : "");
}
}  // namespace

std::string FormatHelp() { return Listed(kForReports, Described) + "; doc: " + Listed(kForPage, Described); }

std::string FormatHelp(FormatUse use) { return Listed(use, Described); }

}  // namespace host
