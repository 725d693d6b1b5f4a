/* The name getter copies its text without the terminating NUL. */
#define EXAMPLE_OWN_NAME
#include "example.h"

EXPORT int irPlg_GetPluginName(char* buffer, int* size) {
  const int length = (int)strlen("Example");
  if (*size < length) {
    *size = length;
    return -1;
  }
  memcpy(buffer, "Example", (size_t)length); /* the NUL after the text is missing */
  return length;
}
