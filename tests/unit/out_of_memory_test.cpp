// Every action with allocations failing, for every N until the action
// completes: first the N-th allocation of the Lua state, then the N-th of the
// module's own, each attempt in a freshly attached module (so the registry
// of loaded modules grows, and may fail to, in every one). It must never crash, must leak nothing of its own, and must
// leave one value: its right answer, or Lua's memory error, never a text or a
// table that a shortage has emptied.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "plugin/module/module_state.h"
#include "support/lua_state.h"
#include "support/substitute_os.h"
#include "support/test_paths.h"

namespace {

struct Case {
  const char* action;
  std::function<void(lua_State*)> push_args;
  int expected_status;  // once memory suffices
};

std::vector<Case> Cases() {
  static const std::string plugin = testing_paths::PluginPath();
  static const std::string fixture = testing_paths::FixturePath("fixture_plugin");
  auto path = [](const std::string& p) { return [p](lua_State* L) { lua_pushstring(L, p.c_str()); }; };
  return {
      {"GetName", path(plugin), 0},
      {"GetXML", path(plugin), 0},
      {"GetLuaVersion", path(fixture), 0},
      {"GetAuthorInfo", path(fixture), 0},
      {"GetVersion", path("no such plugin"), 0},
      {"GetInfo", path(plugin), 0},
      {"GetInfo", path(fixture), 0},
      {"GetName", [](lua_State* L) { lua_pushinteger(L, 12); }, 0},
      {"GetName", [](lua_State*) {}, LUA_ERRRUN},
      {"GetInfo", [](lua_State* L) { lua_pushboolean(L, 1); }, LUA_ERRRUN},
  };
}

std::string RightAnswer(const Case& c) {
  TestLuaState lua;
  const int status = lua.Call(c.action, c.push_args);
  return AnswerText(lua.L, status);
}

// Runs the case with its n-th allocation failing; true once none failed.
bool CompletesWith(const Case& c, const std::string& right, long n, bool lua_fails, SubstituteOs& os) {
  // Each attempt from a fresh module: an empty registry of loaded modules,
  // so that its growth is among the allocations refused.
  md::OnProcessDetach();
  md::OnProcessAttach();
  TestLuaState lua;
  lua_State* L = lua.L;
  const long refusals = os.refusals;
  if (!lua_fails) os.CountAllocations(n);
  const int status = lua.Call(c.action, c.push_args, lua_fails ? n : -1);
  const bool exhausted = lua.refused || os.refusals > refusals;
  os.CountAllocations();
  EXPECT_EQ(1, lua_gettop(L)) << c.action << " failing allocation " << n;
  if (status != 0) EXPECT_EQ(LUA_TSTRING, lua_type(L, -1)) << c.action << " at " << n;
  const std::string answer = AnswerText(L, status);
  if (answer != right) EXPECT_EQ("error: not enough memory", answer) << c.action << " failing allocation " << n;
  if (exhausted) return false;
  EXPECT_EQ(c.expected_status, status) << c.action << " at " << n << ": " << lua_tostring(L, -1);
  return true;
}

void EveryCaseSurvives(bool lua_fails) {
  md::OnProcessDetach();  // so every block the module holds is counted
  SubstituteOs os;
  os.CountAllocations();
  md::OnProcessAttach();
  const long held_at_start = os.blocks_held;
  for (const Case& c : Cases()) {
    const std::string right = RightAnswer(c);
    long n = 0;
    while (n < 100000 && !CompletesWith(c, right, n, lua_fails, os)) ++n;
    EXPECT_LT(n, 100000) << c.action << " never completed";
  }
  EXPECT_EQ(0u, md::State().loaded_modules.count);
  // Raises strand a record at most until the next action or detach.
  EXPECT_GE(held_at_start + 2, os.blocks_held) << "stranded records pile up";
  md::OnProcessDetach();
  EXPECT_EQ(0, os.blocks_held) << "the module kept memory after detach";
  md::OnProcessAttach();
}

TEST(OutOfMemory, EveryActionSurvivesEveryFailingLuaAllocation) { EveryCaseSurvives(true); }

TEST(OutOfMemory, EveryActionSurvivesEveryFailingModuleAllocation) { EveryCaseSurvives(false); }

}  // namespace
