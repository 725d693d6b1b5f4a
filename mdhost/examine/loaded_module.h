// A plugin module loaded into this process for as long as the object lives,
// through the same loader operations the plugin itself uses: exactly the
// file named, its own folder serving its imports.
#pragma once

#include <string>

namespace host {

class LoadedModule {
 public:
  explicit LoadedModule(const std::string& path);
  ~LoadedModule();
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  bool ok() const { return module_ != nullptr; }
  const std::string& why() const { return why_; }  // why it could not be loaded (UTF-8)
  void* Export(const char* name) const;
  void* handle() const { return module_; }
  // The loader caught a fault in the module's start-up code (Windows).
  bool failed_in_startup() const { return failed_in_startup_; }

 private:
  void* module_ = nullptr;
  std::string why_;
  bool failed_in_startup_ = false;
};

// Why the module file at `path` cannot be loaded, judged from its bytes, or
// `fallback` when they look loadable.
std::string ExplainLoadFailure(const std::string& path, const std::string& fallback);

}  // namespace host
