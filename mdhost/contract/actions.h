// A plugin's actions as its action document describes them, as the host
// shows them to script authors: what the reader makes, and what diff and
// the help page use. Texts are UTF-8.
#pragma once

#include <string>
#include <vector>

#include "mdhost/contract/finding.h"

namespace host {

struct ArgumentSpec {
  std::string name, description, type, default_value, required;
  std::string easy_mode;  // its EasyMode children as "Name=text;" in document order
  Place place;
};

struct ActionSpec {
  std::string name, description, return_type;
  std::vector<ArgumentSpec> arguments;
  Place place;
  // From the Extended section's Action of the same place, where there is one.
  std::string return_description, example, note;
};

}  // namespace host
