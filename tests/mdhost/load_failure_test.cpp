// Why a module cannot be loaded, in MD001's words: every module missing at
// once, and MinGW's own remedy where its runtime is among them.
#include <gtest/gtest.h>

#include <string>

#include "mdhost/examine/loaded_module.h"

namespace {

TEST(LoadFailure, EveryMissingModuleAtOnceWithTheRemedyThatFits) {
  EXPECT_EQ(
      "it imports helper.dll, which is not in the plugin's folder, the system folders or beside the host; ship it "
      "beside the plugin (the loader's words)",
      host::MissingImportsText({"helper.dll"}, "the loader's words"));
  const std::string runtime = host::MissingImportsText(
      {"libgcc_s_dw2-1.dll", "libstdc++-6.dll", "libwinpthread-1.dll (for libstdc++-6.dll)"}, "");
  EXPECT_EQ(0u, runtime.find("it imports libgcc_s_dw2-1.dll, libstdc++-6.dll and libwinpthread-1.dll (for "
                             "libstdc++-6.dll), which are not in"));
  EXPECT_NE(std::string::npos, runtime.find("ship them beside the plugin, or link MinGW's runtime into the plugin "
                                            "(-static-libgcc -static-libstdc++, or -static)"));
  EXPECT_EQ(std::string::npos, host::MissingImportsText({"helper.dll"}, "").find("-static"));
}

}  // namespace
