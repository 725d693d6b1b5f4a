// doc's page for the Lua language server: a definition file (---@meta) with
// each action as an annotated function stub, so that an editor completes
// the plugin's actions, shows their descriptions and flags a misspelt one.
#include <memory>
#include <set>

#include "mdhost/contract/lua_names.h"
#include "mdhost/report/emitter.h"
#include "mdhost/report/lua_source.h"

namespace host {
namespace {

// A document's type as the language server names it: Lua's own names as
// they are, the host's "variant" any value; what is no type name, any.
std::string LuaType(const std::string& type) {
  for (const char* lua : {"string", "number", "integer", "boolean", "table", "function", "nil", "userdata", "thread"})
    if (type == lua) return type;
  return type == "none" ? "nil" : "any";
}

// A text on one line of an annotation: its line breaks as spaces, control
// characters as \xNN.
std::string OneLine(const std::string& utf8) {
  std::string line;
  for (char c : utf8) line += c == '\n' || c == '\r' ? ' ' : c;
  return Escaped(line);
}

// The arguments' names as parameters: a name a script cannot write bare,
// or one seen before, becomes argN.
std::vector<std::string> Parameters(const ActionSpec& action) {
  std::vector<std::string> names;
  std::set<std::string> taken;
  for (std::size_t i = 0; i < action.arguments.size(); ++i) {
    std::string name = action.arguments[i].name;
    if (!IsBareLuaName(name) || taken.count(name)) name = "arg" + std::to_string(i + 1);
    taken.insert(name);
    names.push_back(name);
  }
  return names;
}

std::string Stub(const ActionSpec& action, const std::string& table) {
  std::string out = "\n";
  if (!action.description.empty()) out += LuaComment(action.description, "--- ");
  const std::vector<std::string> parameters = Parameters(action);
  std::string list;
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    const ArgumentSpec& argument = action.arguments[i];
    out += "---@param " + parameters[i] + (IsOptional(argument) ? "?" : "") + " " + LuaType(argument.type);
    if (!argument.description.empty()) out += " " + OneLine(argument.description);
    out += "\n";
    list += (i == 0 ? "" : ", ") + parameters[i];
  }
  out += "---@return " + LuaType(action.return_type.empty() ? "nil" : action.return_type);
  if (!action.return_description.empty()) out += " # " + OneLine(action.return_description);
  out += "\n";
  const std::string function = action.name.substr(table.size() + 1);
  if (IsBareLuaName(function)) return out + "function " + table + "." + function + "(" + list + ") end\n";
  return out + table + "[" + LuaQuoted(function) + "] = function(" + list + ") end\n";
}

std::string Definitions(const PluginPage& page) {
  std::string out = "---@meta\n" + LuaComment(PageTitle(page) + (page.version ? " " + *page.version : ""), "-- ") +
                    "-- The actions this plugin gives scripts, for the Lua language server (mdhost doc --format\n"
                    "-- luals): put this file in a folder of the server's workspace.library.\n";
  for (const auto& table : ByTable(page.actions)) {
    if (!IsBareLuaName(table.first)) continue;  // no script can name it either
    out += "\n---@class " + table.first + "\n" + table.first + " = {}\n";
    std::set<std::string> written;
    for (std::size_t i : table.second) {
      const ActionSpec& action = page.actions[i];
      if (action.name.size() > table.first.size() && written.insert(action.name).second)
        out += Stub(action, table.first);
    }
  }
  return out;
}

class LualsEmitter : public Emitter {
 public:
  std::string Page(const PluginPage& page) override { return Definitions(page); }
};

}  // namespace

std::unique_ptr<Emitter> MakeLualsEmitter(const OutputOptions&) { return std::make_unique<LualsEmitter>(); }

}  // namespace host
