// mdhost explain MDnnn: one rule's page in the terminal (what it checks, why
// it matters in the host, the fix, its severity), as CHECKS.md has it.
#include <algorithm>
#include <cctype>

#include "mdhost/commands/commands.h"
#include "mdhost/commands/rule_pages.h"
#include "mdhost/contract/rules.h"
#include "mdhost/report/output.h"

namespace host {

std::string RulePage(const std::string& id) {
  const std::string text(RulePagesText(), RulePagesTextSize());
  const std::size_t start = text.find("\n### " + id + " ");
  if (id.empty() || start == std::string::npos) return "";
  // The page ends at the next heading; its code blocks hold lines with '#'.
  std::size_t end = std::min(text.find("\n### ", start + 1), text.find("\n## ", start + 1));
  if (end == std::string::npos) end = text.size();
  std::string page = text.substr(start + 1, end - start - 1);
  while (!page.empty() && page.back() == '\n') page.pop_back();
  return page + "\n";
}

// The page as a reader in a terminal wants it: without the markers the page's
// tools leave in it (<!-- example MDnnn -->).
std::string ForTheTerminal(const std::string& page) {
  std::string out;
  std::size_t at = 0;
  while (at < page.size()) {
    std::size_t end = page.find('\n', at);
    end = end == std::string::npos ? page.size() : end + 1;
    const std::string line = page.substr(at, end - at);
    if (line.compare(0, 4, "<!--") != 0) out += line;
    at = end;
  }
  return out;
}

int ExplainCommand(const Invocation& call) {
  std::string id = call.arguments[0];
  for (char& c : id) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::string page = FindRule(id) ? RulePage(id) : "";
  if (page.empty()) {
    Complain("no rule " + call.arguments[0] + ": rules are named MDnnn, as in the findings (CHECKS.md lists them)");
    return kExitUsage;
  }
  Print(ForTheTerminal(page));
  return kExitOk;
}

}  // namespace host
