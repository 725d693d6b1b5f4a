/* The smallest complete plugin there is: the five text getters and the SDK
 * version, short texts, and no start-up work. The
 * benchmarks measure loads against it and scan folders of its copies. */
#include <stdint.h>
#include <string.h>

#ifdef _WIN32
#define EXPORT __declspec(dllexport)
#else
#define EXPORT __attribute__((visibility("default")))
#endif

static int32_t Serve(const char* text, char* buffer, int32_t* size) {
  const int32_t length = (int32_t)strlen(text);
  if (*size < length) {
    *size = length;
    return -1;
  }
  memcpy(buffer, text, (size_t)length + 1);
  return length;
}

EXPORT int32_t irPlg_GetPluginName(char* buffer, int32_t* size) { return Serve("Minimal", buffer, size); }
EXPORT int32_t irPlg_GetPluginVersion(char* buffer, int32_t* size) { return Serve("1.0", buffer, size); }
EXPORT int32_t irPlg_GetLuaVersion(char* buffer, int32_t* size) { return Serve("Lua 5.1", buffer, size); }
EXPORT int32_t irPlg_GetAuthorInfo(char* buffer, int32_t* size) { return Serve("-", buffer, size); }
EXPORT int32_t irPlg_GetPluginActionXML(char* buffer, int32_t* size) {
  return Serve("<ActionTemplates/>", buffer, size);
}
EXPORT int32_t irPlg_GetSDKVersion(void) { return 2; }
