// The stand-in host's reading of action XML: Expat's judgement of
// well-formedness, then the host's vocabulary, with paths in the findings.
#include <gtest/gtest.h>

#include <string>

#include "mdhost/examine/action_document.h"
#include "mdhost/examine/document_values.h"
#include "mdhost/report/output.h"
#include "support/test_paths.h"

namespace {

using host::ActionDocument;
using host::ReadActionDocument;
using host::Severity;

// Each finding as "SEVERITY RULE /element (line N): text", from its fields.
std::string Findings(const ActionDocument& document) {
  std::string all;
  for (const host::Finding& f : document.findings)
    all += std::string(host::SeverityName(f.severity)) + " " + f.rule + " " + f.subject.element + " (line " +
           std::to_string(f.subject.place.line) + "): " + f.text + "\n";
  return all;
}

const char kArg[] =
    "<Arguments><Arg><Name>F</Name><Description>d</Description><Type>string</Type><Default/>"
    "<Required>1</Required></Arg></Arguments>";

std::string Action(const std::string& name) {
  return "<Action><Name>" + name + "</Name><Description>d</Description><ReturnValueType>string</ReturnValueType>" +
         kArg + "</Action>";
}

// What the action wizard would hand script authors wrongly: a required
// argument after an optional one, no Description.
TEST(ActionDocumentXml, RequiredOrderAndDescriptions) {
  const auto arg = [](const char* name, const char* type, const char* value, const char* required,
                      const char* description = "d") {
    return std::string("<Arg><Name>") + name + "</Name><Description>" + description + "</Description><Type>" + type +
           "</Type><Default>" + value + "</Default><Required>" + required + "</Required></Arg>";
  };
  const std::string xml =
      "<ActionTemplates><Action><Name>A.b</Name><Description></Description>"
      "<ReturnValueType>nil</ReturnValueType><Arguments>" +
      arg("N", "number", "2", "0") + arg("S", "string", "\"Hello\"", "1") + arg("B", "boolean", "true", "0", "") +
      "</Arguments></Action></ActionTemplates>";
  EXPECT_EQ(
      "WARN MD313 /ActionTemplates/Action[1]/Description (line 1): the action A.b has no Description: the action "
      "wizard and the "
      "help show nothing\n"
      "WARN MD312 /ActionTemplates/Action[1]/Arguments/Arg[2] (line 1): the required argument S of A.b comes after an "
      "optional one: a script cannot leave that one out and still pass S\n"
      "WARN MD313 /ActionTemplates/Action[1]/Arguments/Arg[3]/Description (line 1): the argument B of A.b has no "
      "Description: the "
      "action wizard shows nothing for it\n",
      Findings(ReadActionDocument(xml)));
}

// A Default is Lua source a script could hold: every Lua expression is one
// (Lua's own parser says so), a literal of another type than its Type is
// not, nor is text that is no expression. The finding is on the Default's
// own line and column, and a plain string gets its quotes as the fix, which
// parses too.
TEST(ActionDocumentXml, ADefaultIsLuaSource) {
  const auto document = [](const std::string& type, const std::string& value) {
    return "<ActionTemplates><Action><Name>A.b</Name><Description>d</Description><ReturnValueType>nil"
           "</ReturnValueType><Arguments>\n<Arg><Name>X</Name><Description>d</Description><Type>" +
           type + "</Type>\n  <Default>" + value +
           "</Default><Required>0</Required></Arg></Arguments></Action>"
           "</ActionTemplates>";
  };
  for (const auto& [type, value] :
       std::vector<std::pair<std::string, std::string>>{{"string", "_SourceFolder..\"\\\\a.txt\""},
                                                        {"string", "_SourceFolder"},
                                                        {"string", "'single'"},
                                                        {"string", "nil"},
                                                        {"string", "[[long]]"},
                                                        {"string", "\"x\" -- the host's note"},
                                                        {"string", "[==[a]]b]==]"},
                                                        {"string", "\"a\" .. \"b\""},
                                                        {"string", "String.Upper(\"a\")"},
                                                        {"number", "-1.5"},
                                                        {"number", "0x1F"},
                                                        {"integer", "3"},
                                                        {"number", "Count + 1"},
                                                        {"boolean", "false"},
                                                        {"number", "MB_OK"},
                                                        {"number", "math"},
                                                        {"string", "_VERSION"},
                                                        {"variant", "World"},
                                                        {"table", "{1, 2}"},
                                                        {"variant", "\"x\""},
                                                        {"string", "&quot;quoted &amp; escaped&quot;"}})
    EXPECT_EQ("", Findings(ReadActionDocument(document(type, value)))) << type << " " << value;
  // A fix of a lone word or of another type's literal changes what a script
  // gets: unsafe. Quoting words that are no expression is safe.
  const struct {
    std::string type, value, finding, fixed;
    bool safe = true;
  } wrong[] = {
      {"string", "hello world",
       "\"hello world\", which is no Lua expression a script could write; as a string: "
       "\"hello world\"",
       "\"hello world\""},
      {"string", "C:\\dir",
       "\"C:\\dir\", which is no Lua expression a script could write; as a string: "
       "\"C:\\\\dir\"",
       "\"C:\\\\dir\""},
      {"string", "Tom &amp; Jerry",
       "\"Tom & Jerry\", which is no Lua expression a script could write; as a string: \"Tom & Jerry\"",
       "\"Tom &amp; Jerry\""},
      {"string", "5", "5, a number where the Type is string; as a string: \"5\"", "\"5\"", false},
      {"number", "'five'", "'five', a string where the Type is number", ""},
      {"number", "1,5", "\"1,5\", which is no Lua expression a script could write", ""},
      {"boolean", "1", "1, a number where the Type is boolean (true or false)", ""},
      // A lone word is a global, nil in every script: most likely text without its quotes.
      {"string", "World",
       "World, a global no script defines (nil when the action runs) where the Type is string; a string is "
       "quoted: \"World\"",
       "\"World\"", false},
      {"boolean", "yes",
       "yes, a global no script defines (nil when the action runs) where the Type is boolean; a boolean is true or "
       "false",
       ""},
      {"integer", "Five",
       "Five, a global no script defines (nil when the action runs) where the Type is integer; a number is written "
       "in digits",
       ""},
  };
  for (const auto& w : wrong) {
    const std::string xml = document(w.type, w.value);
    const ActionDocument read = ReadActionDocument(xml);
    ASSERT_EQ(1u, read.findings.size()) << w.value;
    const host::Finding& f = read.findings[0];
    EXPECT_EQ("MD311 the Default of X is " + w.finding, f.rule + " " + f.text);
    EXPECT_EQ("/ActionTemplates/Action[1]/Arguments/Arg[1]/Default 3,3 A.b X",
              f.subject.element + " " + std::to_string(f.subject.place.line) + "," +
                  std::to_string(f.subject.place.column) + " " + f.subject.action + " " + f.subject.argument);
    ASSERT_EQ(!w.fixed.empty(), f.fix.has_value()) << w.value;
    if (!f.fix) continue;
    EXPECT_EQ(w.value, xml.substr(f.fix->offset, f.fix->length));  // the text's own bytes, entities and all
    EXPECT_EQ(w.fixed, f.fix->replacement);
    EXPECT_EQ(w.safe, f.fix->safe) << w.value;
  }
}

TEST(ActionDocumentXml, TheParserJudgesWellFormedness) {
  for (const char* broken : {"<ActionTemplates a=\"1\" a=\"2\"/>", "<ActionTemplates>&#0;</ActionTemplates>",
                             "<ActionTemplates><!-- a -- b --></ActionTemplates>",
                             "<ActionTemplates>]]></ActionTemplates>", "<ActionTemplates>", ""}) {
    const ActionDocument document = ReadActionDocument(broken);
    EXPECT_FALSE(document.well_formed) << broken;
    EXPECT_FALSE(document.problem.empty()) << broken;
    EXPECT_EQ(1, document.problem_place.line) << document.problem;
  }
  const ActionDocument subset =
      ReadActionDocument("<!DOCTYPE ActionTemplates [<!ENTITY t \"Plugin.Act\">]>\r\n<ActionTemplates>" +
                         Action("&t;") + "</ActionTemplates>");
  EXPECT_TRUE(subset.well_formed) << subset.problem;
  EXPECT_EQ(std::vector<std::string>{"Plugin.Act"}, subset.actions);
}

// Up to the nesting limit (ActionDocumentLimits), read without recursion.
TEST(ActionDocumentXml, DeepNestingNeedsNoRecursion) {
  std::string deep = "<ActionTemplates>";
  for (int i = 0; i < 990; ++i) deep += "<a>";
  for (int i = 0; i < 990; ++i) deep += "</a>";
  const ActionDocument document = ReadActionDocument(deep + "</ActionTemplates>");
  EXPECT_TRUE(document.well_formed) << document.problem;
  EXPECT_EQ("NOTE MD305 /ActionTemplates/a (line 1): an element the host does not know\n", Findings(document));
}

TEST(ActionDocumentXml, TheVocabularyWithPathsAndLines) {
  EXPECT_EQ("FAIL MD303 /Foo (line 1): the root element is Foo, not ActionTemplates\n",
            Findings(ReadActionDocument("<Foo/>")));
  // A misspelt element has its did-you-mean; one near two names has none.
  EXPECT_EQ(
      "NOTE MD305 /ActionTemplates/Action[1]/Descripion (line 1): an element the host does not know; did you mean "
      "\"Description\"?\n"
      "NOTE MD305 /ActionTemplates/Action[1]/Colour (line 1): an element the host does not know\n",
      Findings(ReadActionDocument("<ActionTemplates><Action><Name>A.b</Name><Descripion>d</Descripion><Description>d"
                                  "</Description><ReturnValueType/><Arguments/><Colour/></Action></ActionTemplates>")));
  const ActionDocument document = ReadActionDocument(
      "<ActionTemplates>\n" + Action("A.one") + "\n<Action><Description>d</Description></Action>\n" + Action("two") +
      "\n<Action><Name>B.three</Name><Description/><ReturnValueType/><Arguments><Arg><Name/><Type/><Colour/>"
      "</Arg></Arguments></Action>\n<Extended><Action><Name>A.one</Name></Action><Author>\xA9 "
      "me</Author></Extended></ActionTemplates>");
  EXPECT_TRUE(document.well_formed) << document.problem;
  EXPECT_EQ(
      "FAIL MD304 /ActionTemplates/Action[2] (line 3): no Name\n"
      "FAIL MD304 /ActionTemplates/Action[2] (line 3): no ReturnValueType\n"
      "FAIL MD304 /ActionTemplates/Action[2] (line 3): no Arguments\n"
      "FAIL MD306 /ActionTemplates/Action[3]/Name (line 4): \"two\" is not of the form Table.Function\n"
      "NOTE MD305 /ActionTemplates/Action[4]/Arguments/Arg[1]/Colour (line 5): an element the host does not know\n"
      "FAIL MD304 /ActionTemplates/Action[4]/Arguments/Arg[1] (line 5): no Description\n"
      "FAIL MD304 /ActionTemplates/Action[4]/Arguments/Arg[1] (line 5): no Default\n"
      "FAIL MD304 /ActionTemplates/Action[4]/Arguments/Arg[1] (line 5): no Required\n"
      // Its argument, on the same line, lacks a Description; the action's is empty.
      "WARN MD313 /ActionTemplates/Action[4]/Description (line 5): the action B.three has no Description: the action "
      "wizard and "
      "the help show nothing\n",
      Findings(document));
  EXPECT_EQ((std::vector<std::string>{"A.one", "two", "B.three"}), document.actions);
  // Each finding has its place, the column of its element's start tag.
  ASSERT_EQ(9u, document.findings.size());
  EXPECT_EQ("3,1 5,91", std::to_string(document.findings[0].subject.place.line) + "," +
                            std::to_string(document.findings[0].subject.place.column) + " " +
                            std::to_string(document.findings[4].subject.place.line) + "," +
                            std::to_string(document.findings[4].subject.place.column));
  const ActionDocument broken = ReadActionDocument("<ActionTemplates>\n  <Action></Arg>");
  EXPECT_EQ("2,13", std::to_string(broken.problem_place.line) + "," + std::to_string(broken.problem_place.column));
}

TEST(ActionDocumentXml, NamesTwiceRequiredAndTypes) {
  const std::string arg =
      "<Arg><Name>F</Name><Description>d</Description><Type>stirng</Type><Default/>"
      "<Required>yes</Required><EasyMode><DataType>file</DataType></EasyMode></Arg>";
  const std::string misspelt =
      "<Arg><Name>G</Name><Description>d</Description><Type>string</Type><Default/>"
      "<Required>0</Required><EasyMode><DataType>fiel</DataType></EasyMode></Arg>";
  const ActionDocument document = ReadActionDocument("<ActionTemplates>\n" + Action("A.one") +
                                                     "\n<Action><Name>A.two</Name><Description>d</Description>"
                                                     "<ReturnValueType>number</ReturnValueType><Arguments>\n" +
                                                     arg + "\n" + arg + misspelt + "</Arguments></Action>\n" +
                                                     Action("A.one") + "</ActionTemplates>");
  EXPECT_TRUE(document.well_formed) << document.problem;
  EXPECT_EQ(
      "WARN MD310 /ActionTemplates/Action[2]/Arguments/Arg[1]/Type (line 4): \"stirng\" is neither a Lua type name "
      "nor one the host's documents use; did you mean \"string\"?\n"
      "WARN MD309 /ActionTemplates/Action[2]/Arguments/Arg[1]/Required (line 4): Required is \"yes\"; the host knows 0 "
      "and 1\n"
      "WARN MD310 /ActionTemplates/Action[2]/Arguments/Arg[2]/Type (line 5): \"stirng\" is neither a Lua type name "
      "nor one the host's documents use; did you mean \"string\"?\n"
      "WARN MD309 /ActionTemplates/Action[2]/Arguments/Arg[2]/Required (line 5): Required is \"yes\"; the host knows 0 "
      "and 1\n"
      "WARN MD310 /ActionTemplates/Action[2]/Arguments/Arg[3]/EasyMode/DataType (line 5): \"fiel\" is no DataType "
      "the action wizard has an editor for; did you mean \"file\"?\n"
      "WARN MD308 /ActionTemplates/Action[2]/Arguments/Arg[2] (line 5): the argument F is named twice in A.two\n"
      "FAIL MD307 /ActionTemplates/Action (line 6): the action A.one is named twice\n",
      Findings(document));
  ASSERT_EQ(3u, document.specs.size());
  const host::ActionSpec& two = document.specs[1];
  EXPECT_EQ("A.two|number|3", two.name + "|" + two.return_type + "|" + std::to_string(two.place.line));
  ASSERT_EQ(3u, two.arguments.size());
  const host::ArgumentSpec& f = two.arguments[0];
  // EasyMode's DataType names an editor (file, folder, combo...), no type: no MD310.
  EXPECT_EQ("F|stirng||yes|DataType=file",
            f.name + "|" + f.type + "|" + f.default_value + "|" + f.required + "|" + host::EasyModeLine(f.easy_mode));
}

// The Extended section tells more of each action: by its entries' Names, or
// by place when none is named and the counts agree; its own Name and
// Description are the plugin's and leave the last argument alone.
TEST(ActionDocumentXml, TheExtendedSectionGoesToItsActionsNotTheLastArgument) {
  const ActionDocument document = ReadActionDocument(
      "<ActionTemplates>" + Action("A.one") + Action("A.two") +
      "<Extended><Name>Plugin</Name><Description>About the plugin</Description>"
      "<Action><ReturnValueDescription>what one gives</ReturnValueDescription><Example>A.one(1)</Example></Action>"
      "<Action><Note>mind two</Note></Action></Extended></ActionTemplates>");
  ASSERT_TRUE(document.well_formed) << document.problem;
  EXPECT_EQ("", Findings(document));
  ASSERT_EQ(2u, document.specs.size());
  EXPECT_EQ("what one gives|A.one(1)|",
            document.specs[0].return_description + "|" + document.specs[0].example + "|" + document.specs[0].note);
  EXPECT_EQ("mind two", document.specs[1].note);
  const host::ArgumentSpec& last = document.specs[1].arguments.back();
  EXPECT_NE("Plugin", last.name);
  EXPECT_NE("About the plugin", last.description);
}

std::string Examples(const ActionDocument& document) {
  std::string all;
  for (const host::ActionSpec& action : document.specs) all += action.name + "=" + action.example + ";";
  return all;
}

// An entry never lends its text to another action: named entries go by
// name in any order; where entries cannot be paired, none is shown and the
// mismatch is one finding.
TEST(ActionDocumentXml, ExtendedEntriesArePairedByNameOrNotAtAll) {
  const std::string actions = Action("A.one") + Action("A.two") + Action("A.three");
  const auto entry = [](const std::string& name, const std::string& example) {
    return "<Action>" + (name.empty() ? "" : "<Name>" + name + "</Name>") + "<Example>" + example +
           "</Example></Action>";
  };
  const auto read = [&](const std::string& entries) {
    return ReadActionDocument("<ActionTemplates>" + actions + "\n<Extended>" + entries +
                              "</Extended></ActionTemplates>");
  };
  const ActionDocument reordered = read(entry("A.three", "3") + entry("A.one", "1"));
  EXPECT_EQ("", Findings(reordered));
  EXPECT_EQ("A.one=1;A.two=;A.three=3;", Examples(reordered));

  const ActionDocument fewer = read(entry("", "x") + entry("", "y"));
  EXPECT_EQ(
      "WARN MD314 /ActionTemplates/Extended (line 2): 2 entries for 3 actions, none named: which entry tells of which "
      "action is unknown, so the help shows none; give each entry the Name of its action\n",
      Findings(fewer));
  EXPECT_EQ("A.one=;A.two=;A.three=;", Examples(fewer));
  EXPECT_EQ("A.one=;A.two=;A.three=;",
            Examples(read(entry("", "1") + entry("", "2") + entry("", "3") + entry("", "4"))));

  const ActionDocument wrong = read(entry("A.two", "2") + entry("A.four", "4") + entry("", "?") + entry("A.two", "b"));
  EXPECT_EQ(
      "WARN MD314 /ActionTemplates/Extended/Action[2] (line 2): the entry names A.four, which is no action of the "
      "document\n"
      "WARN MD314 /ActionTemplates/Extended/Action[3] (line 2): an entry without a Name among named ones: it belongs "
      "to no action; name its action\n"
      "WARN MD314 /ActionTemplates/Extended/Action[4] (line 2): a second entry for A.two: the first one is shown\n",
      Findings(wrong));
  EXPECT_EQ("A.one=;A.two=2;A.three=;", Examples(wrong));
}

TEST(ActionDocumentXml, ThisPluginsDocumentPasses) {
  const ActionDocument document = ReadActionDocument(testing_paths::ReadFile(testing_paths::DocumentPath()));
  EXPECT_TRUE(document.well_formed) << document.problem;
  EXPECT_EQ("", Findings(document));
  EXPECT_EQ(6u, document.actions.size());
}

}  // namespace

