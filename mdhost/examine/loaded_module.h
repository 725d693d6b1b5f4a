// A plugin module loaded into this process for as long as the object lives,
// through the same loader operations the plugin itself uses: exactly the
// file named, its own folder serving its imports.
#pragma once

#include <string>
#include <vector>

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

struct ModuleImage;
// Every module the loader cannot find from `folder` that `image` needs: its
// own imports, and those of the modules beside it that it imports, however
// deep ("name (for helper.dll)").
std::vector<std::string> MissingImports(const ModuleImage& image, const std::string& folder);
// MD001's words for them: all named at once, and MinGW's remedy where its
// runtime is among them.
std::string MissingImportsText(const std::vector<std::string>& missing, const std::string& fallback);

}  // namespace host
