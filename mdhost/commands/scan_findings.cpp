#include "mdhost/commands/scan_findings.h"

#include <fstream>
#include <map>
#include <set>

#include "mdhost/commands/commands.h"
#include "mdhost/contract/plugin_texts.h"
#include "mdhost/contract/report_sink.h"
#include "mdhost/contract/rules.h"
#include "mdhost/system/system.h"

namespace host {

std::string WhyNotAModule(const std::string& path) {
  const std::string extension = ExtensionOf(path);
  if (extension != ".lmd" && extension != ".dll") return "";
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  return file && file.tellg() == 0 ? "an empty file, named like a plugin module"
                                   : "not a module (no Windows module image), though named like one";
}

void CheckNeighbours(std::vector<PluginReport>& reports) {
  std::map<std::string, std::vector<std::size_t>> names, tables;
  for (std::size_t i = 0; i < reports.size(); ++i) {
    if (const std::string* name = reports[i].Text(kNameGetter)) names[*name].push_back(i);
    std::set<std::string> own;
    for (const std::string& action : reports[i].actions.value_or(std::vector<std::string>()))
      if (action.find('.') != std::string::npos) own.insert(action.substr(0, action.find('.')));
    for (const std::string& table : own) tables[table].push_back(i);
  }
  // One finding per cause: on each plugin that a plugin before it already
  // clashes with (the one the host registers later), naming those before.
  const auto warn = [&](const std::map<std::string, std::vector<std::size_t>>& groups, const char* rule,
                        const std::string& what, const std::string& consequence) {
    for (const auto& group : groups) {
      const std::vector<std::size_t>& members = group.second;
      for (std::size_t k = 1; k < members.size(); ++k) {
        std::string others;
        for (std::size_t before = 0; before < k; ++before)
          others += (before == 0 ? "" : ", ") + AnsiToUtf8(reports[members[before]].path);
        ReportSink(&reports[members[k]])
            .Warn(rule, what + " " + group.first + " is also " +
                            (rule == rule::kSameName ? "the name of " : "used by ") + others + "; " + consequence);
      }
    }
  };
  warn(names, rule::kSameName, "the name", "the host lists both alike and scripts cannot tell them apart");
  warn(tables, rule::kSameTable, "the action table", "the plugin registered last replaces the other's actions");
}

}  // namespace host
