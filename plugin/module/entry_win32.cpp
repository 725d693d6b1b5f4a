// The module's entry point on Windows: dispatch only.
#include <windows.h>

#include "plugin/module/module_state.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH: md::OnProcessAttach(); break;
    case DLL_PROCESS_DETACH: md::OnProcessDetach(); break;
    default: break;  // thread notifications change nothing
  }
  return TRUE;
}
