// check --fix: the mechanical mistakes of a source document mended in place,
// for the rules the rule list calls fixable (a misspelt type name with one
// did-you-mean, a plain string Default without its quotes). Each fix
// rewrites the text of one element; no other byte changes (encoding,
// indentation, comments and line ends kept).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "mdhost/contract/finding.h"

namespace host {

struct SourceFix {
  Finding finding;     // with its fix and place, as the round that made it read them
  std::string before;  // the text it replaced
};

struct SourceFixes {
  std::vector<SourceFix> fixed;  // in the order made
  std::string diff;              // the change as a unified diff ("" for none)
  bool settled = true;           // false: fixes still came after the last round
};

// How many rounds of fixes are made at most: each round reads the document
// again, since a fix may make another possible.
constexpr int kFixRounds = 100;

// Reads `source`, makes the fixes its findings carry that `wanted` says yes
// to (the author's levels and accepted findings left alone), and writes the
// file back unless `write` is false (--diff). The diff names the file
// `diff_name` (its path in the repository). False, and why, when it cannot
// be read or written.
bool FixSource(const std::string& source, const std::string& diff_name, bool write,
               const std::function<bool(const Finding&)>& wanted, SourceFixes* out, std::string* error);

// "actions.xml:10:9: fixed MD310 numbr -> number".
std::string FixedLine(const std::string& source, const SourceFix& fix);

}  // namespace host
