// Every action on a Lua state whose allocator fails the N-th allocation, for
// every N until the action completes: it must never crash, must leave one
// value (a string error or its normal result) and must leak nothing of its own.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "module/module_state.h"
#include "support/lua_state.h"
#include "support/test_paths.h"

namespace {

struct Case {
  const char* action;
  std::function<void(lua_State*)> push_args;
  int expected_status;  // once memory suffices
};

void RunUntilComplete(const Case& c) {
  for (long n = 0; n < 100000; ++n) {
    TestLuaState lua;
    lua_State* L = lua.L;
    const int status = lua.Call(c.action, c.push_args, n);
    ASSERT_EQ(1, lua_gettop(L)) << c.action << " failing allocation " << n;
    if (status != 0) ASSERT_EQ(LUA_TSTRING, lua_type(L, -1)) << c.action << " at " << n;
    if (status == LUA_ERRMEM) continue;
    EXPECT_EQ(c.expected_status, status) << c.action << " at " << n << ": " << lua_tostring(L, -1);
    return;
  }
  FAIL() << c.action << " never completed";
}

TEST(OutOfMemory, EveryActionSurvivesEveryFailingAllocation) {
  md::OnProcessAttach();
  static const std::string plugin = testing_paths::PluginPath();
  static const std::string fixture = testing_paths::FixturePath("fixture_plugin");
  auto path = [](const std::string& p) { return [p](lua_State* L) { lua_pushstring(L, p.c_str()); }; };
  const Case cases[] = {
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
  for (const Case& c : cases) RunUntilComplete(c);
  md::ReleaseActionCopies();
  EXPECT_TRUE(md::State().LoadedModules.empty());
}

}  // namespace
