/* The plugin's table is named string, Lua's own. */
#define EXAMPLE_XML                                                                      \
  "<ActionTemplates><Action><Name>string.Hello</Name><Description>Greets.</Description>" \
  "<ReturnValueType>string</ReturnValueType><Arguments/></Action></ActionTemplates>"
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
  lua_setglobal(L, "string"); /* every script's string.format is gone */
  return 0;
}
