/* The work the name getter starts runs on in a thread that outlives the
 * plugin. (Windows) */
#define EXAMPLE_OWN_NAME
#include <windows.h>

#include "example.h"

static HANDLE asleep; /* set by the thread as it goes to sleep */

static DWORD WINAPI Watch(void* unused) {
  (void)unused;
  /* Signals and sleeps in one call; wakes after the release, in code that is gone. */
  for (;;) SignalObjectAndWait(asleep, GetCurrentProcess(), 30000, FALSE);
}

EXPORT int irPlg_GetPluginName(char* buffer, int* size) {
  if (asleep == NULL) {
    asleep = CreateEventA(NULL, FALSE, FALSE, NULL);
    CloseHandle(CreateThread(NULL, 0, Watch, NULL, 0, NULL));
    WaitForSingleObject(asleep, INFINITE);
  }
  return Serve("Example", buffer, size);
}
