// Argument checks and script errors on a real Lua state.
#include <gtest/gtest.h>

#include <string>

#include "plugin/actions/script_errors.h"
#include "plugin/module/module_state.h"
#include "support/lua_state.h"

namespace {

class ScriptErrors : public ::testing::Test {
 protected:
  void SetUp() override { md::OnProcessAttach(); }
  TestLuaState lua;
  lua_State* L = lua.L;
  md::ErrorMessage message;
};

TEST_F(ScriptErrors, FormatterResultBecomesErrorTextAndTheStackKeepsItsHeight) {
  lua_pushstring(L, "below");
  const int top = lua_gettop(L);
  md::FormatScriptError(L, "1 arguments required.", &message);
  EXPECT_EQ(top, lua_gettop(L));
  EXPECT_STREQ("Error: 1 arguments required.", md::State().error_text);
  EXPECT_STREQ("below", lua_tostring(L, -1));
}

TEST_F(ScriptErrors, MissingFormatterUsesTheMessageAndKeepsTheStack) {
  luaL_dostring(L, "Debug.GetSyntaxErrorString = nil");
  const int top = lua_gettop(L);
  md::FormatScriptError(L, "Argument 1 must be a string.", &message);
  EXPECT_EQ(top, lua_gettop(L));
  EXPECT_STREQ("Argument 1 must be a string.", md::State().error_text);
  luaL_dostring(L, "Debug.GetSyntaxErrorString = 5");
  md::FormatScriptError(L, "1 arguments required.", &message);
  EXPECT_EQ(top, lua_gettop(L));
  EXPECT_STREQ("1 arguments required.", md::State().error_text);
}

TEST_F(ScriptErrors, RenderingsAtTheLimit) {
  luaL_dostring(L, "Debug.GetSyntaxErrorString = function() return string.rep('y', 1023) end");
  md::FormatScriptError(L, "m", &message);
  EXPECT_EQ(std::string(1023, 'y'), md::State().error_text);
  luaL_dostring(L, "Debug.GetSyntaxErrorString = function() return string.rep('y', 5000) end");
  md::FormatScriptError(L, "m", &message);
  EXPECT_STREQ("Formatted error string is too long for buffer.", md::State().error_text);
  // The length counts up to the first NUL.
  luaL_dostring(L, "Debug.GetSyntaxErrorString = function() return 'short\\0' .. string.rep('y', 5000) end");
  md::FormatScriptError(L, "m", &message);
  EXPECT_STREQ("short", md::State().error_text);
}

TEST_F(ScriptErrors, ChecksPassQuietlyAndExtraArgumentsAreIgnored) {
  ASSERT_EQ(0, lua.Call("GetName", [](lua_State* L) {
    lua_pushstring(L, "no such plugin");
    lua_pushboolean(L, 1);
  }));
  EXPECT_TRUE(lua_isnil(L, -1));
  lua_pop(L, 1);
  EXPECT_EQ(0, lua_gettop(L));
}

TEST_F(ScriptErrors, RaisedErrorsAreTheFormattedStrings) {
  ASSERT_EQ(LUA_ERRRUN, lua.Call("GetInfo", [](lua_State*) {}));
  EXPECT_STREQ("Error: 1 arguments required.", lua_tostring(L, -1));
  lua_pop(L, 1);
  ASSERT_EQ(LUA_ERRRUN, lua.Call("GetXML", [](lua_State* L) { lua_newtable(L); }));
  EXPECT_STREQ("Error: Argument 1 must be a string.", lua_tostring(L, -1));
  lua_pop(L, 1);
  EXPECT_EQ(0, lua_gettop(L));
}

TEST_F(ScriptErrors, RegistrationLeavesTheStackAndReplacesTheTable) {
  lua_pushinteger(L, 7);
  luaL_dostring(L, "ModuleDetails = 'old'");
  EXPECT_EQ(1, irPlg_Action_RegisterActions(L));
  EXPECT_EQ(1, lua_gettop(L));
  lua_getglobal(L, "ModuleDetails");
  EXPECT_TRUE(lua_istable(L, -1));
  lua_pop(L, 2);
}

}  // namespace
