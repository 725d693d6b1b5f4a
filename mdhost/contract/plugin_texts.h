// The exports every plugin of the host offers, named once: the five text
// getters (with a label for people and a key for JSON), the SDK version
// query, the action registration and the help display.
#pragma once

namespace host {

constexpr const char kNameGetter[] = "irPlg_GetPluginName";
constexpr const char kVersionGetter[] = "irPlg_GetPluginVersion";
constexpr const char kLuaVersionGetter[] = "irPlg_GetLuaVersion";
constexpr const char kAuthorInfoGetter[] = "irPlg_GetAuthorInfo";
constexpr const char kActionXmlGetter[] = "irPlg_GetPluginActionXML";
constexpr const char kSdkVersionExport[] = "irPlg_GetSDKVersion";
constexpr const char kRegisterActionsExport[] = "irPlg_Action_RegisterActions";
constexpr const char kHelpForPluginExport[] = "irPlg_ShowHelpForPlugin";
constexpr const char kHelpForActionExport[] = "irPlg_ShowHelpForAction";

struct PluginText {
  const char* getter;
  const char* label;
  const char* json_key;
};

constexpr PluginText kPluginTexts[] = {
    {kNameGetter, "Name", "name"},
    {kVersionGetter, "Version", "version"},
    {kLuaVersionGetter, "Lua version", "lua_version"},
    {kAuthorInfoGetter, "Author info", "author"},
    {kActionXmlGetter, "Action XML", "action_xml"},
};

}  // namespace host
