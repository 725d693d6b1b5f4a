// Registers the plugin's actions in a Lua state set up as the host's and
// holds the result against its action XML.
#include <set>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

#include "mdhost/contract/plugin_texts.h"
#include "mdhost/examine/examination.h"
#include "mdhost/examine/loaded_module.h"
#include "mdhost/examine/lua_host.h"
#include "mdhost/contract/rules.h"

namespace host {
namespace {

// Global tables by name and identity, to tell which ones registration made.
std::set<std::pair<std::string, const void*>> GlobalTables(lua_State* L) {
  std::set<std::pair<std::string, const void*>> tables;
  lua_pushnil(L);
  while (lua_next(L, LUA_GLOBALSINDEX) != 0) {
    if (lua_type(L, -2) == LUA_TSTRING && lua_istable(L, -1))
      tables.insert({lua_tostring(L, -2), lua_topointer(L, -1)});
    lua_pop(L, 1);
  }
  return tables;
}

bool IsFunction(lua_State* L, const std::string& action) {
  const std::size_t dot = action.find('.');
  if (dot == std::string::npos) return false;
  lua_getfield(L, LUA_GLOBALSINDEX, action.substr(0, dot).c_str());
  bool function = false;
  if (lua_istable(L, -1)) {
    lua_getfield(L, -1, action.substr(dot + 1).c_str());
    function = lua_isfunction(L, -1);
    lua_pop(L, 1);
  }
  lua_pop(L, 1);
  return function;
}

// Every function in a table that registration made, as "Table.Key".
std::vector<std::string> RegisteredFunctions(lua_State* L, const std::set<std::pair<std::string, const void*>>& before) {
  std::vector<std::string> functions;
  for (const auto& table : GlobalTables(L)) {
    if (before.count(table)) continue;
    lua_getfield(L, LUA_GLOBALSINDEX, table.first.c_str());
    lua_pushnil(L);
    while (lua_next(L, -2) != 0) {
      if (lua_type(L, -2) == LUA_TSTRING && lua_isfunction(L, -1))
        functions.push_back(table.first + "." + lua_tostring(L, -2));
      lua_pop(L, 1);
    }
    lua_pop(L, 1);
  }
  return functions;
}

}  // namespace

void CheckRegistration(ReportSink& sink, const LoadedModule& module, const std::vector<std::string>& actions) {
  void* registration = module.Export(kRegisterActionsExport);
  if (registration == nullptr) {
    sink.Note(rule::kNoRegistration, std::string(kRegisterActionsExport) + ": not exported (not an action plugin)");
    return;
  }
  lua_State* L = NewHostState();
  if (L == nullptr) {
    sink.Fail(rule::kNoLuaState, "cannot make a Lua state");
    return;
  }
  const auto before = GlobalTables(L);
  sink.Stage(kRegisterActionsExport);
  lua_pushlightuserdata(L, registration);
  lua_pushcclosure(L, CallRegistration, 1);
  if (lua_pcall(L, 0, 1, 0) != 0) {
    sink.Fail(rule::kRegistrationRaised, std::string(kRegisterActionsExport) + ": raised a Lua error: " +
              (lua_isstring(L, -1) ? lua_tostring(L, -1) : luaL_typename(L, -1)));
    lua_close(L);
    return;
  }
  const int moved = static_cast<int>(lua_tointeger(L, -1));
  lua_pop(L, 1);
  if (moved == 0)
    sink.Pass(rule::kStackBalance, std::string(kRegisterActionsExport) + ": leaves the Lua stack balanced");
  else
    sink.Fail(rule::kStackBalance, std::string(kRegisterActionsExport) + ": changed the Lua stack height by " + std::to_string(moved));
  for (const std::string& action : actions) {
    if (IsFunction(L, action))
      sink.Pass(rule::kActionRegistered, "action " + action + ": registered");
    else
      sink.Fail(rule::kActionRegistered, "action " + action + ": named in the action XML but not a function after registration");
  }
  const std::set<std::string> named(actions.begin(), actions.end());
  for (const std::string& function : RegisteredFunctions(L, before))
    if (!named.count(function)) sink.Note(rule::kUnnamedFunction, "function " + function + ": registered but not named in the action XML");
  lua_close(L);
}

}  // namespace host
