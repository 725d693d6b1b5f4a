// A plugin built by Go (cgo, -buildmode=c-shared): the getters in C beside
// it, Go's runtime started with the module. Its runtime's threads outlive
// any release (MD502) unless the module is pinned (-DPINNED); on 386 the
// runtime also sets the process's unhandled-exception filter (MD504).
package main

/*
#cgo CFLAGS: -I${SRCDIR}/../fixtures
#include <windows.h>

#include "c_serve.h"

#define EXPORT __declspec(dllexport)
#define Serve ServeText

EXPORT int irPlg_GetPluginName(char* b, int* s) { return Serve("GoPlugin", b, s); }
EXPORT int irPlg_GetPluginVersion(char* b, int* s) { return Serve("1.0", b, s); }
EXPORT int irPlg_GetLuaVersion(char* b, int* s) { return Serve("Lua 5.1", b, s); }
EXPORT int irPlg_GetAuthorInfo(char* b, int* s) { return Serve("Built by Go", b, s); }
EXPORT int irPlg_GetPluginActionXML(char* b, int* s) { return Serve("<ActionTemplates/>", b, s); }
EXPORT int irPlg_GetSDKVersion(void) { return 2; }

#ifdef PINNED
// Go's runtime threads cannot be stopped: the module stays loaded for good.
__attribute__((constructor)) static void Pin(void) {
  HMODULE self;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, (LPCSTR)(void*)Pin, &self);
}
#endif
*/
import "C"

func main() {}
