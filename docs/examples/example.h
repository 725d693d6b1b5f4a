/* What every example plugin of docs/checks.md shares: a plugin whose table is
 * Example, its getters following the text getter protocol to the letter, its
 * one action documented and registered. An example writes an export itself
 * after defining EXAMPLE_OWN_<NAME> (EXAMPLE_OWN_GETTERS: all six), or gives
 * its own document, SDK version, plugin name or table. */
#ifndef EXAMPLE_H
#define EXAMPLE_H

#include <lua.h>
#include <string.h>

#ifdef _WIN32
#define EXPORT __declspec(dllexport)
#else
#define EXPORT __attribute__((visibility("default")))
#endif

#ifndef EXAMPLE_NAME
#define EXAMPLE_NAME "Example"
#endif
#ifndef EXAMPLE_TABLE
#define EXAMPLE_TABLE "Example"
#endif
#ifndef EXAMPLE_XML
#define EXAMPLE_XML                                                                                       \
  "<ActionTemplates><Action><Name>" EXAMPLE_TABLE                                                         \
  ".Hello</Name><Description>Greets Name.</Description>"                                                  \
  "<ReturnValueType>string</ReturnValueType><Arguments><Arg><Name>Name</Name><Description>who is greeted" \
  "</Description><Type>string</Type><Default>\"World\"</Default><Required>1</Required></Arg></Arguments>" \
  "</Action></ActionTemplates>"
#endif
#ifndef EXAMPLE_SDK
#define EXAMPLE_SDK 2
#endif

/* Too little room (the size never counts the NUL): store the length, write
 * nothing, -1. Otherwise the text and its NUL, and the length. */
static int Serve(const char* text, char* buffer, int* size) {
  const int length = (int)strlen(text);
  if (*size < length) {
    *size = length;
    return -1;
  }
  memcpy(buffer, text, (size_t)length + 1);
  return length;
}

#ifndef EXAMPLE_OWN_GETTERS
#ifndef EXAMPLE_OWN_NAME
EXPORT int irPlg_GetPluginName(char* buffer, int* size) { return Serve(EXAMPLE_NAME, buffer, size); }
#endif
EXPORT int irPlg_GetPluginVersion(char* buffer, int* size) { return Serve("1.0", buffer, size); }
EXPORT int irPlg_GetLuaVersion(char* buffer, int* size) { return Serve("Lua 5.1", buffer, size); }
#ifndef EXAMPLE_OWN_AUTHOR
EXPORT int irPlg_GetAuthorInfo(char* buffer, int* size) { return Serve("An example", buffer, size); }
#endif
EXPORT int irPlg_GetPluginActionXML(char* buffer, int* size) { return Serve(EXAMPLE_XML, buffer, size); }
#ifndef EXAMPLE_OWN_SDK
EXPORT int irPlg_GetSDKVersion(void) { return EXAMPLE_SDK; }
#endif
#endif

#ifndef EXAMPLE_OWN_REGISTRATION
static int Hello(lua_State* L) {
  lua_pushstring(L, "Hello");
  return 1;
}

EXPORT int irPlg_Action_RegisterActions(lua_State* L) {
  lua_newtable(L);
  lua_pushcfunction(L, Hello);
  lua_setfield(L, -2, "Hello");
  lua_setglobal(L, EXAMPLE_TABLE);
  return 0;
}
#endif

#endif
