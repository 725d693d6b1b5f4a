/* The smallest plugin there is: one text getter, no start-up work. The
 * benchmark measures loads against it. */
#include <stdint.h>
#include <string.h>

#ifdef _WIN32
#define EXPORT __declspec(dllexport)
#else
#define EXPORT __attribute__((visibility("default")))
#endif

EXPORT int32_t irPlg_GetPluginName(char* buffer, int32_t* size) {
  static const char name[] = "Minimal";
  if (*size < (int32_t)(sizeof name - 1)) {
    *size = (int32_t)(sizeof name - 1);
    return -1;
  }
  memcpy(buffer, name, sizeof name);
  return (int32_t)(sizeof name - 1);
}

EXPORT int32_t irPlg_GetPluginVersion(char* buffer, int32_t* size) {
  return irPlg_GetPluginName(buffer, size);
}
