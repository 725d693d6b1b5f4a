// The worker's records read back by the parent: every kind of record, any
// bytes in the texts, fed in pieces as a pipe hands them over.
#include <gtest/gtest.h>

#include <string>
#ifndef _WIN32  // (the MinGW build's thread model has no std::thread)
#include <chrono>
#include <thread>
#endif

#include "mdhost/system/crash_report.h"
#include "mdhost/worker/worker_protocol.h"

namespace {

std::string written;
void Capture(const char* bytes, std::size_t size) { written.append(bytes, size); }

TEST(WorkerProtocol, EveryRecordKindComesBackAsItWasWritten) {
  written.clear();
  host::RecordWriter writer(nullptr, Capture);
  const std::string odd("text with a\nnewline, a NUL \0 and \xFF bytes", 41);
  writer.Begin(7);
  writer.Text("irPlg_GetPluginName", odd);
  writer.Text("irPlg_GetLuaVersion", "");
  writer.SdkVersion(-3);
  writer.VersionResource("1.2.3.4", "");
  writer.Pass("MD106", "passes");
  writer.Note("MD201", "notes");
  writer.Warn("MD102", "warns " + odd);
  writer.Fail("MD105", "");
  writer.Actions({"A.one", odd, ""});
  writer.Figure("kept_per_load", 1.0 / 3.0);
  writer.Error("MD003", "crashed: " + odd);
  writer.Done();
  writer.Begin(8);
  writer.SdkVersion(std::nullopt);
  writer.Actions({});
  writer.Done();

  host::RecordReader reader;
  uint32_t request = 0;
  host::PluginReport report;
  std::size_t fed = 0;
  while (fed < written.size()) {
    reader.Feed(written.substr(fed++, 1));
    if (reader.NextReport(&request, &report)) break;
  }
  reader.Feed(written.substr(fed));
  EXPECT_EQ(7u, request);
  EXPECT_EQ(odd, *report.Text("irPlg_GetPluginName"));
  EXPECT_EQ("", *report.Text("irPlg_GetLuaVersion"));
  EXPECT_EQ(nullptr, report.Text("irPlg_GetPluginVersion"));
  EXPECT_TRUE(report.sdk_known);
  EXPECT_EQ(-3, report.sdk_version.value_or(0));
  EXPECT_EQ("1.2.3.4|", report.file_version + "|" + report.product_version);
  ASSERT_EQ(4u, report.findings.size());
  const host::Severity severities[] = {host::Severity::kPass, host::Severity::kNote, host::Severity::kWarn,
                                       host::Severity::kFail};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(severities[i], report.findings[i].severity) << i;
  EXPECT_EQ("warns " + odd, report.findings[2].text);
  EXPECT_EQ("", report.findings[3].text);
  ASSERT_TRUE(report.actions.has_value());
  EXPECT_EQ((std::vector<std::string>{"A.one", odd, ""}), *report.actions);
  EXPECT_EQ(1.0 / 3.0, report.figures.at("kept_per_load"));
  EXPECT_EQ("MD003|crashed: " + odd, report.error_rule + "|" + report.error);

  ASSERT_TRUE(reader.NextReport(&request, &report));
  EXPECT_EQ(8u, request);
  EXPECT_TRUE(report.sdk_known);
  EXPECT_FALSE(report.sdk_version.has_value());
  ASSERT_TRUE(report.actions.has_value()) << "an empty list is not an unread document";
  EXPECT_TRUE(report.actions->empty());
  EXPECT_TRUE(report.findings.empty()) << "a report carried another's findings";
}

#ifndef _WIN32
// A pipe slow to take a report: half of it, a pause, the rest.
void SlowCapture(const char* bytes, std::size_t size) {
  written.append(bytes, size / 2);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  written.append(bytes + size / 2, size - size / 2);
}

// A thread a plugin left behind crashes while the report is being written:
// its crash record comes after the report, never inside it.
TEST(WorkerProtocol, ACrashRecordNeverLandsInsideAReportBeingWritten) {
  written.clear();
  host::RecordWriter writer(nullptr, SlowCapture);
  writer.Begin(5);
  writer.Text("irPlg_GetPluginName", std::string(200, 'n'));
  std::thread crash([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // while the report is half out
    host::fault_report::Facts facts;
    facts.other_thread = true;
    host::WriteCrashRecord(facts, "boom");
  });
  writer.Done();
  crash.join();
  host::RecordReader reader;
  reader.Feed(written);
  uint32_t request = 0;
  host::PluginReport report;
  ASSERT_TRUE(reader.NextReport(&request, &report)) << "the report was broken into";
  EXPECT_EQ(std::string(200, 'n'), *report.Text("irPlg_GetPluginName"));
  const host::RecordReader::Unfinished after = reader.TakeUnfinished();
  EXPECT_EQ("boom", after.crash);
  EXPECT_TRUE(after.facts.other_thread);
}
#endif

// What is left when the worker ends in the middle of a report.
TEST(WorkerProtocol, AnUnfinishedReportKeepsWhatWasLearntAndTheCrash) {
  host::RecordReader reader;
  reader.Feed("S 0 1\n3T 19 4\nirPlg_GetPluginNameNameC 41 12\nother_thread overrun released image=x.dllaccess fault");
  const host::RecordReader::Unfinished unfinished = reader.TakeUnfinished();
  EXPECT_TRUE(unfinished.begun);
  EXPECT_EQ(3u, unfinished.request);
  EXPECT_EQ("Name", *unfinished.report.Text("irPlg_GetPluginName"));
  EXPECT_EQ("access fault", unfinished.crash);
  EXPECT_TRUE(unfinished.facts.other_thread && unfinished.facts.overrun && unfinished.facts.released);
  EXPECT_EQ("x.dll", unfinished.facts.image);
}

// Found by fuzzing: lengths that overflow when added, and headers that are
// no headers, are the bytes of no writer of ours; the reader goes on.
TEST(WorkerProtocol, ForgedHeadersAreSkippedNotTrusted) {
  host::RecordReader reader;
  reader.Feed("S 0 1\n1C 18446744073709551615 2\nxx\nT -1 2\nS 0 1\n2D 0 0\n");
  uint32_t request = 0;
  host::PluginReport report;
  ASSERT_TRUE(reader.NextReport(&request, &report));
  EXPECT_EQ(2u, request);
  // The fuzzer's own find, fed as it fed it (three bytes at a time).
  const std::string found(
      "\x03\x53\x20\x30\x20\x0A\x4C\x34\x53\x20\x30\x40\x31\x0A\x31\x45"
      "\x65\x64\x43\x20\x20\x35\x20\x31\x31\x31\x31\x31\x31\x31\x31\x31"
      "\x31\x31\x31\x31\x31\x31\x31\x31\x31\x31\x31\x31\x31\x31\x31\x31"
      "\x31\x31\x31\x31\x31\x31\x31\x31\x31\x31\x31\x31\x31\x31\x31\x31"
      "\x31\x31\x31\x31\x31\x31\x31\x31\x31\x31\x31\x31\x31\x37\x0F\x0A"
      "\xD8\x4D\x0A\x31\x45\x65\x64\x43\x20\x44\x30\x03\x53\x20\x30\x0A"
      "\x4C\x34\xC4\x53\xBE\x30\x40\x31\x7C\x40\x71\x0A\x31\x0A\x4D\x0E"
      "\x20\x1E\x37\x4D\x3F\x00\xFF\x30",
      120);
  host::RecordReader again;
  for (std::size_t at = 1; at < found.size(); at += 3) {
    again.Feed(found.substr(at, 3));
    while (again.NextReport(&request, &report)) {
    }
  }
  again.TakeUnfinished();
}

// A request line read back as written, paths with spaces included; a line
// that is no request is refused, never half read.
TEST(WorkerProtocol, RequestsComeBackAsSentAndOthersAreRefused) {
  const host::Request sent{42, host::Examination::kCheck, 200, "C:\\Program Files\\My Plugin\\a b.lmd"};
  const std::string line = host::EncodeRequest(sent);
  ASSERT_EQ('\n', line.back());
  host::Request read;
  ASSERT_TRUE(host::DecodeRequest(line.substr(0, line.size() - 1) + "\r", &read));
  EXPECT_EQ(sent.serial, read.serial);
  EXPECT_EQ(sent.what, read.what);
  EXPECT_EQ(sent.load_cycles, read.load_cycles);
  EXPECT_EQ(sent.path, read.path);
  for (const char* bad : {"", "7", "7 check 200", "7 check 200 ", "x check 1 p", "7 eat 1 p", "7 read -1 p",
                          "99999999999 read 1 p", "7 read 1000000000 p", "7 read 1 p\r\r"})
    EXPECT_FALSE(host::DecodeRequest(bad, &read)) << bad;
}

}  // namespace
