// A unified diff of two versions of one file, as patch and git apply take
// it: the file's own bytes (line ends and encoding kept), hunks with three
// lines of context, "\ No newline at end of file" where due.
#pragma once

#include <string>

namespace host {

// The diff from `before` to `after`, both named `name` ("a/NAME", "b/NAME");
// "" when they are the same.
std::string UnifiedDiff(const std::string& name, const std::string& before, const std::string& after, int context = 3);

}  // namespace host
