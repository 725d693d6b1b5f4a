// Each call's record: reclaimed only from its own stack, and owning the
// query's buffer and module, so that a raise out of a getter leaves nothing
// behind once the record is taken back.
#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fixtures/fixture_counter.h"
#include "plugin/module/action_records.h"
#include "plugin/module/module_state.h"
#include "support/lua_state.h"
#include "support/substitute_os.h"
#include "support/test_paths.h"

extern "C" int fixture_hold_state(lua_State* L);

namespace {

class ActionRecords : public ::testing::Test {
 protected:
  void SetUp() override {
    md::OnProcessDetach();  // so every block the module holds is counted
    os.CountAllocations();
    md::OnProcessAttach();
    held_at_start = os.blocks_held;
  }
  void TearDown() override {
    md::OnProcessDetach();
    EXPECT_EQ(0, os.blocks_held) << "the module kept memory after detach";
    md::OnProcessAttach();
  }
  static int Count() {
    int n = 0;
    for (md::ActionRecord* r = md::State().action_records; r != nullptr; r = r->next) ++n;
    return n;
  }
  SubstituteOs os;
  long held_at_start = 0;
};

TEST_F(ActionRecords, ACallOnAnotherStackNeverTakesBackARecordUnderWay) {
  os.AnswerStack(1);
  md::ActionRecord* outer = md::OpenActionRecord(1000, "outer");
  ASSERT_NE(nullptr, outer);
  // A getter's thread or fiber calls an action, higher up its own stack.
  os.AnswerStack(2);
  md::ActionRecord* nested = md::OpenActionRecord(5000, "nested");
  ASSERT_NE(nullptr, nested);
  EXPECT_EQ(2, Count()) << "a call on another stack took the outer call's record";
  EXPECT_STREQ("outer", md::TextOf(outer->path));
  md::CloseActionRecord(nested);
  // On the outer call's own stack, a call at its depth or above reclaims it.
  os.AnswerStack(1);
  md::ActionRecord* next = md::OpenActionRecord(999, "deeper");
  EXPECT_EQ(2, Count()) << "a deeper call took a record still under way";
  md::CloseActionRecord(next);
  next = md::OpenActionRecord(1000, "same depth");
  EXPECT_EQ(1, Count());
  md::CloseActionRecord(next);
  // A record stranded on a stack that never comes back goes at detach.
  os.AnswerStack(3);
  md::OpenActionRecord(10, "stranded");
  os.AnswerStack(1);
  md::CloseActionRecord(md::OpenActionRecord(100000, "elsewhere"));
  EXPECT_EQ(1, Count());
}

// The stack an action runs on, asked 256 KiB further down it: a stack that
// grows deeper (the system commits more of it) is still the same stack.
uintptr_t StackAtDepth(int frames) {
  volatile char pad[4096];
  pad[0] = static_cast<char>(frames);
  const uintptr_t stack = frames == 0 ? md::Os().current_stack() : StackAtDepth(frames - 1);
  return stack + static_cast<uintptr_t>(pad[0] - static_cast<char>(frames));  // no tail call
}

TEST_F(ActionRecords, AStackThatGrewDeeperIsStillTheSameStack) {
  const uintptr_t here = md::Os().current_stack();
  EXPECT_EQ(here, StackAtDepth(64));
  EXPECT_EQ(here, md::Os().current_stack()) << "the answer moved with the stack's committed part";
#ifdef _WIN32
  // Windows commits a stack as it grows and lowers the limit in the thread's
  // information block; Wine commits it whole at once, so the test lowers it.
  auto* block = reinterpret_cast<NT_TIB*>(NtCurrentTeb());
  void* const limit = block->StackLimit;
  block->StackLimit = static_cast<char*>(limit) - 0x10000;
  const uintptr_t grown = md::Os().current_stack();
  block->StackLimit = limit;
  EXPECT_EQ(here, grown) << "the answer moved with the stack's limit";
#endif
}

#ifdef _WIN32
uintptr_t on_fiber;
void* caller;
void CALLBACK AskOnFiber(void*) {
  on_fiber = md::Os().current_stack();
  SwitchToFiber(caller);
}

// A fiber runs on a stack of its own, in the same thread.
TEST_F(ActionRecords, AFiberIsAnotherStack) {
  caller = ConvertThreadToFiber(nullptr);
  ASSERT_NE(nullptr, caller);
  void* fiber = CreateFiber(64 * 1024, AskOnFiber, nullptr);
  ASSERT_NE(nullptr, fiber);
  SwitchToFiber(fiber);
  DeleteFiber(fiber);
  ConvertFiberToThread();
  EXPECT_NE(md::Os().current_stack(), on_fiber);
  EXPECT_NE(uintptr_t{0}, on_fiber);
}
#endif

TEST_F(ActionRecords, TakingBackARecordFreesItsBufferAndReleasesItsModule) {
  os.RecordReleases();
  int module;
  md::ActionRecord* record = md::OpenActionRecord(1000, "plugin.lmd");
  ASSERT_NE(nullptr, record);
  record->hold.buffer = static_cast<char*>(md::Os().allocate(10002));
  record->hold.module = &module;
  ASSERT_TRUE(md::RecordLoadedModule(&module));
  md::CloseActionRecord(md::OpenActionRecord(2000, "next"));
  EXPECT_EQ((std::vector<void*>{&module}), os.released);
  EXPECT_EQ(0u, md::State().loaded_modules.count) << "the registry kept a released module";
  EXPECT_EQ(held_at_start + 1, os.blocks_held) << "only the registry's own room is left";
}

// The real thing: a plugin's getter raising a Lua error on the host's state.
// The error reaches the caller as it was raised, and the module and every
// block of the call are given back before it does, not by a later call.
TEST_F(ActionRecords, AGetterThatRaisesLeavesNothingBehind) {
  TestLuaState lua;
  lua_pushcfunction(lua.L, fixture_hold_state);
  lua_pushstring(lua.L, "");
  lua_call(lua.L, 1, 0);
  FixtureResetCounts();
  const std::string raiser = testing_paths::FixturePath("fixture_raiser");
  auto path = [&](lua_State* L) { lua_pushstring(L, raiser.c_str()); };
  long held = 0;
  for (int i = 0; i < 20; ++i) {
    const int status = lua.Call(i % 2 ? "GetName" : "GetInfo", path);
    ASSERT_EQ(LUA_ERRRUN, status);
    ASSERT_STREQ("getter raised", lua_tostring(lua.L, -1));
    lua_pop(lua.L, 1);
    ASSERT_EQ(0u, md::State().loaded_modules.count) << "call " << i;
    ASSERT_EQ(0, Count()) << "call " << i;
    if (i == 0) held = os.blocks_held;  // the registry's room, made at the first load, stays
    ASSERT_EQ(held, os.blocks_held) << "memory kept at call " << i;
    ASSERT_EQ(FixtureLoads(), FixtureReleases()) << "a raising getter's module stayed loaded, call " << i;
  }
  EXPECT_EQ(20, FixtureLoads());
  lua_pushcfunction(lua.L, fixture_hold_state);
  lua_call(lua.L, 0, 0);
}

// A getter that calls GetInfo on itself, deeper and deeper, until Lua's C
// stack overflow raises through every level: each level's module is given
// back on the way out.
TEST_F(ActionRecords, ARaiseThroughNestedCallsReleasesEveryLevel) {
  TestLuaState lua;
  const std::string recurser = testing_paths::FixturePath("fixture_recurser");
  lua_pushcfunction(lua.L, fixture_hold_state);
  lua_pushstring(lua.L, recurser.c_str());
  lua_call(lua.L, 1, 0);
  long held = 0;
  for (int round = 0; round < 2; ++round) {
    FixtureResetCounts();
    ASSERT_EQ(LUA_ERRRUN, lua.Call("GetInfo", [&](lua_State* L) { lua_pushstring(L, recurser.c_str()); }));
    EXPECT_NE(nullptr, std::strstr(lua_tostring(lua.L, -1), "C stack overflow")) << lua_tostring(lua.L, -1);
    lua_pop(lua.L, 1);
    // The loader counts one load of a module loaded again and again.
    EXPECT_EQ(1, FixtureReleases()) << "levels left loaded";
    EXPECT_EQ(0u, md::State().loaded_modules.count);
    EXPECT_EQ(0, Count());
    if (round == 0) held = os.blocks_held;  // the registry's room for every level stays
    EXPECT_EQ(held, os.blocks_held);
  }
  lua_pushcfunction(lua.L, fixture_hold_state);
  lua_call(lua.L, 0, 0);
}

// A loader that fails for want of memory is a shortage like our own: Lua's
// memory error, never "no text"; any other refusal is a file without text.
TEST_F(ActionRecords, TheLoadersShortageOfMemoryRaisesLikeOurOwn) {
  TestLuaState lua;
  auto path = [](lua_State* L) { lua_pushstring(L, "plugin.lmd"); };
  os.AnswerSearch(true, {0x20, 100});
  os.AnswerLoads(nullptr, true);
  ASSERT_EQ(LUA_ERRRUN, lua.Call("GetName", path));
  EXPECT_STREQ("not enough memory", lua_tostring(lua.L, -1));
  EXPECT_EQ("load:spelled:plugin.lmd", os.asked.back()) << "the load must take the probe's spelling";
  lua_pop(lua.L, 1);
  ASSERT_EQ(LUA_ERRRUN, lua.Call("GetInfo", path));
  EXPECT_STREQ("not enough memory", lua_tostring(lua.L, -1));
  lua_pop(lua.L, 1);
  os.AnswerLoads(nullptr, false);
  ASSERT_EQ(0, lua.Call("GetName", path));
  EXPECT_STREQ("", lua_tostring(lua.L, -1));
  lua_pop(lua.L, 1);
  os.AnswerSearch(false, {}, md::Search::kNoMemory);
  ASSERT_EQ(LUA_ERRRUN, lua.Call("GetVersion", path));
  EXPECT_STREQ("not enough memory", lua_tostring(lua.L, -1));
  lua_pop(lua.L, 1);
}

}  // namespace
