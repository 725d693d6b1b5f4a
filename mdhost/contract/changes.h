// What changed between two versions of a plugin, as `diff` finds it and
// reports render it: the vocabulary the comparison and the renderer share.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "mdhost/contract/plugin_report.h"

namespace host {

enum class ChangeClass { kBreaking, kCompatible, kNote };

// "BREAKING", "compatible", "note": a class as every output names it.
inline const char* ChangeClassName(ChangeClass what) {
  return what == ChangeClass::kBreaking ? "BREAKING" : what == ChangeClass::kCompatible ? "compatible" : "note";
}

struct Change {
  ChangeClass what;
  std::string kind;      // a stable name: "action_removed", "argument_type"...
  std::string action;    // "" for the plugin's own texts
  std::string argument;  // "" where no one argument is concerned
  std::string old_value, new_value;
  std::string text;  // the line a reader sees
};

// The release the new version is, against the one its changes need: a
// change that breaks scripts needs a major release.
struct VersionVerdict {
  std::optional<std::string> old_version, new_version;  // the version texts (UTF-8); none for a document
  std::string release;          // "major", "minor", "patch", "none"; "" where the texts are no dotted numbers
  bool release_stated = false;  // the author stated it (--release-type) rather than the texts
  std::string required;         // "major" where scripts break, else "none"
  bool ok = true;
};

// Two reports compared; a side whose actions cannot be had (WhyNoActions)
// is not compared.
struct DiffResult {
  PluginReport old_side, new_side;
  std::vector<Change> changes;  // breaking first, then compatible, then notes
  VersionVerdict versions;
  bool Breaks() const {
    for (const Change& change : changes)
      if (change.what == ChangeClass::kBreaking) return true;
    return false;
  }
  bool Compared() const { return !old_side.WhyNoActions() && !new_side.WhyNoActions(); }
  int Count(ChangeClass what) const {
    int n = 0;
    for (const Change& change : changes) n += change.what == what;
    return n;
  }
};

}  // namespace host
