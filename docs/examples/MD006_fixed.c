/* The name getter copies only into the room it is given. */
#define EXAMPLE_OWN_NAME
#include "example.h"

EXPORT int irPlg_GetPluginName(char* buffer, int* size) {
  return Serve("Example, a plugin whose name is longer than the room it is given", buffer, size);
}
