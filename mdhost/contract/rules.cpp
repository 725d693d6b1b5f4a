#include "mdhost/contract/rules.h"

#include "mdhost/contract/finding.h"

namespace host {

const Rule* FindRule(const std::string& id) {
  for (const Rule& rule : rule::kAll)
    if (id == rule.id) return &rule;
  return nullptr;
}

Severity RuleSeverity(const std::string& id) {
  const Rule* rule = FindRule(id);
  return rule ? rule->severity : Severity::kFail;
}

Finding Found(const char* rule, std::string text, Subject subject) {
  return {rule, RuleSeverity(rule), std::move(text), std::move(subject)};
}

}  // namespace host
