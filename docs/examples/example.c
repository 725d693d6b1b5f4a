/* The plugin example.h makes alone: the MD6xx examples are scanned beside
 * it. */
#include "example.h"
