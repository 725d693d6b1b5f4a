// The diff --fix --diff prints, as patch and git apply read it.
#include <gtest/gtest.h>

#include <string>

#include "mdhost/report/unified_diff.h"

namespace {

std::string Numbered(int from, int to, const char* end = "\n") {
  std::string text;
  for (int i = from; i <= to; ++i) text += "line " + std::to_string(i) + end;
  return text;
}

// Hunks carry three lines of context and merge where their contexts meet;
// each side's start and count are the lines it covers.
TEST(UnifiedDiff, HunksWithThreeLinesOfContext) {
  std::string after = Numbered(1, 20);
  after.replace(after.find("line 2\n"), 7, "LINE 2\n");
  after.replace(after.find("line 18\n"), 8, "LINE 18\n");
  EXPECT_EQ(
      "--- a/f.xml\n+++ b/f.xml\n"
      "@@ -1,5 +1,5 @@\n line 1\n-line 2\n+LINE 2\n line 3\n line 4\n line 5\n"
      "@@ -15,6 +15,6 @@\n line 15\n line 16\n line 17\n-line 18\n+LINE 18\n line 19\n line 20\n",
      host::UnifiedDiff("f.xml", Numbered(1, 20), after));
  std::string close_by = Numbered(1, 20);
  close_by.replace(close_by.find("line 5\n"), 7, "LINE 5\n");
  close_by.replace(close_by.find("line 11\n"), 8, "LINE 11\n");
  const std::string merged = host::UnifiedDiff("f.xml", Numbered(1, 20), close_by);
  EXPECT_EQ(merged.find("@@ "), merged.rfind("@@ -")) << merged;  // one hunk
  EXPECT_NE(std::string::npos, merged.find("@@ -2,13 +2,13 @@\n line 2\n")) << merged;
}

// The file's own bytes: CR LF kept, a last line without its end marked, an
// empty side named by the line before it.
TEST(UnifiedDiff, TheFilesOwnBytes) {
  EXPECT_EQ("--- a/w.xml\n+++ b/w.xml\n@@ -1,2 +1,2 @@\n a\r\n-b\r\n+B\r\n",
            host::UnifiedDiff("w.xml", "a\r\nb\r\n", "a\r\nB\r\n"));
  EXPECT_EQ(
      "--- a/n.xml\n+++ b/n.xml\n@@ -1,2 +1,2 @@\n a\n-b\n\\ No newline at end of file\n+B\n"
      "\\ No newline at end of file\n",
      host::UnifiedDiff("n.xml", "a\nb", "a\nB"));
  EXPECT_EQ("--- a/e.xml\n+++ b/e.xml\n@@ -0,0 +1,1 @@\n+new\n", host::UnifiedDiff("e.xml", "", "new\n"));
  EXPECT_EQ("", host::UnifiedDiff("same.xml", "x\n", "x\n"));
}

}  // namespace
