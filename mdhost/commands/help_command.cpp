// mdhost help PLUGIN FOLDER [ACTION]: asks the plugin to show its help page,
// for the plugin as a whole or for one action, as the host does.
#include <cstdint>

#include "mdhost/commands/commands.h"
#include "mdhost/contract/plugin_texts.h"
#include "mdhost/examine/loaded_module.h"
#include "mdhost/report/output.h"

namespace host {

int HelpCommand(const Invocation& call) {
  const std::string& path = call.arguments[0];
  const std::string& folder = call.arguments[1];
  if (const int status = RequireFile(path)) return status;
  LoadedModule plugin(path);
  if (!plugin.ok()) {
    Complain(AnsiToUtf8(path) + ": cannot be loaded: " + plugin.why());
    return kExitFailed;
  }
  const bool for_action = call.arguments.size() == 3;
  const char* name = for_action ? kHelpForActionExport : kHelpForPluginExport;
  void* show = plugin.Export(name);
  if (show == nullptr) {
    Complain(AnsiToUtf8(path) + ": exports no " + name);
    return kExitFailed;
  }
  int32_t result;
  std::string what;
  if (for_action) {
    result = reinterpret_cast<int32_t (*)(const char*, const char*, void*)>(show)(call.arguments[2].c_str(),
                                                                                  folder.c_str(), nullptr);
    what = "for the action " + AnsiToUtf8(call.arguments[2]);
  } else {
    result = reinterpret_cast<int32_t (*)(const char*, void*)>(show)(folder.c_str(), nullptr);
    what = "for the plugin";
  }
  const std::string from =
      " (" + std::string(name) + " with the folder " + AnsiToUtf8(folder) + " returned " + std::to_string(result) + ")";
  if (result == 1) {
    Print("help page shown " + what + from + "\n");
    return kExitOk;
  }
  Print("no help page shown " + what + from + "\n");
  return kExitFailed;
}

}  // namespace host
