// The timers and waits that plugins set on the system's thread pool, and the
// modules an examination brings in, on Win32. When the loader announces a
// module, before its start-up code runs, its imports of the pool's functions
// (and of GetProcAddress, which hands ours out for them) are pointed at
// ours, so that a timer set in DllMain, or through a function asked for by
// name, is seen too; and while an examination is open the module is noted
// as the request under way's. The entries live in a fixed table: the hooks
// run on any thread, and allocate nothing.
#include <windows.h>  // first: winternl.h needs it

#include <winternl.h>

#include "mdhost/system/crash_report.h"
#include "mdhost/system/pool_table_win32.h"
#include "mdhost/system/system.h"

namespace host {
using namespace pool_table;
namespace {

// The pool's functions as the system has them.
struct Real {
  decltype(&CreateThreadpoolTimer) create_pool_timer;
  decltype(&CloseThreadpoolTimer) close_pool_timer;
  decltype(&IsThreadpoolTimerSet) pool_timer_set;
  decltype(&CreateTimerQueueTimer) create_queue_timer;
  decltype(&ChangeTimerQueueTimer) change_queue_timer;
  decltype(&DeleteTimerQueueTimer) delete_queue_timer;
  decltype(&DeleteTimerQueueEx) delete_queue;
  decltype(&RegisterWaitForSingleObject) register_wait;
  decltype(&UnregisterWait) unregister_wait;
  decltype(&UnregisterWaitEx) unregister_wait_ex;
  decltype(&GetProcAddress) get_proc_address;
} real;

struct Hook {
  const char* name;
  void** real;
  void* ours;
};
extern Hook hooks[];
extern const int kHooks;

PTP_TIMER WINAPI OurCreatePoolTimer(PTP_TIMER_CALLBACK callback, PVOID context, PTP_CALLBACK_ENVIRON environment) {
  PTP_TIMER timer = real.create_pool_timer(callback, context, environment);
  if (timer != nullptr) NotePoolTimer(timer, reinterpret_cast<uintptr_t>(callback));
  return timer;
}

VOID WINAPI OurClosePoolTimer(PTP_TIMER timer) {
  Forget(timer);
  real.close_pool_timer(timer);
}

BOOL WINAPI OurCreateQueueTimer(PHANDLE timer, HANDLE queue, WAITORTIMERCALLBACK callback, PVOID context, DWORD due,
                                DWORD period, ULONG flags) {
  const BOOL made = real.create_queue_timer(timer, queue, callback, context, due, period, flags);
  if (made && timer != nullptr) NoteQueueTimer(*timer, queue, reinterpret_cast<uintptr_t>(callback), due, period);
  return made;
}

BOOL WINAPI OurChangeQueueTimer(HANDLE queue, HANDLE timer, ULONG due, ULONG period) {
  const BOOL changed = real.change_queue_timer(queue, timer, due, period);
  if (changed) NoteQueueTimerChanged(timer, due, period);
  return changed;
}

BOOL WINAPI OurDeleteQueueTimer(HANDLE queue, HANDLE timer, HANDLE done) {
  Forget(timer);
  return real.delete_queue_timer(queue, timer, done);
}

BOOL WINAPI OurDeleteQueue(HANDLE queue, HANDLE done) {
  ForgetQueue(queue);
  return real.delete_queue(queue, done);
}

BOOL WINAPI OurRegisterWait(PHANDLE wait, HANDLE object, WAITORTIMERCALLBACK callback, PVOID context, ULONG ms,
                            ULONG flags) {
  if (wait == nullptr || callback == nullptr) return real.register_wait(wait, object, callback, context, ms, flags);
  return RegisterWatched(wait, callback, context, (flags & WT_EXECUTEONLYONCE) != 0,
                         [&](WAITORTIMERCALLBACK call, PVOID with) {
                           return real.register_wait(wait, object, call, with, ms, flags) != FALSE;
                         });
}

BOOL WINAPI OurUnregisterWait(HANDLE wait) {
  Forget(wait);
  return real.unregister_wait(wait);
}

BOOL WINAPI OurUnregisterWaitEx(HANDLE wait, HANDLE done) {
  Forget(wait);
  return real.unregister_wait_ex(wait, done);
}

// A function asked for by name is ours where it is one of those watched: a
// plugin that finds CreateTimerQueueTimer by GetProcAddress (GetProcAddress
// too) is watched as one that imports it.
FARPROC WINAPI OurGetProcAddress(HMODULE module, LPCSTR name) {
  const FARPROC found = real.get_proc_address(module, name);
  if (found == nullptr) return found;
  for (int i = 0; i < kHooks; ++i)
    if (*hooks[i].real == reinterpret_cast<void*>(found)) return reinterpret_cast<FARPROC>(hooks[i].ours);
  return found;
}

#define MD_HOOK(name, field, ours) \
  { name, reinterpret_cast<void**>(&real.field), reinterpret_cast<void*>(&ours) }
Hook hooks[] = {
    MD_HOOK("CreateThreadpoolTimer", create_pool_timer, OurCreatePoolTimer),
    MD_HOOK("CloseThreadpoolTimer", close_pool_timer, OurClosePoolTimer),
    MD_HOOK("CreateTimerQueueTimer", create_queue_timer, OurCreateQueueTimer),
    MD_HOOK("ChangeTimerQueueTimer", change_queue_timer, OurChangeQueueTimer),
    MD_HOOK("DeleteTimerQueueTimer", delete_queue_timer, OurDeleteQueueTimer),
    MD_HOOK("DeleteTimerQueueEx", delete_queue, OurDeleteQueue),
    MD_HOOK("RegisterWaitForSingleObject", register_wait, OurRegisterWait),
    MD_HOOK("UnregisterWait", unregister_wait, OurUnregisterWait),
    MD_HOOK("UnregisterWaitEx", unregister_wait_ex, OurUnregisterWaitEx),
    MD_HOOK("GetProcAddress", get_proc_address, OurGetProcAddress),
};
const int kHooks = sizeof hooks / sizeof hooks[0];
#undef MD_HOOK

// Points the module's imports of the pool's functions at ours: an import
// slot holding the system's address of one of them gets ours.
void PointImportsAtUs(const char* base) {
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return;
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_IMPORT)
    return;
  const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (directory.VirtualAddress == 0) return;
  for (const auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); d->Name != 0;
       ++d) {
    for (auto* slot = reinterpret_cast<uintptr_t*>(const_cast<char*>(base) + d->FirstThunk); *slot != 0; ++slot) {
      for (const Hook& hook : hooks) {
        if (*hook.real == nullptr || *slot != reinterpret_cast<uintptr_t>(*hook.real)) continue;
        DWORD was = 0;
        if (VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &was)) {
          *slot = reinterpret_cast<uintptr_t>(hook.ours);
          VirtualProtect(slot, sizeof *slot, was, &was);
        }
      }
    }
  }
}

