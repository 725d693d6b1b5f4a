/* The start-up code starts a thread that outlives the plugin. (Windows) */
#include <windows.h>

#include "example.h"

static DWORD WINAPI Watch(void* unused) {
  (void)unused;
  for (;;) Sleep(50); /* runs on after the release, in code that is gone */
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void* reserved) {
  (void)module, (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) CloseHandle(CreateThread(NULL, 0, Watch, NULL, 0, NULL));
  return TRUE;
}
