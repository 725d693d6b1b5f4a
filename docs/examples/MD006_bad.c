/* The name getter copies into a buffer as if it were always large enough. */
#define EXAMPLE_OWN_NAME
#include "example.h"

EXPORT int irPlg_GetPluginName(char* buffer, int* size) {
  static const char text[] = "Example, a plugin whose name is longer than the room it is given";
  memcpy(buffer, text, sizeof text); /* whatever *size says */
  *size = (int)sizeof text - 1;
  return *size;
}
