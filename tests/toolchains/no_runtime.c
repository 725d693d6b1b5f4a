/* What a plugin built without any C runtime (clang in the MSVC ABI,
 * /NODEFAULTLIB) must bring itself: the two functions its code calls (unless
 * CRT_DLL: msvcrt.dll's, imported) and an entry point that does nothing
 * (unless ENTRY_ELSEWHERE). */
#include <stddef.h>

#ifndef CRT_DLL
void* memcpy(void* to, const void* from, size_t count) {
  char* d = to;
  const char* s = from;
  while (count--) *d++ = *s++;
  return to;
}

size_t strlen(const char* text) {
  size_t length = 0;
  while (text[length]) ++length;
  return length;
}
#endif

/* msvc_support.c brings its own (it sets the /GS cookie first). */
#ifndef ENTRY_ELSEWHERE
int __stdcall _DllMainCRTStartup(void* module, unsigned long reason, void* reserved) {
  (void)module, (void)reason, (void)reserved;
  return 1;
}
#endif