namespace {

// A document nested beyond any the host reads is refused at once, saying
// why; one just within the limit is read, its unknown depths keeping no path.
TEST(ActionDocumentLimits, NestingBeyondTheLimitIsRefusedAndWithinItIsRead) {
  const auto nested = [](int depth) {
    std::string text = "<ActionTemplates>";
    for (int i = 0; i < depth; ++i) text += "<x>";
    for (int i = 0; i < depth; ++i) text += "</x>";
    return text + "</ActionTemplates>";
  };
  const host::ActionDocument deep = host::ReadActionDocument(nested(100000));
  EXPECT_FALSE(deep.well_formed);
  EXPECT_EQ("elements nested deeper than 1000 levels, which no host document needs", deep.problem);
  const host::ActionDocument within = host::ReadActionDocument(nested(998));
  EXPECT_TRUE(within.well_formed) << within.problem;
  ASSERT_EQ(1u, within.findings.size());  // the unknown <x> below the root, once
  EXPECT_EQ("/ActionTemplates/x", within.findings[0].subject.element);
}

// A did-you-mean names the one known name nearest, case aside; none where
// two are as near (no fix may choose), nor where none is within two edits.
TEST(ActionDocumentXml, DidYouMeanNamesOnlyTheOneNearest) {
  EXPECT_EQ("number", host::NearestType("numbr"));
  EXPECT_EQ("string", host::NearestType("STRNG"));
  EXPECT_EQ("", host::NearestType("completely"));
  EXPECT_EQ("", host::NearestName("ab", {"ax", "ay"}));
  EXPECT_EQ("ax", host::NearestName("ab", {"ax", "zzzz"}));
}

}  // namespace
