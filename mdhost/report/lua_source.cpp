#include "mdhost/report/lua_source.h"

#include "mdhost/contract/lua_names.h"
#include "mdhost/report/output.h"

namespace host {

std::string LuaKey(const std::string& utf8) { return IsBareLuaName(utf8) ? utf8 : "[" + LuaQuoted(utf8) + "]"; }

std::string LuaComment(const std::string& utf8, const std::string& prefix) {
  std::string out;
  std::size_t at = 0;
  do {
    std::size_t end = utf8.find('\n', at);
    if (end == std::string::npos) end = utf8.size();
    std::string line = utf8.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out += prefix + Escaped(line) + "\n";  // a lone CR would end the comment: \x0D
    at = end + 1;
  } while (at <= utf8.size());
  return out;
}

}  // namespace host
