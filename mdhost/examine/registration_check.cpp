// Registers the plugin's actions in a Lua state set up as the host's and
// holds the result against its action XML.
#include <set>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

#include "mdhost/contract/lua_names.h"
#include "mdhost/contract/plugin_texts.h"
#include "mdhost/contract/rules.h"
#include "mdhost/examine/examination.h"
#include "mdhost/examine/loaded_module.h"
#include "mdhost/examine/lua_host.h"

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
std::vector<std::string> RegisteredFunctions(lua_State* L,
                                             const std::set<std::pair<std::string, const void*>>& before) {
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

const Subject kRegistration = ExportSubject(kRegisterActionsExport);

}  // namespace

void CheckRegistration(ReportSink& sink, const LoadedModule& module,
                       const std::optional<std::vector<std::string>>& documented) {
  void* registration = module.Export(kRegisterActionsExport);
  if (registration == nullptr) {
    sink.Add(rule::kNoRegistration, Registration().Problem(), kRegistration);
    return;
  }
  lua_State* L = NewHostState();
  if (L == nullptr) {
    sink.Add(rule::kNoLuaState, "cannot make a Lua state");
    return;
  }
  const auto before = GlobalTables(L);
  sink.Stage(kRegisterActionsExport, kRegisterActionsExport);
  const Registration done = RegisterPlugin(L, registration);
  if (done.popped != 0) NotCdecl(sink, kRegisterActionsExport, done.popped);
  if (done.outcome == Registration::kRaised) {
    sink.Add(rule::kRegistrationRaised, done.Problem(), kRegistration);
    lua_close(L);
    return;
  }
  // A table that scripts already had (Lua's string, the host's own) and
  // that now names another value is gone for every script.
  for (const auto& table : before) {
    lua_getfield(L, LUA_GLOBALSINDEX, table.first.c_str());
    const bool same = lua_topointer(L, -1) == table.second;
    lua_pop(L, 1);
    if (!same)
      sink.Add(rule::kReplacesGlobal,
               std::string(kRegisterActionsExport) + ": replaced the global table " + table.first +
                   ", which scripts already have; their calls of it break",
               kRegistration);
  }
  if (done.outcome == Registration::kDone)
    sink.Pass(rule::kStackBalance, std::string(kRegisterActionsExport) + ": leaves the Lua stack balanced",
              kRegistration);
  else
    sink.Add(rule::kStackBalance, done.Problem(), kRegistration);
  // An unread document names nothing: its MD301 is the one finding, not a
  // note for every function registered.
  if (documented) {
    const std::vector<std::string>& actions = *documented;
    // A name not of the form Table.Function has its MD306; it names no
    // function to look for, and leaves undocumented the function it meant.
    std::set<std::string> meant;
    for (const std::string& action : actions) {
      if (!IsActionName(action)) {
        meant.insert(action.substr(action.rfind('.') + 1));
        continue;
      }
      Subject subject = ExportSubject(kRegisterActionsExport);
      subject.action = action;
      if (IsFunction(L, action))
        sink.Pass(rule::kActionRegistered, "action " + action + ": registered", subject);
      else
        sink.Add(rule::kActionRegistered,
                 "action " + action + ": named in the action XML but not a function after registration", subject);
    }
    const std::set<std::string> named(actions.begin(), actions.end());
    for (const std::string& function : RegisteredFunctions(L, before))
      if (!named.count(function) && !meant.count(function.substr(function.find('.') + 1))) {
        Subject subject = ExportSubject(kRegisterActionsExport);
        subject.action = function;
        sink.Add(
            rule::kUndocumentedFunction,
            "function " + function + ": registered but not named in the action XML; the action wizard cannot offer it",
            subject);
      }
  }
  lua_close(L);
}

}  // namespace host
