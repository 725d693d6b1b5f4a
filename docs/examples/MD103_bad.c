/* At size -1 the name getter writes where no byte is offered. */
#define EXAMPLE_OWN_NAME
#include "example.h"

EXPORT int irPlg_GetPluginName(char* buffer, int* size) {
  const int length = (int)strlen("Example");
  if (*size < length) {
    if (*size < 0) buffer[0] = '\0'; /* no byte is offered at all */
    *size = length;
    return -1;
  }
  memcpy(buffer, "Example", (size_t)length + 1);
  return length;
}
