// Lua's rule for a name, as the host's scripts write a table or function:
// letters, digits and underscores, not beginning with a digit.
#pragma once

#include <string>

namespace host {

inline bool IsLuaName(const std::string& text) {
  if (text.empty() || (text[0] >= '0' && text[0] <= '9')) return false;
  for (char c : text)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
  return true;
}

// Lua 5.1's reserved words, which no name may be.
inline bool IsLuaKeyword(const std::string& text) {
  static const char* const kWords[] = {"and", "break",    "do",     "else", "elseif", "end",   "false",
                                       "for", "function", "if",     "in",   "local",  "nil",   "not",
                                       "or",  "repeat",   "return", "then", "true",   "until", "while"};
  for (const char* word : kWords)
    if (text == word) return true;
  return false;
}

// A name a script can write bare: `Table.Name`, `function f(Name)`.
inline bool IsBareLuaName(const std::string& text) { return IsLuaName(text) && !IsLuaKeyword(text); }

// "\"a\\\"b\\010\"": a Lua string literal of any bytes (control bytes as
// decimal escapes, UTF-8 as it is).
inline std::string LuaQuoted(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      out += '\\' + std::to_string(c / 100) + std::to_string(c / 10 % 10) + std::to_string(c % 10);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

// "Table.Function": two names, as scripts call an action.
inline bool IsActionName(const std::string& text) {
  const std::size_t dot = text.find('.');
  if (dot == std::string::npos || text.find('.', dot + 1) != std::string::npos) return false;
  return IsLuaName(text.substr(0, dot)) && IsLuaName(text.substr(dot + 1));
}

}  // namespace host
