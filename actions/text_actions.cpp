// The five single-text actions and the whole-record action.
//
// The path and texts live in module-wide storage, never in these frames: the
// argument checks and the result pushes can leave by longjmp.
#include "inspect/plugin_query.h"
#include "module/module_state.h"
#include "module/plugin_exports.h"
#include "script_errors.h"

namespace md {
namespace {

// Checks the one Filename argument and copies it; true when it names a file
// of at least one byte.
bool TakeExistingFile(lua_State* L) {
  CheckArgumentCount(L, 1);
  GetStringArgument(L, 1, State().ActionPath);
  return ProbePath(State().ActionPath.c_str()) > 0;
}

// Reads one text of the file into its action slot.
const std::string& Query(GetterSlot slot) {
  ModuleState& s = State();
  s.ActionTexts[slot] = QueryPluginText(s.ActionPath.c_str(), s.GetterNames[slot]);
  return s.ActionTexts[slot];
}

int SingleTextAction(lua_State* L, GetterSlot slot) {
  if (TakeExistingFile(L))
    lua_pushstring(L, Query(slot).c_str());
  else
    lua_pushnil(L);
  ReleaseActionCopies();
  return 1;
}

void SetField(lua_State* L, const char* key, GetterSlot slot) {
  lua_pushstring(L, key);
  lua_pushstring(L, State().ActionTexts[slot].c_str());
  lua_settable(L, -3);
}

int WholeRecordAction(lua_State* L) {
  // The name decides whether the file is a plugin at all.
  if (!TakeExistingFile(L) || Query(kNameGetter).empty()) {
    ReleaseActionCopies();
    lua_pushnil(L);
    return 1;
  }
  Query(kActionXmlGetter);
  Query(kLuaVersionGetter);
  Query(kAuthorInfoGetter);
  Query(kVersionGetter);
  lua_createtable(L, 0, 0);
  SetField(L, "Name", kNameGetter);
  SetField(L, "Version", kVersionGetter);
  SetField(L, "LuaVersion", kLuaVersionGetter);
  SetField(L, "AuthorInfo", kAuthorInfoGetter);
  SetField(L, "ActionXML", kActionXmlGetter);
  ReleaseActionCopies();
  return 1;
}

}  // namespace
}  // namespace md

int GetPluginName(lua_State* L) { return md::SingleTextAction(L, md::kNameGetter); }
int GetPluginActionXML(lua_State* L) { return md::SingleTextAction(L, md::kActionXmlGetter); }
int GetPluginLuaVersion(lua_State* L) { return md::SingleTextAction(L, md::kLuaVersionGetter); }
int GetPluginAuthorInfo(lua_State* L) { return md::SingleTextAction(L, md::kAuthorInfoGetter); }
int GetPluginVersion(lua_State* L) { return md::SingleTextAction(L, md::kVersionGetter); }
int GetModuleDetails(lua_State* L) { return md::WholeRecordAction(L); }
