// The five single-text actions and the whole-record action.
//
// Each call keeps its path and texts in a record of its own (see
// plugin/module/action_records.h), never in these frames: the argument checks and
// the result pushes can leave by longjmp, and a push can run Lua code that
// calls these actions again.
#include <cstring>

#include "plugin/actions/script_errors.h"
#include "plugin/inspect/plugin_query.h"
#include "plugin/module/action_records.h"
#include "plugin/module/plugin_exports.h"

namespace md {
namespace {

// Checks the one Filename argument and opens the call's record with a copy
// of it; `frame` is the calling action's frame. Null for a name that holds
// a NUL: it names no file (the file functions would read the name before it).
ActionRecord* TakeFilename(lua_State* L, uintptr_t frame) {
  CheckArgumentCount(L, 1);
  const char* name = GetStringArgument(L, 1);
  size_t length = 0;
  lua_tolstring(L, 1, &length);  // a string already: nothing is made
  if (std::strlen(name) != length) return nullptr;
  ActionRecord* record = OpenActionRecord(frame, name);
  if (record == nullptr) RaiseOutOfMemory(L);
  return record;
}

// True when the record's path names a file of at least one byte; the record
// then holds the one spelling of that file that every load of this call is
// given, so the file read is the file found however often it is loaded.
bool NamesAFile(lua_State* L, ActionRecord* record) {
  const int64_t found = ProbeFile(&record->path, &record->spelling);
  if (found == kPathNoMemory) {
    CloseActionRecord(record);
    RaiseOutOfMemory(L);
  }
  return found > 0;
}

// One query's arguments and outcome, for the protected call.
struct ProtectedQuery {
  ActionRecord* record;
  GetterSlot slot;
  bool keep;
  bool enough_memory;
};

int RunQuery(lua_State* L) {
  auto* query = static_cast<ProtectedQuery*>(lua_touserdata(L, 1));
  ActionRecord* record = query->record;
  query->enough_memory = QueryPluginText(record->spelling, State().getter_names[query->slot], &record->hold,
                                         &record->texts[query->slot], query->keep ? &record->kept : nullptr);
  return 0;
}

// Reads one text into the record. A shortage of our own memory leaves the
// action as Lua's memory error, never as a text that is merely missing. The
// getter runs under a protected call on the caller's state: a getter that
// raises a Lua error there gives its module and the record back at once,
// and the script gets the same error value.
// `keep`: the module loaded stays in the record until it closes.
const OwnedText& Query(lua_State* L, ActionRecord* record, GetterSlot slot, bool keep = false) {
  ProtectedQuery query = {record, slot, keep, false};
  if (lua_cpcall(L, RunQuery, &query) != 0) {
    CloseActionRecord(record);
    lua_error(L);  // the error value is on top
  }
  if (!query.enough_memory) {
    CloseActionRecord(record);
    RaiseOutOfMemory(L);
  }
  return record->texts[slot];
}

int SingleTextAction(lua_State* L, GetterSlot slot) {
  ActionRecord* record = TakeFilename(L, MD_CURRENT_FRAME());
  if (record == nullptr) {
    lua_pushnil(L);
    return 1;
  }
  if (NamesAFile(L, record))
    lua_pushstring(L, TextOf(Query(L, record, slot)));
  else
    lua_pushnil(L);
  CloseActionRecord(record);
  return 1;
}

void SetField(lua_State* L, const char* key, const OwnedText& value) {
  lua_pushstring(L, key);
  lua_pushstring(L, TextOf(value));
  lua_settable(L, -3);
}

int WholeRecordAction(lua_State* L) {
  ActionRecord* record = TakeFilename(L, MD_CURRENT_FRAME());
  // The name decides whether the file is a plugin at all.
  // Its first load is kept, so that all five texts are of one file.
  if (record == nullptr || !NamesAFile(L, record) || Query(L, record, kNameGetter, true).length == 0) {
    if (record != nullptr) CloseActionRecord(record);
    lua_pushnil(L);
    return 1;
  }
  static const GetterSlot kRest[] = {kActionXmlGetter, kLuaVersionGetter, kAuthorInfoGetter, kVersionGetter};
  for (GetterSlot slot : kRest) Query(L, record, slot);
  const OwnedText* texts = record->texts;
  lua_createtable(L, 0, 0);
  SetField(L, "Name", texts[kNameGetter]);
  SetField(L, "Version", texts[kVersionGetter]);
  SetField(L, "LuaVersion", texts[kLuaVersionGetter]);
  SetField(L, "AuthorInfo", texts[kAuthorInfoGetter]);
  SetField(L, "ActionXML", texts[kActionXmlGetter]);
  CloseActionRecord(record);
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
