/* The name getter changes the current folder (to read a file beside it) and
 * does not go back: the script's relative paths now name other files. */
#include <unistd.h>

#define EXAMPLE_OWN_NAME
#include "example.h"

EXPORT int irPlg_GetPluginName(char* buffer, int* size) {
  if (chdir("..") != 0) return -1;
  return Serve(EXAMPLE_NAME, buffer, size);
}
