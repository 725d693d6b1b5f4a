#include "mdhost/contract/rule_levels.h"

#include <algorithm>

#include "mdhost/contract/rules.h"

namespace host {

std::optional<RuleLevel> RuleLevelNamed(const std::string& name) {
  if (name == "allow") return RuleLevel::kAllow;
  if (name == "warn") return RuleLevel::kWarn;
  if (name == "deny") return RuleLevel::kDeny;
  return std::nullopt;
}

bool IsRuleId(const std::string& id) { return FindRule(id) != nullptr; }

void ApplyRuleSettings(const RuleSettings& settings, PluginReport* report) {
  if (settings.empty()) return;
  std::vector<Finding>& findings = report->findings;
  findings.erase(std::remove_if(findings.begin(), findings.end(),
                                [&](const Finding& f) {
                                  const auto it = settings.find(f.rule);
                                  return !f.crashed && !NeverAccepted(f.rule) && it != settings.end() &&
                                         it->second.level == RuleLevel::kAllow;
                                }),
                 findings.end());
  for (Finding& finding : findings) {
    const auto it = settings.find(finding.rule);
    if (it == settings.end() || finding.severity == Severity::kPass || finding.crashed || NeverAccepted(finding.rule))
      continue;
    const Severity chosen = it->second.level == RuleLevel::kDeny ? Severity::kFail : Severity::kWarn;
    if (chosen == finding.severity) continue;
    finding.rule_severity = finding.severity;
    finding.severity = chosen;
    finding.set_by = it->second.set_by;
    finding.set_by_option = it->second.by_option;
  }
}

}  // namespace host
