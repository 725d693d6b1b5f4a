/* The version getter says 1.0 (in example.h); the version resource,
 * MD203_bad.rc, says 1.1. (Windows) */
#include "example.h"
