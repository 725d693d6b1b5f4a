// What a plugin changes for the whole process is found at the end of the
// step that changed it, once per kind, and put back at once; the words say
// which exceptions a control word lets through.
#include <gtest/gtest.h>

#include <string>

#include "mdhost/contract/report_sink.h"
#include "mdhost/examine/process_state_check.h"
#include "mdhost/system/system.h"

namespace {

#if defined(__i386__) || defined(__x86_64__)

void SetControlWord(uint16_t word) { __asm__ __volatile__("fnclex\n\tfldcw %0" : : "m"(word)); }

uint16_t ControlWord() {
  uint16_t fpu = 0;
  uint32_t sse = 0;
  host::ReadFloatingPointControl(&fpu, &sse);
  return fpu;
}

TEST(ProcessState, AControlWordChangedInAStepIsFoundThereOnceAndPutBack) {
  const uint16_t before = ControlWord();
  host::PluginReport report;
  host::ReportSink sink(&report);
  {
    const host::ProcessStateWatch watch(sink);
    sink.Stage("irPlg_GetPluginName with size 10000", "irPlg_GetPluginName");
    SetControlWord(0x1332);
    sink.Stage("irPlg_GetPluginVersion with size 10000", "irPlg_GetPluginVersion");
    EXPECT_EQ(before, ControlWord()) << "put back at the end of the step";
    SetControlWord(0x1332);  // again: the same cause, not said twice
    sink.Stage("irPlg_GetLuaVersion with size 10000", "irPlg_GetLuaVersion");
  }
  EXPECT_EQ(before, ControlWord());
  ASSERT_EQ(1u, report.findings.size());
  EXPECT_EQ("MD504", report.findings[0].rule);
  EXPECT_NE(std::string::npos, report.findings[0].text.find(" in irPlg_GetPluginName and left it"))
      << report.findings[0].text;
}

TEST(ProcessState, AStepThatPutsItBackItselfIsNoFinding) {
  host::PluginReport report;
  host::ReportSink sink(&report);
  {
    const host::ProcessStateWatch watch(sink);
    sink.Stage("irPlg_GetPluginName with size 10000", "irPlg_GetPluginName");
    const uint16_t own = ControlWord();
    SetControlWord(0x1332);
    SetControlWord(own);
  }
  EXPECT_TRUE(report.findings.empty());
}

#endif

TEST(ProcessState, TheWordsNameWhatAControlWordLetsThrough) {
  const std::string unmasked = host::FloatingPointChangeText(false, 0x027F, 0x1332, "in DllMain");
  EXPECT_NE(std::string::npos, unmasked.find("from 0x027F to 0x1332 in DllMain"));
  EXPECT_NE(std::string::npos, unmasked.find("invalid operation, division by zero, overflow ("));
  const std::string rounding = host::FloatingPointChangeText(false, 0x027F, 0x007F, "in DllMain");
  EXPECT_NE(std::string::npos, rounding.find("rounds differently"));
  const std::string sse = host::FloatingPointChangeText(true, 0x1F80, 0x1D80, "in its release");
  EXPECT_NE(std::string::npos, sse.find("MXCSR) from 0x1F80 to 0x1D80 in its release"));
  EXPECT_NE(std::string::npos, sse.find("meets division by zero ("));
}

}  // namespace
