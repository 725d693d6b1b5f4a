// doc's page as one self-contained HTML page: every text of the plugin
// escaped, an anchor per action (#Table.Action) that a help export can open.
#include <memory>

#include "mdhost/report/emitter.h"

namespace host {
namespace {

std::string Html(const std::string& utf8, bool lines = true) { return HtmlEscaped(utf8, lines); }

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

class HtmlEmitter : public Emitter {
 public:
  std::string Page(const PluginPage& page) override { return HtmlPage(page); }
};

}  // namespace

std::string HtmlPage(const PluginPage& page) {
  const std::vector<std::string> anchors = Anchors(page.actions);
  std::string out =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
      Html(PageTitle(page), false) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n";
  out += "<h1>" + Html(PageTitle(page)) + "</h1>\n";
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
               (IsOptional(g) ? "no" : "yes") + "</td><td><code>" + Html(g.default_value) + "</code></td><td>" +
               Html(g.description) + "</td><td>" + EasyModeText(g.easy_mode, HtmlText) + "</td></tr>\n";
      out += "</table></div>\n";
    }
    if (!a.example.empty()) out += "<h3>Example</h3>\n<pre>" + Html(a.example) + "</pre>\n";
    if (!a.note.empty()) out += "<h3>Note</h3>\n<p>" + Html(a.note) + "</p>\n";
    out += "</section>\n";
  }
  return out + "</body>\n</html>\n";
}

std::unique_ptr<Emitter> MakeHtmlEmitter(const OutputOptions&) { return std::make_unique<HtmlEmitter>(); }

}  // namespace host
