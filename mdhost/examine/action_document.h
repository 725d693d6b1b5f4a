// A plugin's action XML, read by a real XML parser (Expat) as text in the
// system's ANSI code page and held against the host's action template vocabulary: the root
// ActionTemplates; each Action with a Name of the form Table.Function, a
// Description, a ReturnValueType and Arguments of Arg elements, each with a
// Name, Description, Type, Default and Required; and the optional Extended
// section. Missing required elements are failures, unknown ones notes; each
// finding names the element's path.
#pragma once

#include <string>
#include <vector>

#include "mdhost/report/plugin_report.h"

namespace host {

struct ActionDocument {
  bool well_formed = false;
  std::string problem;                // Expat's reason, with line and column, when not well-formed
  std::vector<Finding> findings;      // about the vocabulary (only when well-formed)
  std::vector<std::string> actions;   // the texts of /ActionTemplates/Action/Name
};

ActionDocument ReadActionDocument(const std::string& ansi_text);

}  // namespace host
