// A diff as text or JSON, from the one result `diff` builds.
#pragma once

#include "mdhost/contract/changes.h"

namespace host {

// Prints the result; docs/json.md describes the JSON.
void PrintDiff(const DiffResult& result, bool json);

}  // namespace host
