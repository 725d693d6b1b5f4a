/* The version getter and the version resource, MD203_fixed.rc, both say
 * 1.0. (Windows) */
#include "example.h"
