#include "mdhost/examine/document_values.h"

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
      const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) == b[j - 1];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The name a misspelt one most likely means ("numbr", "Number"), or "".
template <std::size_t N>
std::string Nearest(const std::string& name, const char* const (&known)[N]) {
  std::string nearest;
  std::size_t best = 3;  // two edits at most
  for (const char* k : known) {
    const std::size_t d = EditDistance(name, k);
    if (d < best) best = d, nearest = k;
  }
  return nearest;
}

}  // namespace

bool IsKnownType(const std::string& type) { return IsKnown(type, kKnownTypes); }
bool IsKnownDataType(const std::string& data_type) { return IsKnown(data_type, kDataTypes); }
std::string NearestType(const std::string& type) { return Nearest(type, kKnownTypes); }
std::string NearestDataType(const std::string& data_type) { return Nearest(data_type, kDataTypes); }

std::string DidYouMean(const std::string& meant) { return meant.empty() ? "" : "; did you mean \"" + meant + "\"?"; }

// Why an argument's Default is no value of its Type, as a script writes one
// ("two" for a number, a string without its quotes), or "".
std::string WhyNotOfItsType(const ArgumentSpec& argument) {
  const std::string& value = argument.default_value;
  if (value.empty()) return "";
  const std::string quoted = "\"" + value + "\"";
  if (argument.type == "number" || argument.type == "integer") {
    char* end = nullptr;
    std::strtod(value.c_str(), &end);
    if (end != value.c_str() + value.size() || std::isspace(static_cast<unsigned char>(value[0])))
      return quoted + ", which is no " + argument.type;
  } else if (argument.type == "boolean") {
    if (value != "true" && value != "false") return quoted + ", which is no boolean (true or false)";
  } else if (argument.type == "string") {
    if (value.size() < 2 || value.front() != '"' || value.back() != '"')
      return quoted + ", a string written without its quotes (as a script writes it: \"" + value + "\")";
  }
  return "";
}

}  // namespace host
