// check --fix: the mechanical mistakes of a source document mended in place,
// for the rules the rule list calls fixable (a misspelt type name with one
// did-you-mean, a plain string Default without its quotes). Each fix
// rewrites the text of one element; no other byte changes (encoding,
// indentation, comments and line ends kept).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "mdhost/contract/actions.h"
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
  int unsafe_left = 0;           // unsafe fixes not asked for, in the last round
};

// Which fixes are made: those `wanted` says yes to (the author's levels and
// accepted findings left alone; it sees the document's actions), the safe
// ones only unless `unsafe`; the file written back unless not `write`
// (--diff).
struct FixChoices {
  std::function<bool(const Finding&, const std::vector<ActionSpec>&)> wanted;
  bool unsafe = false;
  bool write = true;
};

// How many rounds of fixes are made at most: each round reads the document
// again, since a fix may make another possible.
constexpr int kFixRounds = 100;

// The fixes `choices` take made in `text`, in rounds; what was fixed, and
// whether the rounds settled, in `out` (not its diff). Touches no file.
std::string FixText(const std::string& text, const FixChoices& choices, SourceFixes* out);

// Reads `source`, makes the fixes its findings carry that `choices` take,
// and writes the file back as they say. The diff names the file
// `diff_name` (its path in the repository). False, and why, when it cannot
// be read or written.
bool FixSource(const std::string& source, const std::string& diff_name, const FixChoices& choices, SourceFixes* out,
               std::string* error);

// "actions.xml:10:9: fixed MD310 numbr -> number".
std::string FixedLine(const std::string& source, const SourceFix& fix);

}  // namespace host
