/* The example plugin with what MSVC-built plugins often carry: a name getter
 * whose local buffer /GS guards, a thread-local count of its calls, and
 * (linked /DELAYLOAD:lua5.1.dll) Lua's functions resolved at their first
 * call. Built by clang in the MSVC ABI with msvc_support.c. */
#define EXAMPLE_OWN_NAME
#include "example.h"

__declspec(thread) int name_calls;

EXPORT int irPlg_GetPluginName(char* buffer, int* size) {
  char name[64];
  const char* mine = "ClangMsvcFeatures";
  int i = 0;
  for (; mine[i] != '\0'; ++i) name[i] = mine[i];
  name[i] = '\0';
  ++name_calls;
  return Serve(name, buffer, size);
}
