/* The name getter serves a text it never set. */
#define EXAMPLE_OWN_NAME
#include "example.h"

static const char* volatile name; /* set nowhere: NULL */

EXPORT int irPlg_GetPluginName(char* buffer, int* size) { return Serve(name, buffer, size); }
