// Vectored exception and continue handlers, which the system does not list:
// ntdll's functions that add and remove them, where every route arrives
// (kernel32's AddVectoredExceptionHandler calls them), are redirected where
// they begin, and the handlers others add are kept in a table of their
// own. mdhost's own handlers (their code in its image) are not others'.
#include <windows.h>

#include "mdhost/system/inline_hook_win32.h"
#include "mdhost/system/system.h"

namespace host {
namespace {

using AddFn = PVOID(NTAPI*)(ULONG, PVECTORED_EXCEPTION_HANDLER);
using RemoveFn = ULONG(NTAPI*)(PVOID);

struct Kind {
  AddFn add = nullptr;
  RemoveFn remove = nullptr;
};
Kind exception_kind, continue_kind;

struct Added {
  PVOID handle = nullptr;
  bool continues = false;  // a continue handler
};
// A table no plugin can make grow without bound: past it, a handler goes
// unwatched (and is no finding).
constexpr int kMost = 64;
Added added[kMost];
SRWLOCK table_lock = SRWLOCK_INIT;

struct Locked {
  Locked() { AcquireSRWLockExclusive(&table_lock); }
  ~Locked() { ReleaseSRWLockExclusive(&table_lock); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
};
ImageRange own_image;

void Note(PVOID handle, PVECTORED_EXCEPTION_HANDLER handler, bool continues) {
  const auto code = reinterpret_cast<uintptr_t>(handler);
  if (handle == nullptr || (code >= own_image.start && code < own_image.end)) return;
  Locked held;
  for (Added& a : added)
    if (a.handle == nullptr) {
      a = {handle, continues};
      return;
    }
}

void Forget(PVOID handle) {
  Locked held;
  for (Added& a : added)
    if (a.handle == handle) a = Added();
}

Kind& KindOf(bool continues) { return continues ? continue_kind : exception_kind; }

template <bool kContinues>
PVOID NTAPI OurAdd(ULONG first, PVECTORED_EXCEPTION_HANDLER handler) {
  PVOID handle = KindOf(kContinues).add(first, handler);
  Note(handle, handler, kContinues);
  return handle;
}

template <bool kContinues>
ULONG NTAPI OurRemove(PVOID handle) {
  Forget(handle);
  return KindOf(kContinues).remove(handle);
}

// All four or none: a handler added through one route and removed through
// another would be counted as left.
bool Watch() {
  own_image = ModuleImageRange(GetModuleHandleA(nullptr));
  InlineHook hooks[] = {
      {"RtlAddVectoredExceptionHandler", reinterpret_cast<void*>(&OurAdd<false>),
       reinterpret_cast<void**>(&exception_kind.add)},
      {"RtlRemoveVectoredExceptionHandler", reinterpret_cast<void*>(&OurRemove<false>),
       reinterpret_cast<void**>(&exception_kind.remove)},
      {"RtlAddVectoredContinueHandler", reinterpret_cast<void*>(&OurAdd<true>),
       reinterpret_cast<void**>(&continue_kind.add)},
      {"RtlRemoveVectoredContinueHandler", reinterpret_cast<void*>(&OurRemove<true>),
       reinterpret_cast<void**>(&continue_kind.remove)},
  };
  return HookAllInline("ntdll.dll", hooks, static_cast<int>(sizeof hooks / sizeof hooks[0]));
}

}  // namespace

std::vector<VectoredHandler> VectoredHandlersAdded() {
  static const bool watching = Watch();
  std::vector<VectoredHandler> found;
  if (!watching) return found;
  Locked held;
  for (const Added& a : added)
    if (a.handle != nullptr) found.push_back({reinterpret_cast<uintptr_t>(a.handle), a.continues});
  return found;
}

void RemoveVectoredHandler(const VectoredHandler& handler) {
  const Kind& kind = KindOf(handler.continues);
  if (kind.remove == nullptr) return;
  Forget(reinterpret_cast<PVOID>(handler.handle));
  kind.remove(reinterpret_cast<PVOID>(handler.handle));
}

}  // namespace host
