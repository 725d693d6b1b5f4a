// The stand-in host's reading of action XML: Expat's judgement of
// well-formedness, then the host's vocabulary, with paths in the findings.
#include <gtest/gtest.h>

#include <string>

#include "mdhost/examine/action_document.h"
#include "support/test_paths.h"

namespace {

using host::ActionDocument;
using host::ReadActionDocument;
using host::Severity;

std::string Findings(const ActionDocument& document) {
  std::string all;
  for (const host::Finding& f : document.findings)
    all += std::string(f.severity == Severity::kFail ? "FAIL " : "NOTE ") + f.text + "\n";
  return all;
}

const char kArg[] =
    "<Arguments><Arg><Name>F</Name><Description>d</Description><Type>string</Type><Default/>"
    "<Required>1</Required></Arg></Arguments>";

std::string Action(const std::string& name) {
  return "<Action><Name>" + name + "</Name><Description>d</Description><ReturnValueType>string</ReturnValueType>" +
         kArg + "</Action>";
}

TEST(ActionDocumentXml, TheParserJudgesWellFormedness) {
  for (const char* broken : {"<ActionTemplates a=\"1\" a=\"2\"/>", "<ActionTemplates>&#0;</ActionTemplates>",
                             "<ActionTemplates><!-- a -- b --></ActionTemplates>",
                             "<ActionTemplates>]]></ActionTemplates>", "<ActionTemplates>", ""}) {
    const ActionDocument document = ReadActionDocument(broken);
    EXPECT_FALSE(document.well_formed) << broken;
    EXPECT_NE(std::string::npos, document.problem.find("line 1")) << document.problem;
  }
  const ActionDocument subset = ReadActionDocument(
      "<!DOCTYPE ActionTemplates [<!ENTITY t \"Plugin.Act\">]>\r\n<ActionTemplates>" + Action("&t;") +
      "</ActionTemplates>");
  EXPECT_TRUE(subset.well_formed) << subset.problem;
  EXPECT_EQ(std::vector<std::string>{"Plugin.Act"}, subset.actions);
}

TEST(ActionDocumentXml, DeepNestingNeedsNoRecursion) {
  std::string deep = "<ActionTemplates>";
  for (int i = 0; i < 20000; ++i) deep += "<a>";
  for (int i = 0; i < 20000; ++i) deep += "</a>";
  const ActionDocument document = ReadActionDocument(deep + "</ActionTemplates>");
  EXPECT_TRUE(document.well_formed) << document.problem;
  EXPECT_EQ("NOTE /ActionTemplates/a: an element the host does not know\n", Findings(document));
}

TEST(ActionDocumentXml, TheVocabularyWithPaths) {
  EXPECT_EQ("FAIL /Foo: the root element is Foo, not ActionTemplates\n", Findings(ReadActionDocument("<Foo/>")));
  const ActionDocument document = ReadActionDocument(
      "<ActionTemplates>" + Action("A.one") + "<Action><Description>d</Description></Action>" + Action("two") +
      "<Action><Name>B.three</Name><Description/><ReturnValueType/><Arguments><Arg><Name/><Type/><Colour/>"
      "</Arg></Arguments></Action><Extended><Action/><Author>\xA9 me</Author></Extended></ActionTemplates>");
  EXPECT_TRUE(document.well_formed) << document.problem;
  EXPECT_EQ(
      "FAIL /ActionTemplates/Action[2]: no Name\n"
      "FAIL /ActionTemplates/Action[2]: no ReturnValueType\n"
      "FAIL /ActionTemplates/Action[2]: no Arguments\n"
      "FAIL /ActionTemplates/Action[3]/Name: \"two\" is not of the form Table.Function\n"
      "NOTE /ActionTemplates/Action[4]/Arguments/Arg[1]/Colour: an element the host does not know\n"
      "FAIL /ActionTemplates/Action[4]/Arguments/Arg[1]: no Description\n"
      "FAIL /ActionTemplates/Action[4]/Arguments/Arg[1]: no Default\n"
      "FAIL /ActionTemplates/Action[4]/Arguments/Arg[1]: no Required\n",
      Findings(document));
  EXPECT_EQ((std::vector<std::string>{"A.one", "two", "B.three"}), document.actions);
}

TEST(ActionDocumentXml, ThisPluginsDocumentPasses) {
  const ActionDocument document = ReadActionDocument(testing_paths::ReadFile(testing_paths::DocumentPath()));
  EXPECT_TRUE(document.well_formed) << document.problem;
  EXPECT_EQ("", Findings(document));
  EXPECT_EQ(6u, document.actions.size());
}

}  // namespace
