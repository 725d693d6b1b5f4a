// Paths as texts, with either separator: Windows takes both.
#include "mdhost/system/system.h"

namespace host {

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of("\\/") + 1); }

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace host
