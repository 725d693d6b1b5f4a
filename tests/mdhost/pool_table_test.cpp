// The table of timers and waits plugins leave on the thread pool (Win32): a
// wait that runs once is kept until it has run, then forgotten; a queue's
// deletion forgets its timers alone; a repeating queue timer stays due.
#include <windows.h>

#include <gtest/gtest.h>

#include "mdhost/system/pool_table_win32.h"

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

}  // namespace
