/* Every getter is exported. */
#define EXAMPLE_OWN_AUTHOR
#include "example.h"

EXPORT int irPlg_GetAuthorInfo(char* buffer, int* size) { return Serve("An example", buffer, size); }
