/* Linked with relocations (the linker's default, --dynamicbase): it loads
 * wherever there is room. (Windows) */
#define EXAMPLE_NAME "Fixed"
#define EXAMPLE_TABLE "Fixed"
#include "example.h"
