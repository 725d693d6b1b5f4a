/* The thread holds a reference to the module of its own and leaves with
 * FreeLibraryAndExitThread once its work is done: the host's release leaves
 * the module loaded until then. (Windows) */
#include <windows.h>

#include "example.h"

static DWORD WINAPI Work(void* self) {
  Sleep(100); /* the work, which ends by itself */
  FreeLibraryAndExitThread((HMODULE)self, 0);
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void* reserved) {
  HMODULE self;
  (void)module, (void)reserved;
  if (reason == DLL_PROCESS_ATTACH &&
      GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, (LPCSTR)(void*)&Work, &self)) {
    HANDLE thread = CreateThread(NULL, 0, Work, self, 0, NULL);
    if (thread != NULL)
      CloseHandle(thread);
    else
      FreeLibrary(self);
  }
  return TRUE;
}
