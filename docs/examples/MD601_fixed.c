/* A name of its own. */
#define EXAMPLE_NAME "Greeting"
#define EXAMPLE_TABLE "Greeting"
#include "example.h"
