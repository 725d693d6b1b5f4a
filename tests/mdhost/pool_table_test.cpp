// The table of timers and waits plugins leave on the thread pool (Win32): a
// wait that runs once is kept until it has run, then forgotten; a queue's
// deletion forgets its timers alone; a repeating queue timer stays due. What
// a crash handler asks of it and of the pool's threads.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "mdhost/system/pool_table_win32.h"
#include "mdhost/system/system.h"

namespace {

namespace table = host::pool_table;

int fired = 0;
void* fired_with = nullptr;
VOID CALLBACK Callback(PVOID context, BOOLEAN) {
  ++fired;
  fired_with = context;
}

TEST(PoolTable, AOnceWaitIsKeptUntilItRunsThenForgotten) {
  int object = 0, context = 0;
  table::Entry wait;
  wait.kind = table::Kind::kWait;
  wait.object = &object;
  wait.callback = reinterpret_cast<uintptr_t>(&Callback);
  wait.context = &context;
  uint32_t generation = 0;
  const int slot = table::Remember(wait, &generation);
  ASSERT_GE(slot, 0);
  {
    table::Locked held;
    EXPECT_NE(nullptr, table::Find(&object)) << "forgotten before it ran";
  }
  fired = 0;
  table::OnceWaitFired(reinterpret_cast<PVOID>(table::KeyOf(slot, generation)), FALSE);
  EXPECT_EQ(1, fired);
  EXPECT_EQ(&context, fired_with);
  table::Locked held;
  EXPECT_EQ(nullptr, table::Find(&object));
}

TEST(PoolTable, DeletingAQueueForgetsItsTimersAlone) {
  int queue_a = 0, queue_b = 0, timers[3] = {};
  void* queues[3] = {&queue_a, &queue_a, &queue_b};
  for (int i = 0; i < 3; ++i) {
    table::Entry timer;
    timer.kind = table::Kind::kQueueTimer;
    timer.object = &timers[i];
    timer.queue = queues[i];
    ASSERT_GE(table::Remember(timer), 0);
  }
  table::ForgetQueue(&queue_a);
  {
    table::Locked held;
    EXPECT_EQ(nullptr, table::Find(&timers[0]));
    EXPECT_EQ(nullptr, table::Find(&timers[1]));
    EXPECT_NE(nullptr, table::Find(&timers[2]));
  }
  table::Forget(&timers[2]);
}

TEST(PoolTable, ARepeatingQueueTimerStaysDuePastItsFirstDueTime) {
  table::Entry timer;
  timer.kind = table::Kind::kQueueTimer;
  timer.set_at = 1000;
  timer.due = 50;
  EXPECT_TRUE(table::QueueTimerDue(timer, 1010));
  EXPECT_FALSE(table::QueueTimerDue(timer, 1100));  // a one-shot that has fired
  timer.period = 20;
  EXPECT_TRUE(table::QueueTimerDue(timer, 1100));
  timer.period = 0;
  timer.set_at = 0xFFFFFFF0u;  // set just before GetTickCount wraps
  EXPECT_TRUE(table::QueueTimerDue(timer, 5));
}

// A crash handler asks whether the pool holds a callback into an image, and
// never waits for the table: busy, the answer is no.
TEST(PoolTable, ACrashHandlerFindsACallbackIntoAnImageWithoutWaiting) {
  int object = 0;
  table::Entry wait;
  wait.kind = table::Kind::kWait;  // due until unregistered
  wait.object = &object;
  wait.callback = 0x50001000;
  ASSERT_GE(table::Remember(wait), 0);
  EXPECT_TRUE(host::PoolHoldsCallbackInto(0x50000000, 0x50002000));
  EXPECT_FALSE(host::PoolHoldsCallbackInto(0x50001001, 0x50002000));
  {
    table::Locked held;  // as another thread holding it at the crash
    EXPECT_FALSE(host::PoolHoldsCallbackInto(0x50000000, 0x50002000));
  }
  table::Forget(&object);
  EXPECT_FALSE(host::PoolHoldsCallbackInto(0x50000000, 0x50002000));
}

struct Question {
  HANDLE answered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  bool in_pool = false;
};

VOID CALLBACK AskInPool(PTP_CALLBACK_INSTANCE, PVOID question) {
  static_cast<Question*>(question)->in_pool = host::InSystemPoolThread();
  SetEvent(static_cast<Question*>(question)->answered);
}

DWORD WINAPI AskInThread(PVOID question) {
  static_cast<Question*>(question)->in_pool = host::InSystemPoolThread();
  return 0;
}

// A thread the pool began is the pool's; one a program began is not.
TEST(PoolThreads, APoolCallbackRunsInThePoolsThreadAndNoOtherDoes) {
  Question pool;
  ASSERT_TRUE(TrySubmitThreadpoolCallback(AskInPool, &pool, nullptr));
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pool.answered, 10000));
  EXPECT_TRUE(pool.in_pool);
  CloseHandle(pool.answered);
  EXPECT_FALSE(host::InSystemPoolThread());
  Question own;
  own.in_pool = true;
  HANDLE thread = CreateThread(nullptr, 0, AskInThread, &own, 0, nullptr);
  ASSERT_NE(nullptr, thread);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  CloseHandle(own.answered);
  EXPECT_FALSE(own.in_pool);
}

}  // namespace
