// mdhost's command line: the commands and the options are one table each;
// parsing, each command's checks and the usage all come from them (and a
// test holds the README's option list to the usage).
#include "mdhost/commands/command_line.h"

#include <algorithm>
#include <cstdlib>

#include "mdhost/report/output.h"

namespace host {
namespace {

constexpr std::size_t kAny = 1000000;

const Command kCommands[] = {
    {"info", "PLUGIN", "print the plugin's five texts, SDK version and actions", 1, 1, kInfo, InfoCommand},
    {"check", "PLUGIN|FOLDER...", "check plugins (every one below a folder) against the host's contract", 1, kAny,
     kCheck, CheckCommand},
    {"scan", "FOLDER", "list every plugin module below a folder", 1, 1, kScan, ScanCommand},
    {"diff", "OLD NEW", "what changed for scripts between two versions of a plugin (or .xml)", 2, 2, kDiff,
     DiffCommand},
    {"doc", "PLUGIN|DOCUMENT.xml", "write the plugin's reference page (HTML, or Markdown)", 1, 1, kDoc, DocCommand},
    {"new", "NAME [DIR]", "start a plugin project (C; builds, checks clean, documents itself)", 1, 2, kNew, NewCommand},
    {"run", "PLUGIN SCRIPT [ARG...]", "run a Lua script with the plugin's actions", 2, kAny, kRun, RunCommand},
    {"help", "PLUGIN FOLDER [ACTION]", "ask the plugin to show its help page", 2, 3, kHelp, HelpCommand},
    {"explain", "MDnnn", "print a rule's page: what it checks, why, the fix, its severity", 1, 1, kExplain,
     ExplainCommand},
};

bool Number(const char* option, const char* value, long low, long high, int* out, std::string* error) {
  char* end = nullptr;
  const long number = std::strtol(value, &end, 10);
  if (*value == '\0' || *end != '\0' || number < low || number > high) {
    *error = std::string(option) + " takes a number from " + std::to_string(low) + " to " + std::to_string(high);
    return false;
  }
  *out = static_cast<int>(number);
  return true;
}

// "MD501,MD502" into the rule options at `level`; false for an ID that is
// no rule.
bool TakeRules(const char* option, const char* value, RuleLevel level, Invocation* call, std::string* error) {
  std::string list = value;
  for (std::size_t at = 0; at <= list.size();) {
    const std::size_t comma = std::min(list.find(',', at), list.size());
    const std::string id = list.substr(at, comma - at);
    if (!IsRuleId(id)) {
      *error = std::string(option) + ": " + (id.empty() ? "an empty rule ID" : id + " is no rule") +
               " (rules are named MDnnn, as in the findings; 'mdhost explain MDnnn')";
      return false;
    }
    call->rule_options.emplace_back(id, level);
    at = comma + 1;
  }
  return true;
}

// What a command shows, and so the formats it takes.
FormatUse UseOf(const Command& command) {
  return command.bit == kDoc ? kForPage : command.bit == kDiff ? kForDiff : kForReports;
}

// --format's value, by what the command shows; its default without one.
bool TakeFormat(const Command& command, Invocation* call, std::string* error) {
  const FormatUse use = UseOf(command);
  call->format = call->format_name.empty() ? &DefaultFormat(use) : FindFormat(call->format_name, use);
  if (call->format != nullptr) return true;
  *error = "--format takes " + FormatNames(use) + (use == kForPage ? " for doc" : "");
  return false;
}

struct Option {
  const char* name;
  const char* value;  // the value's name in the usage; null for a flag
  unsigned commands;  // the CommandBits of the commands that take it
  const char* help;   // null: --format's, which the formats' registry words
  // Takes the option (with its value) into the call; false (and why) for a
  // value it cannot take.
  bool (*take)(const char* value, Invocation* call, std::string* error);
};

constexpr unsigned kExamining = kInfo | kCheck | kScan | kDiff | kDoc | kRun;

const Option kOptions[] = {
    {"--json", nullptr, kInfo | kCheck | kScan | kDiff, "the same as --format json",
     [](const char*, Invocation* call, std::string*) {
       call->format_name = "json";
       return true;
     }},
    {"--format", "FORMAT", kInfo | kCheck | kScan | kDiff | kDoc, nullptr,
     [](const char* value, Invocation* call, std::string*) {
       call->format_name = value;
       return true;
     }},
    {"--timeout", "SECONDS", kExamining, "how long a plugin may keep mdhost waiting (default 10)",
     [](const char* value, Invocation* call, std::string* error) {
       call->timeout_given = true;
       return Number("--timeout", value, 1, 86400, &call->timeout_seconds, error);
     }},
    {"--in-process", nullptr, kExamining,
     "examine plugins in mdhost's own process (a crash ends the run; --timeout cannot be honoured there)",
     [](const char*, Invocation* call, std::string*) {
       call->isolated = false;
       return true;
     }},
    {"--cycles", "N", kCheck,
     "load-and-release cycles measured for the memory a plugin keeps per load (default 200; 0 measures nothing)",
     [](const char* value, Invocation* call, std::string* error) {
       return Number("--cycles", value, 0, 100000, &call->load_cycles, error);
     }},
    {"--allow", "MDnnn[,...]", kInfo | kCheck | kScan, "leave out the rules' findings (repeatable)",
     [](const char* value, Invocation* call, std::string* error) {
       return TakeRules("--allow", value, RuleLevel::kAllow, call, error);
     }},
    {"--warn", "MDnnn[,...]", kInfo | kCheck | kScan, "make the rules' findings WARN (repeatable)",
     [](const char* value, Invocation* call, std::string* error) {
       return TakeRules("--warn", value, RuleLevel::kWarn, call, error);
     }},
    {"--deny", "MDnnn[,...]", kInfo | kCheck | kScan, "make the rules' findings FAIL (repeatable)",
     [](const char* value, Invocation* call, std::string* error) {
       return TakeRules("--deny", value, RuleLevel::kDeny, call, error);
     }},
    {"--config", "FILE", kInfo | kCheck | kScan, "take the rules' levels from FILE, not from the mdhost.toml found",
     [](const char* value, Invocation* call, std::string*) {
       call->config_file = value;
       return true;
     }},
    {"--no-config", nullptr, kInfo | kCheck | kScan, "read no mdhost.toml",
     [](const char*, Invocation* call, std::string*) {
       call->no_config = true;
       return true;
     }},
    {"--jobs", "N", kCheck | kScan,
     "examine up to N plugins at once, each in a worker of its own (default: one per "
     "processor)",
     [](const char* value, Invocation* call, std::string* error) {
       return Number("--jobs", value, 1, 64, &call->jobs, error);
     }},
    {"--root", "DIR", kInfo | kCheck | kScan | kDiff,
     "the repository's folder, which SARIF's and github's paths are relative to (default: the nearest folder "
     "upward holding .git, else the working folder)",
     [](const char* value, Invocation* call, std::string*) {
       call->root = value;
       return true;
     }},
    {"--document", "SRC", kCheck,
     "the source document the module was built from: findings in its document are placed on SRC's lines",
     [](const char* value, Invocation* call, std::string*) {
       call->document = value;
       return true;
     }},
    {"--fix", nullptr, kCheck,
     "mend the mechanical mistakes of the source documents (a document named, or --document's) in place",
     [](const char*, Invocation* call, std::string*) {
       call->fix = true;
       return true;
     }},
    {"--diff", nullptr, kCheck, "with --fix: show the change as a diff and write nothing",
     [](const char*, Invocation* call, std::string*) {
       call->fix_diff = true;
       return true;
     }},
    {"--unsafe-fixes", nullptr, kCheck,
     "with --fix: make the unsafe fixes too, which may change what a script gets (a lone word quoted)",
     [](const char*, Invocation* call, std::string*) {
       call->unsafe_fixes = true;
       return true;
     }},
    {"--baseline", "FILE", kCheck | kScan,
     "the findings FILE holds (--write-baseline wrote it) are accepted: only new ones count",
     [](const char* value, Invocation* call, std::string*) {
       call->baseline = value;
       return true;
     }},
    {"--write-baseline", "FILE", kCheck | kScan, "write this run's findings to FILE, for --baseline",
     [](const char* value, Invocation* call, std::string*) {
       call->write_baseline = value;
       return true;
     }},
    {"--strict", nullptr, kCheck | kScan, "a WARN fails as a FAIL does",
     [](const char*, Invocation* call, std::string*) {
       call->strict = true;
       return true;
     }},
    {"--verbose", nullptr, kScan, "list the other modules too (those without getters: the helpers plugins import)",
     [](const char*, Invocation* call, std::string*) {
       call->verbose = true;
       return true;
     }},
    {"--quiet", nullptr, kCheck, "only WARN and FAIL lines and the verdicts",
     [](const char*, Invocation* call, std::string*) {
       call->quiet = true;
       return true;
     }},
    {"--with", "PLUGIN", kRun, "register that plugin's actions too, before PLUGIN's (repeatable)",
     [](const char* value, Invocation* call, std::string*) {
       call->extra_plugins.push_back(value);
       return true;
     }},
    {"-o", "FILE", kDoc, "write the page to FILE instead of standard output",
     [](const char* value, Invocation* call, std::string*) {
       call->output = value;
       return true;
     }},
    {"--release-type", "major|minor|patch", kDiff,
     "the release the new version is, instead of judging it from the two version texts",
     [](const char* value, Invocation* call, std::string* error) {
       call->release_type = value;
       if (call->release_type == "major" || call->release_type == "minor" || call->release_type == "patch") return true;
       *error = "--release-type takes major, minor or patch";
       return false;
     }},
    {"--name", "TEXT", kDoc, "the plugin's name on the page (a document alone has none)",
     [](const char* value, Invocation* call, std::string*) {
       call->page_name = value;
       return true;
     }},
    {"--version", "TEXT", kDoc, "the plugin's version on the page (a document alone has none)",
     [](const char* value, Invocation* call, std::string*) {
       call->page_version = value;
       return true;
     }},
    {"--lang", "c|cpp", kNew, "the new plugin's language (C by default)",
     [](const char* value, Invocation* call, std::string* error) {
       call->cpp = std::string(value) == "cpp";
       if (call->cpp || std::string(value) == "c") return true;
       *error = "--lang takes c or cpp";
       return false;
     }},
};

// "info, check, scan, diff": the commands an option's bits name.
std::string CommandList(unsigned commands) {
  std::string list;
  for (const Command& c : kCommands)
    if (commands & c.bit) list += (list.empty() ? "" : ", ") + std::string(c.name);
  return list;
}

}  // namespace

std::string RootOf(const Invocation& call) { return call.root.empty() ? RepositoryRoot() : call.root; }

std::unique_ptr<Emitter> MakeEmitter(const Invocation& call, Listing listing, Writer* out) {
  const Format& format = call.format ? *call.format : DefaultFormat(kForReports);
  return format.make({listing, call.strict, call.quiet, call.verbose, RootOf(call), out});
}

int JobsOf(const Invocation& call) {
  if (!call.isolated) return 1;  // plugins side by side in mdhost's own process would blame each other
  return call.jobs > 0 ? call.jobs : std::min(ProcessorCount(), 64);
}

const Command* FindCommand(const std::string& name) {
  for (const Command& c : kCommands)
    if (name == c.name) return &c;
  return nullptr;
}

void Usage(std::FILE* out) {
  std::fprintf(out, "usage: mdhost COMMAND [OPTION...] [ARGUMENT...] [--] [ARGUMENT...]\n\n");
  for (const Command& c : kCommands) {
    const std::string line = std::string(c.name) + " " + c.arguments;
    std::fprintf(out, "  mdhost %-32s %s\n", line.c_str(), c.summary);
  }
  std::fprintf(out, "  mdhost %-32s %s\n\noptions:\n", "PLUGIN", "same as 'mdhost info PLUGIN' when PLUGIN is a file");
  for (const Option& o : kOptions) {
    const std::string name = std::string(o.name) + (o.value ? std::string(" ") + o.value : "");
    const std::string help = o.help ? o.help : FormatHelp();  // --format's, from the formats' registry
    std::fprintf(out, "  %-20s (%s) %s\n", name.c_str(), CommandList(o.commands).c_str(), help.c_str());
  }
  std::fprintf(out,
               "  %-20s ends the options (run: script arguments may follow)\n"
               "  --help, --version\n\nexit codes:\n",
               "--");
  for (const ExitCode& code : kExitCodes) std::fprintf(out, "  %d  %s\n", code.code, code.meaning);
  std::fprintf(out, "'mdhost explain MDnnn' prints a rule's page; CHECKS.md (docs/checks.md) has them all.\n");
}

void CommandUsage(std::FILE* out, const Command& command) {
  std::fprintf(out, "usage: mdhost %s [OPTION...] %s\n  %s\n\noptions:\n", command.name, command.arguments,
               command.summary);
  for (const Option& o : kOptions) {
    if ((o.commands & command.bit) == 0) continue;
    const std::string name = std::string(o.name) + (o.value ? std::string(" ") + o.value : "");
    const std::string help = o.help ? o.help : FormatHelp(UseOf(command));  // only the formats it takes
    std::fprintf(out, "  %-20s %s\n", name.c_str(), help.c_str());
  }
  std::fprintf(out, "  %-20s ends the options\n  --help\n\nexit codes:\n", "--");
  for (const ExitCode& code : kExitCodes) std::fprintf(out, "  %d  %s\n", code.code, code.meaning);
  std::fprintf(out, "'mdhost --help' lists every command.\n");
}

// One line that says what is wrong, one that says where to look: the whole
// usage would bury the reason.
int WrongCommandLine(const std::string& why) {
  Complain(why);
  std::fprintf(stderr, "run 'mdhost --help' for the commands and their options\n");
  return kExitUsage;
}

// Takes the options out of the arguments after the command; "--" ends them.
// `*help` when --help was asked for.
bool ParseOptions(const std::vector<std::string>& arguments, const Command& command, Invocation* call, bool* help,
                  std::string* error) {
  bool options_end = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    // Anything that begins with '-' is an option ("-x" too, which no file is
    // named); what follows "--" is an argument, whatever it begins with.
    if (options_end || a.size() < 2 || a[0] != '-') {
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
    const Option* option = nullptr;
    for (const Option& o : kOptions)
      if (a == o.name) option = &o;
    if (option == nullptr) {
      *error = "unknown option '" + a + "'";
      return false;
    }
    if ((option->commands & command.bit) == 0) {
      bool takes_any = false;
      for (const Option& o : kOptions) takes_any = takes_any || (o.commands & command.bit);
      *error = std::string("'") + command.name + "' takes no option " + a +
               (takes_any ? " (see 'mdhost --help'; put '--' before arguments that begin with '-')"
                          : " (it takes no options; put '--' before arguments that begin with '-')");
      return false;
    }
    const char* value = "";
    if (option->value != nullptr) {
      if (i + 1 >= arguments.size()) {
        *error = a + " takes " + option->value;
        return false;
      }
      value = arguments[++i].c_str();
    }
    if (!option->take(value, call, error)) return false;
  }
  if (!TakeFormat(command, call, error)) return false;
  if (call->fix_diff && !call->fix) {
    *error = "--diff shows what --fix would change: give both";
    return false;
  }
  if (call->unsafe_fixes && !call->fix) {
    *error = "--unsafe-fixes widens what --fix makes: give both";
    return false;
  }
  if (!call->config_file.empty() && call->no_config) {
    *error = "--config and --no-config together: read FILE, or read none";
    return false;
  }
  if (call->timeout_given && !call->isolated) {
    *error = "--timeout cannot be honoured with --in-process: a plugin that hangs would hang mdhost";
    return false;
  }
  return true;
}

}  // namespace host
