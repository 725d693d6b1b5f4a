#include "mdhost/examine/document_values.h"

#include "mdhost/contract/lua_names.h"
#include "mdhost/examine/lua_expression.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <vector>

namespace host {
namespace {

// Lua's type names and the host's own words for a value of any type.
constexpr const char* kKnownTypes[] = {"nil",      "boolean", "number",  "string",  "table", "function",
                                       "userdata", "thread",  "variant", "integer", "none"};

// The editors the action wizard offers for an argument, by EasyMode's
// DataType: a text, a number, a choice, a file or folder to browse for...
constexpr const char* kDataTypes[] = {"string", "number", "boolean",  "combo", "file",   "folder", "color",
                                      "font",   "table",  "variable", "page",  "dialog", "object", "function"};

template <std::size_t N>
bool IsKnown(const std::string& name, const char* const (&known)[N]) {
  if (name.empty()) return true;  // nothing said is no wrong name
  for (const char* k : known)
    if (name == k) return true;
  return false;
}

// Edits (insert, delete, replace, case aside) from `a` to `b`.
std::size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const bool same =
          std::tolower(static_cast<unsigned char>(a[i - 1])) == std::tolower(static_cast<unsigned char>(b[j - 1]));
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The one name of `known` two edits or fewer from `name`; "" for none, or
// for two as near.
template <class Names>
std::string Nearest(const std::string& name, const Names& known) {
  std::string nearest;
  std::size_t best = 3;  // two edits at most
  bool tied = false;
  for (const auto& k : known) {
    const std::size_t d = EditDistance(name, k);
    if (d < best) {
      best = d;
      nearest = k;
      tied = false;
    } else if (d == best && nearest != k) {
      tied = true;
    }
  }
  return tied ? "" : nearest;
}

}  // namespace

bool IsKnownType(const std::string& type) { return IsKnown(type, kKnownTypes); }
bool IsKnownDataType(const std::string& data_type) { return IsKnown(data_type, kDataTypes); }
std::string NearestType(const std::string& type) { return Nearest(type, kKnownTypes); }
std::string NearestDataType(const std::string& data_type) { return Nearest(data_type, kDataTypes); }
std::string NearestName(const std::string& name, const std::vector<std::string>& known) { return Nearest(name, known); }

std::string DidYouMean(const std::string& meant) { return meant.empty() ? "" : "; did you mean \"" + meant + "\"?"; }

namespace {

// Words an author meant as a string (hello world, C:\\Data, e-mail): no
// quote, bracket, operator or concatenation that would make it a broken
// expression, whose quoting would change what the author wrote.
bool PlainText(const std::string& value) {
  return value.find_first_of("\"'[]{}()=<>~^#;+*/%") == std::string::npos && value.find("..") == std::string::npos &&
         value.find("--") == std::string::npos;
}

}  // namespace

namespace {

// A global a lone word may name: the host's (_SourceFolder, MB_OK) or Lua's.
bool MayBeDefinedGlobal(const std::string& name) {
  static const char* const kLua[] = {
      "_G",       "_VERSION",   "assert",  "collectgarbage", "coroutine", "debug",  "dofile",
      "error",    "gcinfo",     "getfenv", "getmetatable",   "io",        "ipairs", "load",
      "loadfile", "loadstring", "math",    "module",         "newproxy",  "next",   "os",
      "package",  "pairs",      "pcall",   "print",          "rawequal",  "rawget", "rawset",
      "require",  "select",     "setfenv", "setmetatable",   "string",    "table",  "tonumber",
      "tostring", "type",       "unpack",  "xpcall"};
  if (name[0] == '_') return true;
  bool lower = false;
  for (char c : name) lower = lower || (c >= 'a' && c <= 'z');
  if (!lower) return true;  // a constant's capitals
  for (const char* known : kLua)
    if (name == known) return true;
  return false;
}

}  // namespace

DefaultVerdict JudgeDefault(const ArgumentSpec& argument) {
  const std::string& value = argument.default_value;
  if (value.empty()) return {};
  const std::string& type = argument.type;
  const std::string as_string = LuaQuoted(value);  // a Lua string of the very text
  if (!IsLuaExpression(value)) {
    // Words where a string was meant: quoted, they are one. A broken
    // expression is the author's to mend: no fix guesses at it.
    if (type == "string" && PlainText(value) && IsLuaExpression(as_string))
      return {"\"" + value + "\", which is no Lua expression a script could write; as a string: " + as_string,
              as_string};
    return {"\"" + value + "\", which is no Lua expression a script could write", ""};
  }
  const std::string wanted = type == "integer" ? "number" : type;
  // A lone word is read as a global: nil unless something defines it. The
  // host's own globals begin with an underscore (_SourceFolder), its
  // constants are capitals (MB_OK), Lua's are its libraries'; any other is
  // most likely text that lost its quotes (World, yes). Quoting is the
  // author's call (it might be a global of the project's): an unsafe fix,
  // and only where a string is wanted.
  if (IsBareLuaName(value) && (wanted == "string" || wanted == "number" || wanted == "boolean") &&
      !MayBeDefinedGlobal(value))
    return {value + ", a global no script defines (nil when the action runs) where the Type is " + type +
                (wanted == "string"    ? "; a string is quoted: " + as_string
                 : wanted == "boolean" ? "; a boolean is true or false"
                                       : "; a number is written in digits"),
            wanted == "string" ? as_string : "", false};
  // An expression of names, calls or operators is the script's own affair;
  // a literal is of one type, which the Type may not be.
  const std::string literal = LiteralType(value);
  if (literal.empty() || literal == "nil" || literal == wanted ||
      (wanted != "number" && wanted != "string" && wanted != "boolean"))
    return {};
  const std::string why = value + ", a " + literal + " where the Type is " + type;
  if (wanted == "string") return {why + "; as a string: " + as_string, as_string, false};
  return {why + (wanted == "boolean" ? " (true or false)" : ""), ""};
}

}  // namespace host
