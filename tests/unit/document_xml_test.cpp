// The served document read by a real XML parser (xmllint) as Windows-1252.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "plugin/module/module_state.h"
#include "plugin/module/plugin_exports.h"
#include "support/test_paths.h"

namespace {

class DocumentXml : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    md::OnProcessAttach();
    int32_t size = 0;
    irPlg_GetPluginActionXML(nullptr, &size);
    std::string doc(size + 1, '\0');
    irPlg_GetPluginActionXML(&doc[0], &size);
    doc.resize(size);
    path_ = testing_paths::DataPath("served_document.xml");
    std::ofstream(path_, std::ios::binary) << "<?xml version=\"1.0\" encoding=\"windows-1252\"?>" << doc;
  }

  static std::string XPath(const std::string& expression) {
    const std::string command = "xmllint --xpath '" + expression + "' '" + path_ + "' 2>&1";
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
      char chunk[256];
      while (std::fgets(chunk, sizeof chunk, pipe)) out += chunk;
      pclose(pipe);
    }
    if (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
  }

  static std::string path_;
};

std::string DocumentXml::path_;

TEST_F(DocumentXml, IsWellFormed) { EXPECT_EQ(0, std::system(("xmllint --noout '" + path_ + "'").c_str())); }

TEST_F(DocumentXml, HasSixActionsThenExtendedWithSixEntries) {
  EXPECT_EQ("6", XPath("count(/ActionTemplates/Action)"));
  EXPECT_EQ("7", XPath("count(/ActionTemplates/*)"));
  EXPECT_EQ("Extended", XPath("name(/ActionTemplates/*[7])"));
  EXPECT_EQ("6", XPath("count(/ActionTemplates/Extended/Action)"));
  EXPECT_EQ("5", XPath("count(/ActionTemplates/Extended/Action[not(node())])"));
  EXPECT_EQ("ReturnValueDescription Example Note", XPath("concat(name(/ActionTemplates/Extended/Action[6]/*[1]), \" \","
                                                         " name(/ActionTemplates/Extended/Action[6]/*[2]), \" \","
                                                         " name(/ActionTemplates/Extended/Action[6]/*[3]))"));
  EXPECT_EQ("ModuleDetails Action Plugin", XPath("string(/ActionTemplates/Extended/Name)"));
}

TEST_F(DocumentXml, ActionsNameTheRegisteredKeysInOrder) {
  const char* keys[] = {"GetName", "GetXML", "GetLuaVersion", "GetAuthorInfo", "GetVersion", "GetInfo"};
  for (int i = 0; i < 6; ++i) {
    const std::string action = "/ActionTemplates/Action[" + std::to_string(i + 1) + "]";
    EXPECT_EQ(std::string("ModuleDetails.") + keys[i], XPath("string(" + action + "/Name)"));
    EXPECT_EQ("Name Description ReturnValueType Arguments",
              XPath("concat(name(" + action + "/*[1]),\" \",name(" + action + "/*[2]),\" \",name(" + action +
                    "/*[3]),\" \",name(" + action + "/*[4]))"));
    EXPECT_EQ("1", XPath("count(" + action + "/Arguments/Arg)"));
    EXPECT_EQ("Filename|string|1|1,*",
              XPath("concat(" + action + "/Arguments/Arg/Name,\"|\"," + action + "/Arguments/Arg/Type,\"|\"," + action +
                    "/Arguments/Arg/Required,\"|\"," + action + "/Arguments/Arg/EasyMode/Constraints)"));
  }
  EXPECT_EQ("table", XPath("string(/ActionTemplates/Action[6]/ReturnValueType)"));
}

}  // namespace
