// doc's page for luacheck: a standard (a Lua file for .luacheckrc) that
// declares each of the plugin's tables a read-only global whose fields are
// its actions, so that luacheck flags a misspelt action
// (ModuleDetails.GetNmae) before the script runs in the host.
#include <cctype>
#include <memory>
#include <set>

#include "mdhost/report/emitter.h"
#include "mdhost/report/lua_source.h"

namespace host {
namespace {

// The standard's name in .luacheckrc: the first table's, in lower case.
std::string StandardName(const std::vector<std::pair<std::string, std::vector<std::size_t>>>& tables) {
  std::string name;
  if (!tables.empty())
    for (unsigned char c : tables.front().first)
      if (std::isalnum(c) || c == '_') name += static_cast<char>(std::tolower(c));
  return name.empty() || std::isdigit(static_cast<unsigned char>(name[0])) ? "plugin" : name;
}

std::string Standard(const PluginPage& page) {
  const auto tables = ByTable(page.actions);
  const std::string standard = StandardName(tables);
  std::string out = LuaComment(PageTitle(page) + (page.version ? " " + *page.version : ""), "-- ") +
                    "-- The tables this plugin gives scripts, as a luacheck standard (mdhost doc --format luacheck).\n"
                    "-- In .luacheckrc, beside this file:\n"
                    "--   stds." +
                    standard + " = dofile(\"" + standard +
                    "_std.lua\")\n"
                    "--   std = \"lua51+" +
                    standard + "\"\nreturn {\n  read_globals = {\n";
  for (const auto& table : tables) {
    out += "    " + LuaKey(table.first) + " = {\n      fields = {\n";
    std::set<std::string> fields;
    for (std::size_t i : table.second) {
      const std::string& name = page.actions[i].name;
      const std::size_t dot = name.find('.');
      if (dot != std::string::npos && fields.insert(name.substr(dot + 1)).second)
        out += "        " + LuaKey(name.substr(dot + 1)) + " = {},\n";
    }
    out += "      },\n    },\n";
  }
  return out + "  },\n}\n";
}

class LuacheckEmitter : public Emitter {
 public:
  std::string Page(const PluginPage& page) override { return Standard(page); }
};

}  // namespace

std::unique_ptr<Emitter> MakeLuacheckEmitter(const OutputOptions&) { return std::make_unique<LuacheckEmitter>(); }

}  // namespace host
