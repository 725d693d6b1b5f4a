/* A name of its own, but the table of the plugin beside it (Example): the
 * one registered last replaces the other's actions. */
#define EXAMPLE_NAME "Greeting"
#include "example.h"
