/* The name getter takes a size equal to its length for too small. */
#define EXAMPLE_OWN_NAME
#include "example.h"

EXPORT int irPlg_GetPluginName(char* buffer, int* size) {
  const int length = (int)strlen("Example");
  if (*size <= length) { /* the size never counts the NUL: this refuses room enough */
    *size = length;
    return -1;
  }
  memcpy(buffer, "Example", (size_t)length + 1);
  return length;
}