struct LoadedData {  // LDR_DLL_NOTIFICATION_DATA's Loaded member
  ULONG flags;
  const UNICODE_STRING* full_name;
  const UNICODE_STRING* base_name;
  PVOID base;
  ULONG size;
};

// The modules that came in while an examination was open.
constexpr int kArrivals = 64;
struct Arrived {
  ImageRange range;
  char name[512];
};
Arrived arrived[kArrivals];
int arrivals = 0;
bool arriving = false;

void NoteArrival(const LoadedData& data) {
  Arrived a = {};
  a.range = {reinterpret_cast<uintptr_t>(data.base), reinterpret_cast<uintptr_t>(data.base) + data.size};
  if (data.base_name != nullptr && data.base_name->Buffer != nullptr)
    WideCharToMultiByte(CP_ACP, 0, data.base_name->Buffer, data.base_name->Length / 2, a.name, sizeof a.name - 1,
                        nullptr, nullptr);
  {
    Locked held;
    if (!arriving || arrivals == kArrivals) return;
    arrived[arrivals++] = a;
  }
  NoteImage(a.name, a.range);
}

// The pool is watched at ntdll's entry points, where every route arrives;
// only where those cannot be, at each module's imports.
bool at_entry_points = false;

VOID CALLBACK OnModule(ULONG reason, const LoadedData* data, PVOID) {
  if (reason != 1 || data == nullptr || data->base == nullptr) return;
  if (!at_entry_points) PointImportsAtUs(static_cast<const char*>(data->base));
  NoteArrival(*data);
}

bool StillSet(const Entry& e, DWORD now) {
  switch (e.kind) {
    case Kind::kPoolTimer:
      return real.pool_timer_set != nullptr && real.pool_timer_set(static_cast<PTP_TIMER>(e.object));
    case Kind::kQueueTimer: return QueueTimerDue(e, now);
    case Kind::kWait: return true;
    case Kind::kPoolWait: return e.set;
    default: return false;
  }
}

}  // namespace

void WatchThreadPool() {
  static bool watching = false;
  if (watching) return;
  watching = true;
  HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
  for (Hook& hook : hooks) *hook.real = reinterpret_cast<void*>(GetProcAddress(kernel32, hook.name));
  at_entry_points = WatchPoolEntryPoints();
  real.pool_timer_set = reinterpret_cast<decltype(real.pool_timer_set)>(
      reinterpret_cast<void*>(GetProcAddress(kernel32, "IsThreadpoolTimerSet")));
  using Register = LONG(NTAPI*)(ULONG, PVOID, PVOID, PVOID*);
  const auto register_notification = reinterpret_cast<Register>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "LdrRegisterDllNotification")));
  static PVOID cookie = nullptr;
  if (register_notification != nullptr) register_notification(0, reinterpret_cast<PVOID>(&OnModule), nullptr, &cookie);
}

int PoolCallbacksInto(const std::vector<ImageRange>& images) {
  Locked held;
  int due = 0;
  const DWORD now = GetTickCount();
  for (const Entry& e : entries) due += e.kind != Kind::kNone && InAnyImage(images, e.callback) && StillSet(e, now);
  return due;
}

bool PoolHoldsCallbackInto(uintptr_t start, uintptr_t end) {
  Locked lock(true);
  if (!lock.held()) return false;
  const DWORD now = GetTickCount();
  for (const Entry& e : entries)
    if (e.kind != Kind::kNone && e.callback >= start && e.callback < end && StillSet(e, now)) return true;
  return false;
}

int PoolEntriesOfRequest(uint32_t request_plus_one) {
  Locked held;
  int set = 0;
  const DWORD now = GetTickCount();
  for (const Entry& e : entries) set += e.kind != Kind::kNone && e.request == request_plus_one && StillSet(e, now);
  return set;
}

void BeginArrivals() {
  Locked held;
  arrivals = 0;
  arriving = true;
}

std::vector<Arrival> EndArrivals(const Arrival& noted) {
  std::vector<Arrival> came;
  {
    Locked held;
    arriving = false;
    for (int i = 0; i < arrivals; ++i) came.push_back({arrived[i].name, arrived[i].range, true});
  }
  bool seen = false;
  for (const Arrival& a : came) seen = seen || (a.range.start == noted.range.start && a.range.end == noted.range.end);
  if (!seen && noted.range.end > noted.range.start) {
    NoteImage(noted.name, noted.range);
    came.insert(came.begin(), noted);
  }
  for (Arrival& a : came) {
    a.loaded = ImageStillLoaded(a.range);
    if (!a.loaded) NoteReleased(a.range);
  }
  return came;
}

}  // namespace host
