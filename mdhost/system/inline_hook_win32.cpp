// The first instructions of the target, whole ones covering 5 bytes, are
// copied to a trampoline that jumps back after them; the target then starts
// with a jump to ours. Only instructions that do not depend on where they
// lie are moved, recognised from a short list of the prologues compilers
// write (Windows' hot-patchable `mov edi, edi; push ebp; mov ebp, esp`,
// GCC's stack realignment that Wine's modules begin with).
#include "mdhost/system/inline_hook_win32.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace host {
namespace {

struct Instruction {
  unsigned char bytes[4];
  int matched;  // bytes compared
  int length;   // bytes of the instruction (the rest are an immediate)
};

// Instructions that mean the same wherever they lie.
constexpr Instruction kMovable[] = {
    {{0x8B, 0xFF}, 2, 2},              // mov edi, edi
    {{0x55}, 1, 1},                    // push ebp
    {{0x53}, 1, 1},                    // push ebx
    {{0x56}, 1, 1},                    // push esi
    {{0x57}, 1, 1},                    // push edi
    {{0x8B, 0xEC}, 2, 2},              // mov ebp, esp
    {{0x89, 0xE5}, 2, 2},              // mov ebp, esp
    {{0x8D, 0x4C, 0x24, 0x04}, 4, 4},  // lea ecx, [esp+4]
    {{0x83, 0xE4, 0xF0}, 3, 3},        // and esp, -16
    {{0xFF, 0x71, 0xFC}, 3, 3},        // push dword [ecx-4]
    {{0x83, 0xEC}, 2, 3},              // sub esp, imm8
    {{0x81, 0xEC}, 2, 6},              // sub esp, imm32
    {{0x6A}, 1, 2},                    // push imm8
    {{0x68}, 1, 5},                    // push imm32
    {{0xB8}, 1, 5},                    // mov eax, imm32
};

// The length of the whole instructions at `code` that cover 5 bytes, or 0.
int MovableLength(const unsigned char* code) {
  int length = 0;
  while (length < 5) {
    const Instruction* found = nullptr;
    for (const Instruction& i : kMovable)
      if (std::memcmp(code + length, i.bytes, static_cast<std::size_t>(i.matched)) == 0) {
        found = &i;
        break;
      }
    if (found == nullptr) return 0;
    length += found->length;
  }
  return length;
}

void WriteJump(unsigned char* at, const void* to) {
  at[0] = 0xE9;
  const int32_t distance = static_cast<int32_t>(reinterpret_cast<uintptr_t>(to) - reinterpret_cast<uintptr_t>(at + 5));
  std::memcpy(at + 1, &distance, sizeof distance);
}

// Trampolines, 32 bytes each, in one page kept for the process's life.
unsigned char* NextTrampoline() {
  static unsigned char* page = nullptr;
  static int used = 0;
  constexpr int kSize = 32, kPage = 4096;
  if (page == nullptr)
    page = static_cast<unsigned char*>(VirtualAlloc(nullptr, kPage, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
  if (page == nullptr || (used + 1) * kSize > kPage) return nullptr;
  return page + kSize * used++;
}

}  // namespace

bool CanHookInline(const void* target) {
#if defined(__i386__)
  return target != nullptr && MovableLength(static_cast<const unsigned char*>(target)) > 0;
#else
  (void)target;
  return false;
#endif
}

bool HookAllInline(const char* module, InlineHook* hooks, int count) {
  HMODULE loaded = GetModuleHandleA(module);
  if (loaded == nullptr) return false;
  for (int i = 0; i < count; ++i)
    if (!CanHookInline(reinterpret_cast<void*>(GetProcAddress(loaded, hooks[i].name)))) return false;
  for (int i = 0; i < count; ++i)
    if (!HookInline(reinterpret_cast<void*>(GetProcAddress(loaded, hooks[i].name)), hooks[i].ours, hooks[i].original))
      return false;
  return true;
}

bool HookInline(void* target, void* ours, void** original) {
#if defined(__i386__)
  auto* code = static_cast<unsigned char*>(target);
  const int length = code != nullptr ? MovableLength(code) : 0;
  unsigned char* trampoline = length > 0 ? NextTrampoline() : nullptr;
  if (trampoline == nullptr) return false;
  std::memcpy(trampoline, code, static_cast<std::size_t>(length));
  WriteJump(trampoline + length, code + length);
  FlushInstructionCache(GetCurrentProcess(), trampoline, static_cast<SIZE_T>(length) + 5);
  *original = trampoline;
  DWORD was = 0;
  if (!VirtualProtect(code, static_cast<SIZE_T>(length), PAGE_EXECUTE_READWRITE, &was)) return false;
  WriteJump(code, ours);
  for (int i = 5; i < length; ++i) code[i] = 0xCC;  // never reached: the jump passes them
  VirtualProtect(code, static_cast<SIZE_T>(length), was, &was);
  FlushInstructionCache(GetCurrentProcess(), code, static_cast<SIZE_T>(length));
  return true;
#else
  (void)target, (void)ours, (void)original;
  return false;
#endif
}

}  // namespace host
