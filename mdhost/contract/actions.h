// A plugin's actions as its action document describes them, as the host
// shows them to script authors: what the reader makes, and what diff and
// the help page use. Texts are UTF-8.
#pragma once

#include <string>
#include <vector>

#include "mdhost/contract/finding.h"

namespace host {

// One child element and its text: of an argument's EasyMode (DataType,
// Constraints, Default...), or of the Extended section (Copyright...).
struct EasyModeEntry {
  std::string name, text;
  bool operator==(const EasyModeEntry& other) const { return name == other.name && text == other.text; }
};

struct ArgumentSpec {
  std::string name, description, type, default_value, required;
  std::vector<EasyModeEntry> easy_mode;  // in document order, each text exactly as written
  Place place;
};

// "DataType=file; Constraints=*.txt": an EasyMode in one line, for a diff.
inline std::string EasyModeLine(const std::vector<EasyModeEntry>& entries) {
  std::string line;
  for (const EasyModeEntry& e : entries) line += (line.empty() ? "" : "; ") + e.name + "=" + e.text;
  return line;
}

struct ActionSpec {
  std::string name, description, return_type;
  std::vector<ArgumentSpec> arguments;
  Place place;
  // From the Extended section's Action of the same place, where there is one.
  std::string return_description, example, note;
};

}  // namespace host
