// check --fix: the mechanical mistakes of a source document mended in place,
// for the rules the rule list calls fixable (a misspelt type name with one
// did-you-mean, a plain string Default without its quotes). Each fix
// rewrites the text of one element; no other byte changes (encoding,
// indentation, comments and line ends kept).
#pragma once

#include <string>
#include <vector>

#include "mdhost/contract/finding.h"

namespace host {

struct SourceFixes {
  std::vector<Finding> fixed;       // each with its fix and place, in document order
  std::vector<std::string> before;  // the text each fix replaced
  std::string diff;                 // the change as a unified diff ("" for none)
};

// Reads `source`, makes the fixes its findings carry, and writes the file
// back unless `write` is false (--diff); false, and why, when it cannot be
// read or written.
bool FixSource(const std::string& source, bool write, SourceFixes* out, std::string* error);

// "actions.xml:10:9: fixed MD310 numbr -> number".
std::string FixedLine(const std::string& source, const Finding& fixed, const std::string& before);

}  // namespace host
