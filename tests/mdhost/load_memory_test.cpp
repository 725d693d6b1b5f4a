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

// The figure decides the severity: within the measurement's noise (128 B)
// a pass, up to 1 KiB a note, more a warning; memory given back reads as
// none, in the sentence and in the figure.
TEST(LoadMemory, TheFigureDecidesTheSeverityAndIsNeverNegative) {
  const struct {
    double per_cycle;
    host::Severity severity;
    const char* shown;
    double figure;
  } rows[] = {
      {100, host::Severity::kPass, "100 bytes", 100},  {128, host::Severity::kPass, "128 bytes", 128},
      {500, host::Severity::kNote, "500 bytes", 500},  {1024, host::Severity::kNote, "1.00 KiB", 1024},
      {2000, host::Severity::kWarn, "1.95 KiB", 2000}, {-300, host::Severity::kPass, "0 bytes", 0},
  };
  for (const auto& row : rows) {
    CountingSink sink;
    host::ReportKeptPerLoad(sink, row.per_cycle, "working set", 200);
    ASSERT_EQ(1u, sink.report().findings.size()) << row.per_cycle;
    const host::Finding& finding = sink.report().findings[0];
    EXPECT_EQ(row.severity, finding.severity) << row.per_cycle;
    EXPECT_EQ(0u, finding.text.find(std::string("memory kept per load and release: ") + row.shown +
                                    " (working set, 200 cycles)"))
        << finding.text;
    EXPECT_EQ(row.figure, sink.report().figures.at("kept_per_load")) << row.per_cycle;
  }
}

}  // namespace
