/* At size 0 the name getter writes into the byte it is offered. */
#define EXAMPLE_OWN_NAME
#include "example.h"

EXPORT int irPlg_GetPluginName(char* buffer, int* size) {
  const int length = (int)strlen("Example");
  if (*size < length) {
    if (*size == 0) buffer[0] = '\0'; /* nothing is to be written when the room is too little */
    *size = length;
    return -1;
  }
  memcpy(buffer, "Example", (size_t)length + 1);
  return length;
}
