// Help display: one page, "Help.html" in the folder the host names, serves
// the plugin and every action.
#include <string>

#include "inspect/plugin_query.h"
#include "platform/platform.h"
#include "plugin_exports.h"

namespace md {

int32_t ShowHelpPage(const char* folder, void* parent) noexcept {
  try {
    std::string path = folder ? folder : "";
    path += "\\Help.html";  // always added, even after a trailing backslash
    if (ProbePath(path.c_str()) == PathAbsent) return 0;
    Os().open_document(parent, path.c_str());
    return 1;
  } catch (...) {
    return 0;  // out of memory forming the path: no page could be named
  }
}

}  // namespace md

int32_t irPlg_ShowHelpForAction(char*, char* folder, void* parent) {
  return md::ShowHelpPage(folder, parent);
}

int32_t irPlg_ShowHelpForPlugin(char* folder, void* parent) {
  return md::ShowHelpPage(folder, parent);
}
