#include "script_errors.h"

#include <cstdio>
#include <cstring>

#include "module/module_state.h"

namespace md {
namespace {

const char kTooLong[] = "Formatted error string is too long for buffer.";

// Copies `text` into ErrorText, or the fixed notice when it does not fit.
void SetErrorText(const char* text) {
  char* target = State().ErrorText;
  const std::size_t length = strnlen(text, ErrorTextLimit + 1);
  if (length > ErrorTextLimit) {
    std::memcpy(target, kTooLong, sizeof kTooLong);
    return;
  }
  std::memcpy(target, text, length);
  target[length] = '\0';
}

// Message storage is a plain array: it survives nothing, and needs nothing
// released, when the raise jumps over this frame.
void FormatAndRaise(lua_State* L, const char* message) {
  FormatScriptError(L, message);
  RaiseScriptError(L);
}

// The copy itself cannot raise; it reports a failure instead of throwing.
bool CopyText(const char* text, std::string& out) noexcept {
  try {
    out.assign(text);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace

void CheckArgumentCount(lua_State* L, int n) {
  if (lua_gettop(L) >= n) return;
  char message[64];
  std::snprintf(message, sizeof message, "%d arguments required.", n);
  FormatAndRaise(L, message);
}

void GetStringArgument(lua_State* L, int index, std::string& out) {
  const char* text = lua_tolstring(L, index, nullptr);
  if (text == nullptr) {
    char message[64];
    std::snprintf(message, sizeof message, "Argument %d must be a string.", index);
    FormatAndRaise(L, message);
    return;
  }
  if (!CopyText(text, out)) {
    lua_pushstring(L, "not enough memory");
    lua_error(L);
  }
}

void FormatScriptError(lua_State* L, const char* message) {
  lua_getfield(L, LUA_GLOBALSINDEX, "Debug");
  lua_pushstring(L, "GetSyntaxErrorString");
  lua_gettable(L, -2);
  lua_remove(L, -2);
  if (lua_type(L, -1) == LUA_TFUNCTION) {
    lua_pushstring(L, message);
    lua_call(L, 1, 1);
    const char* formatted = lua_tolstring(L, -1, nullptr);
    SetErrorText(formatted ? formatted : "");
  } else {
    // No formatter: the message itself reads better than the previous error.
    SetErrorText(message);
  }
  lua_remove(L, -1);
}

void RaiseScriptError(lua_State* L) {
  lua_pushstring(L, State().ErrorText);
  lua_error(L);
}

}  // namespace md
