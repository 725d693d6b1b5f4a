// Memory kept per load is measured over hundreds of load cycles, one step
// of the stage board: each cycle is a sign of life, so that --timeout bounds
// one cycle, not all of them (220 cycles of a slow loader took 2 s).
#include <gtest/gtest.h>

#include <string>

#include "mdhost/examine/examination.h"
#include "support/test_paths.h"

namespace {

class CountingSink : public host::ReportSink {
 public:
  CountingSink() : host::ReportSink(&report_) {}
  void Progress() override { ++progress; }
  int progress = 0;

 private:
  host::PluginReport report_;
};

TEST(LoadMemory, EachCycleIsASignOfLife) {
  CountingSink sink;
  host::MeasureKeptPerLoad(sink, testing_paths::FixturePath("fixture_c_plugin"), 5);
  EXPECT_GE(sink.progress, 5);
  EXPECT_TRUE(sink.report().HasFinding("MD501"));
}

}  // namespace
