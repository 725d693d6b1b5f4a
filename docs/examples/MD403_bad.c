/* The registration raises a Lua error when something it needs is missing. */
#define EXAMPLE_OWN_REGISTRATION
#include <lauxlib.h>

#include "example.h"

static int Hello(lua_State* L) {
  lua_pushstring(L, "Hello");
  return 1;
}

EXPORT int irPlg_Action_RegisterActions(lua_State* L) {
  lua_getglobal(L, "Settings");
  if (lua_isnil(L, -1)) return luaL_error(L, "Example needs the global Settings"); /* the host's state has none */
  lua_pop(L, 1);
  lua_newtable(L);
  lua_pushcfunction(L, Hello);
  lua_setfield(L, -2, "Hello");
  lua_setglobal(L, "Example");
  return 0;
}
