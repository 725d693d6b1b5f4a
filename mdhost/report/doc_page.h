// A plugin's reference page, made from the facts its action document and
// its getters hold: one self-contained HTML page, or Markdown with the same
// content. Every text from the plugin is escaped.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "mdhost/contract/actions.h"

namespace host {

struct PluginPage {
  std::optional<std::string> name, version, lua_version, author;  // UTF-8; none for a bare document
  std::string title;                                              // used where the plugin has no name (UTF-8)
  std::vector<ActionSpec> actions;
  std::vector<EasyModeEntry> details;  // the document's own Extended fields: Copyright, Web...
};

// "Table.Action(First, Second [, Optional])", as a script writes the call.
std::string CallSyntax(const ActionSpec& action);

// "Table.Action(First [, Optional]) → string": the call and what it returns.
std::string Signature(const ActionSpec& action);

// Each action's anchor: its name, or name-2, -3... for a name seen before.
std::vector<std::string> Anchors(const std::vector<ActionSpec>& actions);

std::string HtmlPage(const PluginPage& page);
std::string MarkdownPage(const PluginPage& page);

}  // namespace host
