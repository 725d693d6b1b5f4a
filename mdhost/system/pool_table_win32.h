// The timers and waits plugins set on the system's thread pool, on Win32:
// one fixed table that every hook fills (those on a module's imports, and
// those on the pool's own entry points). The hooks run on any thread and
// allocate nothing.
#pragma once

#include <windows.h>

#include <cstdint>

namespace host {
namespace pool_table {

// kPoolWait: a thread-pool wait, due while set (SetThreadpoolWait with an
// object) until it has fired.
enum class Kind { kNone, kPoolTimer, kQueueTimer, kWait, kPoolWait };

struct Entry {
  Kind kind = Kind::kNone;
  uint32_t request = 0;    // the request under way (plus one) that set it
  void* object = nullptr;  // the timer or wait; the queue timer's handle
  void* queue = nullptr;   // a queue timer's queue
  uintptr_t callback = 0;
  DWORD set_at = 0, due = 0, period = 0;  // a queue timer's
  void* context = nullptr;                // a wait's callback's, passed on by the one that fires first
  uint32_t generation = 0;                // which wait of the slot that callback is told of
  bool set = false;                       // a pool wait's
};

constexpr int kEntries = 512;
extern Entry entries[kEntries];

// Holds the table's lock; with `at_once`, only if it is free now (a crash
// handler never waits): see held().
class Locked {
 public:
  explicit Locked(bool at_once = false);
  ~Locked();
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
  bool held() const { return held_; }

 private:
  bool held_ = true;
};

// The slot the entry took (-1 when the table is full) and its generation;
// the entry is the request under way's.
int Remember(Entry entry, uint32_t* generation = nullptr);
// The entry of `object`, under the lock.
Entry* Find(void* object);
void Forget(void* object);
// Every queue timer of `queue`.
void ForgetQueue(void* queue);
// The entry `key` (slot and generation) names, under the lock, if it is still that one.
Entry* ByKey(uintptr_t key, Kind kind);
inline uintptr_t KeyOf(int slot, uint32_t generation) {
  return static_cast<uintptr_t>(slot) + static_cast<uintptr_t>(generation) * kEntries;
}

// A queue timer is due while it repeats, or until its due time has passed
// (counted as GetTickCount counts, through its wrap).
inline bool QueueTimerDue(const Entry& e, DWORD now) { return e.period != 0 || now - e.set_at < e.due; }

// A wait that runs once is forgotten once it has run: its callback is
// passed on through here, with its entry's key for a context.
VOID CALLBACK OnceWaitFired(PVOID key, BOOLEAN timed_out);

// What every hook of a kind notes, whichever function it watches.
void NotePoolTimer(void* timer, uintptr_t callback);
void NoteQueueTimer(void* timer, void* queue, uintptr_t callback, DWORD due, DWORD period);
void NoteQueueTimerChanged(void* timer, DWORD due, DWORD period);

// A wait registered through `register_wait(callback, context)`, the real
// function's call, which says whether it made the wait: a wait that
// repeats is due until it is unregistered, one that runs once (`once`)
// until it has run, its callback passed on through OnceWaitFired.
template <typename Register>
bool RegisterWatched(PHANDLE wait, WAITORTIMERCALLBACK callback, PVOID context, bool once, Register register_wait) {
  Entry e;
  e.kind = Kind::kWait;
  e.callback = reinterpret_cast<uintptr_t>(callback);
  e.context = context;
  uint32_t generation = 0;
  const int slot = Remember(e, &generation);
  const uintptr_t key = KeyOf(slot, generation);
  const bool made =
      once && slot >= 0 ? register_wait(OnceWaitFired, reinterpret_cast<PVOID>(key)) : register_wait(callback, context);
  if (slot < 0) return made;
  Locked held;
  Entry* mine = ByKey(key, Kind::kWait);
  if (mine == nullptr) return made;  // it has run already
  if (made)
    mine->object = *wait;
  else
    *mine = Entry();
  return made;
}

// Watches the pool at ntdll's entry points, every one or none; false when
// none (a prologue that cannot be moved): the imports are watched instead.
bool WatchPoolEntryPoints();

}  // namespace pool_table
}  // namespace host
