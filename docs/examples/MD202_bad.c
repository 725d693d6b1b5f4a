/* The SDK version getter says 3. */
#define EXAMPLE_SDK 3
#include "example.h"
