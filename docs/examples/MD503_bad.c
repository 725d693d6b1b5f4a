/* The start-up code sets a timer on the system's thread pool and leaves it
 * set at the release. (Windows) */
#define _WIN32_WINNT 0x0600
#include <windows.h>

#include "example.h"

static PTP_TIMER timer;

static void CALLBACK Tick(PTP_CALLBACK_INSTANCE instance, void* context, PTP_TIMER fired) {
  (void)instance, (void)context, (void)fired;
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void* reserved) {
  (void)module, (void)reserved;
  if (reason == DLL_PROCESS_ATTACH && (timer = CreateThreadpoolTimer(Tick, NULL, NULL)) != NULL) {
    FILETIME due = {(DWORD)-10000000, (DWORD)-1}; /* a second from now */
    SetThreadpoolTimer(timer, &due, 1000, 0);
  }
  return TRUE;
}
