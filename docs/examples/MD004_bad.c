/* The name getter waits for room that never comes. */
#define EXAMPLE_OWN_NAME
#include "example.h"

EXPORT int irPlg_GetPluginName(char* buffer, int* size) {
  while (*(volatile int*)size == 0) continue; /* at size 0 the host's call never returns */
  return Serve(EXAMPLE_NAME, buffer, size);
}
