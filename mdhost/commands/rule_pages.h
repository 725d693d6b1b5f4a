// Every rule's page, as docs/checks.md (CHECKS.md in mdhost's zip) has it,
// built into mdhost for `mdhost explain`.
#pragma once

#include <cstddef>
#include <string>

namespace host {

// The whole of docs/checks.md (made by the build from the file itself).
const char* RulePagesText();
std::size_t RulePagesTextSize();

// One rule's page, from its "### MDnnn" heading to the next heading; "" for
// an ID no rule has.
std::string RulePage(const std::string& id);

}  // namespace host
