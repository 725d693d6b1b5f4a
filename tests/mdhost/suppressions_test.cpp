// The findings an author accepted: [[ignore]] entries and baselines, matched
// by what the author names, never by a position that an edit moves.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "mdhost/commands/suppressions.h"

namespace {

using host::Finding;
using host::Severity;

Finding At(const char* rule, const char* action, const char* argument, const char* element) {
  Finding finding{rule, Severity::kWarn, "a finding"};
  finding.subject.action = action;
  finding.subject.argument = argument;
  finding.subject.element = element;
  return finding;
}

std::string Rules(const std::vector<Finding>& findings) {
  std::string all;
  for (const Finding& f : findings) all += f.rule + ":" + f.subject.action + " ";
  return all;
}

class Baselines : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = ::testing::TempDir() + "baselines_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed());
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string Write(const std::string& text) {
    const std::string path = folder_ + "/baseline.json";
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  // The report's findings left once the baseline written from `before` is applied.
  std::string Left(const std::vector<Finding>& before, const std::vector<Finding>& after) {
    host::PluginReport written;
    written.path = folder_ + "/p.lmd";
    written.findings = before;
    const std::string path = Write(host::BaselineText({written}, folder_));
    host::Baseline baseline;
    std::string error;
    EXPECT_TRUE(baseline.Read(path, &error)) << error;
    host::PluginReport report;
    report.path = written.path;
    report.findings = after;
    baseline.Apply(&report);
    return Rules(report.findings);
  }
  std::string folder_;
};

// Actions moved or reordered are the same findings; a renamed action's are
// new; entries alike are counted, each accepting one finding.
TEST_F(Baselines, FindingsAreKeyedByNameNotPosition) {
  const std::vector<Finding> before = {
      At("MD313", "A.one", "", "/ActionTemplates/Action[1]/Description"),
      At("MD310", "A.two", "Count", "/ActionTemplates/Action[2]/Arguments/Arg[1]/Type")};
  // A clean action inserted first, and the two swapped.
  EXPECT_EQ("", Left(before, {At("MD310", "A.two", "Count", "/ActionTemplates/Action[2]/Arguments/Arg[3]/Type"),
                              At("MD313", "A.one", "", "/ActionTemplates/Action[3]/Description")}));
  EXPECT_EQ("MD313:A.renamed ", Left(before, {At("MD313", "A.renamed", "", "/ActionTemplates/Action[1]/Description")}));
  const Finding twice = At("MD308", "A.one", "X", "/ActionTemplates/Action[1]/Arguments/Arg[2]/Name");
  EXPECT_EQ("MD308:A.one ", Left({twice, twice}, {twice, twice, twice}));
  EXPECT_EQ("MD310:A.one ",
            Left(before, {At("MD310", "A.one", "Count", "/ActionTemplates/Action[1]/Arguments/Arg[1]/Type")}));
}

// What the baseline accepted is told from what an [[ignore]] entry did by a
// fact, not by the file it names: a baseline written again keeps the first.
TEST_F(Baselines, ItsSuppressionsAreKnownAsItsOwn) {
  host::PluginReport written;
  written.path = folder_ + "/p.lmd";
  written.findings = {At("MD313", "A.one", "", "/ActionTemplates/Action[1]/Description")};
  const std::string path = Write(host::BaselineText({written}, folder_));
  host::Baseline baseline;
  std::string error;
  ASSERT_TRUE(baseline.Read(path, &error)) << error;
  host::PluginReport report = written;
  baseline.Apply(&report);
  ASSERT_EQ(1u, report.suppressed.size());
  EXPECT_TRUE(report.suppressed[0].by_baseline);
  host::IgnoreEntry entry;
  entry.rule = "MD313";
  host::PluginReport ignored = written;
  ASSERT_EQ(1, host::Ignore(entry, &ignored));
  EXPECT_FALSE(ignored.suppressed[0].by_baseline);
}

TEST_F(Baselines, TheElementsKindDropsOnlyPositions) {
  EXPECT_EQ("/ActionTemplates/Action/Arguments/Arg/Type",
            host::ElementKind("/ActionTemplates/Action[12]/Arguments/Arg[1]/Type"));
  EXPECT_EQ("/a[x]/b[]", host::ElementKind("/a[x]/b[]"));
}

// A file that is no baseline, or holds what no finding is, is refused
// naming the entry; an entry naming what cannot be accepted too. The format
// of before positions were dropped is still read.
TEST_F(Baselines, WhatIsNoBaselineIsRefusedAndTheOldFormatRead) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {R"({"findings": []})", "no baseline mdhost wrote"},
      {R"({"mdhost_baseline": 9, "findings": []})", "a baseline of format 9"},
      {R"({"mdhost_baseline": 2, "findings": ["x"]})", "findings[0] is no object"},
      {R"({"mdhost_baseline": 2, "findings": [null]})", "findings[0] is no object"},
      {R"({"mdhost_baseline": 2, "findings": [{"plugin": 5, "rule": ["MD105"]}]})", "findings[0].rule is no text"},
      {R"({"mdhost_baseline": 2, "findings": [{"rule": "MD310", "plugin": "p.lmd", "action": ""}]})",
       "findings[0].action is no text (or an empty one)"},
      {R"({"mdhost_baseline": 2, "findings": [{"rule": "MD999", "plugin": "p.lmd"}]})", "names no rule mdhost has"},
      {R"({"mdhost_baseline": 2, "findings": [{"rule": "MD301", "plugin": "p.lmd"}]})",
       "names MD301, which cannot be accepted"},
  };
  for (const auto& c : cases) {
    host::Baseline baseline;
    std::string error;
    EXPECT_FALSE(baseline.Read(Write(c.text), &error)) << c.text;
    EXPECT_NE(std::string::npos, error.find(c.error)) << error;
  }
  host::Baseline old;
  std::string error;
  ASSERT_TRUE(old.Read(Write(R"({"mdhost_baseline": 1, "findings": [{"rule": "MD313", "plugin": "p.lmd",
      "action": "A.one", "element": "/ActionTemplates/Action[1]/Description"}]})"),
                       &error))
      << error;
  host::PluginReport report;
  report.path = folder_ + "/p.lmd";
  report.findings = {At("MD313", "A.one", "", "/ActionTemplates/Action[4]/Description")};
  old.Apply(&report);
  EXPECT_EQ("", Rules(report.findings));
  // Format 2 placed MD313 on the argument itself; it is now on its Description.
  host::Baseline two;
  ASSERT_TRUE(two.Read(Write(R"({"mdhost_baseline": 2, "findings": [{"rule": "MD313", "plugin": "p.lmd",
      "action": "A.one", "argument": "X", "element": "/ActionTemplates/Action/Arguments/Arg"}]})"),
                       &error))
      << error;
  report.findings = {At("MD313", "A.one", "X", "/ActionTemplates/Action[2]/Arguments/Arg[1]/Description")};
  two.Apply(&report);
  EXPECT_EQ("", Rules(report.findings));
}

// An [[ignore]] entry takes what it names and no more: argument narrows,
// * stays within a folder; a crash and an unreadable document are never taken.
TEST(Ignores, AnEntryTakesWhatItNamesAndNothingUnreadable) {
  host::IgnoreEntry entry;
  entry.rule = "MD310";
  entry.argument = "Count";
  entry.project_file = "mdhost.toml";
  host::PluginReport report;
  report.path = "p.lmd";
  report.findings = {At("MD310", "A.one", "Count", ""), At("MD310", "A.one", "Other", "")};
  EXPECT_EQ(1, host::Ignore(entry, &report));
  EXPECT_EQ("MD310:A.one ", Rules(report.findings));
  EXPECT_TRUE(host::GlobMatches("build/*.lmd", "build/p.lmd"));
  EXPECT_FALSE(host::GlobMatches("build/*.lmd", "build/x/p.lmd"));
  EXPECT_TRUE(host::GlobMatches("build/**.lmd", "build/x/p.lmd"));
  for (const char* rule : {"MD301", "MD003"}) {
    entry = {};
    entry.rule = rule;
    report.findings = {{rule, Severity::kFail, "cannot be read"}};
    EXPECT_EQ(0, host::Ignore(entry, &report)) << rule;
  }
}

}  // namespace
