// The thread pool watched at its own entry points: ntdll's functions that
// every route to a timer or wait arrives at (kernel32's and kernelbase's
// functions call them; so do a plugin's calls through an import, through
// GetProcAddress or LdrGetProcedureAddress, through a walk of an export
// table, or to ntdll directly). Each is redirected where it begins
// (inline_hook_win32.h) to one of these, which notes the timer or wait in
// the pool table and passes the call on.
#include <windows.h>

#include "mdhost/system/inline_hook_win32.h"
#include "mdhost/system/pool_table_win32.h"

namespace host {
namespace pool_table {
namespace {

using TpAllocTimerFn = LONG(NTAPI*)(PTP_TIMER*, PTP_TIMER_CALLBACK, PVOID, PTP_CALLBACK_ENVIRON);
using TpReleaseTimerFn = VOID(NTAPI*)(PTP_TIMER);
using TpAllocWaitFn = LONG(NTAPI*)(PTP_WAIT*, PTP_WAIT_CALLBACK, PVOID, PTP_CALLBACK_ENVIRON);
using TpSetWaitFn = VOID(NTAPI*)(PTP_WAIT, HANDLE, PLARGE_INTEGER);
using TpReleaseWaitFn = VOID(NTAPI*)(PTP_WAIT);
using RtlCreateTimerFn = LONG(NTAPI*)(HANDLE, PHANDLE, WAITORTIMERCALLBACK, PVOID, DWORD, DWORD, ULONG);
using RtlUpdateTimerFn = LONG(NTAPI*)(HANDLE, HANDLE, DWORD, DWORD);
using RtlDeleteTimerFn = LONG(NTAPI*)(HANDLE, HANDLE, HANDLE);
using RtlDeleteTimerQueueExFn = LONG(NTAPI*)(HANDLE, HANDLE);
using RtlRegisterWaitFn = LONG(NTAPI*)(PHANDLE, HANDLE, WAITORTIMERCALLBACK, PVOID, ULONG, ULONG);
using RtlDeregisterWaitExFn = LONG(NTAPI*)(HANDLE, HANDLE);
using RtlDeregisterWaitFn = LONG(NTAPI*)(HANDLE);

struct {
  TpAllocTimerFn alloc_timer;
  TpReleaseTimerFn release_timer;
  TpAllocWaitFn alloc_wait;
  TpSetWaitFn set_wait;
  TpReleaseWaitFn release_wait;
  RtlCreateTimerFn create_timer;
  RtlUpdateTimerFn update_timer;
  RtlDeleteTimerFn delete_timer;
  RtlDeleteTimerQueueExFn delete_queue;
  RtlRegisterWaitFn register_wait;
  RtlDeregisterWaitExFn deregister_wait;
  RtlDeregisterWaitFn deregister_wait_now;
} real;

LONG NTAPI OurAllocTimer(PTP_TIMER* timer, PTP_TIMER_CALLBACK callback, PVOID context, PTP_CALLBACK_ENVIRON env) {
  const LONG status = real.alloc_timer(timer, callback, context, env);
  if (status >= 0 && timer != nullptr && *timer != nullptr)
    NotePoolTimer(*timer, reinterpret_cast<uintptr_t>(callback));
  return status;
}

VOID NTAPI OurReleaseTimer(PTP_TIMER timer) {
  Forget(timer);
  real.release_timer(timer);
}

// A pool wait is due from each SetThreadpoolWait with an object until it
// fires: its callback comes through here, told its entry by its key.
VOID CALLBACK PoolWaitFired(PTP_CALLBACK_INSTANCE instance, PVOID key, PTP_WAIT wait, TP_WAIT_RESULT result) {
  PTP_WAIT_CALLBACK callback = nullptr;
  void* context = nullptr;
  {
    Locked held;
    Entry* e = ByKey(reinterpret_cast<uintptr_t>(key), Kind::kPoolWait);
    if (e == nullptr) return;  // released meanwhile
    callback = reinterpret_cast<PTP_WAIT_CALLBACK>(e->callback);
    context = e->context;
    e->set = false;
  }
  callback(instance, context, wait, result);
}

LONG NTAPI OurAllocWait(PTP_WAIT* wait, PTP_WAIT_CALLBACK callback, PVOID context, PTP_CALLBACK_ENVIRON env) {
  if (wait == nullptr || callback == nullptr) return real.alloc_wait(wait, callback, context, env);
  Entry e;
  e.kind = Kind::kPoolWait;
  e.callback = reinterpret_cast<uintptr_t>(callback);
  e.context = context;
  uint32_t generation = 0;
  const int slot = Remember(e, &generation);
  if (slot < 0) return real.alloc_wait(wait, callback, context, env);
  const LONG status = real.alloc_wait(wait, PoolWaitFired, reinterpret_cast<PVOID>(KeyOf(slot, generation)), env);
  Locked held;
  if (status >= 0 && *wait != nullptr)
    entries[slot].object = *wait;
  else
    entries[slot] = Entry();
  return status;
}

VOID NTAPI OurSetWait(PTP_WAIT wait, HANDLE object, PLARGE_INTEGER timeout) {
  {
    Locked held;
    if (Entry* e = Find(wait)) e->set = object != nullptr;
  }
  real.set_wait(wait, object, timeout);
}

VOID NTAPI OurReleaseWait(PTP_WAIT wait) {
  Forget(wait);
  real.release_wait(wait);
}

LONG NTAPI OurCreateTimer(HANDLE queue, PHANDLE timer, WAITORTIMERCALLBACK callback, PVOID context, DWORD due,
                          DWORD period, ULONG flags) {
  const LONG status = real.create_timer(queue, timer, callback, context, due, period, flags);
  if (status >= 0 && timer != nullptr)
    NoteQueueTimer(*timer, queue, reinterpret_cast<uintptr_t>(callback), due, period);
  return status;
}

LONG NTAPI OurUpdateTimer(HANDLE queue, HANDLE timer, DWORD due, DWORD period) {
  const LONG status = real.update_timer(queue, timer, due, period);
  if (status >= 0) NoteQueueTimerChanged(timer, due, period);
  return status;
}

LONG NTAPI OurDeleteTimer(HANDLE queue, HANDLE timer, HANDLE done) {
  Forget(timer);
  return real.delete_timer(queue, timer, done);
}

LONG NTAPI OurDeleteQueue(HANDLE queue, HANDLE done) {
  ForgetQueue(queue);
  return real.delete_queue(queue, done);
}

LONG NTAPI OurRegisterWait(PHANDLE wait, HANDLE object, WAITORTIMERCALLBACK callback, PVOID context, ULONG ms,
                           ULONG flags) {
  if (wait == nullptr || callback == nullptr) return real.register_wait(wait, object, callback, context, ms, flags);
  LONG status = 0;
  RegisterWatched(wait, callback, context, (flags & WT_EXECUTEONLYONCE) != 0,
                  [&](WAITORTIMERCALLBACK call, PVOID with) {
                    status = real.register_wait(wait, object, call, with, ms, flags);
                    return status >= 0;
                  });
  return status;
}

LONG NTAPI OurDeregisterWait(HANDLE wait, HANDLE done) {
  Forget(wait);
  return real.deregister_wait(wait, done);
}

LONG NTAPI OurDeregisterWaitNow(HANDLE wait) {
  Forget(wait);
  return real.deregister_wait_now(wait);
}

}  // namespace

bool WatchPoolEntryPoints() {
  InlineHook hooks[] = {
      {"TpAllocTimer", reinterpret_cast<void*>(&OurAllocTimer), reinterpret_cast<void**>(&real.alloc_timer)},
      {"TpReleaseTimer", reinterpret_cast<void*>(&OurReleaseTimer), reinterpret_cast<void**>(&real.release_timer)},
      {"TpAllocWait", reinterpret_cast<void*>(&OurAllocWait), reinterpret_cast<void**>(&real.alloc_wait)},
      {"TpSetWait", reinterpret_cast<void*>(&OurSetWait), reinterpret_cast<void**>(&real.set_wait)},
      {"TpReleaseWait", reinterpret_cast<void*>(&OurReleaseWait), reinterpret_cast<void**>(&real.release_wait)},
      {"RtlCreateTimer", reinterpret_cast<void*>(&OurCreateTimer), reinterpret_cast<void**>(&real.create_timer)},
      {"RtlUpdateTimer", reinterpret_cast<void*>(&OurUpdateTimer), reinterpret_cast<void**>(&real.update_timer)},
      {"RtlDeleteTimer", reinterpret_cast<void*>(&OurDeleteTimer), reinterpret_cast<void**>(&real.delete_timer)},
      {"RtlDeleteTimerQueueEx", reinterpret_cast<void*>(&OurDeleteQueue), reinterpret_cast<void**>(&real.delete_queue)},
      {"RtlRegisterWait", reinterpret_cast<void*>(&OurRegisterWait), reinterpret_cast<void**>(&real.register_wait)},
      {"RtlDeregisterWaitEx", reinterpret_cast<void*>(&OurDeregisterWait),
       reinterpret_cast<void**>(&real.deregister_wait)},
      {"RtlDeregisterWait", reinterpret_cast<void*>(&OurDeregisterWaitNow),
       reinterpret_cast<void**>(&real.deregister_wait_now)},
  };
  // All or none: a table half watched at the entry points and half at the
  // imports would count one timer twice, or miss one.
  return HookAllInline("ntdll.dll", hooks, static_cast<int>(sizeof hooks / sizeof hooks[0]));
}

}  // namespace pool_table
}  // namespace host
