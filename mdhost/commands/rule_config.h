// The severities an author chose for each plugin's rules: the project file
// mdhost.toml, found from the plugin's folder upward (the first one found;
// --config FILE instead, none with --no-config), then --allow, --warn and
// --deny in their order, the later winning.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "mdhost/commands/commands.h"
#include "mdhost/contract/rule_levels.h"

namespace host {

constexpr char kRuleFileName[] = "mdhost.toml";

// A file's [rules] table (`MD501 = "allow"`) into `settings`; false, and why
// naming the file, line and key, for a file that is no TOML, holds another
// table or key, names no rule mdhost has, or a level other than allow, warn
// or deny.
bool ReadRuleFile(const std::string& path, RuleSettings* settings, std::string* error);

// A project's mdhost.toml as `mdhost new` writes it: every rule at its own
// severity, commented out, as the place to change them.
std::string RuleFileTemplate();

class RuleChoices {
 public:
  explicit RuleChoices(const Invocation& call) : call_(call) {}

  // The settings of each plugin; false, and why, when a file cannot be used.
  bool Find(const std::vector<std::string>& plugins, std::string* error);
  // Those of a plugin Find was given (none for another).
  const RuleSettings& For(const std::string& plugin) const;
  void Apply(PluginReport* report) const { ApplyRuleSettings(For(report->path), report); }

 private:
  std::optional<std::string> FileFor(const std::string& plugin);

  const Invocation& call_;
  std::map<std::string, RuleSettings> by_plugin_;
  std::map<std::string, std::optional<std::string>> file_of_folder_;  // found already
};

}  // namespace host
