// mdhost's own threads on Win32 (MinGW's win32 thread model has no
// std::thread): the system's threads, critical section and condition.
#include <windows.h>  // first: the other system headers need it

#include <vector>

#include "mdhost/system/system.h"

namespace host {

struct Gate::State {
  CRITICAL_SECTION lock;
  CONDITION_VARIABLE condition;
};

Gate::Gate() : state_(new State) {
  InitializeCriticalSection(&state_->lock);
  InitializeConditionVariable(&state_->condition);
}
Gate::~Gate() { DeleteCriticalSection(&state_->lock); }
void Gate::Lock() { EnterCriticalSection(&state_->lock); }
void Gate::Unlock() { LeaveCriticalSection(&state_->lock); }
void Gate::Wait() { SleepConditionVariableCS(&state_->condition, &state_->lock, INFINITE); }
void Gate::WakeAll() { WakeAllConditionVariable(&state_->condition); }

namespace {

struct Job {
  const std::function<void(int)>* work;
  int index;
};

DWORD WINAPI RunJob(void* job) {
  const Job* j = static_cast<const Job*>(job);
  (*j->work)(j->index);
  return 0;
}

}  // namespace

int ProcessorCount() {
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  return system.dwNumberOfProcessors > 0 ? static_cast<int>(system.dwNumberOfProcessors) : 1;
}

void RunOnThreads(int count, const std::function<void(int)>& work) {
  std::vector<Job> jobs(static_cast<std::size_t>(count));
  std::vector<HANDLE> threads;
  for (int i = 0; i < count; ++i) {
    jobs[static_cast<std::size_t>(i)] = {&work, i};
    HANDLE thread = CreateThread(nullptr, 0, RunJob, &jobs[static_cast<std::size_t>(i)], 0, nullptr);
    if (thread != nullptr)
      threads.push_back(thread);
    else
      work(i);  // no thread to be had: the work is done all the same
  }
  if (!threads.empty()) WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, INFINITE);
  for (HANDLE thread : threads) CloseHandle(thread);
}

}  // namespace host
