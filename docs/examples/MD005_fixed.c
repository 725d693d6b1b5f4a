/* The name getter answers too little room as the protocol says. */
#define EXAMPLE_OWN_NAME
#include "example.h"

EXPORT int irPlg_GetPluginName(char* buffer, int* size) { return Serve("Example", buffer, size); }
