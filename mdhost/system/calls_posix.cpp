// A call into a plugin as the host makes it, cdecl. Elsewhere than 32-bit
// Windows a callee cannot take its arguments off the stack: nothing to see.
#include "mdhost/system/system.h"

namespace host {

intptr_t CallCdecl(void* function, void* first, void* second, int* popped) {
  *popped = 0;
  return reinterpret_cast<intptr_t (*)(void*, void*)>(function)(first, second);
}

}  // namespace host
