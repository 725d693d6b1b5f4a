// Module-wide state across attach and detach.
#include <gtest/gtest.h>

#include <cstring>

#include "module/module_state.h"
#include "support/substitute_os.h"

namespace {

TEST(ModuleState, AttachStartsClean) {
  md::OnProcessAttach();
  std::strcpy(md::State().ErrorText, "left over");
  md::OnProcessAttach();
  const md::ModuleState& s = md::State();
  EXPECT_STREQ("", s.ErrorText);
  EXPECT_TRUE(s.LoadedModules.empty());
  EXPECT_STREQ("irPlg_GetPluginName", s.GetterNames[md::kNameGetter]);
  EXPECT_STREQ("irPlg_GetPluginActionXML", s.GetterNames[md::kActionXmlGetter]);
  EXPECT_STREQ("irPlg_GetLuaVersion", s.GetterNames[md::kLuaVersionGetter]);
  EXPECT_STREQ("irPlg_GetAuthorInfo", s.GetterNames[md::kAuthorInfoGetter]);
  EXPECT_STREQ("irPlg_GetPluginVersion", s.GetterNames[md::kVersionGetter]);
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
  EXPECT_TRUE(md::State().LoadedModules.empty());
  md::OnProcessDetach();
  EXPECT_EQ(2u, os.released.size()) << "a second detach released again";
  md::OnProcessAttach();
}

}  // namespace
