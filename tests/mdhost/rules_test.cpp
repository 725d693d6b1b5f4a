// Every rule mdhost reports has its own section in docs/checks.md, and the
// page explains no rule that mdhost does not have: the written contract and
// the checker stay one.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

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

}  // namespace
