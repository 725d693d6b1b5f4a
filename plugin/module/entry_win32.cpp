// The module's entry point on Windows: dispatch only.
#include <windows.h>

#include "plugin/module/module_state.h"

// A detach with `reserved` set comes from a process that is ending.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH: md::OnProcessAttach(); break;
    case DLL_PROCESS_DETACH:
      md::OnProcessDetach(reserved != nullptr ? md::Detach::kProcessExit : md::Detach::kUnload);
      break;
    default: break;  // thread notifications change nothing
  }
  return TRUE;
}
