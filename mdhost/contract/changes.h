// What changed between two versions of a plugin, as `diff` finds it and
// reports render it: the vocabulary the comparison and the renderer share.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "mdhost/contract/report_sink.h"

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

// One side of a diff as it is reported: which file, its name and version
// where it is a plugin (UTF-8), and why it could not be compared.
struct DiffSide {
  std::string path;  // as given (ANSI)
  std::optional<std::string> name, version;
  std::optional<Finding> failure;
};

struct DiffResult {
  DiffSide old_side, new_side;
  std::vector<Change> changes;  // breaking first, then compatible, then notes
  std::string warning;          // "" or why the version contradicts the changes
  bool Breaks() const;
  bool Compared() const { return !old_side.failure && !new_side.failure; }
};

}  // namespace host
