/* The getters are __stdcall and exported without a module definition file,
 * so the export table holds decorated names (irPlg_GetPluginName@8) that the
 * host does not look for. (Windows) */
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
