// The five texts every plugin of the host offers, as the stand-in host names
// them: the getter export, a label for people and a key for JSON.
#pragma once

namespace host {

struct PluginText {
  const char* getter;
  const char* label;
  const char* json_key;
};

constexpr PluginText kPluginTexts[] = {
    {"irPlg_GetPluginName", "Name", "name"},
    {"irPlg_GetPluginVersion", "Version", "version"},
    {"irPlg_GetLuaVersion", "Lua version", "lua_version"},
    {"irPlg_GetAuthorInfo", "Author info", "author"},
    {"irPlg_GetPluginActionXML", "Action XML", "action_xml"},
};

constexpr const char kNameGetter[] = "irPlg_GetPluginName";
constexpr const char kActionXmlGetter[] = "irPlg_GetPluginActionXML";

}  // namespace host
