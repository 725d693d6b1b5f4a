#include "module_state.h"

#include <algorithm>
#include <cstring>

#include "action_template_document.h"
#include "platform/platform.h"

namespace md {

ModuleState& State() {
  static ModuleState state;
  return state;
}

static void ReleaseAllModules(ModuleState& s) noexcept {
  for (void* module : s.LoadedModules) Os().release_module(module);
  s.LoadedModules.clear();
}

void OnProcessAttach() noexcept {
  ModuleState& s = State();
  ReleaseAllModules(s);
  s.ErrorText[0] = '\0';
  s.GetterNames[kNameGetter] = "irPlg_GetPluginName";
  s.GetterNames[kActionXmlGetter] = "irPlg_GetPluginActionXML";
  s.GetterNames[kLuaVersionGetter] = "irPlg_GetLuaVersion";
  s.GetterNames[kAuthorInfoGetter] = "irPlg_GetAuthorInfo";
  s.GetterNames[kVersionGetter] = "irPlg_GetPluginVersion";
  try {
    // Up to the first NUL, as a C text would be copied (the document has none).
    const char* doc = ActionTemplateDocument();
    s.ActionXml.assign(doc, strnlen(doc, ActionTemplateDocumentSize()));
    s.LoadedModules.reserve(4);
  } catch (...) {
    // Out of memory at attach: serve an empty document rather than fail the load.
    s.ActionXml.clear();
  }
}

void OnProcessDetach() noexcept {
  ModuleState& s = State();
  ReleaseAllModules(s);
  ReleaseActionCopies();
}

bool RecordLoadedModule(void* module) noexcept {
  try {
    State().LoadedModules.push_back(module);
    return true;
  } catch (...) {
    return false;
  }
}

void ForgetLoadedModule(void* module) noexcept {
  std::vector<void*>& list = State().LoadedModules;
  auto it = std::find(list.begin(), list.end(), module);
  if (it != list.end()) list.erase(it);
}

void ReleaseActionCopies() noexcept {
  ModuleState& s = State();
  std::string().swap(s.ActionPath);
  for (std::string& text : s.ActionTexts) std::string().swap(text);
}

}  // namespace md
