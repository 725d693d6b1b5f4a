// Paths as texts, with either separator: Windows takes both.
#include <cctype>
#include <vector>

#include "mdhost/system/system.h"

namespace host {
namespace {

// An absolute path's names, its "." and ".." steps taken ("C:" or "" first).
std::vector<std::string> Names(const std::string& absolute) {
  std::vector<std::string> names;
  std::size_t at = 0;
  while (at <= absolute.size()) {
    std::size_t end = at;
    while (end < absolute.size() && !IsPathSeparator(absolute[end])) ++end;  // a name may hold '\\' off Windows
    const std::string name = absolute.substr(at, end - at);
    if (name == ".." && names.size() > 1)
      names.pop_back();
    else if ((name != "." && !name.empty()) || names.empty())
      names.push_back(name);
    at = end + 1;
  }
  return names;
}

bool SameName(const std::string& a, const std::string& b) {
  if (!NamesIgnoreCase()) return a == b;
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

}  // namespace

std::string RelativeTo(const std::string& root, const std::string& path) {
  const std::vector<std::string> base = Names(AbsolutePath(root)), names = Names(AbsolutePath(path));
  std::size_t common = 0;
  while (common < base.size() && common < names.size() && SameName(base[common], names[common])) ++common;
  if (common < base.size() || common == names.size()) return "";
  std::string relative;
  for (std::size_t i = common; i < names.size(); ++i) relative += (relative.empty() ? "" : "/") + names[i];
  return relative;
}

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of("\\/") + 1); }

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace host
