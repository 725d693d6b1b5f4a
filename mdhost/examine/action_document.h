// A plugin's action XML, read by a real XML parser (Expat) as text in the
// system's ANSI code page and held against the host's action template
// vocabulary: the root ActionTemplates; each Action with a Name of the form
// Table.Function, a Description, a ReturnValueType and Arguments of Arg
// elements, each with a Name, Description, Type, Default and Required; and
// the optional Extended section, whose entries are paired with their actions
// by Name (by place only when none is named and the counts agree). Each
// finding's subject names the element's path and place (FindingSentence says
// them); the rule list gives each rule's severity.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "mdhost/contract/actions.h"
#include "mdhost/contract/finding.h"

namespace host {

struct ActionDocument {
  bool well_formed = false;
  std::string problem;                        // Expat's reason, when not well-formed
  Place problem_place;                        // and that line and column
  std::optional<Edit> problem_fix;            // how --fix mends it (a byte order mark removed), if it can
  std::vector<Finding> findings;              // about the vocabulary (only when well-formed), each naming its line
  std::vector<std::string> actions;           // the texts of /ActionTemplates/Action/Name (UTF-8)
  std::vector<ActionSpec> specs;              // each action as the host shows it (UTF-8)
  std::vector<EasyModeEntry> plugin_details;  // the Extended section's own leaves (UTF-8)
};

ActionDocument ReadActionDocument(const std::string& ansi_text);
// MD301's words for a document that is not well-formed, wherever it is said.
inline std::string NotWellFormedText(const ActionDocument& document) { return "not well-formed: " + document.problem; }

}  // namespace host
