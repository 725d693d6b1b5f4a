/* The name getter leaves the current folder alone: a file it reads is named
 * by its full path. */
#define EXAMPLE_OWN_NAME
#include "example.h"

EXPORT int irPlg_GetPluginName(char* buffer, int* size) { return Serve(EXAMPLE_NAME, buffer, size); }
