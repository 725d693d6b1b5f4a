#include "plugin/actions/script_errors.h"

#include <cstring>

namespace md {
namespace {

const char kTooLong[] = "Formatted error string is too long for buffer.";

// Copies `text` into `*out`, or the fixed notice when it does not fit.
void SetMessage(const char* text, ErrorMessage* out) {
  const std::size_t length = strnlen(text, kErrorTextLimit + 1);
  if (length > kErrorTextLimit) {
    std::memcpy(out->text, kTooLong, sizeof kTooLong);
    return;
  }
  std::memcpy(out->text, text, length);
  out->text[length] = '\0';
}

// Writes `prefix`, `n` in decimal and `suffix` into `out` (64 bytes suffice
// for the checks' texts). The module's own formatting keeps the C library's
// printf family out of the plugin.
void Compose(char (&out)[64], const char* prefix, int n, const char* suffix) {
  char digits[12];
  std::size_t count = 0;
  unsigned value = n < 0 ? 0u - static_cast<unsigned>(n) : static_cast<unsigned>(n);
  do digits[count++] = static_cast<char>('0' + value % 10);
  while ((value /= 10) != 0);
  std::size_t at = 0;
  auto put = [&](char c) {
    if (at + 1 < sizeof out) out[at++] = c;
  };
  for (const char* p = prefix; *p; ++p) put(*p);
  if (n < 0) put('-');
  while (count > 0) put(digits[--count]);
  for (const char* p = suffix; *p; ++p) put(*p);
  out[at] = '\0';
}

[[noreturn]] void Raise(lua_State* L) {
  lua_error(L);
  __builtin_unreachable();  // lua_error jumps back into Lua
}

// The message and its formatted text are plain arrays in these frames: they
// need nothing released when the raise jumps over them.
[[noreturn]] void FormatAndRaise(lua_State* L, const char* message) {
  ErrorMessage formatted;
  FormatScriptError(L, message, &formatted);
  RaiseScriptError(L, formatted);
}

}  // namespace

void CheckArgumentCount(lua_State* L, int n) {
  if (lua_gettop(L) >= n) return;
  char message[64];
  Compose(message, "", n, " arguments required.");
  FormatAndRaise(L, message);
}

const char* GetStringArgument(lua_State* L, int index) {
  const char* text = lua_tolstring(L, index, nullptr);
  if (text != nullptr) return text;
  char message[64];
  Compose(message, "Argument ", index, " must be a string.");
  FormatAndRaise(L, message);
}

void FormatScriptError(lua_State* L, const char* message, ErrorMessage* out) {
  lua_getfield(L, LUA_GLOBALSINDEX, "Debug");
  lua_pushstring(L, "GetSyntaxErrorString");
  lua_gettable(L, -2);
  lua_remove(L, -2);
  if (lua_type(L, -1) == LUA_TFUNCTION) {
    lua_pushstring(L, message);
    lua_call(L, 1, 1);
    const char* formatted = lua_tolstring(L, -1, nullptr);
    SetMessage(formatted ? formatted : "", out);
  } else {
    // No formatter: the message itself reads better than the previous error.
    SetMessage(message, out);
  }
  lua_remove(L, -1);
  std::memcpy(State().error_text, out->text, sizeof out->text);
}

void RaiseScriptError(lua_State* L, const ErrorMessage& message) {
  lua_pushstring(L, message.text);
  Raise(L);
}

void RaiseOutOfMemory(lua_State* L) {
  lua_pushstring(L, "not enough memory");
  Raise(L);
}

}  // namespace md
