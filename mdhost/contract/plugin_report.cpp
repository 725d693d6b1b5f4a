#include "mdhost/contract/plugin_report.h"

namespace host {

int PluginReport::Count(Severity severity) const {
  int n = 0;
  for (const Finding& finding : findings) n += finding.severity == severity;
  return n;
}

int PluginReport::Failures() const { return Count(Severity::kFail) + (error.empty() ? 0 : 1); }

const std::string* PluginReport::Text(const std::string& getter) const {
  const auto it = texts.find(getter);
  return it == texts.end() ? nullptr : &it->second;
}

}  // namespace host
