/* irPlg_GetSDKVersion is exported and returns 2 (in example.h). */
#include "example.h"
