// A Lua state for unit tests, playing the host: a Debug.GetSyntaxErrorString
// that renders "Error: <message>", the actions registered, and an allocator
// that can be told to fail the N-th growing allocation.
#pragma once

#include <cstdlib>
#include <string>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

#include "plugin/module/plugin_exports.h"

class TestLuaState {
 public:
  TestLuaState() : L(lua_newstate(Allocate, this)) {
    luaL_openlibs(L);
    lua_newtable(L);
    lua_pushcfunction(L, Render);
    lua_setfield(L, -2, "GetSyntaxErrorString");
    lua_setglobal(L, "Debug");
    irPlg_Action_RegisterActions(L);
  }
  ~TestLuaState() {
    fail_after = -1;
    lua_close(L);
  }

  // Calls ModuleDetails[action] with the values pushed by `push_args`,
  // protected, with the allocator failing as `fail` says only during the
  // call; leaves one value (result or error) on the stack.
  template <typename PushArgs>
  int Call(const char* action, PushArgs push_args, long fail = -1) {
    lua_getglobal(L, "ModuleDetails");
    lua_getfield(L, -1, action);
    lua_remove(L, -2);
    const int before = lua_gettop(L);
    push_args(L);
    fail_after = fail;
    const int status = lua_pcall(L, lua_gettop(L) - before, 1, 0);
    fail_after = -1;
    return status;
  }

  static int Render(lua_State* L) {
    lua_pushfstring(L, "Error: %s", luaL_checkstring(L, 1));
    return 1;
  }

  // Declared before L: the allocator reads it while the state is made.
  long fail_after = -1;  // growing allocations left before one fails; -1: never
  bool refused = false;  // an allocation has failed
  lua_State* const L;

 private:
  static void* Allocate(void* self, void* block, size_t old_size, size_t new_size) {
    auto* state = static_cast<TestLuaState*>(self);
    if (new_size == 0) {
      std::free(block);
      return nullptr;
    }
    // Lua 5.1 relies on shrinking never failing.
    if (new_size > old_size && state->fail_after >= 0 && state->fail_after-- == 0) {
      state->refused = true;
      return nullptr;
    }
    return std::realloc(block, new_size);
  }
};

// The value an action left on the stack, as text: its error, nil, its text,
// or GetInfo's table field by field.
inline std::string AnswerText(lua_State* L, int status) {
  if (status != 0) return std::string("error: ") + (lua_isstring(L, -1) ? lua_tostring(L, -1) : "?");
  if (lua_isnil(L, -1)) return "nil";
  if (lua_isstring(L, -1)) return std::string("text: ") + lua_tostring(L, -1);
  std::string fields = "table:";
  for (const char* key : {"Name", "Version", "LuaVersion", "AuthorInfo", "ActionXML"}) {
    lua_getfield(L, -1, key);
    fields += std::string(" ") + key + "=" + (lua_isstring(L, -1) ? lua_tostring(L, -1) : "?");
    lua_pop(L, 1);
  }
  return fields;
}
