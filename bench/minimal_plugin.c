/* The smallest complete plugin there is: the five text getters and the SDK
 * version, all answering one short text, and no start-up work. The
 * benchmarks measure loads against it and scan folders of its copies. */
#include <stdint.h>
#include <string.h>

#ifdef _WIN32
#define EXPORT __declspec(dllexport)
#else
#define EXPORT __attribute__((visibility("default")))
#endif

static int32_t Serve(char* buffer, int32_t* size) {
  static const char name[] = "Minimal";
  if (*size < (int32_t)(sizeof name - 1)) {
    *size = (int32_t)(sizeof name - 1);
    return -1;
  }
  memcpy(buffer, name, sizeof name);
  return (int32_t)(sizeof name - 1);
}

EXPORT int32_t irPlg_GetPluginName(char* buffer, int32_t* size) { return Serve(buffer, size); }
EXPORT int32_t irPlg_GetPluginVersion(char* buffer, int32_t* size) { return Serve(buffer, size); }
EXPORT int32_t irPlg_GetLuaVersion(char* buffer, int32_t* size) { return Serve(buffer, size); }
EXPORT int32_t irPlg_GetAuthorInfo(char* buffer, int32_t* size) { return Serve(buffer, size); }
EXPORT int32_t irPlg_GetPluginActionXML(char* buffer, int32_t* size) { return Serve(buffer, size); }
EXPORT int32_t irPlg_GetSDKVersion(void) { return 2; }
