#include "mdhost/examine/lua_host.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "mdhost/contract/plugin_texts.h"
#include "mdhost/system/system.h"

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

namespace host {
namespace {

// The host's own rendering of an error message.
int GetSyntaxErrorString(lua_State* L) {
  const char* message = luaL_checkstring(L, 1);
  lua_pushfstring(L, "Error: %s", message);
  return 1;
}

void InstallDebugFormatter(lua_State* L) {
  lua_getglobal(L, "Debug");
  if (!lua_istable(L, -1)) {
    lua_pop(L, 1);
    lua_newtable(L);
    lua_pushvalue(L, -1);
    lua_setglobal(L, "Debug");
  }
  lua_pushcfunction(L, GetSyntaxErrorString);
  lua_setfield(L, -2, "GetSyntaxErrorString");
  lua_pop(L, 1);
}

// Host.ProcessStats() -> memory in bytes (private where the system reports
// it, else the working set), open handles.
int ProcessStatsForLua(lua_State* L) {
  const MemoryFigures figures = CurrentMemory();
  const uint64_t memory = figures.private_bytes ? figures.private_bytes : figures.working_set;
  lua_pushnumber(L, static_cast<lua_Number>(memory));
  lua_pushnumber(L, static_cast<lua_Number>(figures.handles));
  return 2;
}

// print as Lua's own, but texts are the system's ANSI texts: they go out as
// UTF-8 (the console's encoding on a console), as mdhost prints every text.
int PrintForLua(lua_State* L) {
  const int n = lua_gettop(L);
  lua_getglobal(L, "tostring");
  for (int i = 1; i <= n; ++i) {  // may raise: nothing of C++ is alive yet
    lua_pushvalue(L, n + 1);
    lua_pushvalue(L, i);
    lua_call(L, 1, 1);
    if (!lua_isstring(L, -1)) return luaL_error(L, LUA_QL("tostring") " must return a string to " LUA_QL("print"));
  }
  std::string line;
  for (int i = 1; i <= n; ++i) {
    std::size_t length = 0;
    const char* text = lua_tolstring(L, n + 1 + i, &length);
    if (i > 1) line += '\t';
    line.append(text, length);
  }
  line += '\n';
  WriteUtf8(OwnOutput(), AnsiToUtf8(line));
  std::fflush(OwnOutput());
  return 0;
}

// Runs the registration export whose address is upvalue 1 and returns how
// far it moved the stack.
// (and, second, the bytes of arguments it took off the C stack itself).
int CallRegistration(lua_State* L) {
  void* registration = lua_touserdata(L, lua_upvalueindex(1));
  const int top = lua_gettop(L);
  int popped = 0;
  CallCdecl(registration, L, nullptr, &popped);
  const int moved = lua_gettop(L) - top;
  lua_pushinteger(L, moved);
  lua_pushinteger(L, popped);
  return 2;
}

}  // namespace

std::string Registration::Problem() const {
  const std::string name = std::string(kRegisterActionsExport) + ": ";
  switch (outcome) {
    case kNotExported: return name + "not exported (not an action plugin)";
    case kRaised: return name + "raised a Lua error: " + error;
    case kUnbalanced: return name + "changed the Lua stack height by " + std::to_string(moved);
    default: return "";
  }
}

Registration RegisterPlugin(lua_State* L, void* registration_export) {
  Registration done;
  if (registration_export == nullptr) return done;
  lua_pushlightuserdata(L, registration_export);
  lua_pushcclosure(L, CallRegistration, 1);
  if (lua_pcall(L, 0, 2, 0) != 0) {
    done.outcome = Registration::kRaised;
    done.error = lua_isstring(L, -1) ? lua_tostring(L, -1) : luaL_typename(L, -1);
    lua_pop(L, 1);
  } else {
    done.moved = static_cast<int>(lua_tointeger(L, -2));
    done.popped = static_cast<int>(lua_tointeger(L, -1));
    done.outcome = done.moved == 0 ? Registration::kDone : Registration::kUnbalanced;
    lua_pop(L, 2);
  }
  return done;
}

namespace {

// As luaL_newstate's: realloc, and free for a size of 0.
void* DefaultAllocator(void*, void* block, std::size_t, std::size_t new_size) {
  if (new_size == 0) {
    std::free(block);
    return nullptr;
  }
  return std::realloc(block, new_size);
}

LuaAllocator host_state_allocator = DefaultAllocator;

// As luaL_newstate's: an error outside any protected call is said, then Lua
// ends the process.
int Panic(lua_State* L) {
  std::fprintf(stderr, "PANIC: unprotected error in call to Lua API (%s)\n", lua_tostring(L, -1));
  return 0;
}

}  // namespace

void SetHostStateAllocator(LuaAllocator allocator) {
  host_state_allocator = allocator != nullptr ? allocator : DefaultAllocator;
}

lua_State* NewHostState() {
  lua_State* L = lua_newstate(host_state_allocator, nullptr);
  if (L == nullptr) return nullptr;
  lua_atpanic(L, Panic);
  luaL_openlibs(L);
  lua_register(L, "print", PrintForLua);
  InstallDebugFormatter(L);
  lua_newtable(L);
  lua_pushcfunction(L, ProcessStatsForLua);
  lua_setfield(L, -2, "ProcessStats");
  lua_setglobal(L, "Host");
  return L;
}

}  // namespace host
