// info, check and scan in the formats for programs (--format json, sarif,
// github): the whole output at once, after every plugin is examined.
#pragma once

#include <vector>

#include "mdhost/commands/commands.h"
#include "mdhost/report/ci_formats.h"

namespace host {

// Every rule as SARIF describes it, its page in the CHECKS.md beside mdhost.
std::vector<RuleDescription> RuleDescriptions();

// Prints `reports` as call.format asks; false (nothing printed) for text.
bool PrintForPrograms(const Invocation& call, const std::vector<PluginReport>& reports,
                      const std::vector<Skipped>& skipped);

}  // namespace host
