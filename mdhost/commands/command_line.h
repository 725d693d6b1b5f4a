// mdhost's command line: which commands there are, the options each takes,
// and the usage, from one table each.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "mdhost/commands/commands.h"

namespace host {

// The commands, as bits of each option's entry.
enum CommandBit : unsigned {
  kInfo = 1,
  kCheck = 2,
  kScan = 4,
  kDiff = 8,
  kDoc = 16,
  kNew = 32,
  kRun = 64,
  kHelp = 128,
  kExplain = 256
};

struct Command {
  const char* name;
  const char* arguments;
  const char* summary;
  std::size_t min_arguments, max_arguments;
  CommandBit bit;
  int (*run)(const Invocation&);
};

// The command of that name, or null.
const Command* FindCommand(const std::string& name);

// Takes the options out of `arguments` (those after the command); "--" ends
// them. `*help` when --help was asked for. False, and why, for a command
// line the command cannot take.
bool ParseOptions(const std::vector<std::string>& arguments, const Command& command, Invocation* call, bool* help,
                  std::string* error);

void Usage(std::FILE* out);
// One command's usage, summary, the options it takes and the exit codes.
void CommandUsage(std::FILE* out, const Command& command);
// Says why on standard error, and where the usage is; the exit code for it.
int WrongCommandLine(const std::string& why);

}  // namespace host
