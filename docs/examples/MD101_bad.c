/* The author getter is not exported. */
#define EXAMPLE_OWN_AUTHOR
#include "example.h"
