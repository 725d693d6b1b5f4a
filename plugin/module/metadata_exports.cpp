// The module describing itself to the host.
#include "plugin/module/module_state.h"
#include "plugin/module/plugin_exports.h"
#include "plugin/module/text_getter.h"

namespace {

const char kPluginName[] = "ModuleDetails";
const char kPluginVersion[] = "1.1";
const char kLuaVersion[] = "Lua 5.1";
const char kAuthorInfoText[] =
    "A plugin for Autoplay Media Studio 8 (SDK2) for retrieving information "
    "regarding AMS plugins (SDK1 and SDK2)\r\n"
    "\xA9 2026 The ModuleDetails team. All rights reserved.";

template <std::size_t N>
int32_t Serve(const char (&text)[N], char* buffer, int32_t* size) {
  return md::ServeText(text, N - 1, buffer, size);
}

}  // namespace

int32_t irPlg_GetPluginName(char* buffer, int32_t* size) { return Serve(kPluginName, buffer, size); }

int32_t irPlg_GetPluginVersion(char* buffer, int32_t* size) { return Serve(kPluginVersion, buffer, size); }

int32_t irPlg_GetLuaVersion(char* buffer, int32_t* size) { return Serve(kLuaVersion, buffer, size); }

int32_t irPlg_GetAuthorInfo(char* buffer, int32_t* size) { return Serve(kAuthorInfoText, buffer, size); }

int32_t irPlg_GetPluginActionXML(char* buffer, int32_t* size) {
  const md::OwnedText& xml = md::State().action_xml;
  return md::ServeText(md::TextOf(xml), xml.length, buffer, size);
}

int32_t irPlg_GetSDKVersion() { return 2; }
