// doc's page as Markdown, for a repository's README: the same content as
// the HTML page, every text of the plugin escaped as Markdown needs.
#include <algorithm>
#include <memory>

#include "mdhost/report/emitter.h"

namespace host {
namespace {

std::string Html(const std::string& utf8, bool lines = true) { return HtmlEscaped(utf8, lines); }

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

std::string MdText(const std::string& utf8) { return Md(utf8); }

std::size_t LongestBacktickRun(const std::string& text) {
  std::size_t longest = 0, run = 0;
  for (char c : text) longest = std::max(longest, run = c == '`' ? run + 1 : 0);
  return longest;
}

// A text as a code span: code shows every character as it is (no entities),
// so only the fence keeps it whole, one backtick longer than any run inside;
// a space pads a backtick at either end, which would join the fence.
std::string Code(const std::string& utf8) {
  const std::string text = Escaped(utf8);
  const std::string fence(LongestBacktickRun(text) + 1, '`');
  const bool pad = !text.empty() && (text.front() == '`' || text.back() == '`');
  return fence + (pad ? " " : "") + text + (pad ? " " : "") + fence;
}

// A link to an anchor: every byte but the unreserved ones percent-encoded,
// so that no ")", space or "<" ends the target; browsers decode it to match.
std::string AnchorTarget(const std::string& anchor) { return "#" + PercentEncoded(anchor, ""); }

// An example as a fenced Lua block, its text as it is (control characters
// aside): the fence is longer than any run of backticks inside.
std::string LuaBlock(const std::string& utf8) {
  const std::string text = Escaped(utf8, true);
  const std::string fence(std::max<std::size_t>(3, LongestBacktickRun(text) + 1), '`');
  return fence + "lua\n" + text + (text.empty() || text.back() != '\n' ? "\n" : "") + fence + "\n";
}

class MarkdownEmitter : public Emitter {
 public:
  std::string Page(const PluginPage& page) override { return MarkdownPage(page); }
};

}  // namespace

std::string MarkdownPage(const PluginPage& page) {
  const std::vector<std::string> anchors = Anchors(page.actions);
  std::string out = "# " + Md(PageTitle(page)) + "\n\n";
  if (page.version || page.lua_version)
    out += "Version " + Md(page.version.value_or("-")) + " · " + Md(page.lua_version.value_or("-")) + "\n\n";
  if (page.author) out += Md(*page.author, true) + "\n\n";
  for (const EasyModeEntry& d : page.details) out += "- **" + Md(d.name) + "**: " + Md(d.text) + "\n";
  if (!page.details.empty()) out += "\n";
  out += "## Actions\n\n";
  for (const auto& table : ByTable(page.actions)) {
    out += "- " + Md(table.first) + " (" + std::to_string(table.second.size()) + ")\n";
    for (std::size_t i : table.second)
      out += "  - [" + Md(page.actions[i].name) + "](" + AnchorTarget(anchors[i]) + ")\n";
  }
  for (std::size_t i = 0; i < page.actions.size(); ++i) {
    const ActionSpec& a = page.actions[i];
    out += "\n<a id=\"" + Html(anchors[i]) + "\"></a>\n\n## " + Code(Signature(a)) + "\n\n";
    if (!a.description.empty()) out += Md(a.description, true) + "\n\n";
    out += "**Returns** " + Code(a.return_type.empty() ? "nil" : a.return_type) +
           (a.return_description.empty() ? "" : ": " + Md(a.return_description)) + "\n\n";
    if (!a.arguments.empty()) {
      out += "| Argument | Type | Required | Default | Description | EasyMode |\n|---|---|---|---|---|---|\n";
      for (const ArgumentSpec& g : a.arguments)
        out += "| " + Md(g.name) + " | " + Md(g.type) + " | " + (IsOptional(g) ? "no" : "yes") + " | " +
               Md(g.default_value) + " | " + Md(g.description) + " | " + EasyModeText(g.easy_mode, MdText) + " |\n";
      out += "\n";
    }
    if (!a.example.empty()) out += "**Example**\n\n" + LuaBlock(a.example) + "\n";
    if (!a.note.empty()) out += "**Note** " + Md(a.note) + "\n";
  }
  return out;
}

std::unique_ptr<Emitter> MakeMarkdownEmitter(const OutputOptions&) { return std::make_unique<MarkdownEmitter>(); }

}  // namespace host
