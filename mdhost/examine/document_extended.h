// The Extended section of an action document, paired with its actions: an
// entry belongs to the action its Name names; only when no entry is named
// and there is one entry per action does place pair them. An entry that
// cannot be paired gives no action its text: the help would show one action
// with another's example.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "mdhost/contract/actions.h"

namespace host {

struct ExtendedEntry {  // an Extended/Action: more about one action
  Place place;
  std::string name, return_description, example, note;
};

// Gives each action the texts of its entry; `unpaired` hears of each entry
// (or the whole section, by its path) that cannot be paired, and the action
// it names, if any (MD314).
void PairExtendedEntries(const std::vector<ExtendedEntry>& entries, std::vector<ActionSpec>* specs,
                         const std::function<void(const std::string& path, Place at, const std::string& what,
                                                  const std::string& named)>& unpaired);

}  // namespace host
