#include "example_helper.h"

#if defined(EXAMPLE_HELPER_SHARED) && defined(_WIN32)
__declspec(dllexport)
#endif
    const char* ExampleAuthor(void) {
  return "An example";
}
