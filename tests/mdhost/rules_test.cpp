// The rules are one list in code; docs/checks.md, the written contract,
// has one section per rule, headed by its ID and title and stating its
// severity as the list does, and explains no rule the list lacks.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "mdhost/commands/rule_pages.h"
#include "mdhost/contract/rules.h"
#include "support/test_paths.h"

namespace {

// "Severity: FAIL", or a bold "**WARN**" as a page's first words say it.
std::string StatedSeverity(const std::string& page) {
  std::smatch stated;
  const std::regex severity("\\*\\*(PASS|NOTE|WARN|FAIL)\\*\\*|Severity: (PASS|NOTE|WARN|FAIL)");
  if (!std::regex_search(page, stated, severity)) return "";
  return stated[1].matched ? stated[1].str() : stated[2].str();
}

TEST(Rules, TheChecksPageHasASectionForEachRuleAsTheListSaysIt) {
  const std::string page = testing_paths::ReadFile(testing_paths::SourcePath("docs/checks.md"));
  ASSERT_FALSE(page.empty()) << "docs/checks.md not found";
  std::set<std::string> ids, sections;
  for (const host::Rule& rule : host::rule::kAll) {
    EXPECT_TRUE(ids.insert(rule.id).second) << rule.id << " is used twice";
    EXPECT_NE(std::string::npos, page.find(std::string("\n### ") + rule.id + " " + rule.title + "\n"))
        << rule.id << "'s heading is not \"### " << rule.id << " " << rule.title << "\"";
    const std::string section = host::RulePage(rule.id);  // built in, from its heading to the next
    EXPECT_EQ(0u, section.find(std::string("### ") + rule.id + " ")) << rule.id;
    EXPECT_EQ(std::string::npos, section.find("\n### ")) << rule.id << "'s page runs into the next";
    EXPECT_EQ(host::SeverityName(rule.severity), StatedSeverity(section)) << rule.id << "'s page states another";
    EXPECT_EQ(rule.fixable, section.find("--fix") != std::string::npos)
        << rule.id << "'s page does not say as the list does whether check --fix mends it";
  }
  const std::regex heading("\n### (MD[0-9]{3}) ");
  for (auto it = std::sregex_iterator(page.begin(), page.end(), heading); it != std::sregex_iterator(); ++it)
    sections.insert((*it)[1]);
  EXPECT_EQ(ids, sections);
  EXPECT_EQ("", host::RulePage("MD000"));
  EXPECT_EQ("", host::RulePage(""));
}

}  // namespace
