// The outputs CI systems read: SARIF 2.1.0 (one run: mdhost with its rules,
// each finding a result on the plugin's file, a finding in the action
// document with its line and column) and GitHub's workflow commands (one
// annotation line per finding). Both come from the same reports as the text
// and the JSON; the plugin's texts in them are escaped as each format needs.
#pragma once

#include <string>
#include <vector>

#include "mdhost/contract/changes.h"
#include "mdhost/contract/plugin_report.h"
#include "mdhost/report/output.h"

namespace host {

// What SARIF says of a rule: its page's title and severity, where its page is.
struct RuleDescription {
  std::string id, title;
  Severity severity;
  std::string help_uri;
};

// "file:///C:/p/My%20Plugin.lmd" of an absolute path (UTF-8, either separator).
std::string FileUri(const std::string& absolute_utf8_path);

nlohmann::json SarifLog(const std::vector<PluginReport>& reports, const std::vector<RuleDescription>& rules);
nlohmann::json SarifDiffLog(const DiffResult& result);

// "::error file=p.lmd,line=3,col=7,title=MD310::text": PASS findings have
// none; the error (a plugin that could not be read) is one.
std::string GithubAnnotations(const std::vector<PluginReport>& reports);
std::string GithubDiffAnnotations(const DiffResult& result);

}  // namespace host
