// Help display: one page, "Help.html" in the folder the host names, serves
// the plugin and every action.
#include <cstring>

#include "platform/platform.h"
#include "plugin/inspect/plugin_query.h"
#include "plugin/module/plugin_exports.h"

namespace md {
namespace {

const char kPageName[] = "\\Help.html";  // the backslash is always added

int32_t ShowHelpPage(const char* folder, void* parent) noexcept {
  if (folder == nullptr) folder = "";
  const std::size_t length = std::strlen(folder);
  auto* path = static_cast<char*>(Os().allocate(length + sizeof kPageName));
  if (path == nullptr) return 0;  // no page could be named
  std::memcpy(path, folder, length);
  std::memcpy(path + length, kPageName, sizeof kPageName);
  int32_t shown = 0;
  if (ProbePath(path) != kPathAbsent) {
    Os().open_document(parent, path);
    shown = 1;
  }
  Os().release_memory(path);
  return shown;
}

}  // namespace
}  // namespace md

int32_t irPlg_ShowHelpForAction(char*, char* folder, void* parent) { return md::ShowHelpPage(folder, parent); }

int32_t irPlg_ShowHelpForPlugin(char* folder, void* parent) { return md::ShowHelpPage(folder, parent); }
