/* The registration installs its table and raises nothing; what the actions
 * need is looked up when they run. */
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
  lua_setglobal(L, "Example");
  return 0;
}
