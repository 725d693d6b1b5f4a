// mdhost: a stand-in for the Autoplay Media Studio 8 host, and a toolkit for
// plugin authors: read a plugin's texts, check it against the host's
// contract, list every plugin below a folder, run scripts with its actions.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "mdhost/commands/commands.h"
#include "mdhost/worker/examiner.h"
#include "mdhost/report/output.h"
#include "mdhost/system/system.h"

namespace {

struct Command {
  const char* name;
  const char* arguments;
  const char* summary;
  std::size_t min_arguments, max_arguments;
  int (*run)(const host::Invocation&);
};

constexpr std::size_t kAny = 1000000;

const Command kCommands[] = {
    {"info", "PLUGIN [--json]", "print the plugin's five texts and SDK version", 1, 1, host::InfoCommand},
    {"check", "PLUGIN... [--json]", "check plugins against the host's contract", 1, kAny, host::CheckCommand},
    {"scan", "FOLDER [--json]", "list every plugin module below a folder", 1, 1, host::ScanCommand},
    {"run", "PLUGIN SCRIPT [ARG...]", "run a Lua script with the plugin's actions", 2, kAny, host::RunCommand},
    {"help", "PLUGIN FOLDER [ACTION]", "ask the plugin to show its help page", 2, 3, host::HelpCommand},
};

void Usage(std::FILE* out) {
  std::fprintf(out, "usage: mdhost COMMAND [ARGUMENT...]\n\n");
  for (const Command& c : kCommands) {
    std::string line = std::string(c.name) + " " + c.arguments;
    std::fprintf(out, "  mdhost %-32s %s\n", line.c_str(), c.summary);
  }
  std::fprintf(out,
               "  mdhost %-32s %s\n\n"
               "options for info, check and scan:\n"
               "  --json          print JSON (UTF-8) instead of text\n"
               "  --timeout SECS  how long a plugin may keep the host waiting (default 10)\n"
               "  --in-process    examine plugins in this process (a crash ends the run)\n"
               "  --cycles N      check: load-and-release cycles measured for the memory\n"
               "                  a plugin keeps per load (default 200; 0 measures nothing)\n"
               "  --help, --version\n\n"
               "exit codes: 0 success, 1 a check failed or a plugin could not be read,\n"
               "2 a wrong command line, 3 a file or folder that cannot be used\n",
               "PLUGIN", "same as 'mdhost info PLUGIN' when PLUGIN is a file");
}

int WrongCommandLine(const std::string& why) {
  host::Complain(why);
  Usage(stderr);
  return host::kExitUsage;
}

// Takes the options out of the arguments after the command.
bool ParseOptions(int argc, char** argv, int first, bool takes_options, host::Invocation* call, std::string* error) {
  for (int i = first; i < argc; ++i) {
    const std::string a = argv[i];
    if (!takes_options || a.size() < 2 || a.compare(0, 2, "--") != 0) {
      call->arguments.push_back(a);
      continue;
    }
    if (a == "--help") {
      Usage(stdout);
      std::exit(host::kExitOk);
    } else if (a == "--json") {
      call->json = true;
    } else if (a == "--in-process") {
      call->isolated = false;
    } else if (a == "--timeout" || a == "--cycles") {
      const std::string value = i + 1 < argc ? argv[++i] : "";
      const bool timeout = a == "--timeout";
      const long low = timeout ? 1 : 0, high = timeout ? 86400 : 100000;
      char* end = nullptr;
      const long number = std::strtol(value.c_str(), &end, 10);
      if (value.empty() || *end != '\0' || number < low || number > high) {
        *error = a + " takes a number from " + std::to_string(low) + " to " + std::to_string(high);
        return false;
      }
      (timeout ? call->timeout_seconds : call->load_cycles) = static_cast<int>(number);
    } else {
      *error = "unknown option '" + a + "'";
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  host::UseBinaryOutput();
  if (argc < 2) return WrongCommandLine("no command given");
  const std::string first = argv[1];
  if (first == "--worker") return host::RunWorker(argc > 2 ? argv[2] : "");
  if (first == "-h" || first == "--help") {
    Usage(stdout);
    return host::kExitOk;
  }
  if (first == "--version") {
    std::printf("mdhost %s (ModuleDetails)\n", MD_VERSION_TEXT);
    return host::kExitOk;
  }
  const Command* command = nullptr;
  for (const Command& c : kCommands)
    if (first == c.name) command = &c;
  host::Invocation call;
  std::string error;
  if (command == nullptr) {
    // The shorthand: a plugin's file alone means 'info'.
    if (argc == 2 && host::IsFile(first)) {
      call.arguments.push_back(first);
      return host::InfoCommand(call);
    }
    return WrongCommandLine("unknown command '" + first + "'");
  }
  const bool takes_options = command->run != host::RunCommand && command->run != host::HelpCommand;
  if (!ParseOptions(argc, argv, 2, takes_options, &call, &error)) return WrongCommandLine(error);
  if (call.arguments.size() < command->min_arguments || call.arguments.size() > command->max_arguments)
    return WrongCommandLine(std::string("'") + command->name + "' takes " + command->arguments);
  return command->run(call);
}
