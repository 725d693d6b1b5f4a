#include "mdhost/examine/lua_expression.h"

#include <cctype>
#include <cstdlib>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

namespace host {
namespace {

// Where a short string ("..." or '...') that starts at 0 ends: past its
// closing quote; 0 when it does not close.
std::size_t ShortStringEnd(const std::string& text) {
  const char quote = text[0];
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] == '\\') {
      ++i;  // the escaped character, whatever it is
    } else if (text[i] == quote) {
      return i + 1;
    } else if (text[i] == '\n') {
      return 0;
    }
  }
  return 0;
}

// Where a long bracket ([[...]], [==[...]==]) that starts at 0 ends: past its
// closing bracket of the same level; 0 when it is none or does not close.
std::size_t LongBracketEnd(const std::string& text) {
  std::size_t level = 1;
  while (level < text.size() && text[level] == '=') ++level;
  if (level >= text.size() || text[level] != '[') return 0;
  const std::string close = "]" + std::string(level - 1, '=') + "]";
  const std::size_t at = text.find(close, level + 1);
  return at == std::string::npos ? 0 : at + close.size();
}

bool IsNumberLiteral(const std::string& text) {
  if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '.')) return false;
  char* end = nullptr;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  if (hex)
    std::strtoul(text.c_str(), &end, 16);
  else
    std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size();
}

}  // namespace

bool IsLuaExpression(const std::string& text) {
  if (text.find_first_not_of(" \t\r\n") == std::string::npos) return false;
  lua_State* L = luaL_newstate();
  if (L == nullptr) return true;  // mdhost's own shortage judges no plugin
  // In parentheses: one expression, not a list ("1, 5"); the line break ends
  // a comment the text may close with.
  const std::string chunk = "return (" + text + "\n)";
  const bool parsed = luaL_loadbuffer(L, chunk.data(), chunk.size(), "=Default") == 0;
  lua_close(L);
  return parsed;
}

std::string LiteralType(const std::string& text) {
  if (text == "nil") return "nil";
  if (text == "true" || text == "false") return "boolean";
  if (IsNumberLiteral(text)) return "number";
  if (text.empty()) return "";
  const std::size_t end = text[0] == '"' || text[0] == '\'' ? ShortStringEnd(text)
                          : text[0] == '['                  ? LongBracketEnd(text)
                                                            : 0;
  return end != 0 && end == text.size() ? "string" : "";
}

}  // namespace host
