// Registering a plugin's actions as the host does, against a real fixture:
// a Lua state mdhost cannot make is its own failure (MD402).
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "mdhost/contract/report_sink.h"
#include "mdhost/examine/examination.h"
#include "mdhost/examine/loaded_module.h"
#include "mdhost/examine/lua_host.h"
#include "support/test_paths.h"

namespace {

void* Refuse(void*, void*, std::size_t, std::size_t) { return nullptr; }

TEST(Registration, NoLuaStateIsMdhostsOwnFailure) {
  const host::LoadedModule module(testing_paths::FixturePath("fixture_actions"));
  ASSERT_TRUE(module.ok()) << module.why();
  host::PluginReport report;
  host::ReportSink sink(&report);
  host::SetHostStateAllocator(Refuse);
  host::CheckRegistration(sink, module, std::vector<std::string>{"Fixture.Echo"});
  host::SetHostStateAllocator(nullptr);
  ASSERT_EQ(1u, report.findings.size());
  EXPECT_EQ("MD402", report.findings[0].rule);
  EXPECT_EQ(host::Severity::kFail, report.findings[0].severity);
  // With memory, the same module registers its action.
  host::PluginReport again;
  host::ReportSink again_sink(&again);
  host::CheckRegistration(again_sink, module, std::vector<std::string>{"Fixture.Echo"});
  EXPECT_TRUE(again.HasFinding("MD405"));
  EXPECT_FALSE(again.HasFinding("MD402"));
}

}  // namespace
