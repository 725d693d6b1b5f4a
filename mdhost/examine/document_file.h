// An action document as its author edits it (actions.xml): told apart from
// a module by its bytes, whatever its name, and checked alone, every finding
// placed on the file's own lines; and held against the document a module was
// built from.
#pragma once

#include <optional>
#include <string>

#include "mdhost/contract/plugin_report.h"
#include "mdhost/examine/examination.h"

namespace host {

// A file that is no module and is XML by its first character (after a byte
// order mark and white space), or is named .xml.
bool IsActionDocumentFile(const std::string& path);

// The document read as the host reads a plugin's (`what` as an examination
// takes it): its actions and what it says against the host's vocabulary,
// each finding with its place in `path`.
PluginReport ExamineDocumentFile(const std::string& path, Examination what);

// The first line (1-based) where two documents differ once their line ends
// are read as the host's XML parser reads them (CR LF and CR as LF, none
// after the last line); none when they are the same.
std::optional<int> FirstDifferingLine(const std::string& a, const std::string& b);

// The findings in the module's document placed on `source`'s lines, where
// the module was built from it; otherwise a WARN (MD315) naming the first
// line that differs, or saying that `source` cannot be read.
void PlaceOnSource(PluginReport* report, const std::string& source);

}  // namespace host
