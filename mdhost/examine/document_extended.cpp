#include "mdhost/examine/document_extended.h"

#include <map>

namespace host {
namespace {

std::string Count(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

void PairExtendedEntries(const std::vector<ExtendedEntry>& entries, std::vector<ActionSpec>* specs,
                         const std::function<void(const std::string& path, Place at, const std::string& what,
                                                  const std::string& named)>& unpaired) {
  if (entries.empty()) return;
  const auto give = [](const ExtendedEntry& entry, ActionSpec* action) {
    action->return_description = entry.return_description;
    action->example = entry.example;
    action->note = entry.note;
  };
  bool named = false;
  for (const ExtendedEntry& entry : entries) named = named || !entry.name.empty();
  const std::string section = "/ActionTemplates/Extended";
  if (!named) {
    if (entries.size() == specs->size()) {
      for (std::size_t i = 0; i < entries.size(); ++i) give(entries[i], &(*specs)[i]);
      return;
    }
    unpaired(section, entries.front().place,
             Count(entries.size(), "entry", "entries") + " for " + Count(specs->size(), "action", "actions") +
                 ", none named: which entry tells of which action is unknown, so the help shows none; "
                 "give each entry the Name of its action",
             "");
    return;
  }
  std::map<std::string, int> taken;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const ExtendedEntry& entry = entries[i];
    const std::string path = section + "/Action[" + std::to_string(i + 1) + "]";
    if (entry.name.empty()) {
      unpaired(path, entry.place, "an entry without a Name among named ones: it belongs to no action; name its action",
               "");
      continue;
    }
    ActionSpec* action = nullptr;
    for (ActionSpec& spec : *specs)
      if (spec.name == entry.name) action = &spec;
    if (action == nullptr) {
      unpaired(path, entry.place, "the entry names " + entry.name + ", which is no action of the document", entry.name);
    } else if (++taken[entry.name] == 2) {
      unpaired(path, entry.place, "a second entry for " + entry.name + ": the first one is shown", entry.name);
    } else {
      give(entry, action);
    }
  }
}

}  // namespace host
