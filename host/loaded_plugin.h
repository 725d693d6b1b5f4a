// A plugin module held loaded by the stand-in host for one command.
#pragma once

#include "platform/platform.h"

namespace host {

class LoadedPlugin {
 public:
  // Loads `path`; on failure prints why to stderr and leaves ok() false.
  explicit LoadedPlugin(const char* path);
  ~LoadedPlugin();
  LoadedPlugin(const LoadedPlugin&) = delete;
  LoadedPlugin& operator=(const LoadedPlugin&) = delete;

  bool ok() const { return module_ != nullptr; }
  void* Export(const char* name) const { return md::Os().find_export(module_, name); }

 private:
  void* module_ = nullptr;
};

}  // namespace host
