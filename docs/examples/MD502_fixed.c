/* The work the name getter starts runs on in a thread that holds a
 * reference to the module of its own and leaves with
 * FreeLibraryAndExitThread once the work is done: the host's release leaves
 * the module loaded until then. (Windows) */
#define EXAMPLE_OWN_NAME
#include <windows.h>

#include "example.h"

static DWORD WINAPI Work(void* self) {
  Sleep(100); /* the work, which ends by itself */
  FreeLibraryAndExitThread((HMODULE)self, 0);
}

EXPORT int irPlg_GetPluginName(char* buffer, int* size) {
  static int started;
  HMODULE self;
  if (!started && GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, (LPCSTR)(void*)&Work, &self)) {
    HANDLE thread = CreateThread(NULL, 0, Work, self, 0, NULL);
    started = 1;
    if (thread != NULL)
      CloseHandle(thread);
    else
      FreeLibrary(self);
  }
  return Serve("Example", buffer, size);
}
