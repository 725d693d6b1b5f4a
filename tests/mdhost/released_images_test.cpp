// What a released plugin leaves in the worker (Windows): a module it brought
// in and kept retires the worker before the next plugin, and the addresses
// of an image it brought in stay reserved, so that no later module lands
// where its left work would call.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "mdhost/examine/examination.h"
#include "mdhost/system/crash_report.h"
#include "mdhost/system/system.h"
#include "support/test_paths.h"

namespace {

// Each test's notes go with it: the crash handler's tests read them.
class ReleasedPlugins : public ::testing::Test {
 protected:
  void TearDown() override {
    for (host::fault_report::ImageNote& note : host::fault_report::notes) {
      if (note.released) host::FreeReservation({note.start, note.end});
      note = {};
    }
  }
};

class RetireSink : public host::ReportSink {
 public:
  RetireSink() : host::ReportSink(&report_) {}
  void LeftBehind() override { left_behind = true; }
  bool left_behind = false;

 private:
  host::PluginReport report_;
};

bool Retires(const std::string& fixture) {
  RetireSink sink;
  host::ExaminePlugin(host::Examination::kRead, testing_paths::FixturePath(fixture), 0, sink);
  EXPECT_FALSE(sink.report().HasFinding("MD001")) << fixture << " did not load";
  return sink.left_behind;
}

TEST_F(ReleasedPlugins, AHelperModuleKeptLoadedRetiresTheWorker) {
  EXPECT_FALSE(Retires("plugins/fixture_helped")) << "a helper released with its plugin";
  EXPECT_TRUE(Retires("plugins/fixture_keeps_helper"));
}

DWORD StateAt(uintptr_t address) {
  MEMORY_BASIC_INFORMATION info = {};
  VirtualQuery(reinterpret_cast<void*>(address), &info, sizeof info);
  return info.State;
}

// Addresses an image had: taken and given up again, as a released module's.
host::ImageRange FreedRange() {
  void* block = VirtualAlloc(nullptr, 64 * 1024, MEM_RESERVE, PAGE_NOACCESS);
  const auto start = reinterpret_cast<uintptr_t>(block);
  VirtualFree(block, 0, MEM_RELEASE);
  return {start, start + 64 * 1024};
}

TEST_F(ReleasedPlugins, AReleasedImagesAddressesStayReservedUntilGivenBackOrForgotten) {
  const host::ImageRange given_back = FreedRange();
  host::NoteImage("given_back.dll", given_back);
  EXPECT_EQ(DWORD{MEM_FREE}, StateAt(given_back.start)) << "reserved while still loaded";
  host::NoteReleased(given_back);
  EXPECT_EQ(DWORD{MEM_RESERVE}, StateAt(given_back.start));
  EXPECT_EQ(nullptr, VirtualAlloc(reinterpret_cast<void*>(given_back.start), 4096, MEM_RESERVE, PAGE_NOACCESS));
  host::GiveBackReleased({given_back.start + 4096, given_back.start + 8192});  // any overlap
  EXPECT_EQ(DWORD{MEM_FREE}, StateAt(given_back.start));

  // The oldest note makes way for a new one, and its addresses go with it.
  const host::ImageRange forgotten = FreedRange();
  host::NoteImage("forgotten.dll", forgotten);
  host::NoteReleased(forgotten);
  EXPECT_EQ(DWORD{MEM_RESERVE}, StateAt(forgotten.start));
  for (int i = 0; i < host::fault_report::kNotes; ++i) {
    const uintptr_t start = 0x1000 + static_cast<uintptr_t>(i) * 0x1000;
    host::NoteImage("another.dll", {start, start + 0x1000});
  }
  EXPECT_EQ(DWORD{MEM_FREE}, StateAt(forgotten.start));
}

}  // namespace
