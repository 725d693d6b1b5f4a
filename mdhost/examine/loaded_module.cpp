#include "mdhost/examine/loaded_module.h"

#include "mdhost/examine/pe_image.h"
#include "mdhost/system/system.h"
#include "platform/platform.h"

namespace host {
namespace {

// What the Windows loader answers when the start-up code it called faulted.
constexpr uint32_t kStartupFault = 998;  // ERROR_NOACCESS

}  // namespace

std::string ExplainLoadFailure(const std::string& path, const std::string& fallback) {
  if (IsFolder(path)) return "a folder, not a module";
  if (!IsFile(path)) return "no such file";
  const ModuleImage image = ReadModuleFile(path);
  if (image.kind == ModuleKind::kModule64 || image.kind == ModuleKind::kOtherModule) return image.WhyNoPlugin();
  const std::string folder = FolderOf(path);
  for (const std::string& import : image.imports)
    if (!ImportFindable(import, folder))
      return "it imports " + import +
             ", which is not in the plugin's folder, the system folders or beside the "
             "host; ship it beside the plugin (" +
             fallback + ")";
  return fallback;
}

LoadedModule::LoadedModule(const std::string& path) {
  if (!IsFile(path)) {
    why_ = ExplainLoadFailure(path, "");
    return;
  }
  module_ = md::LoadModuleAt(path.c_str());
  if (module_ == nullptr) {
    const md::LoadFailure failure = md::LastLoadFailure();
    failed_in_startup_ = failure.code == kStartupFault;
    why_ = ExplainLoadFailure(path, LoadErrorText(failure.code, failure.text));
  }
}

LoadedModule::~LoadedModule() {
  if (module_ != nullptr) md::Os().release_module(module_);
}

void* LoadedModule::Export(const char* name) const { return md::Os().find_export(module_, name); }

}  // namespace host
