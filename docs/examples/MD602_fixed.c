/* A table of its own. */
#define EXAMPLE_NAME "Greeting"
#define EXAMPLE_TABLE "Greeting"
#include "example.h"
