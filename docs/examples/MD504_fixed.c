/* The start-up code does its work under the control word it likes, then
 * puts the host's back. */
#include "example.h"

static double table[16];

__attribute__((constructor)) static void Start(void) {
  unsigned short host;
  const unsigned short delphi = 0x1332;
  __asm__ __volatile__("fnstcw %0" : "=m"(host));
  __asm__ __volatile__("fldcw %0" : : "m"(delphi));
  for (int i = 0; i < 16; ++i) table[i] = i / 3.0;
  __asm__ __volatile__("fnclex\n\tfldcw %0" : : "m"(host));
}
