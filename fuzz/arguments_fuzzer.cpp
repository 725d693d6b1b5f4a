// The actions' argument checks with arbitrary Lua values: every call either
// raises a string error or returns exactly one value, and the stack stays put.
#include <cstdint>
#include <cstring>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

#include "plugin/module/module_state.h"
#include "plugin/module/plugin_exports.h"

namespace {

int Render(lua_State* L) {
  lua_pushfstring(L, "Error: %s", luaL_checkstring(L, 1));
  return 1;
}

void PushValue(lua_State* L, const uint8_t*& data, size_t& left) {
  const uint8_t kind = left ? *data++ : 0;
  if (left) --left;
  switch (kind % 7) {
    case 0: lua_pushnil(L); break;
    case 1: lua_pushboolean(L, kind & 8); break;
    case 2: lua_pushnumber(L, static_cast<double>(kind) * 1.5 - 40); break;
    case 3: {
      size_t n = left < 40 ? left : 40;
      lua_pushlstring(L, reinterpret_cast<const char*>(data), n);  // may hold NULs
      data += n;
      left -= n;
      break;
    }
    case 4: lua_newtable(L); break;
    case 5: lua_pushcfunction(L, Render); break;
    default: lua_pushlightuserdata(L, &left); break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static lua_State* L = [] {
    md::OnProcessAttach();
    lua_State* state = luaL_newstate();
    luaL_openlibs(state);
    lua_newtable(state);
    lua_pushcfunction(state, Render);
    lua_setfield(state, -2, "GetSyntaxErrorString");
    lua_setglobal(state, "Debug");
    irPlg_Action_RegisterActions(state);
    return state;
  }();
  static const lua_CFunction actions[] = {GetPluginName,       GetPluginActionXML, GetPluginLuaVersion,
                                          GetPluginAuthorInfo, GetPluginVersion,   GetModuleDetails};
  if (size == 0) return 0;
  const int top = lua_gettop(L);
  lua_pushcfunction(L, actions[data[0] % 6]);
  const int count = (data[0] >> 4) % 4;
  ++data;
  --size;
  for (int i = 0; i < count; ++i) PushValue(L, data, size);
  const int status = lua_pcall(L, count, LUA_MULTRET, 0);
  if (lua_gettop(L) != top + 1) __builtin_trap();
  if (status != 0 && lua_type(L, -1) != LUA_TSTRING) __builtin_trap();
  lua_settop(L, top);
  return 0;
}
