// A function of the system redirected to one of mdhost's where it begins,
// so that every caller arrives there: through an import table, a pointer
// from GetProcAddress or LdrGetProcedureAddress, a walk of an export table,
// or a call from inside the system's own module. 32-bit x86 only.
#pragma once

namespace host {

// Points `target` at `ours`; `*original` then calls what `target` did. False
// (nothing changed) where its first instructions are none that can be moved
// as they are: only the known prologues of compilers' functions are.
bool HookInline(void* target, void* ours, void** original);
// Whether HookInline can redirect `target`.
bool CanHookInline(const void* target);

// One of a module's exports, by name, and where it goes.
struct InlineHook {
  const char* name;
  void* ours;
  void** original;
};
// Redirects every one of `hooks` in `module` (ntdll.dll, say), or none: a
// set half watched would count one call twice, or miss one. False for none.
bool HookAllInline(const char* module, InlineHook* hooks, int count);

}  // namespace host
