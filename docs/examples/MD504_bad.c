/* The start-up code sets the x87 control word its own runtime likes (a
 * Delphi runtime's 0x1332: division by zero unmasked) and leaves it so for
 * the whole host. */
#include "example.h"

__attribute__((constructor)) static void Start(void) {
  const unsigned short delphi = 0x1332;
  __asm__ __volatile__("fldcw %0" : : "m"(delphi));
}
