// Lua source made from a plugin's texts, for the editors' stubs: every text
// is written so that Lua's parser reads it as the text it is, never as code.
#pragma once

#include <string>

#include "mdhost/contract/lua_names.h"

namespace host {

// `Name` where it can be written bare, `["not a name"]` otherwise: a key in
// a table constructor.
std::string LuaKey(const std::string& utf8);
// Each line of `utf8` as a line comment opening with `prefix` ("--- "),
// control characters shown as \xNN, so that none ends the comment early.
std::string LuaComment(const std::string& utf8, const std::string& prefix);

}  // namespace host
