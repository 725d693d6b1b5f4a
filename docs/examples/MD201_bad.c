/* irPlg_GetSDKVersion is not exported: the host takes the plugin for an
 * SDK1 plugin. */
#define EXAMPLE_OWN_SDK
#include "example.h"
