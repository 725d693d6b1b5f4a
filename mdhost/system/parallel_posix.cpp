// mdhost's own threads on POSIX: the standard library's.
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "mdhost/system/system.h"

namespace host {

struct Gate::State {
  std::mutex mutex;
  std::condition_variable condition;
};

Gate::Gate() : state_(new State) {}
Gate::~Gate() = default;
void Gate::Lock() { state_->mutex.lock(); }
void Gate::Unlock() { state_->mutex.unlock(); }
void Gate::Wait() {
  std::unique_lock<std::mutex> held(state_->mutex, std::adopt_lock);
  state_->condition.wait(held);
  held.release();
}
void Gate::WakeAll() { state_->condition.notify_all(); }

int ProcessorCount() {
  const unsigned count = std::thread::hardware_concurrency();
  return count > 0 ? static_cast<int>(count) : 1;
}

void RunOnThreads(int count, const std::function<void(int)>& work) {
  std::vector<std::thread> threads;
  for (int i = 0; i < count; ++i) threads.emplace_back(work, i);
  for (std::thread& thread : threads) thread.join();
}

}  // namespace host
