/* One byte too small, the name getter writes what fits. */
#define EXAMPLE_OWN_NAME
#include "example.h"

EXPORT int irPlg_GetPluginName(char* buffer, int* size) {
  const int length = (int)strlen("Example");
  if (*size < length) {
    if (*size > 0) {
      memcpy(buffer, "Example", (size_t)*size); /* a part of the text is no answer */
      buffer[*size] = '\0';
    }
    *size = length;
    return -1;
  }
  memcpy(buffer, "Example", (size_t)length + 1);
  return length;
}
