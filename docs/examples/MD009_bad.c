/* The getters are __stdcall, exported under plain names by the linker's
 * --kill-at: the host finds them, calls them cdecl, and its stack is off by
 * their arguments after every call. (Windows)
 * link: -Wl,--kill-at */
#define EXAMPLE_OWN_GETTERS
#include "example.h"

#define GETTER(name, text) \
  EXPORT int __stdcall name(char* buffer, int* size) { return Serve(text, buffer, size); }
GETTER(irPlg_GetPluginName, "Example")
GETTER(irPlg_GetPluginVersion, "1.0")
GETTER(irPlg_GetLuaVersion, "Lua 5.1")
GETTER(irPlg_GetAuthorInfo, "An example")
GETTER(irPlg_GetPluginActionXML, EXAMPLE_XML)
EXPORT int __stdcall irPlg_GetSDKVersion(void) { return 2; }
