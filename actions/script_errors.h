// Argument checks shared by every action, and script errors formatted by the
// host's own `Debug.GetSyntaxErrorString`.
//
// Every function here that raises leaves by longjmp: no frame it can leave
// may own memory or hold an object with a destructor. Callers run the checks
// before acquiring anything.
#pragma once

#include <string>

#include "lua_api.h"

namespace md {

// Raises "<n> arguments required." (formatted) unless at least n arguments were passed.
void CheckArgumentCount(lua_State* L, int n);

// Copies argument `index` (a string, or a number converted in place) into
// `out`, which must be module-wide storage that a later raise cannot strand.
// Raises "Argument <index> must be a string." (formatted) for any other value.
void GetStringArgument(lua_State* L, int index, std::string& out);

// Sets ErrorText from the host's formatter; the stack keeps its height.
void FormatScriptError(lua_State* L, const char* message);

// Raises ErrorText as a string error. Does not return.
void RaiseScriptError(lua_State* L);

}  // namespace md
