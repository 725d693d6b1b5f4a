#include "mdhost/system/pool_table_win32.h"

#include "mdhost/system/crash_report.h"

namespace host {
namespace pool_table {
namespace {

SRWLOCK lock = SRWLOCK_INIT;
uint32_t generations = 0;  // under the lock; below 2^22, so slot and generation fit a pointer

}  // namespace

Entry entries[kEntries];

Locked::Locked(bool at_once) {
  if (at_once)
    held_ = TryAcquireSRWLockExclusive(&lock);
  else
    AcquireSRWLockExclusive(&lock);
}
Locked::~Locked() {
  if (held_) ReleaseSRWLockExclusive(&lock);
}

int Remember(Entry entry, uint32_t* generation) {
  entry.request = fault_report::current_request;
  Locked held;
  generations = (generations + 1) % (1u << 22);
  entry.generation = generations;
  if (generation != nullptr) *generation = generations;
  for (int i = 0; i < kEntries; ++i) {
    if (entries[i].kind != Kind::kNone) continue;
    entries[i] = entry;
    return i;
  }
  return -1;
}

Entry* Find(void* object) {
  for (Entry& e : entries)
    if (e.kind != Kind::kNone && e.object == object) return &e;
  return nullptr;
}

void Forget(void* object) {
  Locked held;
  if (Entry* e = Find(object)) *e = Entry();
}

void ForgetQueue(void* queue) {
  Locked held;
  for (Entry& e : entries)
    if (e.kind == Kind::kQueueTimer && e.queue == queue) e = Entry();
}

Entry* ByKey(uintptr_t key, Kind kind) {
  Entry& e = entries[key % kEntries];
  return e.kind == kind && e.generation == key / kEntries ? &e : nullptr;
}

void NotePoolTimer(void* timer, uintptr_t callback) {
  Entry e;
  e.kind = Kind::kPoolTimer;
  e.object = timer;
  e.callback = callback;
  Remember(e);
}

void NoteQueueTimer(void* timer, void* queue, uintptr_t callback, DWORD due, DWORD period) {
  Entry e;
  e.kind = Kind::kQueueTimer;
  e.object = timer;
  e.queue = queue;
  e.callback = callback;
  e.set_at = GetTickCount();
  e.due = due;
  e.period = period;
  Remember(e);
}

void NoteQueueTimerChanged(void* timer, DWORD due, DWORD period) {
  Locked held;
  if (Entry* e = Find(timer)) {
    e->set_at = GetTickCount();
    e->due = due;
    e->period = period;
  }
}

VOID CALLBACK OnceWaitFired(PVOID key, BOOLEAN timed_out) {
  WAITORTIMERCALLBACK callback = nullptr;
  void* context = nullptr;
  {
    Locked held;
    Entry* e = ByKey(reinterpret_cast<uintptr_t>(key), Kind::kWait);
    if (e == nullptr) return;  // unregistered meanwhile
    callback = reinterpret_cast<WAITORTIMERCALLBACK>(e->callback);
    context = e->context;
    *e = Entry();
  }
  callback(context, timed_out);
}

}  // namespace pool_table
}  // namespace host
