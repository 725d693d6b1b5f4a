/* The SDK version getter says 2, the host's. */
#define EXAMPLE_SDK 2
#include "example.h"
