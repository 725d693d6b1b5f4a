#include "mdhost/examine/loaded_module.h"

#include <cctype>
#include <set>
#include <utility>
#include <vector>

#include "mdhost/examine/pe_image.h"
#include "mdhost/system/system.h"
#include "platform/platform.h"

namespace host {
namespace {

// What the Windows loader answers when the start-up code it called faulted.
constexpr uint32_t kStartupFault = 998;  // ERROR_NOACCESS

// Module names as the loader compares them: in any case.
std::string Lower(std::string name) {
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name;
}

}  // namespace

std::vector<std::string> MissingImports(const ModuleImage& image, const std::string& folder) {
  std::vector<std::string> missing;
  std::set<std::string> seen;
  std::vector<std::pair<std::string, std::string>> to_look;  // a module's name, and who imports it ("" the plugin)
  for (const std::string& name : image.imports) to_look.push_back({name, ""});
  while (!to_look.empty()) {
    const auto [name, importer] = to_look.front();
    to_look.erase(to_look.begin());
    if (!seen.insert(Lower(name)).second) continue;
    if (!ImportFindable(name, folder)) {
      missing.push_back(importer.empty() ? name : name + " (for " + importer + ")");
      continue;
    }
    // A module beside the plugin brings its own imports, which the loader
    // must find too.
    const std::string beside = folder + "/" + name;
    if (!IsFile(beside)) continue;
    for (const std::string& next : ReadModuleFile(beside).imports) to_look.push_back({next, name});
  }
  return missing;
}

std::string MissingImportsText(const std::vector<std::string>& missing, const std::string& fallback) {
  std::string names;
  bool runtime = false;
  for (std::size_t i = 0; i < missing.size(); ++i) {
    names += (i == 0 ? "" : i + 1 == missing.size() ? " and " : ", ") + missing[i];
    const std::string name = Lower(missing[i]);
    runtime = runtime || name.rfind("libgcc_s_", 0) == 0 || name.rfind("libstdc++-", 0) == 0 ||
              name.rfind("libwinpthread-", 0) == 0;
  }
  const bool one = missing.size() == 1;
  std::string text = "it imports " + names + (one ? ", which is" : ", which are") +
                     " not in the plugin's folder, the system folders or beside the host; ship " +
                     (one ? "it" : "them") + " beside the plugin";
  if (runtime)
    text +=
        ", or link MinGW's runtime into the plugin (-static-libgcc -static-libstdc++, or -static) so that "
        "it needs none of them";
  return text + " (" + fallback + ")";
}

std::string ExplainLoadFailure(const std::string& path, const std::string& fallback) {
  if (IsFolder(path)) return "a folder, not a module";
  if (!IsFile(path)) return "no such file";
  const ModuleImage image = ReadModuleFile(path);
  if (image.kind == ModuleKind::kModule64 || image.kind == ModuleKind::kOtherModule) return image.WhyNoPlugin();
  const std::vector<std::string> missing = MissingImports(image, FolderOf(path));
  return missing.empty() ? fallback : MissingImportsText(missing, fallback);
}

LoadedModule::LoadedModule(const std::string& path) {
  if (!IsFile(path)) {
    why_ = ExplainLoadFailure(path, "");
    return;
  }
  md::LoadFailure failure;  // this load's, as the loader said it
  module_ = md::LoadModuleAt(path.c_str(), &failure);
  if (module_ == nullptr) {
    failed_in_startup_ = failure.code == kStartupFault;
    why_ = ExplainLoadFailure(path, LoadErrorText(failure.code, failure.text));
  }
}

LoadedModule::~LoadedModule() {
  if (module_ != nullptr) md::Os().release_module(module_);
}

void* LoadedModule::Export(const char* name) const { return md::Os().find_export(module_, name); }

}  // namespace host
