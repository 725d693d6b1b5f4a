/* The work the name getter starts runs on in a thread that outlives the
 * plugin. (Windows) */
#define EXAMPLE_OWN_NAME
#include <windows.h>

#include "example.h"

static DWORD WINAPI Watch(void* unused) {
  (void)unused;
  for (;;) Sleep(30000); /* wakes after the release, in code that is gone */
}

EXPORT int irPlg_GetPluginName(char* buffer, int* size) {
  static int started;
  if (!started) {
    CloseHandle(CreateThread(NULL, 0, Watch, NULL, 0, NULL));
    started = 1;
  }
  return Serve("Example", buffer, size);
}
