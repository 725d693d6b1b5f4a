// Argument checks shared by every action, and script errors formatted by the
// host's own `Debug.GetSyntaxErrorString`.
//
// Every function here that raises leaves by longjmp: no frame it can leave
// may own memory or hold an object with a destructor. Callers run the checks
// before acquiring anything.
#pragma once

#include "plugin/actions/lua_api.h"
#include "plugin/module/module_state.h"

namespace md {

// A formatted error, held by the frame that raises it: Lua code that runs
// while the error is pushed (a finalizer) may format errors of its own.
struct ErrorMessage {
  char text[kErrorTextLimit + 1];
};

// Raises "<n> arguments required." (formatted) unless at least n arguments were passed.
void CheckArgumentCount(lua_State* L, int n);

// Argument `index` as a text (a number is converted in place), valid while the
// argument stays on the stack. Raises "Argument <index> must be a string."
// (formatted) for any other value.
const char* GetStringArgument(lua_State* L, int index);

// Formats `message` with the host's formatter into `*out` and records it as
// the module's latest error text; the stack keeps its height.
void FormatScriptError(lua_State* L, const char* message, ErrorMessage* out);

// Raises the formatted text as a string error.
[[noreturn]] void RaiseScriptError(lua_State* L, const ErrorMessage& message);

// Raises Lua's own out-of-memory text, for the module's allocation failures.
[[noreturn]] void RaiseOutOfMemory(lua_State* L);

}  // namespace md
