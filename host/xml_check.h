// A small XML well-formedness check for action template documents, read as
// single-byte (Windows-1252) text.
#pragma once

#include <string>
#include <vector>

namespace host {

struct XmlReport {
  bool well_formed = false;
  std::string problem;                 // the first problem found, when not well-formed
  std::vector<std::string> action_names;  // texts of Action/Name elements under the root
};

XmlReport CheckXml(const std::string& text);

}  // namespace host
