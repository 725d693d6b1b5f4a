#include "mdhost/contract/report_sink.h"

namespace host {

void ReportSink::AddToCause(const char* rule, const std::string& export_name, const std::string& shown, CauseText say) {
  std::vector<Finding>& findings = report_->findings;
  auto known = causes_.find(rule);
  if (known == causes_.end() || known->second.index >= findings.size() || findings[known->second.index].rule != rule) {
    known = causes_.insert_or_assign(rule, Cause{findings.size(), {}, shown}).first;
    Add(rule, "");
  }
  Cause& cause = known->second;
  cause.exports.push_back(export_name);
  Finding& finding = findings[cause.index];
  finding.subject.exports += (finding.subject.exports.empty() ? "" : ", ") + export_name;
  finding.text = say(cause.exports, cause.first_shown);
}

}  // namespace host
