// Comparing two versions of a plugin: every kind of change in the fixture
// documents with its class, and the notes and version rule that only plugin
// modules can have.
#include <gtest/gtest.h>

#include <string>

#include "mdhost/compare/action_diff.h"
#include "mdhost/compare/version_bump.h"
#include "mdhost/examine/action_document.h"
#include "support/test_paths.h"

namespace {

host::PluginReport FromFile(const std::string& name) {
  host::PluginReport side;
  side.path = name;
  const std::string path = testing_paths::SourcePath("tests/mdhost/diff/" + name);
  const host::ActionDocument document = host::ReadActionDocument(testing_paths::ReadFile(path));
  EXPECT_TRUE(document.well_formed) << path << ": " << document.problem;
  side.action_specs = document.specs;
  return side;
}

host::PluginReport FromText(const std::string& xml) {
  host::PluginReport side;
  const host::ActionDocument document = host::ReadActionDocument(xml);
  EXPECT_TRUE(document.well_formed) << document.problem;
  side.action_specs = document.specs;
  return side;
}

// An action document from "Name(Arg:type, ...)|Description" lines.
std::string Document(const std::vector<std::string>& actions) {
  std::string xml = "<ActionTemplates>";
  for (const std::string& line : actions) {
    const std::size_t open = line.find('('), close = line.find(')'), bar = line.find('|');
    xml += "<Action><Name>" + line.substr(0, open) + "</Name><Description>" + line.substr(bar + 1) +
           "</Description><ReturnValueType>string</ReturnValueType><Arguments>";
    std::string list = line.substr(open + 1, close - open - 1);
    for (std::size_t at = 0; !list.empty() && at != std::string::npos;) {
      const std::size_t comma = list.find(", ", at);
      const std::string arg = list.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
      const std::size_t colon = arg.find(':');
      xml += "<Arg><Name>" + arg.substr(0, colon) + "</Name><Description>d</Description><Type>" +
             arg.substr(colon + 1) + "</Type><Default/><Required>1</Required></Arg>";
      at = comma == std::string::npos ? comma : comma + 2;
    }
    xml += "</Arguments></Action>";
  }
  return xml + "</ActionTemplates>";
}

std::string Summary(const std::vector<host::Change>& changes) {
  std::string all;
  for (const host::Change& c : changes)
    all += std::string(c.what == host::ChangeClass::kBreaking     ? "B "
                       : c.what == host::ChangeClass::kCompatible ? "C "
                                                                  : "N ") +
           c.kind + " " + c.action + (c.argument.empty() ? "" : "/" + c.argument) + "\n";
  return all;
}

TEST(ActionDiff, EveryKindOfChangeWithItsClass) {
  EXPECT_EQ(
      "B action_removed Demo.Removed\n"
      "B arguments_reordered Demo.Reorder\n"
      "B argument_removed Demo.Drop/Y\n"
      "B argument_added Demo.AddRequired/Z\n"
      "B argument_added Demo.AddMiddle/N\n"
      "B argument_type Demo.Type/T\n"
      "B argument_required Demo.Required/R\n"
      "B return_type Demo.Return\n"
      "C argument_added Demo.AddEnd/Opt\n"
      "C argument_required Demo.Required/S\n"
      "C action_description Demo.Soft\n"
      "C argument_default Demo.Soft/D\n"
      "C argument_description Demo.Soft/D\n"
      "C argument_easy_mode Demo.Soft/D\n"
      "C action_added Demo.Added\n",
      Summary(host::CompareActions(FromFile("old.xml"), FromFile("new.xml"))));
  EXPECT_EQ("", Summary(host::CompareActions(FromFile("new.xml"), FromFile("new.xml"))));
}

// Scripts pass arguments by position: twins pair up in place, an identical
// document has no change at all, and a new name in the same place is a note.
TEST(ActionDiff, ArgumentsAndActionsNamedTwicePairByPlace) {
  const std::string twins =
      Document({"My.Dup(Path:string, Path:number)|one", "My.Twice()|first", "My.Twice(Count:number)|second"});
  EXPECT_EQ("", Summary(host::CompareActions(FromText(twins), FromText(twins))));
  EXPECT_EQ("N argument_renamed My.Dup/File\n",
            Summary(host::CompareActions(FromText(Document({"My.Dup(Path:string, Count:number)|one"})),
                                         FromText(Document({"My.Dup(File:string, Count:number)|one"})))));
  EXPECT_EQ("B argument_type My.Dup/Path\nC action_description My.Twice\n",
            Summary(host::CompareActions(FromText(twins),
                                         FromText(Document({"My.Dup(Path:string, Path:string)|one", "My.Twice()|first",
                                                            "My.Twice(Count:number)|the second, described anew"})))));
}

// (A, B) became (B): A went, and B is the argument it always was, not a
// rename of A with B removed. A rename says which place it is.
TEST(ActionDiff, TheArgumentThatWentIsTheOneNamed) {
  const std::vector<host::Change> removed = host::CompareActions(FromText(Document({"My.Do(A:string, B:string)|one"})),
                                                                 FromText(Document({"My.Do(B:string)|one"})));
  EXPECT_EQ("B argument_removed My.Do/A\n", Summary(removed));
  const std::vector<host::Change> renamed = host::CompareActions(FromText(Document({"My.Do(A:string, B:string)|one"})),
                                                                 FromText(Document({"My.Do(A:string, C:string)|one"})));
  ASSERT_EQ(1u, renamed.size());
  EXPECT_EQ("argument 2 renamed: B became C (scripts pass arguments by position)", renamed[0].text);
}

TEST(ActionDiff, QuotedValuesStayReadable) {
  host::PluginReport was = FromText(Document({"My.Do(Path:string)|one"}));
  host::PluginReport now = was;
  was.action_specs[0].arguments[0].default_value = "\"\"";
  now.action_specs[0].arguments[0].default_value = "C:\\";
  const std::vector<host::Change> changes = host::CompareActions(was, now);
  ASSERT_EQ(1u, changes.size());
  EXPECT_EQ("argument Path: Default \"\\\"\\\"\" became \"C:\\\\\"", changes[0].text);
}

TEST(ActionDiff, PluginTextsAreNotesAndTheFirstNumberMustRise) {
  host::PluginReport old_side, new_side;
  old_side.texts["irPlg_GetPluginName"] = "Old", new_side.texts["irPlg_GetPluginName"] = "New";
  old_side.texts["irPlg_GetLuaVersion"] = "Lua 5.0", new_side.texts["irPlg_GetLuaVersion"] = "Lua 5.1";
  old_side.sdk_known = new_side.sdk_known = true;  // the old one an SDK1 plugin
  new_side.sdk_version = 2;
  EXPECT_EQ("N plugin_name \nN lua_version \nN sdk_version \n", Summary(host::CompareActions(old_side, new_side)));
}

std::string Release(const std::string& was, const std::string& now) {
  const std::optional<host::Bump> bump = host::BumpBetween(was, now);
  return bump ? host::BumpName(*bump) : "?";
}

// Versions are dotted numbers, compared number by number (1.9 -> 1.10 is a
// minor release, not a step back); a text that is none tells no release.
TEST(VersionBump, TheFirstNumberThatDiffersSaysWhichRelease) {
  EXPECT_EQ("major minor minor patch none none none", Release("1.9", "2.0") + " " + Release("1.4", "1.5") + " " +
                                                          Release("1.9", "1.10") + " " + Release("1.0", "1.0.1") + " " +
                                                          Release("1.0", "1") + " " + Release("2.0", "1.9") + " " +
                                                          Release("3.1.4", "3.1.4"));
  for (const char* odd : {"2.0 beta", "v2", "", "2..0", "2.", ".2", "-2", "99999999999999999999.0"})
    EXPECT_EQ("?", Release("1.0", odd)) << odd;
}

// The new version needs a major release where scripts break: from the texts,
// or as the author states it; a side without texts (a document) is judged
// by what the author states alone.
TEST(VersionBump, BreakingChangesNeedAMajorRelease) {
  host::PluginReport was, now;
  was.texts["irPlg_GetPluginVersion"] = "1.4";
  now.texts["irPlg_GetPluginVersion"] = "1.5";
  const auto judge = [&](bool breaks, const std::string& stated) {
    const host::VersionVerdict v = host::JudgeVersions(was, now, breaks, stated);
    return v.release + "/" + v.required + "/" + (v.ok ? "ok" : "not ok");
  };
  EXPECT_EQ("minor/none/ok", judge(false, ""));
  EXPECT_EQ("minor/major/not ok", judge(true, ""));
  EXPECT_EQ("major/major/ok", judge(true, "major"));
  EXPECT_EQ("patch/major/not ok", judge(true, "patch"));
  now.texts["irPlg_GetPluginVersion"] = "2.0";
  EXPECT_EQ("major/major/ok", judge(true, ""));
  now.texts.clear();  // a document
  EXPECT_EQ("/major/not ok", judge(true, ""));
  EXPECT_EQ("major/major/ok", judge(true, "major"));
}

}  // namespace
