// The text getter protocol as the module serves it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plugin/module/action_template_document.h"
#include "plugin/module/module_state.h"
#include "plugin/module/plugin_exports.h"
#include "plugin/module/text_getter.h"

namespace {

using md::TextGetter;

struct Case {
  const char* name;
  TextGetter getter;
  std::string text;
};

const std::string kAuthor =
    "A plugin for Autoplay Media Studio 8 (SDK2) for retrieving information regarding AMS "
    "plugins (SDK1 and SDK2)\r\n\xA9 2026 The ModuleDetails team. All rights reserved.";

std::vector<Case> Cases() {
  return {
      {"name", irPlg_GetPluginName, "ModuleDetails"},
      {"version", irPlg_GetPluginVersion, "1.1"},
      {"lua", irPlg_GetLuaVersion, "Lua 5.1"},
      {"author", irPlg_GetAuthorInfo, kAuthor},
      {"xml", irPlg_GetPluginActionXML, std::string(md::ActionTemplateDocument(), md::ActionTemplateDocumentSize())}};
}

constexpr char kCanary = '\x5A';

class TextGetterTest : public ::testing::Test {
 protected:
  void SetUp() override { md::OnProcessAttach(); }
};

TEST_F(TextGetterTest, TooSmallSizesStoreTheLengthAndWriteNothing) {
  for (const Case& c : Cases()) {
    const int32_t length = static_cast<int32_t>(c.text.size());
    for (int32_t stated : {0, -1, -2147483647 - 1, length - 1}) {
      std::string buffer(16, kCanary);
      int32_t size = stated;
      EXPECT_EQ(-1, c.getter(&buffer[0], &size)) << c.name << " stated " << stated;
      EXPECT_EQ(length, size) << c.name;
      EXPECT_EQ(std::string(16, kCanary), buffer) << c.name << ": buffer touched";
    }
  }
}

TEST_F(TextGetterTest, ExactSizeWritesTextAndTerminatorAndNothingBeyond) {
  for (const Case& c : Cases()) {
    const int32_t length = static_cast<int32_t>(c.text.size());
    for (int32_t stated : {length, length + 100}) {
      std::string buffer(length + 101, kCanary);
      int32_t size = stated;
      ASSERT_EQ(length, c.getter(&buffer[0], &size)) << c.name;
      EXPECT_EQ(stated, size) << c.name << ": size changed on success";
      EXPECT_EQ(c.text, buffer.substr(0, length)) << c.name;
      EXPECT_EQ('\0', buffer[length]) << c.name;
      EXPECT_EQ(std::string(100, kCanary), buffer.substr(length + 1)) << c.name;
    }
  }
}

TEST_F(TextGetterTest, VersionFitsInThreeBytes) {
  char buffer[5] = {kCanary, kCanary, kCanary, kCanary, kCanary};
  int32_t size = 3;
  EXPECT_EQ(3, irPlg_GetPluginVersion(buffer, &size));
  EXPECT_EQ(0, std::memcmp(buffer, "1.1\0\x5A", 5));
}

TEST_F(TextGetterTest, AuthorTextHasOneLineBreakAndACopyrightLine) {
  const std::string text = Cases()[3].text;
  EXPECT_EQ(text.find("\r\n"), text.rfind("\r\n"));
  EXPECT_EQ(std::string::npos, text.find('\n', text.find("\r\n") + 2));
  EXPECT_EQ('\xA9', text[text.find("\r\n") + 2]);
  EXPECT_EQ(0u, text.find("A plugin for Autoplay Media Studio 8 (SDK2) for retrieving "
                          "information regarding AMS plugins (SDK1 and SDK2)\r\n"));
}

TEST_F(TextGetterTest, InterfaceGenerationIsTwo) { EXPECT_EQ(2, irPlg_GetSDKVersion()); }

}  // namespace
