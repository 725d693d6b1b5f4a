/* The start-up code takes 16 KiB that the release does not give back. */
#include <stdlib.h>

#include "example.h"

static char* volatile cache; /* kept, as a plugin keeps what it uses */

__attribute__((constructor)) static void Start(void) {
  cache = (char*)malloc(16384);
  if (cache != NULL) memset(cache, 1, 16384);
}
