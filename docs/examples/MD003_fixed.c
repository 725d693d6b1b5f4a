/* The name getter serves a text that is there. */
#define EXAMPLE_OWN_NAME
#include "example.h"

static const char* volatile name = "Example";

EXPORT int irPlg_GetPluginName(char* buffer, int* size) { return Serve(name, buffer, size); }
