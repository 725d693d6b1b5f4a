#include "mdhost/contract/plugin_report.h"

#include <algorithm>

#include "mdhost/contract/plugin_texts.h"
#include "mdhost/contract/rules.h"

namespace host {

int PluginReport::Count(Severity severity) const {
  int n = 0;
  for (const Finding& finding : findings) n += finding.severity == severity;
  return n;
}

int PluginReport::Failures() const { return Count(Severity::kFail) + (error.empty() ? 0 : 1); }

bool PluginReport::HasFinding(const char* rule) const {
  for (const Finding& finding : findings)
    if (finding.rule == rule) return true;
  return false;
}

const std::string* PluginReport::Text(const std::string& getter) const {
  const auto it = texts.find(getter);
  return it == texts.end() ? nullptr : &it->second;
}

std::optional<Finding> PluginReport::WhyNoActions() const {
  if (!error.empty()) return Finding{error_rule, Severity::kFail, error};
  if (actions_failure) return actions_failure;
  if (actions) return std::nullopt;
  return Finding{rule::kGetterMissing, Severity::kFail, std::string(kActionXmlGetter) + ": not exported"};
}

std::vector<Finding> PluginReport::Listed() const {
  std::vector<Finding> listed;
  if (!error.empty()) listed.push_back({error_rule, Severity::kFail, error});
  listed.insert(listed.end(), findings.begin(), findings.end());
  return listed;
}

void PluginReport::KeepProblemsOnly() {
  findings.erase(std::remove_if(findings.begin(), findings.end(), [](const Finding& f) { return !f.IsProblem(); }),
                 findings.end());
}

}  // namespace host
