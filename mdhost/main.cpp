// mdhost: a stand-in for the Autoplay Media Studio 8 host, and a toolkit for
// plugin authors: read a plugin's texts, check it against the host's
// contract, list every plugin below a folder, run scripts with its actions.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "mdhost/commands/commands.h"
#include "mdhost/report/output.h"
#include "mdhost/system/system.h"
#include "mdhost/worker/examiner.h"
#include "mdhost/worker/worker_main.h"

namespace {

// The options, as bits of each command's entry.
enum Option : unsigned {
  kJson = 1, kTimeout = 2, kInProcess = 4, kCycles = 8, kStrict = 16, kQuiet = 32, kWith = 64,
};

struct Command {
  const char* name;
  const char* arguments;
  const char* summary;
  std::size_t min_arguments, max_arguments;
  unsigned options;
  int (*run)(const host::Invocation&);
};

constexpr std::size_t kAny = 1000000;
constexpr unsigned kExamining = kJson | kTimeout | kInProcess;

const Command kCommands[] = {
    {"info", "PLUGIN", "print the plugin's five texts, SDK version and actions", 1, 1, kExamining, host::InfoCommand},
    {"check", "PLUGIN...", "check plugins against the host's contract", 1, kAny,
     kExamining | kCycles | kStrict | kQuiet, host::CheckCommand},
    {"scan", "FOLDER", "list every plugin module below a folder", 1, 1, kExamining | kStrict, host::ScanCommand},
    {"diff", "OLD NEW", "what changed for scripts between two versions of a plugin (or .xml)", 2, 2, kExamining,
     host::DiffCommand},
    {"run", "PLUGIN SCRIPT [ARG...]", "run a Lua script with the plugin's actions", 2, kAny, kWith, host::RunCommand},
    {"help", "PLUGIN FOLDER [ACTION]", "ask the plugin to show its help page", 2, 3, 0, host::HelpCommand},
};

struct OptionName {
  const char* name;
  Option bit;
};
const OptionName kOptionNames[] = {{"--json", kJson},     {"--timeout", kTimeout}, {"--in-process", kInProcess},
                                   {"--cycles", kCycles}, {"--strict", kStrict},   {"--quiet", kQuiet},
                                   {"--with", kWith}};

void Usage(std::FILE* out) {
  std::fprintf(out, "usage: mdhost COMMAND [OPTION...] [ARGUMENT...] [--] [ARGUMENT...]\n\n");
  for (const Command& c : kCommands) {
    std::string line = std::string(c.name) + " " + c.arguments;
    std::fprintf(out, "  mdhost %-32s %s\n", line.c_str(), c.summary);
  }
  std::fprintf(out,
               "  mdhost %-32s %s\n\n"
               "options (info, check, scan and diff):\n"
               "  --json          print JSON (UTF-8) instead of text\n"
               "  --timeout SECS  how long a plugin may keep the host waiting (default 10)\n"
               "  --in-process    examine plugins in this process (a crash ends the run;\n"
               "                  --timeout cannot be honoured there)\n"
               "  --cycles N      check: load-and-release cycles measured for the memory\n"
               "                  a plugin keeps per load (default 200; 0 measures nothing)\n"
               "  --strict        check, scan: a WARN fails as a FAIL does\n"
               "  --quiet         check: only WARN and FAIL lines and the verdicts\n"
               "  --with PLUGIN   run: register this plugin's actions too (repeatable), as\n"
               "                  the host registers every plugin of a project\n"
               "  --              ends the options (run: script arguments may follow)\n"
               "  --help, --version\n\n"
               "exit codes: 0 success, 1 a check failed (FAIL; with --strict, WARN too) or a\n"
               "plugin could not be read, 2 a wrong command line, 3 a file or folder that\n"
               "cannot be used. docs/checks.md explains every rule (MDnnn).\n",
               "PLUGIN", "same as 'mdhost info PLUGIN' when PLUGIN is a file");
}

int WrongCommandLine(const std::string& why) {
  host::Complain(why);
  Usage(stderr);
  return host::kExitUsage;
}

bool Number(const std::string& option, const char* value, long low, long high, int* out, std::string* error) {
  char* end = nullptr;
  const long number = value != nullptr ? std::strtol(value, &end, 10) : 0;
  if (value == nullptr || *value == '\0' || *end != '\0' || number < low || number > high) {
    *error = option + " takes a number from " + std::to_string(low) + " to " + std::to_string(high);
    return false;
  }
  *out = static_cast<int>(number);
  return true;
}

// Takes the options out of the arguments after the command; "--" ends them.
// `*help` when --help was asked for.
bool ParseOptions(int argc, char** argv, const Command& command, host::Invocation* call, bool* help,
                  std::string* error) {
  bool options_end = false;
  bool timeout_given = false;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    if (options_end || a.size() < 2 || a.compare(0, 2, "--") != 0) {
      call->arguments.push_back(a);
      continue;
    }
    if (a == "--") {
      options_end = true;
      continue;
    }
    if (a == "--help") {
      *help = true;
      return true;
    }
    unsigned bit = 0;
    for (const OptionName& o : kOptionNames)
      if (a == o.name) bit = o.bit;
    if (bit == 0) {
      *error = "unknown option '" + a + "'";
      return false;
    }
    if ((command.options & bit) == 0) {
      *error = std::string("'") + command.name + "' takes no option " + a +
               (command.options == 0 ? " (it takes no options; put '--' before arguments that begin with '--')"
                                     : " (see 'mdhost --help'; put '--' before arguments that begin with '--')");
      return false;
    }
    if (bit == kJson) call->json = true;
    if (bit == kInProcess) call->isolated = false;
    if (bit == kStrict) call->strict = true;
    if (bit == kQuiet) call->quiet = true;
    if (bit == kTimeout) {
      timeout_given = true;
      if (!Number(a, i + 1 < argc ? argv[++i] : nullptr, 1, 86400, &call->timeout_seconds, error)) return false;
    }
    if (bit == kWith) {
      if (i + 1 >= argc) {
        *error = "--with takes a plugin's path";
        return false;
      }
      call->extra_plugins.push_back(argv[++i]);
    }
    if (bit == kCycles && !Number(a, i + 1 < argc ? argv[++i] : nullptr, 0, 100000, &call->load_cycles, error))
      return false;
  }
  if (timeout_given && !call->isolated) {
    *error = "--timeout cannot be honoured with --in-process: a plugin that hangs would hang mdhost";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  host::UseBinaryOutput();
  if (argc < 2) return WrongCommandLine("no command given");
  const std::string first = argv[1];
  if (first == "--worker") return host::RunWorker(argc > 2 ? argv[2] : "");
  host::SetAsideOutput();  // what a plugin prints goes to standard error
  if (first == "-h" || first == "--help") {
    Usage(host::OwnOutput());
    return host::kExitOk;
  }
  if (first == "--version") {
    std::fprintf(host::OwnOutput(), "mdhost %s (ModuleDetails)\n", MD_VERSION_TEXT);
    return host::kExitOk;
  }
  const Command* command = nullptr;
  for (const Command& c : kCommands)
    if (first == c.name) command = &c;
  host::Invocation call;
  if (command == nullptr) {
    // The shorthand: a plugin's file alone means 'info'.
    if (argc == 2 && host::IsFile(first)) {
      call.arguments.push_back(first);
      return host::InfoCommand(call);
    }
    return WrongCommandLine("unknown command '" + first + "'");
  }
  std::string error;
  bool help = false;
  if (!ParseOptions(argc, argv, *command, &call, &help, &error)) return WrongCommandLine(error);
  if (help) {
    Usage(host::OwnOutput());
    return host::kExitOk;
  }
  if (call.arguments.size() < command->min_arguments || call.arguments.size() > command->max_arguments)
    return WrongCommandLine(std::string("'") + command->name + "' takes " + command->arguments);
  return command->run(call);
}
