// What changed between two versions of a plugin's action document, told as a
// script author meets it: a change that can make a script written for the
// old version fail is breaking; one that cannot is compatible; changes of
// the plugin's own texts are notes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "mdhost/contract/changes.h"
#include "mdhost/examine/action_document.h"

namespace host {

// The plugin's side of a comparison: its texts where it is a module.
struct ComparedSide {
  std::string path;
  std::optional<std::string> name, version, lua_version;
  std::optional<int32_t> sdk_version;  // 1 for SDK1
  std::vector<ActionSpec> actions;
};

// The changes, breaking first, then compatible, then notes; within each,
// by action in the documents' order.
std::vector<Change> CompareActions(const ComparedSide& old_side, const ComparedSide& new_side);

// True when the version text's first number rose ("1.4" -> "2.0").
bool MajorVersionRose(const std::string& old_version, const std::string& new_version);

}  // namespace host
