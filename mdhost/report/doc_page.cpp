#include "mdhost/report/doc_page.h"

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

// A plugin's text in Markdown: as HTML text, with Markdown's own marks
// taken literally and line breaks as <br> (a table cell is one line).
std::string Md(const std::string& utf8) {
  std::string out;
  for (char c : Html(utf8)) {
    if (c == '\r') continue;
    if (c == '\n') {
      out += "<br>";
      continue;
    }
    if (std::string("\\`*_{}[]()#+-.!|~").find(c) != std::string::npos) out += '\\';
    out += c;
  }
  return out;
}

bool Optional(const ArgumentSpec& argument) { return argument.required == "0"; }

std::string Title(const PluginPage& page) { return page.name ? *page.name : page.title; }

// "DataType=file;Constraints=*.txt;" as "DataType: file, Constraints: *.txt".
std::string EasyMode(const std::string& pairs) {
  std::string out;
  for (std::size_t at = 0; at < pairs.size();) {
    const std::size_t end = pairs.find(';', at);
    const std::string pair = pairs.substr(at, end == std::string::npos ? std::string::npos : end - at);
    const std::size_t equals = pair.find('=');
    if (!pair.empty())
      out += (out.empty() ? "" : ", ") + pair.substr(0, equals) +
             (equals == std::string::npos ? "" : ": " + pair.substr(equals + 1));
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return out;
}

const char kStyle[] =
    "body{font-family:sans-serif;max-width:60em;margin:2em auto;padding:0 1em;line-height:1.45;color:#222}"
    "code,pre{font-family:monospace;background:#f3f3f3}pre{padding:.6em;white-space:pre-wrap;overflow-wrap:anywhere}"
    "table{border-collapse:collapse;width:100%}th,td{border:1px solid #ccc;padding:.25em .5em;text-align:left;"
    "vertical-align:top}th{white-space:nowrap}td{overflow-wrap:anywhere}"
    "section{border-top:1px solid #ddd;margin-top:1.5em}";

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

std::vector<std::string> Anchors(const std::vector<ActionSpec>& actions) {
  std::map<std::string, int> seen;
  std::vector<std::string> anchors;
  for (const ActionSpec& action : actions) {
    const int n = ++seen[action.name];
    anchors.push_back(n == 1 ? action.name : action.name + "-" + std::to_string(n));
  }
  return anchors;
}

std::string HtmlPage(const PluginPage& page) {
  const std::vector<std::string> anchors = Anchors(page.actions);
  std::string out = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
                    Html(Title(page), false) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n";
  out += "<h1>" + Html(Title(page)) + "</h1>\n";
  if (page.version || page.lua_version)
    out += "<p>Version " + Html(page.version.value_or("-")) + " &middot; " + Html(page.lua_version.value_or("-")) +
           "</p>\n";
  if (page.author) out += "<pre class=\"author\">" + Html(*page.author) + "</pre>\n";
  out += "<h2 id=\"contents\">Actions</h2>\n<ul>\n";
  for (std::size_t i = 0; i < page.actions.size(); ++i)
    out += "<li><a href=\"#" + Html(anchors[i]) + "\">" + Html(page.actions[i].name) + "</a></li>\n";
  out += "</ul>\n";
  for (std::size_t i = 0; i < page.actions.size(); ++i) {
    const ActionSpec& a = page.actions[i];
    out += "<section id=\"" + Html(anchors[i]) + "\">\n<h2><code>" + Html(CallSyntax(a)) + "</code></h2>\n";
    if (!a.description.empty()) out += "<p>" + Html(a.description) + "</p>\n";
    out += "<p><b>Returns</b> <code>" + Html(a.return_type.empty() ? "nil" : a.return_type) + "</code>" +
           (a.return_description.empty() ? "" : ": " + Html(a.return_description)) + "</p>\n";
    if (!a.arguments.empty()) {
      out +=
          "<table>\n<tr><th>Argument</th><th>Type</th><th>Required</th><th>Default</th><th>Description</th>"
          "<th>EasyMode</th></tr>\n";
      for (const ArgumentSpec& g : a.arguments)
        out += "<tr><td><code>" + Html(g.name) + "</code></td><td>" + Html(g.type) + "</td><td>" +
               (Optional(g) ? "no" : "yes") + "</td><td><code>" + Html(g.default_value) + "</code></td><td>" +
               Html(g.description) + "</td><td>" + Html(EasyMode(g.easy_mode)) + "</td></tr>\n";
      out += "</table>\n";
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
  if (page.author) out += Md(*page.author) + "\n\n";
  out += "## Actions\n\n";
  for (std::size_t i = 0; i < page.actions.size(); ++i)
    out += "- [" + Md(page.actions[i].name) + "](#" + Html(anchors[i]) + ")\n";
  for (std::size_t i = 0; i < page.actions.size(); ++i) {
    const ActionSpec& a = page.actions[i];
    out += "\n<a id=\"" + Html(anchors[i]) + "\"></a>\n\n## `" + Html(CallSyntax(a), false) + "`\n\n";
    if (!a.description.empty()) out += Md(a.description) + "\n\n";
    out += "**Returns** `" + Html(a.return_type.empty() ? "nil" : a.return_type, false) + "`" +
           (a.return_description.empty() ? "" : ": " + Md(a.return_description)) + "\n\n";
    if (!a.arguments.empty()) {
      out += "| Argument | Type | Required | Default | Description | EasyMode |\n|---|---|---|---|---|---|\n";
      for (const ArgumentSpec& g : a.arguments)
        out += "| " + Md(g.name) + " | " + Md(g.type) + " | " + (Optional(g) ? "no" : "yes") + " | " +
               Md(g.default_value) + " | " + Md(g.description) + " | " + Md(EasyMode(g.easy_mode)) + " |\n";
      out += "\n";
    }
    if (!a.example.empty()) out += "**Example**\n\n<pre>" + Html(a.example) + "</pre>\n\n";
    if (!a.note.empty()) out += "**Note** " + Md(a.note) + "\n";
  }
  return out;
}

}  // namespace host
