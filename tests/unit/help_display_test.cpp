// Help display with the shell substituted: what is probed, what is opened.
#include <gtest/gtest.h>

#include <string>

#include "plugin/module/plugin_exports.h"
#include "support/substitute_os.h"

namespace {

TEST(HelpDisplay, OpensHelpHtmlInTheNamedFolder) {
  SubstituteOs os;
  os.RecordOpens();
  os.AnswerSearch(true, {0x20, 1234});
  char folder[] = "C:\\Plugins\\ModuleDetails";
  EXPECT_EQ(1, irPlg_ShowHelpForPlugin(folder, nullptr));
  EXPECT_EQ((std::vector<std::string>{"C:\\Plugins\\ModuleDetails\\Help.html"}), os.opened);
  EXPECT_EQ("find:C:\\Plugins\\ModuleDetails\\Help.html", os.asked.at(0));
}

TEST(HelpDisplay, NoPageNoShell) {
  SubstituteOs os;
  os.RecordOpens();
  os.AnswerSearch(false, {});
  char folder[] = "C:\\Empty";
  EXPECT_EQ(0, irPlg_ShowHelpForPlugin(folder, nullptr));
  char action[] = "ModuleDetails.GetName";
  EXPECT_EQ(0, irPlg_ShowHelpForAction(action, folder, nullptr));
  EXPECT_TRUE(os.opened.empty());
}

TEST(HelpDisplay, AFolderNamedHelpHtmlCountsAsAPage) {
  SubstituteOs os;
  os.RecordOpens();
  os.AnswerSearch(true, {md::kAttributeDirectory, 0});
  char folder[] = "D:\\odd";
  EXPECT_EQ(1, irPlg_ShowHelpForPlugin(folder, nullptr));
  EXPECT_EQ(1u, os.opened.size());
}

TEST(HelpDisplay, BackslashIsAlwaysAddedAndNullMeansEmpty) {
  SubstituteOs os;
  os.RecordOpens();
  os.AnswerSearch(true, {0x20, 1});
  char folder[] = "C:\\Plugins\\";
  irPlg_ShowHelpForPlugin(folder, nullptr);
  irPlg_ShowHelpForPlugin(nullptr, nullptr);
  EXPECT_EQ((std::vector<std::string>{"C:\\Plugins\\\\Help.html", "\\Help.html"}), os.opened);
}

TEST(HelpDisplay, ActionHelpIsThePluginPageWhateverTheAction) {
  SubstituteOs os;
  os.RecordOpens();
  os.AnswerSearch(true, {0x20, 1});
  char folder[] = "E:\\p";
  char name[] = "ModuleDetails.GetInfo";
  char other[] = "anything at all";
  EXPECT_EQ(1, irPlg_ShowHelpForAction(name, folder, nullptr));
  EXPECT_EQ(1, irPlg_ShowHelpForAction(other, folder, nullptr));
  EXPECT_EQ(1, irPlg_ShowHelpForAction(nullptr, folder, nullptr));
  EXPECT_EQ(std::vector<std::string>(3, "E:\\p\\Help.html"), os.opened);
}

TEST(HelpDisplay, NoMemoryForThePathMeansNoPage) {
  SubstituteOs os;
  os.RecordOpens();
  os.AnswerSearch(true, {0x20, 1});
  os.CountAllocations(0);
  char folder[] = "C:\\Plugins";
  EXPECT_EQ(0, irPlg_ShowHelpForPlugin(folder, nullptr));
  EXPECT_TRUE(os.opened.empty());
}

TEST(HelpDisplay, LongFoldersAreProbedCutButOpenedWhole) {
  SubstituteOs os;
  os.RecordOpens();
  os.AnswerSearch(true, {0x20, 1});
  std::string folder(300, 'f');
  EXPECT_EQ(1, irPlg_ShowHelpForPlugin(&folder[0], nullptr));
  EXPECT_EQ("find:" + std::string(260, 'f'), os.asked.at(0));
  EXPECT_EQ(folder + "\\Help.html", os.opened.at(0));
}

}  // namespace
