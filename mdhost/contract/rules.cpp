#include "mdhost/contract/rules.h"

#include "mdhost/contract/finding.h"

namespace host {

const Rule* FindRule(const std::string& id) {
  for (const Rule& rule : rule::kAll)
    if (id == rule.id) return &rule;
  return nullptr;
}

bool NeverAccepted(const std::string& id) {
  return id == rule::kNotWellFormed ||
         (id.size() == 5 && id.compare(0, 4, "MD00") == 0 && id[4] >= '1' && id[4] <= '8');
}

Severity RuleSeverity(const std::string& id) {
  const Rule* rule = FindRule(id);
  return rule ? rule->severity : Severity::kFail;
}

Finding Found(const char* rule, std::string text, Subject subject) {
  return {rule, RuleSeverity(rule), std::move(text), std::move(subject)};
}

std::string FindingSentence(const Finding& finding) {
  const Subject& s = finding.subject;
  if (s.place.line == 0) return finding.text;
  if (!s.file.empty()) return s.element.empty() ? finding.text : s.element + ": " + finding.text;
  if (s.element.empty())
    return "action XML: " + finding.text + " at line " + std::to_string(s.place.line) + ", column " +
           std::to_string(s.place.column);
  return "action XML " + s.element + " (line " + std::to_string(s.place.line) + "): " + finding.text;
}

}  // namespace host
