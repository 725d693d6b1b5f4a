#include "loaded_plugin.h"

#include <cstdint>
#include <cstdio>

#include "inspect/plugin_query.h"

namespace host {

LoadedPlugin::LoadedPlugin(const char* path) {
  const int64_t probe = md::ProbePath(path);
  if (probe == md::kPathAbsent) {
    std::fprintf(stderr, "mdhost: %s: no such file\n", path);
    return;
  }
  if (probe == md::kPathIsFolder) {
    std::fprintf(stderr, "mdhost: %s: is a folder, not a plugin module\n", path);
    return;
  }
  module_ = md::Os().load_module(path);
  if (module_ == nullptr) std::fprintf(stderr, "mdhost: %s: not a loadable module\n", path);
}

LoadedPlugin::~LoadedPlugin() {
  if (module_ != nullptr) md::Os().release_module(module_);
}

}  // namespace host
