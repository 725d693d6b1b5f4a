/* The name getter ends the process when it has no room. */
#define EXAMPLE_OWN_NAME
#include <stdlib.h>

#include "example.h"

EXPORT int irPlg_GetPluginName(char* buffer, int* size) {
  if (*size < 7) exit(3); /* the host's process ends with it */
  return Serve("Example", buffer, size);
}
