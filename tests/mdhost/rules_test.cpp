// Every rule mdhost reports has its own section in docs/checks.md, and the
// page explains no rule that mdhost does not have: the written contract and
// the checker stay one.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "mdhost/commands/rule_pages.h"
#include "mdhost/contract/rules.h"
#include "support/test_paths.h"

namespace {

TEST(Rules, EachHasOneIdAndOneSectionOfTheChecksPage) {
  std::set<std::string> ids;
  for (const char* id : host::rule::kAll) EXPECT_TRUE(ids.insert(id).second) << id << " is used twice";
  const std::string page = testing_paths::ReadFile(testing_paths::SourcePath("docs/checks.md"));
  ASSERT_FALSE(page.empty()) << "docs/checks.md not found";
  std::set<std::string> sections;
  const std::regex heading("\n### (MD[0-9]{3}) ");
  for (auto it = std::sregex_iterator(page.begin(), page.end(), heading); it != std::sregex_iterator(); ++it)
    sections.insert((*it)[1]);
  EXPECT_EQ(ids, sections);
}

// Each rule's page says how much the mistake matters: its severity.
TEST(Rules, EachPageStatesItsSeverity) {
  const std::string page = testing_paths::ReadFile(testing_paths::SourcePath("docs/checks.md"));
  const std::regex heading("\n### (MD[0-9]{3}) ");
  std::vector<std::pair<std::string, std::size_t>> starts;
  for (auto it = std::sregex_iterator(page.begin(), page.end(), heading); it != std::sregex_iterator(); ++it)
    starts.push_back({(*it)[1], static_cast<std::size_t>(it->position())});
  const std::regex severity("\\*\\*(PASS|NOTE|WARN|FAIL)\\*\\*|Severity: (PASS|NOTE|WARN|FAIL)");
  for (std::size_t i = 0; i < starts.size(); ++i) {
    std::string section = page.substr(
        starts[i].second, i + 1 < starts.size() ? starts[i + 1].second - starts[i].second : std::string::npos);
    section = section.substr(0, section.find("\n## "));
    EXPECT_TRUE(std::regex_search(section, severity)) << starts[i].first << "'s page states no severity";
  }
}

// mdhost explain has every rule's page built in, each from its own heading.
TEST(Rules, EachPageIsBuiltIntoMdhost) {
  for (const char* id : host::rule::kAll) {
    const std::string page = host::RulePage(id);
    EXPECT_EQ(0u, page.find(std::string("### ") + id + " ")) << id;
    EXPECT_EQ(std::string::npos, page.find("\n### ")) << id << "'s page runs into the next";
  }
  EXPECT_EQ("", host::RulePage("MD000"));
  EXPECT_EQ("", host::RulePage(""));
}

}  // namespace
