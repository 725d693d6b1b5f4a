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

PVOID NTAPI OurAddException(ULONG first, PVECTORED_EXCEPTION_HANDLER handler) {
  PVOID handle = exception_kind.add(first, handler);
  Note(handle, handler, false);
  return handle;
}

ULONG NTAPI OurRemoveException(PVOID handle) {
  Forget(handle);
  return exception_kind.remove(handle);
}

PVOID NTAPI OurAddContinue(ULONG first, PVECTORED_EXCEPTION_HANDLER handler) {
  PVOID handle = continue_kind.add(first, handler);
  Note(handle, handler, true);
  return handle;
}

ULONG NTAPI OurRemoveContinue(PVOID handle) {
  Forget(handle);
  return continue_kind.remove(handle);
}

// All four or none: a handler added through one route and removed through
// another would be counted as left.
bool Watch() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (ntdll == nullptr) return false;
  own_image = ModuleImageRange(GetModuleHandleA(nullptr));
  struct Hook {
    const char* name;
    void* ours;
    void** real;
  } hooks[] = {
      {"RtlAddVectoredExceptionHandler", reinterpret_cast<void*>(&OurAddException),
       reinterpret_cast<void**>(&exception_kind.add)},
      {"RtlRemoveVectoredExceptionHandler", reinterpret_cast<void*>(&OurRemoveException),
       reinterpret_cast<void**>(&exception_kind.remove)},
      {"RtlAddVectoredContinueHandler", reinterpret_cast<void*>(&OurAddContinue),
       reinterpret_cast<void**>(&continue_kind.add)},
      {"RtlRemoveVectoredContinueHandler", reinterpret_cast<void*>(&OurRemoveContinue),
       reinterpret_cast<void**>(&continue_kind.remove)},
  };
  for (const Hook& hook : hooks)
    if (!CanHookInline(reinterpret_cast<void*>(GetProcAddress(ntdll, hook.name)))) return false;
  for (const Hook& hook : hooks)
    if (!HookInline(reinterpret_cast<void*>(GetProcAddress(ntdll, hook.name)), hook.ours, hook.real)) return false;
  return true;
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
  const Kind& kind = handler.continues ? continue_kind : exception_kind;
  if (kind.remove == nullptr) return;
  Forget(reinterpret_cast<PVOID>(handler.handle));
  kind.remove(reinterpret_cast<PVOID>(handler.handle));
}

}  // namespace host
