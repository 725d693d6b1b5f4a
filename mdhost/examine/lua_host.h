// A Lua state set up as the host application sets up its own.
#pragma once

struct lua_State;

namespace host {

// A fresh state with the standard libraries and Debug.GetSyntaxErrorString,
// or null when none can be made. Close it with lua_close.
lua_State* NewHostState();

}  // namespace host
