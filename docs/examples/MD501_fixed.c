/* What the start-up code takes, the release gives back. */
#include <stdlib.h>

#include "example.h"

static char* volatile cache; /* kept, as a plugin keeps what it uses */

__attribute__((constructor)) static void Start(void) {
  cache = (char*)malloc(16384);
  if (cache != NULL) memset(cache, 1, 16384);
}

__attribute__((destructor)) static void Stop(void) {
  free(cache);
  cache = NULL;
}
