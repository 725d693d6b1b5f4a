// Module-wide state across attach and detach.
#include <gtest/gtest.h>

#include <cstring>

#include "plugin/module/module_state.h"
#include "plugin/module/plugin_exports.h"
#include "support/substitute_os.h"

namespace {

TEST(ModuleState, AttachStartsClean) {
  md::OnProcessAttach();
  std::strcpy(md::State().error_text, "left over");
  md::OnProcessAttach();
  const md::ModuleState& s = md::State();
  EXPECT_STREQ("", s.error_text);
  EXPECT_EQ(0u, s.loaded_modules.count);
  EXPECT_STREQ("irPlg_GetPluginName", s.getter_names[md::kNameGetter]);
  EXPECT_STREQ("irPlg_GetPluginActionXML", s.getter_names[md::kActionXmlGetter]);
  EXPECT_STREQ("irPlg_GetLuaVersion", s.getter_names[md::kLuaVersionGetter]);
  EXPECT_STREQ("irPlg_GetAuthorInfo", s.getter_names[md::kAuthorInfoGetter]);
  EXPECT_STREQ("irPlg_GetPluginVersion", s.getter_names[md::kVersionGetter]);
}

TEST(ModuleState, WithoutMemoryAtAttachTheDocumentServedIsEmpty) {
  {
    SubstituteOs os;
    os.CountAllocations(0);
    md::OnProcessAttach();
    int32_t size = 0;
    char buffer[1] = {'x'};
    EXPECT_EQ(0, irPlg_GetPluginActionXML(buffer, &size));
    EXPECT_EQ('\0', buffer[0]);
  }
  md::OnProcessAttach();
}

TEST(ModuleState, DetachReleasesWhatTheRegistryStillHolds) {
  SubstituteOs os;
  os.RecordReleases();
  md::OnProcessAttach();
  int a, b, c;
  ASSERT_TRUE(md::RecordLoadedModule(&a));
  ASSERT_TRUE(md::RecordLoadedModule(&b));
  ASSERT_TRUE(md::RecordLoadedModule(&c));
  md::ForgetLoadedModule(&b);  // released by its query already
  md::OnProcessDetach();
  EXPECT_EQ((std::vector<void*>{&a, &c}), os.released);
  EXPECT_EQ(0u, md::State().loaded_modules.count);
  md::OnProcessDetach();
  EXPECT_EQ(2u, os.released.size()) << "a second detach released again";
  md::OnProcessAttach();
}

TEST(ModuleState, AtProcessExitTheRegistryIsLeftToTheSystem) {
  SubstituteOs os;
  os.RecordReleases();
  md::OnProcessAttach();
  int a;
  ASSERT_TRUE(md::RecordLoadedModule(&a));
  md::OnProcessDetach(md::Detach::kProcessExit);
  EXPECT_TRUE(os.released.empty()) << "a module was released while the process ends";
  md::OnProcessDetach(md::Detach::kUnload);
  EXPECT_EQ((std::vector<void*>{&a}), os.released);
  md::OnProcessAttach();
}

}  // namespace
