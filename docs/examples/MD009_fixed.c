/* The getters are cdecl, as the host calls them. (Windows)
 * link: -Wl,--kill-at */
#define EXAMPLE_OWN_GETTERS
#include "example.h"

#define GETTER(name, text) \
  EXPORT int name(char* buffer, int* size) { return Serve(text, buffer, size); }
GETTER(irPlg_GetPluginName, "Example")
GETTER(irPlg_GetPluginVersion, "1.0")
GETTER(irPlg_GetLuaVersion, "Lua 5.1")
GETTER(irPlg_GetAuthorInfo, "An example")
GETTER(irPlg_GetPluginActionXML, EXAMPLE_XML)
EXPORT int irPlg_GetSDKVersion(void) { return 2; }
