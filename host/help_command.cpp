#include <cstdint>
#include <cstdio>

#include "host_commands.h"
#include "loaded_plugin.h"

namespace host {

int ShowHelp(const char* pluginPath, const char* folder, const char* action) {
  LoadedPlugin plugin(pluginPath);
  if (!plugin.ok()) return 1;
  using ForPlugin = int32_t (*)(const char*, void*);
  using ForAction = int32_t (*)(const char*, const char*, void*);
  int32_t result;
  if (action == nullptr) {
    auto show = reinterpret_cast<ForPlugin>(plugin.Export("irPlg_ShowHelpForPlugin"));
    if (show == nullptr) {
      std::fprintf(stderr, "mdhost: the plugin exports no irPlg_ShowHelpForPlugin\n");
      return 1;
    }
    result = show(folder, nullptr);
  } else {
    auto show = reinterpret_cast<ForAction>(plugin.Export("irPlg_ShowHelpForAction"));
    if (show == nullptr) {
      std::fprintf(stderr, "mdhost: the plugin exports no irPlg_ShowHelpForAction\n");
      return 1;
    }
    result = show(action, folder, nullptr);
  }
  std::printf("help shown: %d\n", static_cast<int>(result));
  return result == 1 ? 0 : 1;
}

}  // namespace host
