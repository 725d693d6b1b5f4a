#include "mdhost/contract/plugin_report.h"

#include <algorithm>
#include <tuple>

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

void PluginReport::OrderByPlace() {
  std::vector<std::size_t> slots;
  std::vector<Finding> placed;
  for (std::size_t i = 0; i < findings.size(); ++i)
    if (findings[i].subject.place.line > 0) {
      slots.push_back(i);
      placed.push_back(std::move(findings[i]));
    }
  std::stable_sort(placed.begin(), placed.end(), [](const Finding& a, const Finding& b) {
    const Place& p = a.subject.place;
    const Place& q = b.subject.place;
    return std::tie(a.subject.file, p.line, p.column) < std::tie(b.subject.file, q.line, q.column);
  });
  for (std::size_t k = 0; k < slots.size(); ++k) findings[slots[k]] = std::move(placed[k]);
}

void PluginReport::KeepProblemsOnly() {
  findings.erase(std::remove_if(findings.begin(), findings.end(), [](const Finding& f) { return !f.IsProblem(); }),
                 findings.end());
}

}  // namespace host
