// Installs the global "ModuleDetails" table.
#include "plugin/actions/lua_api.h"
#include "plugin/module/plugin_exports.h"

namespace {

struct ActionEntry {
  const char* key;
  lua_CFunction function;
};

// Registration order; keys and exported names are listed, not derived.
const ActionEntry kActions[] = {
    {"GetName", GetPluginName},
    {"GetXML", GetPluginActionXML},
    {"GetLuaVersion", GetPluginLuaVersion},
    {"GetAuthorInfo", GetPluginAuthorInfo},
    {"GetVersion", GetPluginVersion},
    {"GetInfo", GetModuleDetails},
};

}  // namespace

int32_t irPlg_Action_RegisterActions(lua_State* L) {
  lua_pushstring(L, "ModuleDetails");
  lua_createtable(L, 0, 0);
  for (const ActionEntry& action : kActions) {
    lua_pushstring(L, action.key);
    lua_pushcclosure(L, action.function, 0);
    lua_settable(L, -3);
  }
  lua_settable(L, LUA_GLOBALSINDEX);
  return 1;
}
