// The floating-point control words, which every code in a process shares:
// read and set with the instructions themselves, alike on every x86 system.
#include "mdhost/system/system.h"

namespace host {
namespace {

// MXCSR's low six bits are flags arithmetic sets as it goes; the rest are
// what code chooses.
constexpr uint32_t kSseStatusFlags = 0x3F;

}  // namespace

#if defined(__i386__) || defined(__x86_64__)

void ReadFloatingPointControl(uint16_t* fpu_control, uint32_t* sse_control) {
  uint16_t fpu = 0;
  uint32_t sse = 0;
  __asm__ __volatile__("fnstcw %0" : "=m"(fpu));
  __asm__ __volatile__("stmxcsr %0" : "=m"(sse));
  *fpu_control = fpu;
  *sse_control = sse & ~kSseStatusFlags;
}

void SetFloatingPointControl(uint16_t fpu_control, uint32_t sse_control) {
  uint32_t sse = 0;
  __asm__ __volatile__("stmxcsr %0" : "=m"(sse));
  sse = (sse & kSseStatusFlags) | (sse_control & ~kSseStatusFlags);
  __asm__ __volatile__("fnclex\n\tfldcw %0" : : "m"(fpu_control));
  __asm__ __volatile__("ldmxcsr %0" : : "m"(sse));
}

#else

void ReadFloatingPointControl(uint16_t* fpu_control, uint32_t* sse_control) {
  *fpu_control = 0;
  *sse_control = 0;
}
void SetFloatingPointControl(uint16_t, uint32_t) {}

#endif

}  // namespace host
