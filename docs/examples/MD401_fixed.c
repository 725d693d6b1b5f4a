/* The registration and the action it installs (in example.h). */
#include "example.h"
