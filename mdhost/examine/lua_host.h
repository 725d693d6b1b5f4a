// A Lua state set up as the host application sets up its own.
#pragma once

struct lua_State;

namespace host {

// A fresh state with the standard libraries and Debug.GetSyntaxErrorString,
// or null when none can be made. Close it with lua_close.
lua_State* NewHostState();

// A lua_CFunction that runs the registration export whose address is its
// upvalue 1 and returns how far it moved the stack; called with lua_pcall,
// so that a raise is the plugin's to hear about.
int CallRegistration(lua_State* L);

}  // namespace host
