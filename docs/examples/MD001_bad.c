/* The author text comes from a helper DLL that is not shipped beside the
 * plugin: the loader cannot find it, and the host cannot load the plugin.
 * link: example_helper */
#define EXAMPLE_OWN_AUTHOR
#include "example.h"
#include "helper/example_helper.h"

EXPORT int irPlg_GetAuthorInfo(char* buffer, int* size) { return Serve(ExampleAuthor(), buffer, size); }
