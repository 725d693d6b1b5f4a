// A Lua state set up as the host application sets up its own.
#pragma once

#include <cstddef>
#include <string>

struct lua_State;

namespace host {

// A fresh state with the standard libraries, Debug.GetSyntaxErrorString,
// a print that writes the system's ANSI texts as mdhost prints every text,
// and Host.ProcessStats() (the process's memory in bytes and its open
// handles, for soak scripts); null when none can be made. Close it with
// lua_close.
lua_State* NewHostState();

// The allocator new host states use (Lua's own by default): tests give one
// that refuses, as a process short of memory does. Null restores the default.
using LuaAllocator = void* (*)(void* ud, void* block, std::size_t old_size, std::size_t new_size);
void SetHostStateAllocator(LuaAllocator allocator);

// What registering a plugin's actions came to.
struct Registration {
  enum Outcome { kNotExported, kRaised, kUnbalanced, kDone } outcome = kNotExported;
  std::string error;  // the Lua error a raise left (as the plugin's bytes)
  int moved = 0;      // how far it moved the stack
  int popped = 0;     // bytes of arguments it took off the C stack itself (__stdcall: 4)
  // "irPlg_Action_RegisterActions: raised a Lua error: ...", or "" when done.
  std::string Problem() const;
};

// Calls the plugin's irPlg_Action_RegisterActions on `L`, as the host does,
// protected: a Lua error it raises is the plugin's to hear about, not a
// panic of mdhost's. The one registration both run and check make.
Registration RegisterPlugin(lua_State* L, void* registration_export);

}  // namespace host
