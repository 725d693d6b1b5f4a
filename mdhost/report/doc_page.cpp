#include "mdhost/report/doc_page.h"

#include <algorithm>
#include <map>

#include "mdhost/report/output.h"

namespace host {
namespace {

// A plugin's text as HTML text: markup characters as entities, control
// characters as \xNN (line breaks kept where `lines`).
std::string Html(const std::string& utf8, bool lines = true) {
  std::string out;
  for (char c : Escaped(utf8, lines)) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

// A plugin's text in Markdown, escaped no more than Markdown needs: the
// marks that act anywhere in a line (emphasis, code, links, a table's bar,
// strike-through), HTML's own characters, and, where it starts a line, a
// mark that would make a heading or list of it. Line breaks are <br> (a
// table cell is one line).
std::string Md(const std::string& utf8, bool line_start = false) {
  std::string out;
  for (char c : Escaped(utf8, true)) {
    if (c == '\r') continue;
    if (c == '\n')
      out += "<br>";
    else if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (std::string("\\`*_[]|~").find(c) != std::string::npos)
      out += std::string("\\") + c;
    else
      out += c;
  }
  if (!line_start) return out;
  std::size_t digits = 0;
  while (digits < out.size() && out[digits] >= '0' && out[digits] <= '9') ++digits;
  const bool numbered = digits > 0 && digits < out.size() && (out[digits] == '.' || out[digits] == ')');
  if (numbered)
    out.insert(digits, "\\");
  else if (!out.empty() && std::string("#-+=").find(out[0]) != std::string::npos)
    out.insert(0, "\\");
  return out;
}

bool Optional(const ArgumentSpec& argument) { return argument.required == "0"; }

std::string Title(const PluginPage& page) { return page.name ? *page.name : page.title; }

// Each EasyMode child on a line of its own, its text exactly as written:
// "DataType: combo<br>Constraints: a;b;c". `text` escapes a plugin's text.
std::string EasyMode(const std::vector<EasyModeEntry>& entries, std::string (*text)(const std::string&)) {
  std::string out;
  for (const EasyModeEntry& e : entries) out += (out.empty() ? "" : "<br>") + text(e.name) + ": " + text(e.text);
  return out;
}

std::string HtmlText(const std::string& utf8) { return Html(utf8); }

// A signature that may wrap after a dot or a parenthesis, never inside a
// name: "Table.<wbr>Action(<wbr>First, Second)".
std::string Breakable(const std::string& html) {
  std::string out;
  for (char c : html) {
    out += c;
    if (c == '.' || c == '(') out += "<wbr>";
  }
  return out;
}
std::string MdText(const std::string& utf8) { return Md(utf8); }

// An example as a fenced Lua block, its text as it is (control characters
// aside): the fence is longer than any run of backticks inside.
std::string LuaBlock(const std::string& utf8) {
  const std::string text = Escaped(utf8, true);
  std::size_t longest = 0, run = 0;
  for (char c : text) longest = std::max(longest, run = c == '`' ? run + 1 : 0);
  const std::string fence(std::max<std::size_t>(3, longest + 1), '`');
  return fence + "lua\n" + text + (text.empty() || text.back() != '\n' ? "\n" : "") + fence + "\n";
}

// The author's text as paragraphs: a blank line between two, a line break
// within one.
std::string Paragraphs(const std::string& utf8) {
  std::string out, paragraph;
  std::size_t at = 0;
  const auto flush = [&] {
    if (!paragraph.empty()) out += "<p class=\"author\">" + paragraph + "</p>\n";
    paragraph.clear();
  };
  while (at <= utf8.size()) {
    std::size_t end = utf8.find('\n', at);
    if (end == std::string::npos) end = utf8.size();
    std::string line = utf8.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos)
      flush();
    else
      paragraph += (paragraph.empty() ? "" : "<br>") + Html(line, false);
    at = end + 1;
  }
  flush();
  return out;
}

// Words are never broken: a word longer than its line wraps whole where it
// can, and a table wider than a phone scrolls in its own box.
const char kStyle[] =
    "body{font-family:sans-serif;max-width:60em;margin:2em auto;padding:0 1em;line-height:1.45;color:#222}"
    "code,pre{font-family:monospace;background:#f3f3f3}pre{padding:.6em;white-space:pre-wrap;overflow-wrap:break-word}"
    ".table{overflow-x:auto}table{border-collapse:collapse;width:100%}th,td{border:1px solid #ccc;"
    "padding:.25em .5em;text-align:left;vertical-align:top}th{white-space:nowrap}td{overflow-wrap:break-word}"
    "h2 code{font-size:.85em}a.permalink{margin-left:.4em;color:#999;text-decoration:none;"
    "font-weight:normal}section{border-top:1px solid #ddd;margin-top:1.5em}"
    "#contents-list ul{columns:16em;margin:.3em 0}#contents-list "
    "summary{cursor:pointer}dl.details{display:grid;grid-template-columns:"
    "max-content auto;gap:.2em 1em}dl.details dd{margin:0;overflow-wrap:break-word}";

}  // namespace

std::string CallSyntax(const ActionSpec& action) {
  std::string call = action.name + "(";
  int open = 0;
  for (std::size_t i = 0; i < action.arguments.size(); ++i) {
    const ArgumentSpec& argument = action.arguments[i];
    if (Optional(argument)) {
      call += i == 0 ? "[" : " [, ";
      ++open;
    } else if (i > 0) {
      call += ", ";
    }
    call += argument.name;
  }
  return call + std::string(static_cast<std::size_t>(open), ']') + ")";
}

std::string Signature(const ActionSpec& action) {
  return CallSyntax(action) + " \u2192 " + (action.return_type.empty() ? "nil" : action.return_type);
}

std::vector<std::string> Anchors(const std::vector<ActionSpec>& actions) {
  std::map<std::string, int> seen;
  std::vector<std::string> anchors;
  for (const ActionSpec& action : actions) {
    const int n = ++seen[action.name];
    anchors.push_back(n == 1 ? action.name : action.name + "-" + std::to_string(n));
  }
  return anchors;
}

namespace {

// The actions by table (the name before its first '.'), the tables in the
// order they first appear: the contents lists them so.
std::vector<std::pair<std::string, std::vector<std::size_t>>> ByTable(const std::vector<ActionSpec>& actions) {
  std::vector<std::pair<std::string, std::vector<std::size_t>>> tables;
  std::map<std::string, std::size_t> seen;
  for (std::size_t i = 0; i < actions.size(); ++i) {
    const std::string table = actions[i].name.substr(0, actions[i].name.find('.'));
    const auto found = seen.emplace(table, tables.size());
    if (found.second) tables.push_back({table, {}});
    tables[found.first->second].second.push_back(i);
  }
  return tables;
}

// A plugin with many actions shows its tables closed, so that the list of
// tables stays on the first screen and each opens on its own.
std::string HtmlContents(const std::vector<ActionSpec>& actions, const std::vector<std::string>& anchors) {
  constexpr std::size_t kShownOpen = 100;
  std::string out = "<div id=\"contents-list\">\n";
  for (const auto& table : ByTable(actions)) {
    out += std::string("<details") + (actions.size() <= kShownOpen ? " open" : "") + "><summary>" + Html(table.first) +
           " (" + std::to_string(table.second.size()) + ")</summary>\n<ul>\n";
    for (std::size_t i : table.second)
      out += "<li><a href=\"#" + Html(anchors[i]) + "\">" + Html(actions[i].name) + "</a></li>\n";
    out += "</ul>\n</details>\n";
  }
  return out + "</div>\n";
}

}  // namespace

std::string HtmlPage(const PluginPage& page) {
  const std::vector<std::string> anchors = Anchors(page.actions);
  std::string out =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
      Html(Title(page), false) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n";
  out += "<h1>" + Html(Title(page)) + "</h1>\n";
  if (page.version || page.lua_version)
    out += "<p>Version " + Html(page.version.value_or("-")) + " &middot; " + Html(page.lua_version.value_or("-")) +
           "</p>\n";
  if (page.author) out += Paragraphs(*page.author);
  if (!page.details.empty()) {
    out += "<dl class=\"details\">\n";
    for (const EasyModeEntry& d : page.details) out += "<dt>" + Html(d.name) + "</dt><dd>" + Html(d.text) + "</dd>\n";
    out += "</dl>\n";
  }
  out += "<h2 id=\"contents\">Actions</h2>\n" + HtmlContents(page.actions, anchors);
  for (std::size_t i = 0; i < page.actions.size(); ++i) {
    const ActionSpec& a = page.actions[i];
    out += "<section id=\"" + Html(anchors[i]) + "\">\n<h2><code>" + Breakable(Html(Signature(a))) +
           "</code><a class=\"permalink\" href=\"#" + Html(anchors[i]) +
           "\" title=\"Link to this action\">#</a></h2>\n";
    if (!a.description.empty()) out += "<p>" + Html(a.description) + "</p>\n";
    out += "<p><b>Returns</b> <code>" + Html(a.return_type.empty() ? "nil" : a.return_type) + "</code>" +
           (a.return_description.empty() ? "" : ": " + Html(a.return_description)) + "</p>\n";
    if (!a.arguments.empty()) {
      out +=
          "<div "
          "class=\"table\"><table>\n<tr><th>Argument</th><th>Type</th><th>Required</th><th>Default</"
          "th><th>Description</th>"
          "<th>EasyMode</th></tr>\n";
      for (const ArgumentSpec& g : a.arguments)
        out += "<tr><td><code>" + Html(g.name) + "</code></td><td>" + Html(g.type) + "</td><td>" +
               (Optional(g) ? "no" : "yes") + "</td><td><code>" + Html(g.default_value) + "</code></td><td>" +
               Html(g.description) + "</td><td>" + EasyMode(g.easy_mode, HtmlText) + "</td></tr>\n";
      out += "</table></div>\n";
    }
    if (!a.example.empty()) out += "<h3>Example</h3>\n<pre>" + Html(a.example) + "</pre>\n";
    if (!a.note.empty()) out += "<h3>Note</h3>\n<p>" + Html(a.note) + "</p>\n";
    out += "</section>\n";
  }
  return out + "</body>\n</html>\n";
}

std::string MarkdownPage(const PluginPage& page) {
  const std::vector<std::string> anchors = Anchors(page.actions);
  std::string out = "# " + Md(Title(page)) + "\n\n";
  if (page.version || page.lua_version)
    out += "Version " + Md(page.version.value_or("-")) + " · " + Md(page.lua_version.value_or("-")) + "\n\n";
  if (page.author) out += Md(*page.author, true) + "\n\n";
  for (const EasyModeEntry& d : page.details) out += "- **" + Md(d.name) + "**: " + Md(d.text) + "\n";
  if (!page.details.empty()) out += "\n";
  out += "## Actions\n\n";
  for (const auto& table : ByTable(page.actions)) {
    out += "- " + Md(table.first) + " (" + std::to_string(table.second.size()) + ")\n";
    for (std::size_t i : table.second) out += "  - [" + Md(page.actions[i].name) + "](#" + Html(anchors[i]) + ")\n";
  }
  for (std::size_t i = 0; i < page.actions.size(); ++i) {
    const ActionSpec& a = page.actions[i];
    out += "\n<a id=\"" + Html(anchors[i]) + "\"></a>\n\n## `" + Html(Signature(a), false) + "`\n\n";
    if (!a.description.empty()) out += Md(a.description, true) + "\n\n";
    out += "**Returns** `" + Html(a.return_type.empty() ? "nil" : a.return_type, false) + "`" +
           (a.return_description.empty() ? "" : ": " + Md(a.return_description)) + "\n\n";
    if (!a.arguments.empty()) {
      out += "| Argument | Type | Required | Default | Description | EasyMode |\n|---|---|---|---|---|---|\n";
      for (const ArgumentSpec& g : a.arguments)
        out += "| " + Md(g.name) + " | " + Md(g.type) + " | " + (Optional(g) ? "no" : "yes") + " | " +
               Md(g.default_value) + " | " + Md(g.description) + " | " + EasyMode(g.easy_mode, MdText) + " |\n";
      out += "\n";
    }
    if (!a.example.empty()) out += "**Example**\n\n" + LuaBlock(a.example) + "\n";
    if (!a.note.empty()) out += "**Note** " + Md(a.note) + "\n";
  }
  return out;
}

}  // namespace host
