/* The name getter answers every size at once. */
#define EXAMPLE_OWN_NAME
#include "example.h"

EXPORT int irPlg_GetPluginName(char* buffer, int* size) { return Serve("Example", buffer, size); }
