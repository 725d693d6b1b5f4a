#include "mdhost/report/plugin_report.h"

namespace host {

int PluginReport::Failures() const {
  int failures = error.empty() ? 0 : 1;
  for (const Finding& finding : findings) failures += finding.severity == Severity::kFail;
  return failures;
}

const std::string* PluginReport::Text(const std::string& getter) const {
  const auto it = texts.find(getter);
  return it == texts.end() ? nullptr : &it->second;
}

}  // namespace host
