// A Default as what it is: Lua source a script could hold, read by Lua's own
// parser (nothing runs), and what a single literal's type is.
#pragma once

#include <string>

namespace host {

// Whether "return (<text>)" is a Lua chunk: `text` one Lua expression
// (strings in any quoting, long brackets, numbers, nil, booleans,
// concatenations, calls, a global such as _SourceFolder).
bool IsLuaExpression(const std::string& text);

// The type of `text` where it is one literal and nothing more: "string",
// "number", "boolean" or "nil"; "" for any other expression.
std::string LiteralType(const std::string& text);

}  // namespace host
