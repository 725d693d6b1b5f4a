// The one report of a plugin: its findings as an editor lists them.
#include <gtest/gtest.h>

#include <string>

#include "mdhost/contract/plugin_report.h"
#include "mdhost/examine/action_document.h"

namespace {

std::string Order(const host::PluginReport& report) {
  std::string said;
  for (const host::Finding& f : report.findings)
    said += f.rule + "@" + f.subject.file + ":" + std::to_string(f.subject.place.line) + ":" +
            std::to_string(f.subject.place.column) + " ";
  return said;
}

// An action's empty Description is found when the action ends, after its
// arguments' findings: listed, it comes first, as it stands first in the
// file. Findings with no place keep their slots.
TEST(PluginReport, PlacedFindingsGoInFileLineAndColumnOrder) {
  const host::ActionDocument read = host::ReadActionDocument(
      "<ActionTemplates>\n<Action><Name>A.b</Name><Description></Description>\n"
      "<ReturnValueType>string</ReturnValueType><Arguments>\n"
      "<Arg><Name>X</Name><Description>d</Description><Type>strng</Type><Default>\"x\"</Default>"
      "<Required>0</Required></Arg>\n</Arguments></Action>\n</ActionTemplates>\n");
  host::PluginReport report;
  report.findings = read.findings;
  ASSERT_EQ("MD310@:4:48 MD313@:2:25 ", Order(report));
  report.findings.insert(report.findings.begin() + 1, host::Finding{"MD106", host::Severity::kPass, "getter"});
  report.findings.push_back({"MD313", host::Severity::kWarn, "same place", host::ElementSubject("", {2, 25})});
  report.findings.push_back({"MD310", host::Severity::kWarn, "another file", host::ElementSubject("", {1, 9})});
  report.findings.back().subject.file = "b.xml";
  report.OrderByPlace();
  EXPECT_EQ("MD313@:2:25 MD106@:0:0 MD313@:2:25 MD310@:4:48 MD310@b.xml:1:9 ", Order(report));
  EXPECT_EQ("same place", report.findings[2].text);  // alike places keep their order
}

}  // namespace
