// mdhost: a stand-in for the Autoplay Media Studio 8 host, for trying a
// plugin without the real application.
#include <cstdio>
#include <cstring>

#include "host_commands.h"

namespace {

const char kUsage[] =
    "usage: mdhost info PLUGIN                 print the plugin's texts and SDK version\n"
    "       mdhost run PLUGIN SCRIPT [ARG...]  run a Lua script with the plugin's actions\n"
    "       mdhost help PLUGIN FOLDER [ACTION] ask the plugin to show its help page\n"
    "       mdhost check PLUGIN...             check plugins against the host's contract\n"
    "       mdhost PLUGIN                      same as 'mdhost info PLUGIN'\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const char* command = argv[1];
  if (std::strcmp(command, "-h") == 0 || std::strcmp(command, "--help") == 0) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (std::strcmp(command, "info") == 0) return argc == 3 ? host::ShowPluginInfo(argv[2]) : Usage();
  if (std::strcmp(command, "check") == 0) {
    if (argc < 3) return Usage();
    int status = 0;
    for (int i = 2; i < argc; ++i) status |= host::CheckPlugin(argv[i]);
    return status;
  }
  if (std::strcmp(command, "run") == 0)
    return argc >= 4 ? host::RunScript(argv[2], argv[3], argc - 3, argv + 3) : Usage();
  if (std::strcmp(command, "help") == 0)
    return (argc == 4 || argc == 5) ? host::ShowHelp(argv[2], argv[3], argc == 5 ? argv[4] : nullptr)
                                    : Usage();
  return argc == 2 ? host::ShowPluginInfo(command) : Usage();
}
