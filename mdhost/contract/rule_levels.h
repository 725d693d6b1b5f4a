// The severities an author chooses for rules (--allow, --warn, --deny, and
// mdhost.toml's [rules]): allow drops a rule's findings, warn and deny make
// them WARN and FAIL. A report's error (a plugin that could not be read) is
// no finding and stays as it is.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "mdhost/contract/plugin_report.h"

namespace host {

enum class RuleLevel { kAllow, kWarn, kDeny };

struct RuleSetting {
  RuleLevel level;
  std::string set_by;      // "--deny", or the file and line that says it ("C:\\p\\mdhost.toml:4")
  bool by_option = false;  // a command-line option chose it, not a file
};

using RuleSettings = std::map<std::string, RuleSetting>;  // by rule ID

std::optional<RuleLevel> RuleLevelNamed(const std::string& name);  // "allow", "warn", "deny"
bool IsRuleId(const std::string& id);                              // a rule mdhost has

// Each finding of a rule set: dropped (allow), or given the severity chosen
// (its own kept in rule_severity, set_by saying where the choice is made).
// A PASS stays a pass: a choice weighs what was found wrong. A crash stays
// a FAIL: no choice lowers it.
void ApplyRuleSettings(const RuleSettings& settings, PluginReport* report);

}  // namespace host
