// What changed between two versions of a plugin's action document, told as a
// script author meets it: a change that can make a script written for the
// old version fail is breaking; one that cannot is compatible; changes of
// the plugin's own texts are notes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "mdhost/examine/action_document.h"

namespace host {

enum class ChangeClass { kBreaking, kCompatible, kNote };

struct Change {
  ChangeClass what;
  std::string kind;      // a stable name: "action_removed", "argument_type"...
  std::string action;    // "" for the plugin's own texts
  std::string argument;  // "" where no one argument is concerned
  std::string old_value, new_value;
  std::string text;      // the line a reader sees
};

// The plugin's side of a comparison: its texts where it is a module.
struct Compared {
  std::string path;
  std::optional<std::string> name, version, lua_version;
  std::optional<int32_t> sdk_version;  // 1 for SDK1
  std::vector<ActionSpec> actions;
};

// The changes, breaking first, then compatible, then notes; within each,
// by action in the documents' order.
std::vector<Change> CompareActions(const Compared& old_side, const Compared& new_side);

// True when the version text's first number rose ("1.4" -> "2.0").
bool MajorVersionRose(const std::string& old_version, const std::string& new_version);

}  // namespace host
