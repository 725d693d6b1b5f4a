// Comparing two versions of a plugin: every kind of change in the fixture
// documents with its class, and the notes and version rule that only plugin
// modules can have.
#include <gtest/gtest.h>

#include <string>

#include "mdhost/compare/action_diff.h"
#include "support/test_paths.h"

namespace {

host::Compared FromFile(const std::string& name) {
  host::Compared side;
  side.path = name;
  const std::string path = testing_paths::SourcePath("tests/mdhost/diff/" + name);
  const host::ActionDocument document = host::ReadActionDocument(testing_paths::ReadFile(path));
  EXPECT_TRUE(document.well_formed) << path << ": " << document.problem;
  side.actions = document.specs;
  return side;
}

std::string Summary(const std::vector<host::Change>& changes) {
  std::string all;
  for (const host::Change& c : changes)
    all += std::string(c.what == host::ChangeClass::kBreaking ? "B " : c.what == host::ChangeClass::kCompatible ? "C " : "N ") +
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

TEST(ActionDiff, PluginTextsAreNotesAndTheFirstNumberMustRise) {
  host::Compared old_side, new_side;
  old_side.name = "Old", new_side.name = "New";
  old_side.lua_version = "Lua 5.0", new_side.lua_version = "Lua 5.1";
  old_side.sdk_version = 1, new_side.sdk_version = 2;
  EXPECT_EQ("N plugin_name \nN lua_version \nN sdk_version \n", Summary(host::CompareActions(old_side, new_side)));
  EXPECT_TRUE(host::MajorVersionRose("1.9", "2.0"));
  EXPECT_FALSE(host::MajorVersionRose("1.4", "1.5"));
  EXPECT_FALSE(host::MajorVersionRose("2.0", "2.0 beta"));
}

}  // namespace
