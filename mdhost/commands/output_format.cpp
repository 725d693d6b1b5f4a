#include "mdhost/commands/output_format.h"

#include <cctype>

#include "mdhost/contract/rules.h"
#include "mdhost/system/system.h"

namespace host {
namespace {

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
  for (const Rule& rule : rule::kAll)
    rules.push_back({rule.id, rule.title, rule.severity, pages + "#" + Anchor(rule.id, rule.title)});
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
