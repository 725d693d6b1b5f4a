// Runs scripts as the host application would: a Lua state of its own, the
// standard libraries, a Debug.GetSyntaxErrorString, and the plugin's actions.
#include <cstdio>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

#include "host_commands.h"
#include "lua_host.h"
#include "loaded_plugin.h"

namespace host {
namespace {

void SetArguments(lua_State* L, int argc, char** args) {
  lua_createtable(L, argc, 0);
  for (int i = 0; i < argc; ++i) {
    lua_pushstring(L, args[i]);
    lua_rawseti(L, -2, i);
  }
  lua_setglobal(L, "arg");
}

int Traceback(lua_State* L) {
  if (!lua_isstring(L, 1)) return 1;
  lua_getglobal(L, "debug");
  lua_getfield(L, -1, "traceback");
  lua_pushvalue(L, 1);
  lua_pushinteger(L, 2);
  lua_call(L, 2, 1);
  return 1;
}

int Run(lua_State* L, const LoadedPlugin& plugin, const char* script, int argc, char** args) {
  using Register = int32_t (*)(lua_State*);
  auto registerActions = reinterpret_cast<Register>(plugin.Export("irPlg_Action_RegisterActions"));
  if (registerActions == nullptr) {
    std::fprintf(stderr, "mdhost: the plugin exports no irPlg_Action_RegisterActions\n");
    return 1;
  }
  SetArguments(L, argc, args);
  const int top = lua_gettop(L);
  registerActions(L);
  if (lua_gettop(L) != top) {
    std::fprintf(stderr, "mdhost: irPlg_Action_RegisterActions left the Lua stack unbalanced\n");
    return 1;
  }
  lua_pushcfunction(L, Traceback);
  if (luaL_loadfile(L, script) != 0 || lua_pcall(L, 0, 0, -2) != 0) {
    std::fprintf(stderr, "mdhost: script error: %s\n", lua_tostring(L, -1));
    return 1;
  }
  return 0;
}

}  // namespace

int RunScript(const char* pluginPath, const char* script, int argc, char** args) {
  LoadedPlugin plugin(pluginPath);
  if (!plugin.ok()) return 1;
  lua_State* L = NewHostState();
  if (L == nullptr) {
    std::fprintf(stderr, "mdhost: cannot create a Lua state\n");
    return 1;
  }
  const int status = Run(L, plugin, script, argc, args);
  lua_close(L);
  std::fflush(stdout);
  return status;
}

}  // namespace host
