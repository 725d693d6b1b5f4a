// A plugin's reference page, made from the facts its action document and
// its getters hold, in each page format (html_format.cpp, markdown_format.cpp,
// and the editors' stubs in luacheck_format.cpp and luals_format.cpp): what
// the page says, and the words every format shares. Every text from the
// plugin is escaped by the format that shows it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "mdhost/contract/actions.h"

namespace host {

struct PluginPage {
  std::optional<std::string> name, version, lua_version, author;  // UTF-8; none for a bare document
  std::string title;                                              // used where the plugin has no name (UTF-8)
  std::vector<ActionSpec> actions;
  std::vector<EasyModeEntry> details;  // the document's own Extended fields: Copyright, Web...
};

inline std::string PageTitle(const PluginPage& page) { return page.name ? *page.name : page.title; }
inline bool IsOptional(const ArgumentSpec& argument) { return argument.required == "0"; }

// "Table.Action(First, Second [, Optional])", as a script writes the call.
std::string CallSyntax(const ActionSpec& action);

// "Table.Action(First [, Optional]) → string": the call and what it returns.
std::string Signature(const ActionSpec& action);

// Each action's anchor: its name, or name-2, -3... for a name seen before.
std::vector<std::string> Anchors(const std::vector<ActionSpec>& actions);

// The actions' indexes by table (the name before its first '.'), the tables
// in the order they first appear.
std::vector<std::pair<std::string, std::vector<std::size_t>>> ByTable(const std::vector<ActionSpec>& actions);

// A plugin's text as HTML text: markup characters as entities, control
// characters as \xNN (line breaks kept where `lines`).
std::string HtmlEscaped(const std::string& utf8, bool lines = true);

// Each EasyMode child on a line of its own, its text exactly as written:
// "DataType: combo<br>Constraints: a;b;c". `text` escapes a plugin's text.
std::string EasyModeText(const std::vector<EasyModeEntry>& entries, std::string (*text)(const std::string&));

std::string HtmlPage(const PluginPage& page);
std::string MarkdownPage(const PluginPage& page);

}  // namespace host
