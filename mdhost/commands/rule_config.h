// What an author chose for each plugin: the project file mdhost.toml, found
// from the plugin's folder upward (the first one found; --config FILE
// instead, none with --no-config), with its rule levels ([rules]), the
// source document its module is built from (document = "actions.xml") and
// the findings it accepts ([[ignore]]); then --allow, --warn and --deny in
// their order, the later winning.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mdhost/commands/commands.h"
#include "mdhost/contract/rule_levels.h"

namespace host {

constexpr char kRuleFileName[] = "mdhost.toml";

// One [[ignore]] entry: the findings of `rule` it accepts, narrowed by
// action, argument and a glob of the files (relative to the project file's
// folder) where given.
struct IgnoreEntry {
  std::string rule, action, argument, file, reason;
  std::string project_file;  // the mdhost.toml it is in
  int line = 0;              // its line there
};

struct ProjectSettings {
  RuleSettings rules;
  std::optional<std::string> document;  // made relative to the working folder
  std::vector<IgnoreEntry> ignores;
  std::vector<std::string> globals;  // the project's own Lua globals, which a Default may read
};

// A project file into `project`; false, and why naming the file, line and
// key, for a file that cannot be read, is no TOML, holds another table or
// key, names no rule mdhost has, or a level other than allow, warn or deny.
bool ReadProjectFile(const std::string& path, ProjectSettings* project, std::string* error);

// A project's mdhost.toml as `mdhost new` writes it: every rule at its own
// severity, commented out, as the place to change them; the source document
// where given.
std::string RuleFileTemplate(const std::string& document = "");

class RuleChoices {
 public:
  explicit RuleChoices(const Invocation& call) : call_(call) {}

  // What was chosen for each plugin; false, and why, when a file cannot be used.
  bool Find(const std::vector<std::string>& plugins, std::string* error);
  // The levels of a plugin Find was given (none for another).
  const RuleSettings& For(const std::string& plugin) const;
  // The source document its project file names, if any.
  std::optional<std::string> DocumentFor(const std::string& plugin) const;
  // The levels chosen, and no MD311 for a Default that reads a global the
  // project declares (from any thread: it changes nothing here).
  void Apply(PluginReport* report) const;
  // The [[ignore]] entries: a finding an entry matches goes to the report's
  // suppressed (a crash never does). From one thread at a time.
  void Accept(PluginReport* report);
  // Whether an [[ignore]] entry takes the report's findings, uncounted.
  bool WouldIgnore(PluginReport* report) const;
  // The project files read so far.
  std::vector<std::string> FilesRead() const;
  // A NOTE for each [[ignore]] entry of the files read that matched no
  // finding in this run, placed on its line.
  std::vector<Finding> UnusedIgnores() const;

 private:
  std::optional<std::string> FileFor(const std::string& plugin);

  const Invocation& call_;
  std::map<std::string, std::string> file_of_plugin_;
  std::map<std::string, std::optional<std::string>> file_of_folder_;  // found already
  std::map<std::string, ProjectSettings> files_;                      // read, by path

  std::map<const IgnoreEntry*, int> used_;  // findings each entry matched
  std::map<std::string, RuleSettings> by_plugin_;
};

}  // namespace host
