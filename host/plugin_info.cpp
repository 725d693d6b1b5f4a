#include <cstdint>
#include <cstdio>
#include <string>

#include "host_commands.h"
#include "inspect/plugin_query.h"
#include "loaded_plugin.h"

namespace host {

namespace {

struct Getter {
  const char* label;
  const char* name;
};

const Getter kGetters[] = {
    {"Name", "irPlg_GetPluginName"},
    {"Version", "irPlg_GetPluginVersion"},
    {"Lua version", "irPlg_GetLuaVersion"},
    {"Author info", "irPlg_GetAuthorInfo"},
    {"Action XML", "irPlg_GetPluginActionXML"},
};

// Multi-line texts start on a line of their own, so they read as they are.
void PrintText(const char* label, const std::string& text) {
  if (text.find('\n') == std::string::npos)
    std::printf("%s: %s\n", label, text.c_str());
  else
    std::printf("%s:\n%s\n", label, text.c_str());
}

}  // namespace

int ShowPluginInfo(const char* path) {
  LoadedPlugin plugin(path);
  if (!plugin.ok()) return 1;
  if (plugin.Export("irPlg_GetPluginName") == nullptr) {
    std::fprintf(stderr, "mdhost: %s: not a plugin (no irPlg_GetPluginName export)\n", path);
    return 1;
  }
  for (const Getter& getter : kGetters) {
    if (plugin.Export(getter.name) == nullptr)
      std::printf("%s: (no %s export)\n", getter.label, getter.name);
    else
      {
      md::OwnedText text = md::QueryPluginText(path, getter.name);
      PrintText(getter.label, std::string(md::TextOf(text), text.length));
      md::ReleaseText(&text);
    }
  }
  using SdkVersion = int32_t (*)();
  auto sdk = reinterpret_cast<SdkVersion>(plugin.Export("irPlg_GetSDKVersion"));
  if (sdk != nullptr)
    std::printf("SDK version: %d\n", static_cast<int>(sdk()));
  else
    std::printf("SDK version: 1 (no irPlg_GetSDKVersion export: an SDK1 plugin)\n");
  return 0;
}

}  // namespace host
