/* Too little room, a negative size too: the length stored, nothing written. */
#define EXAMPLE_OWN_NAME
#include "example.h"

EXPORT int irPlg_GetPluginName(char* buffer, int* size) {
  const int length = (int)strlen("Example");
  if (*size < length) {
    *size = length;
    return -1;
  }
  memcpy(buffer, "Example", (size_t)length + 1);
  return length;
}
