// The stand-in host's commands. Each takes its parsed invocation and returns
// the process's exit code.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mdhost/contract/plugin_report.h"
#include "mdhost/contract/rule_levels.h"
#include "mdhost/report/formats.h"

namespace host {

class Examiner;

// Exit codes, named once: the usage lists them from here.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;   // a check failed, a script raised, a plugin could not be read, scripts break
constexpr int kExitUsage = 2;    // the command line is wrong
constexpr int kExitNoInput = 3;  // a file or folder named is missing or unusable
constexpr int kExitNothing = 4;  // scan: no plugin module below the folder

struct ExitCode {
  int code;
  const char* meaning;
};
constexpr ExitCode kExitCodes[] = {
    {kExitOk, "success"},
    {kExitFailed,
     "a check failed (FAIL; with --strict, WARN too), a plugin could not be read, a script raised, or diff: scripts "
     "break and the new version is no major release"},
    {kExitUsage, "a wrong command line"},
    {kExitNoInput, "a file or folder that cannot be used (diff: a side whose actions cannot be read)"},
    {kExitNothing, "scan or check found no plugin module below a folder"},
};

struct Invocation {
  std::vector<std::string> arguments;  // after the command, options removed
  const Format* format = nullptr;      // --format, or the command's default (formats.h)
  std::string format_name;             // --format as given, read once the command is known
  bool isolated = true;
  bool strict = false;                     // WARN fails as FAIL does
  bool quiet = false;                      // only WARN and FAIL lines and the verdicts
  bool verbose = false;                    // scan: the other modules too
  std::vector<std::string> extra_plugins;  // run: registered before PLUGIN
  int timeout_seconds = 10;
  bool timeout_given = false;
  std::string output;                                  // doc: the page's file ("": standard output)
  std::optional<std::string> page_name, page_version;  // doc: the plugin's name and version, as given
  bool cpp = false;                                    // new: C++ instead of C
  int load_cycles = 200;     // check: load-and-release cycles measured for memory kept per load
  std::string release_type;  // diff: the release the new version is, as stated ("": from the version texts)
  // info, check, scan: the severities chosen for rules, in the options' order
  // (the later wins), and the project file that holds more.
  std::vector<std::pair<std::string, RuleLevel>> rule_options;
  std::string config_file;     // --config: this file instead of those found
  bool no_config = false;      // --no-config: no file at all
  int jobs = 0;                // check, scan: workers at once (0: one per processor)
  std::string root;            // --root: the repository, which SARIF's and GitHub's paths are relative to
                               // ("": the one the working folder lies in; RootOf)
  std::string document;        // check --document: the source document the module was built from
  bool fix = false;            // check --fix: mend the source documents' mechanical mistakes
  bool fix_diff = false;       // check --fix --diff: show the change, write nothing
  bool unsafe_fixes = false;   // check --fix --unsafe-fixes: the unsafe fixes too
  std::string baseline;        // check, scan --baseline: the findings accepted when the project began
  std::string write_baseline;  // check, scan --write-baseline: where this run's findings go
};

// kExitOk when `path` names a file; otherwise says why not on standard
// error and gives the exit code: kExitNoInput, or kExitFailed for a name the
// ANSI code page cannot hold (the file is there; the host cannot load it).
// `*why`, where given, receives the reason ("no such file"...; "" for a file).
int RequireFile(const std::string& path, std::string* why = nullptr);

// The file name's extension in lower case (".xml"), or "".
std::string ExtensionOf(const std::string& path);

// A plugin module (read in a worker, as check reads it) or an action
// document (a .xml file), as a report: its texts where it is a module, and
// its actions, or why they cannot be had (PluginReport::WhyNoActions).
PluginReport ReadActionSource(const std::string& path, Examiner& examiner);

// Why a path is of no use to the host when its name does not fit the
// system's ANSI code page (the host's names are ANSI texts).
constexpr char kNameNotInAnsi[] =
    "its name cannot be written in the system's ANSI code page, so the host cannot load a plugin by that path: "
    "rename it";

// The emitter of the format chosen, laid out for `listing`.
// `out`: where it writes (null: standard output).
std::unique_ptr<Emitter> MakeEmitter(const Invocation& call, Listing listing = Listing::kCheck, Writer* out = nullptr);
// The folder repository paths are relative to: --root, else the repository
// the working folder lies in.
std::string RootOf(const Invocation& call);

int InfoCommand(const Invocation& call);
int DocCommand(const Invocation& call);
int NewCommand(const Invocation& call);
int CheckCommand(const Invocation& call);
int ScanCommand(const Invocation& call);
int RunCommand(const Invocation& call);
// How many workers examine at once: --jobs, one per processor by default,
// one in mdhost's own process.
int JobsOf(const Invocation& call);
// run in a child mdhost (run_worker.cpp), and the child's side.
int RunIsolated(const Invocation& call);
int RunScriptWorker(const std::vector<std::string>& arguments);
int HelpCommand(const Invocation& call);
int DiffCommand(const Invocation& call);
int ExplainCommand(const Invocation& call);

}  // namespace host
