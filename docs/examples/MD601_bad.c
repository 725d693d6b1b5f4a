/* Its own table, but the name of the plugin beside it (Example). */
#define EXAMPLE_TABLE "Greeting"
#include "example.h"
