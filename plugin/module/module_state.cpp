#include "plugin/module/module_state.h"

#include <cstring>

#include "platform/platform.h"
#include "plugin/module/action_records.h"
#include "plugin/module/action_template_document.h"

namespace md {
namespace {

ModuleState state;  // zero-filled before any code runs

void ReleaseAllModules(ModuleList& list) noexcept {
  for (std::size_t i = 0; i < list.count; ++i) Os().release_module(list.handles[i]);
  Os().release_memory(list.handles);
  list = {nullptr, 0, 0};
}

}  // namespace

ModuleState& State() { return state; }

void OnProcessAttach() noexcept {
  ModuleState& s = State();
  ReleaseActionRecords();
  ReleaseAllModules(s.loaded_modules);
  s.error_text[0] = '\0';
  s.getter_names[kNameGetter] = "irPlg_GetPluginName";
  s.getter_names[kActionXmlGetter] = "irPlg_GetPluginActionXML";
  s.getter_names[kLuaVersionGetter] = "irPlg_GetLuaVersion";
  s.getter_names[kAuthorInfoGetter] = "irPlg_GetAuthorInfo";
  s.getter_names[kVersionGetter] = "irPlg_GetPluginVersion";
  // Up to the first NUL, as a C text would be copied (the document has none).
  // Out of memory, the module serves an empty document rather than fail the load.
  ReleaseText(&s.action_xml);
  const char* doc = ActionTemplateDocument();
  CopyText(doc, strnlen(doc, ActionTemplateDocumentSize()), &s.action_xml);
}

void OnProcessDetach(Detach how) noexcept {
  if (how == Detach::kProcessExit) return;
  ModuleState& s = State();
  ReleaseActionRecords();  // first: a stranded record forgets the module it releases
  ReleaseAllModules(s.loaded_modules);
  ReleaseText(&s.action_xml);
}

bool RecordLoadedModule(void* module) noexcept {
  ModuleList& list = State().loaded_modules;
  if (list.count == list.capacity) {
    const std::size_t capacity = list.capacity ? 2 * list.capacity : 4;
    auto* grown = static_cast<void**>(Os().allocate(capacity * sizeof(void*)));
    if (grown == nullptr) return false;
    if (list.count) std::memcpy(grown, list.handles, list.count * sizeof(void*));
    Os().release_memory(list.handles);
    list.handles = grown;
    list.capacity = capacity;
  }
  list.handles[list.count++] = module;
  return true;
}

void ForgetLoadedModule(void* module) noexcept {
  ModuleList& list = State().loaded_modules;
  for (std::size_t i = 0; i < list.count; ++i) {
    if (list.handles[i] == module) {
      list.handles[i] = list.handles[--list.count];
      return;
    }
  }
}

void ReleaseQueryHold(QueryHold* hold) noexcept {
  Os().release_memory(hold->buffer);
  if (hold->module != nullptr) {
    Os().release_module(hold->module);
    ForgetLoadedModule(hold->module);
  }
  *hold = {nullptr, nullptr};
}

}  // namespace md
