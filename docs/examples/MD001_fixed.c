/* The helper is linked into the plugin (a static library): nothing to ship
 * beside it.
 * link: example_helper_static */
#define EXAMPLE_OWN_AUTHOR
#include "example.h"
#include "helper/example_helper.h"

EXPORT int irPlg_GetAuthorInfo(char* buffer, int* size) { return Serve(ExampleAuthor(), buffer, size); }
