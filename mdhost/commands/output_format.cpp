#include "mdhost/commands/output_format.h"

#include <cctype>

#include "mdhost/commands/rule_pages.h"
#include "mdhost/contract/rules.h"
#include "mdhost/system/system.h"

namespace host {
namespace {

Severity SeverityNamed(const std::string& name) {
  return name == "FAIL"   ? Severity::kFail
         : name == "WARN" ? Severity::kWarn
         : name == "NOTE" ? Severity::kNote
                          : Severity::kPass;
}

// The heading's anchor as Markdown renderers make it: "md501-memory-kept-per-load".
std::string Anchor(const std::string& id, const std::string& title) {
  std::string anchor;
  for (unsigned char c : id + " " + title) {
    if (std::isalnum(c))
      anchor += static_cast<char>(std::tolower(c));
    else if (c == ' ' || c == '-')
      anchor += '-';
  }
  return anchor;
}

}  // namespace

std::vector<RuleDescription> RuleDescriptions() {
  const std::string pages = FileUri(AnsiToUtf8(FolderOf(AbsolutePath(OwnProgramPath()))) + "/CHECKS.md");
  std::vector<RuleDescription> rules;
  for (const char* id : rule::kAll) {
    const std::string title = RuleTitle(id);
    rules.push_back({id, title, SeverityNamed(RuleSeverityName(id)), pages + "#" + Anchor(id, title)});
  }
  return rules;
}

bool PrintForPrograms(const Invocation& call, const std::vector<PluginReport>& reports,
                      const std::vector<Skipped>& skipped) {
  switch (call.format) {
    case OutputFormat::kJson: PrintJson(ResultsJson(reports, skipped, call.strict)); return true;
    case OutputFormat::kSarif: PrintJson(SarifLog(reports, RuleDescriptions())); return true;
    case OutputFormat::kGithub: Print(GithubAnnotations(reports)); return true;
    default: return false;
  }
}

}  // namespace host
