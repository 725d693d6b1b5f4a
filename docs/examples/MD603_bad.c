/* Made as /FIXED makes it, without relocations, at a fixed base: the one the
 * plugin beside it, example.dll, asks for (0x707C0000). (Windows)
 * link: -Wl,--image-base,0x707c0000 -Wl,--disable-dynamicbase
 * relocations: none */
#define EXAMPLE_NAME "Fixed"
#define EXAMPLE_TABLE "Fixed"
#include "example.h"
