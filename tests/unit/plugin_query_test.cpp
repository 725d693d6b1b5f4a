// The plugin text query against fixture plugins: the protocol as caller, one
// load and one release per query, and nothing left loaded.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "fixtures/fixture_counter.h"
#include "plugin/inspect/plugin_query.h"
#include "plugin/module/module_state.h"
#include "support/query_text.h"
#include "support/substitute_os.h"
#include "support/test_paths.h"

namespace {

class PluginQuery : public ::testing::Test {
 protected:
  void SetUp() override {
    md::OnProcessAttach();
    FixtureResetCounts();
  }
  void TearDown() override {
    EXPECT_EQ(0u, md::State().loaded_modules.count) << "the registry kept a module";
    EXPECT_EQ(FixtureLoads(), FixtureReleases()) << "a fixture stayed loaded";
  }

  static std::string Query(const std::string& fixture, const char* getter) {
    return QueryText(testing_paths::FixturePath(fixture), getter);
  }

  static std::string Pattern(char first, std::size_t length) {
    std::string text(length, first);
    for (std::size_t i = 0; i < length; ++i) text[i] = static_cast<char>(first + i % 23);
    return text;
  }
};

TEST_F(PluginQuery, ReadsEachTextWithOneLoadAndOneRelease) {
  EXPECT_EQ("Fixture Plugin", Query("fixture_plugin", "irPlg_GetPluginName"));
  EXPECT_EQ("2.5.0.1", Query("fixture_plugin", "irPlg_GetPluginVersion"));
  EXPECT_EQ("Lua 5.1", Query("fixture_plugin", "irPlg_GetLuaVersion"));
  EXPECT_EQ("The fixture makers\r\n\xA9 test use only", Query("fixture_plugin", "irPlg_GetAuthorInfo"));
  EXPECT_EQ("<ActionTemplates>\r\n</ActionTemplates>", Query("fixture_sdk1", "irPlg_GetPluginActionXML"));
  EXPECT_EQ(5, FixtureLoads());
  EXPECT_EQ(5, FixtureReleases());
  EXPECT_EQ(5, FixtureGetterCalls());
}

TEST_F(PluginQuery, TextsUpTo10000BytesTakeOneCallLongerOnesTwo) {
  EXPECT_EQ(Pattern('A', 10000), Query("fixture_large", "irPlg_GetPluginName"));
  EXPECT_EQ(1, FixtureGetterCalls());
  EXPECT_EQ(Pattern('!', 9999), Query("fixture_large", "irPlg_GetAuthorInfo"));
  EXPECT_EQ(2, FixtureGetterCalls());
  EXPECT_EQ(Pattern('a', 10001), Query("fixture_large", "irPlg_GetPluginVersion"));
  EXPECT_EQ(4, FixtureGetterCalls());
  EXPECT_EQ(Pattern('0', 300 * 1024), Query("fixture_large", "irPlg_GetPluginActionXML"));
  EXPECT_EQ(6, FixtureGetterCalls());
  EXPECT_EQ(4, FixtureLoads());
}

TEST_F(PluginQuery, MissingGettersLoadOnceAndGiveEmptyTexts) {
  EXPECT_EQ("", Query("fixture_nameless", "irPlg_GetPluginName"));
  EXPECT_EQ("", Query("fixture_partial", "irPlg_GetPluginVersion"));
  EXPECT_EQ("Fixture Plugin", Query("fixture_partial", "irPlg_GetPluginName"));
  EXPECT_EQ(3, FixtureLoads());
  EXPECT_EQ(1, FixtureGetterCalls());
}

TEST_F(PluginQuery, WhatIsNotAModuleGivesEmptyWithoutLoading) {
  const std::string text = testing_paths::DataPath("not_a_module.txt");
  std::ofstream(text, std::ios::binary) << "just some text\n";
  EXPECT_EQ("", QueryText(text, "irPlg_GetPluginName"));
  EXPECT_EQ("", QueryText(testing_paths::DataPath("missing.dll"), "irPlg_GetPluginName"));
  EXPECT_EQ(0, FixtureLoads());
}

TEST_F(PluginQuery, GettersThatBendTheProtocol) {
  // -1 twice: whatever the second call left in the buffer.
  EXPECT_EQ("second", Query("fixture_misbehaving", "irPlg_GetPluginVersion"));
  EXPECT_EQ("", Query("fixture_misbehaving", "irPlg_GetAuthorInfo"));
  // Success claimed without writing.
  EXPECT_EQ("", Query("fixture_misbehaving", "irPlg_GetLuaVersion"));
  EXPECT_EQ(5, FixtureGetterCalls());
  // A negative stored length: no second call.
  EXPECT_EQ("", Query("fixture_misbehaving", "irPlg_GetPluginActionXML"));
  EXPECT_EQ(6, FixtureGetterCalls());
  EXPECT_EQ(4, FixtureLoads());
}

TEST_F(PluginQuery, NeverReadsPastTheBufferOfAGetterThatLeavesNoTerminator) {
  EXPECT_EQ(std::string(10001, 'X'), Query("fixture_breaker", "irPlg_GetPluginName"));
}

TEST_F(PluginQuery, TheSecondCallOffersExactlyTheLengthTheFirstStored) {
  SubstituteOs os;
  os.CountAllocations();
  // The getter fills all it is offered and one byte more; our own byte ends it.
  EXPECT_EQ(std::string(12346, 'M'), Query("fixture_misbehaving", "irPlg_GetMeasuredText"));
  EXPECT_EQ(2, FixtureGetterCalls());
  EXPECT_EQ(10000, FixtureOfferedSize(0));
  EXPECT_EQ(12345, FixtureOfferedSize(1)) << "the second call must offer the stored length";
  // Each buffer holds the offered bytes, the terminator's room and a zero of our own.
  // (Beside them: the probe's spelling of the file and the registry's room.)
  std::vector<std::size_t> buffers;
  for (std::size_t size : os.allocation_sizes)
    if (size > 1000) buffers.push_back(size);
  EXPECT_EQ((std::vector<std::size_t>{10002u, 12347u}), buffers);
}

TEST_F(PluginQuery, ReadsThisPluginsOwnModule) {
  const std::string self = testing_paths::PluginPath();
  EXPECT_EQ("ModuleDetails", QueryText(self, "irPlg_GetPluginName"));
  EXPECT_EQ("1.1", QueryText(self, "irPlg_GetPluginVersion"));
  EXPECT_EQ("Lua 5.1", QueryText(self, "irPlg_GetLuaVersion"));
  EXPECT_EQ(0u, QueryText(self, "irPlg_GetAuthorInfo").find("A plugin for"));
  EXPECT_EQ(testing_paths::ReadFile(testing_paths::DocumentPath()), QueryText(self, "irPlg_GetPluginActionXML"));
}

}  // namespace
