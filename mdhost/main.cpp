// mdhost: a stand-in for the Autoplay Media Studio 8 host, and a toolkit for
// plugin authors: read a plugin's texts, check it against the host's
// contract, list every plugin below a folder, run scripts with its actions.
// The command line's tables live in mdhost/commands/command_line.cpp.
#include <cstdio>
#include <string>
#include <vector>

#include "mdhost/commands/command_line.h"
#include "mdhost/system/system.h"
#include "mdhost/worker/worker_main.h"

int main(int argc, char** argv) {
  host::UseBinaryOutput();
  if (argc < 2) return host::WrongCommandLine("no command given");
  const std::string first = argv[1];
  if (first == "--worker") return host::RunWorker(argc > 2 ? argv[2] : "", argc > 3 ? argv[3] : "");
  if (first == "--run-worker") return host::RunScriptWorker(std::vector<std::string>(argv + 2, argv + argc));
  host::SetAsideOutput();  // what a plugin prints goes to standard error
  if (first == "-h" || first == "--help") {
    host::Usage(host::OwnOutput());
    return host::kExitOk;
  }
  if (first == "--version") {
    std::fprintf(host::OwnOutput(), "mdhost %s (ModuleDetails)\n", MD_VERSION_TEXT);
    return host::kExitOk;
  }
  const host::Command* command = host::FindCommand(first);
  std::vector<std::string> arguments(argv + 2, argv + argc);
  if (command == nullptr) {
    // The shorthand: a plugin's file alone means 'info'.
    if (argc != 2 || !host::IsFile(first)) return host::WrongCommandLine("unknown command '" + first + "'");
    command = host::FindCommand("info");
    arguments = {"--", first};
  }
  host::Invocation call;
  std::string error;
  bool help = false;
  if (!host::ParseOptions(arguments, *command, &call, &help, &error)) return host::WrongCommandLine(error);
  if (help) {
    host::CommandUsage(host::OwnOutput(), *command);  // that command's usage and options alone
    return host::kExitOk;
  }
  if (call.arguments.size() < command->min_arguments || call.arguments.size() > command->max_arguments)
    return host::WrongCommandLine(std::string("'") + command->name + "' takes " + command->arguments);
  return command->run(call);
}
