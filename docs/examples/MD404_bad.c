/* The registration leaves its table on the Lua stack. */
#define EXAMPLE_OWN_REGISTRATION
#include "example.h"

static int Hello(lua_State* L) {
  lua_pushstring(L, "Hello");
  return 1;
}

EXPORT int irPlg_Action_RegisterActions(lua_State* L) {
  lua_newtable(L);
  lua_pushcfunction(L, Hello);
  lua_setfield(L, -2, "Hello");
  lua_pushvalue(L, -1);
  lua_setglobal(L, "Example"); /* the copy is set; the table itself stays on the stack */
  return 0;
}
