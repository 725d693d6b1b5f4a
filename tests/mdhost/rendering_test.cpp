// What mdhost prints: texts made safe for a terminal and for a page, the
// verdict lines, the encoding plugin texts are read in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mdhost/examine/action_document.h"
#include "mdhost/report/doc_page.h"
#include "mdhost/report/formats.h"
#include "mdhost/report/output.h"
#include "mdhost/system/encoding.h"

namespace {

TEST(Encoding, Windows1252IsTheWindowsTableNotLatin1) {
  EXPECT_EQ(0x20ACu, host::Windows1252(0x80));  // the euro sign
  EXPECT_EQ(0x2122u, host::Windows1252(0x99));
  EXPECT_EQ(0x81u, host::Windows1252(0x81));  // unassigned: the C1 control
  EXPECT_EQ(0xE9u, host::Windows1252(0xE9));
  std::string utf8;
  host::AppendUtf8(host::Windows1252(0x80), &utf8);
  EXPECT_EQ("\xE2\x82\xAC", utf8);
}

// Control characters (C0, DEL, C1) become \xNN; a tab and line breaks stay
// where lines are kept, and a no-break space is text like any other. A lone
// CR is no line break but a carriage return, which would let a text write
// over the start of mdhost's own line.
TEST(Rendering, ControlCharactersAreShownAndTextIsKept) {
  EXPECT_EQ("a\\x7Fb\\x1B\\x85c", host::Escaped("a\x7F"
                                                "b\x1B\xC2\x85"
                                                "c"));
  EXPECT_EQ("tab\there\r\nnbsp\xC2\xA0.", host::Escaped("tab\there\r\nnbsp\xC2\xA0.", true));
  EXPECT_EQ("tab\\x09", host::Escaped("tab\t"));
  EXPECT_EQ("name\\x0DPASS\nnext\r\nend\\x0D", host::Escaped("name\rPASS\nnext\r\nend\r", true));
}

// Columns padded to a width; a longer word kept whole, never a wrapped size.
TEST(Rendering, PaddingNeverCutsALongerWord) {
  EXPECT_EQ("added       ", host::PaddedTo("added", 12));
  EXPECT_EQ("incompatible-change", host::PaddedTo("incompatible-change", 12));
  EXPECT_EQ("", host::PaddedTo("", 0));
}

TEST(Rendering, AVerdictCountsProblemsAndWarnings) {
  host::PluginReport report;
  EXPECT_EQ("PASSED: 0 problems", host::VerdictLine(report, false));
  report.findings = {{"MD501", host::Severity::kWarn, "w"},
                     {"MD102", host::Severity::kWarn, "w"},
                     {"MD201", host::Severity::kNote, "n"}};
  EXPECT_EQ("PASSED: 0 problems, 2 warnings", host::VerdictLine(report, false));
  EXPECT_EQ("FAILED: 0 problems, 2 warnings", host::VerdictLine(report, true));
  report.error = "crashed";
  EXPECT_EQ("FAILED: 1 problem, 2 warnings", host::VerdictLine(report, false));
}

host::PluginPage PageOf(const std::string& document) {
  host::PluginPage page;
  page.title = "t";
  page.actions = host::ReadActionDocument(document).specs;
  return page;
}

// EasyMode's DataType names the editor the host offers: the page shows it
// as the document has it, whatever the type names.
TEST(DocPage, EasyModeDataTypeAsTheDocumentHasIt) {
  const host::PluginPage page = PageOf(
      "<ActionTemplates><Action><Name>A.b</Name><Description>d</Description>"
      "<ReturnValueType>nil</ReturnValueType><Arguments><Arg><Name>X</Name><Description>x</Description>"
      "<Type>string</Type><Default/><Required>1</Required><EasyMode><DataType>FoLder</DataType>"
      "</EasyMode></Arg></Arguments></Action></ActionTemplates>");
  EXPECT_NE(std::string::npos, host::HtmlPage(page).find("<td>DataType: FoLder</td>"));
  EXPECT_NE(std::string::npos, host::MarkdownPage(page).find("| DataType: FoLder |"));
}

// A Markdown table cell holds its text: a '|' in it does not end the cell.
TEST(DocPage, AMarkdownCellKeepsABarAsText) {
  const host::PluginPage page = PageOf(
      "<ActionTemplates><Action><Name>A.b</Name><Description>d</Description>"
      "<ReturnValueType>nil</ReturnValueType><Arguments><Arg><Name>X</Name>"
      "<Description>one | two</Description><Type>string</Type><Default/><Required>1</Required>"
      "</Arg></Arguments></Action></ActionTemplates>");
  const std::string md = host::MarkdownPage(page);
  const std::size_t row = md.find("| X |");
  ASSERT_NE(std::string::npos, row) << md;
  const std::string line = md.substr(row, md.find('\n', row) - row);
  int cells = 0;
  for (std::size_t i = 0; i < line.size(); ++i) cells += line[i] == '|' && (i == 0 || line[i - 1] != '\\');
  EXPECT_EQ(7, cells) << line;
}

// The help page's call line writes optional arguments as a script may leave
// them out; anchors stay unique for actions named twice.
TEST(DocPage, CallsAsScriptsWriteThemAndAnchorsApart) {
  const std::vector<host::ActionSpec> twins =
      host::ReadActionDocument(
          "<ActionTemplates><Action><Name>A.b</Name><Description>d</Description><ReturnValueType>nil</ReturnValueType>"
          "<Arguments><Arg><Name>X</Name><Description>d</Description><Type>string</Type><Default/><Required>1</"
          "Required></Arg>"
          "<Arg><Name>Y</Name><Description>d</Description><Type>string</Type><Default/><Required>0</Required></Arg>"
          "<Arg><Name>Z</Name><Description>d</Description><Type>string</Type><Default/><Required>0</Required></Arg>"
          "</Arguments></Action><Action><Name>A.b</Name><Description>d</Description><ReturnValueType>nil</"
          "ReturnValueType>"
          "<Arguments/></Action></ActionTemplates>")
          .specs;
  EXPECT_EQ("A.b(X [, Y [, Z]])", host::CallSyntax(twins[0]));
  EXPECT_EQ("A.b()", host::CallSyntax(twins[1]));
  EXPECT_EQ((std::vector<std::string>{"A.b", "A.b-2"}), host::Anchors(twins));
}

// The page says what the document says: EasyMode texts exactly (a ';' or
// ',' in them kept), inline markup's text kept, the return type in the
// signature; each heading with its permalink; a page a phone can read.
TEST(DocPage, ThePageSaysWhatTheDocumentSays) {
  const host::PluginPage page = PageOf(
      "<ActionTemplates><Action><Name>A.b</Name><Description>d</Description><ReturnValueType>string"
      "</ReturnValueType><Arguments><Arg><Name>X</Name><Description>x</Description><Type>string</Type><Default/>"
      "<Required>0</Required><EasyMode><DataType>combo</DataType><Constraints>\"\",\",\",\";\"</Constraints>"
      "</EasyMode></Arg></Arguments></Action><Extended><Action><Note>Slow for big counts; <b>keep</b> it small."
      "</Note><Example>A.b(\"```\")</Example></Action></Extended></ActionTemplates>");
  const std::string html = host::HtmlPage(page), md = host::MarkdownPage(page);
  EXPECT_NE(std::string::npos, html.find("<td>DataType: combo<br>Constraints: &quot;&quot;,&quot;,&quot;,&quot;;&quot;"
                                         "</td>"))
      << html;
  EXPECT_NE(std::string::npos, md.find("| DataType: combo<br>Constraints: \"\",\",\",\";\" |")) << md;
  EXPECT_NE(std::string::npos, html.find("<p>Slow for big counts; keep it small.</p>"));
  EXPECT_NE(std::string::npos,
            html.find("<h2><code>A.<wbr>b(<wbr>[X]) \u2192 string</code><a class=\"permalink\" href=\"#A.b\""));
  EXPECT_NE(std::string::npos, md.find("## `A.b([X]) \u2192 string`"));
  EXPECT_NE(std::string::npos, html.find("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"));
  EXPECT_EQ(std::string::npos, html.find("anywhere"));  // no word is broken to fit
  EXPECT_NE(std::string::npos, md.find("\n````lua\nA.b(\"```\")\n````\n")) << md;
}

// Markdown escapes what Markdown needs, no more: a version, a quote and a
// minus stay as they are; emphasis, code, a bar and a line that would be a
// list are taken literally.
TEST(DocPage, MarkdownEscapesOnlyWhatItNeeds) {
  host::PluginPage page = PageOf(
      "<ActionTemplates><Action><Name>A.b</Name><Description>- not a list, *not* `code` | 1.1 &amp; -1 "
      "don't</Description><ReturnValueType>nil</ReturnValueType><Arguments/></Action></ActionTemplates>");
  page.version = "1.1";
  page.author = "First paragraph\nsame one\n\nsecond <one>";
  const std::string md = host::MarkdownPage(page);
  EXPECT_NE(std::string::npos, md.find("\n\\- not a list, \\*not\\* \\`code\\` \\| 1.1 &amp; -1 don't\n")) << md;
  EXPECT_NE(std::string::npos, md.find("Version 1.1 ")) << md;
  const std::string html = host::HtmlPage(page);
  EXPECT_NE(std::string::npos, html.find("<p class=\"author\">First paragraph<br>same one</p>\n"
                                         "<p class=\"author\">second &lt;one&gt;</p>\n"))
      << html;
}

// A name or type holding backticks stays inside its code span (a fence
// longer than any run inside), shows a quote as a quote (no entities in
// code), and a name's link target survives a ")" or a space.
TEST(DocPage, MarkdownCodeAndLinksHoldWhatANameCarries) {
  const host::PluginPage page = PageOf(
      "<ActionTemplates><Action><Name>Txt.Hi`[fix](https://x)`(\"a b\")</Name><Description>d</Description>"
      "<ReturnValueType>``str</ReturnValueType><Arguments/></Action></ActionTemplates>");
  const std::string md = host::MarkdownPage(page);
  EXPECT_NE(std::string::npos, md.find("\n## ```Txt.Hi`[fix](https://x)`(\"a b\")() \u2192 ``str```\n")) << md;
  EXPECT_NE(std::string::npos, md.find("**Returns** ``` ``str ```")) << md;
  EXPECT_NE(std::string::npos, md.find("](#Txt.Hi%60%5Bfix%5D%28https%3A%2F%2Fx%29%60%28%22a%20b%22%29)\n")) << md;
}

// What would start a list or strike text through is escaped in Markdown, a
// quote in HTML; a code span ending in a backtick is padded so that it ends
// where it should.
TEST(DocPage, LineStartsStrikesQuotesAndTrailingBackticks) {
  const host::PluginPage page = PageOf(
      "<ActionTemplates><Action><Name>A.b</Name><Description>1) one\n~~gone~~ it's</Description>"
      "<ReturnValueType>str`</ReturnValueType><Arguments/></Action></ActionTemplates>");
  const std::string md = host::MarkdownPage(page), html = host::HtmlPage(page);
  EXPECT_NE(std::string::npos, md.find("\n1\\) one<br>\\~\\~gone\\~\\~ it's\n")) << md;
  EXPECT_NE(std::string::npos, md.find("**Returns** `` str` ``")) << md;
  EXPECT_NE(std::string::npos, html.find("~~gone~~ it&#39;s</p>")) << html;
}

// The language server's stubs: an optional argument marked `?`, two
// arguments of one name told apart (Lua takes no parameter twice), the
// document's `integer` kept.
TEST(DocPage, LuaLanguageServerStubsHoldWhatScriptsPass) {
  host::PluginPage page = PageOf(
      "<ActionTemplates><Action><Name>A.b</Name><Description>d</Description><ReturnValueType>integer"
      "</ReturnValueType><Arguments><Arg><Name>X</Name><Description>d</Description><Type>integer</Type><Default/>"
      "<Required>1</Required></Arg><Arg><Name>X</Name><Description>e</Description><Type>string</Type><Default/>"
      "<Required>0</Required></Arg></Arguments></Action></ActionTemplates>");
  host::OutputOptions options;
  const std::string stubs = host::FindFormat("luals", host::kForPage)->make(options)->Page(page);
  EXPECT_NE(std::string::npos, stubs.find("---@param X integer d\n---@param arg2? string e\n---@return integer\n"
                                          "function A.b(X, arg2) end\n"))
      << stubs;
}

}  // namespace
