#include "mdhost/examine/loaded_module.h"

#include "mdhost/examine/pe_image.h"
#include "mdhost/system/system.h"
#include "platform/platform.h"

namespace host {

std::string ExplainLoadFailure(const std::string& path, const std::string& fallback) {
  if (IsFolder(path)) return "a folder, not a module";
  if (!IsFile(path)) return "no such file";
  switch (ReadModuleFile(path).kind) {
    case ModuleKind::kModule64: return "a 64-bit module: the host is a 32-bit program";
    case ModuleKind::kOtherModule: return "a module for another kind of processor";
    default: return fallback;
  }
}

LoadedModule::LoadedModule(const std::string& path) {
  if (!IsFile(path)) {
    why_ = ExplainLoadFailure(path, "");
    return;
  }
  module_ = md::Os().load_module(path.c_str());
  if (module_ == nullptr) {
    const md::LoadFailure failure = md::LastLoadFailure();
    why_ = ExplainLoadFailure(path, LoadErrorText(failure.code, failure.text));
  }
}

LoadedModule::~LoadedModule() {
  if (module_ != nullptr) md::Os().release_module(module_);
}

void* LoadedModule::Export(const char* name) const { return md::Os().find_export(module_, name); }

}  // namespace host
