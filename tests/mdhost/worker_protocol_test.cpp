// The worker's records read back by the parent: reports and crashes, any
// bytes in the texts, fed in pieces as a pipe hands them over.
#include <gtest/gtest.h>

#include <string>
#ifndef _WIN32  // (the MinGW build's thread model has no std::thread)
#include <atomic>
#include <thread>
#include <vector>
#endif

#include "mdhost/system/crash_report.h"
#include "mdhost/system/system.h"
#include "mdhost/worker/worker_protocol.h"

namespace {

std::string written;
void Capture(const char* bytes, std::size_t size) { written.append(bytes, size); }

// The report so far goes aside at each step and is written only by a crash;
// a finished report is one 'D' record, read back whole from any pieces.
TEST(WorkerProtocol, ReportsComeBackWholeFromAnyPieces) {
  written.clear();
  host::RecordWriter writer(nullptr, Capture);
  const std::string odd("a\nNUL \0 and \xFF", 14);
  writer.Begin(7);
  writer.Stage("irPlg_GetPluginName with size 10000");
  writer.report().texts["irPlg_GetPluginName"] = odd;
  writer.Add("MD102", "warns " + odd);
  writer.Error("MD003", "crashed: " + odd);
  writer.Done();
  writer.Begin(8);
  writer.report().actions.emplace();
  writer.Done();
  EXPECT_EQ(std::string::npos, written.find("\nP ")) << "the report so far is written only by a crash";

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
  ASSERT_EQ(1u, report.findings.size());
  EXPECT_EQ("warns " + odd, report.findings[0].text);
  EXPECT_EQ("MD003|crashed: " + odd, report.error_rule + "|" + report.error);

  ASSERT_TRUE(reader.NextReport(&request, &report));
  EXPECT_EQ(8u, request);
  EXPECT_TRUE(report.findings.empty()) << "a report carried another's findings";
  EXPECT_TRUE(report.actions.has_value());
}

// A crash writes what was learnt before the step it crashed in; the image's
// name, which may hold any words, is never read as a fact.
TEST(WorkerProtocol, ACrashWritesTheReportAsOfItsStep) {
  written.clear();
  host::RecordWriter writer(nullptr, Capture);
  writer.Begin(3);
  writer.report().texts["irPlg_GetPluginName"] = "Name";
  writer.Stage("irPlg_GetPluginVersion with size 10000");
  host::fault_report::Facts facts;
  facts.image = "my overrun fix released other_thread.dll";
  host::WriteCrashRecord(facts, "access fault");
  host::RecordReader reader;
  reader.Feed(written);
  const host::RecordReader::Unfinished unfinished = reader.TakeUnfinished();
  EXPECT_TRUE(unfinished.begun);
  EXPECT_EQ(3u, unfinished.request);
  EXPECT_EQ("Name", *unfinished.report.Text("irPlg_GetPluginName"));
  EXPECT_EQ("access fault", unfinished.crash);
  EXPECT_FALSE(unfinished.facts.overrun || unfinished.facts.released || unfinished.facts.other_thread);
  EXPECT_EQ("my overrun fix released other_thread.dll", unfinished.facts.image);
  const host::CrashFacts all = host::ReadCrashKey("other_thread overrun released pool_callback 4 image=a 7 b.dll");
  EXPECT_TRUE(all.other_thread && all.overrun && all.released && all.pool_callback);
  EXPECT_EQ(5u, all.image_request) << "the request that examined the image, plus one";
  EXPECT_EQ("a 7 b.dll", all.image);
}

// Every fact a crash handler learns reaches the parent.
TEST(WorkerProtocol, EveryFactOfACrashReachesTheParent) {
  written.clear();
  host::RecordWriter writer(nullptr, Capture);
  writer.Begin(2);
  host::fault_report::Facts facts;
  facts.other_thread = facts.overrun = facts.released = facts.pool_callback = true;
  facts.request = 5;
  facts.image = "p.dll";
  host::WriteCrashRecord(facts, "boom");
  host::RecordReader reader;
  reader.Feed(written);
  const host::CrashFacts read = reader.TakeUnfinished().facts;
  EXPECT_TRUE(read.other_thread && read.overrun && read.released && read.pool_callback);
  EXPECT_EQ(5u, read.image_request);
  EXPECT_EQ("p.dll", read.image);
}

// An image's whole name reaches the parent, however long: the parent
// compares it whole with the plugin's file name.
TEST(WorkerProtocol, ACrashNamesTheImageWhole) {
  written.clear();
  host::RecordWriter writer(nullptr, Capture);
  writer.Begin(1);
  const std::string name = std::string(251, 'n') + ".dll";
  host::NoteImage(name, {0x1000, 0x2000});
  host::NoteReleased({0x1000, 0x2000});
  host::fault_report::Facts facts;
  host::fault_report::FixedText description;
  host::fault_report::DescribeAddress(description, 0x1010, &facts);
  host::WriteCrashRecord(facts, description.text);
  host::RecordReader reader;
  reader.Feed(written);
  const host::RecordReader::Unfinished unfinished = reader.TakeUnfinished();
  EXPECT_TRUE(unfinished.facts.released);
  EXPECT_EQ(name, unfinished.facts.image);
  EXPECT_NE(std::string::npos, unfinished.crash.find(name + "+0x10, released)"));
  for (host::fault_report::ImageNote& note : host::fault_report::notes) note = {};
}

// A report the parent cannot decode is not taken for a clean one.
TEST(WorkerProtocol, AReportThatCannotBeDecodedIsAnError) {
  host::RecordReader reader;
  std::string cut, no_severity, records;
  host::AppendRecord(&cut, 'T', "irPlg_GetPluginName", "Name");
  cut.pop_back();
  host::AppendRecord(&no_severity, 'F', "MD105", std::string(1, '\0') + "text");
  // Junk after a good record: the report is malformed, one finding says so.
  std::string junk;
  host::AppendRecord(&junk, 'T', "irPlg_GetPluginName", "Name");
  junk += "X 1";
  records = host::BeginRecord(4);
  host::AppendRecord(&records, 'D', "4", cut);
  records += host::BeginRecord(5);
  host::AppendRecord(&records, 'D', "5", no_severity);
  records += host::BeginRecord(6);
  host::AppendRecord(&records, 'D', "6", junk);
  reader.Feed(records);
  uint32_t request = 0;
  host::PluginReport report;
  for (uint32_t expected : {4u, 5u, 6u}) {
    ASSERT_TRUE(reader.NextReport(&request, &report));
    EXPECT_EQ(expected, request);
    EXPECT_EQ("MD007", report.error_rule);
    if (expected == 6u) EXPECT_EQ(1, report.Failures()) << "one cause, one finding";
    EXPECT_FALSE(report.Passed(false));
  }
}

// A report is taken only for the request begun: a record a plugin writes for
// another request, or before any began, is no report.
TEST(WorkerProtocol, OnlyTheReportOfTheRequestBegunIsTaken) {
  host::RecordReader reader;
  host::PluginReport forged;
  forged.texts["irPlg_GetPluginName"] = "forged";
  reader.Feed(host::ReportRecord('D', 8, forged) + host::BeginRecord(7) + host::ReportRecord('D', 9, forged) +
              host::ReportRecord('D', 7, {}));
  uint32_t request = 0;
  host::PluginReport report;
  ASSERT_TRUE(reader.NextReport(&request, &report));
  EXPECT_EQ(7u, request);
  EXPECT_EQ(nullptr, report.Text("irPlg_GetPluginName"));
  EXPECT_FALSE(reader.NextReport(&request, &report));
}

#ifndef _WIN32
// The crash thread has asked for the output lock and waits, or has written;
// the report is half out.
std::atomic<bool> crash_waits{false}, crash_wrote{false}, half_out{false};
std::thread::id report_writer;

void NoteCrashWaits() {
  crash_waits = true;
  std::this_thread::yield();
}

// The report's writer stops half way through the report ('D') until the
// crash thread waits for the lock (or, were there no lock, has written into
// the report).
void HalfwayCapture(const char* bytes, std::size_t size) {
  if (std::this_thread::get_id() != report_writer || bytes[0] != 'D') {
    written.append(bytes, size);
    crash_wrote = true;
    return;
  }
  written.append(bytes, size / 2);
  half_out = true;
  while (!crash_waits && !crash_wrote) std::this_thread::yield();
  written.append(bytes + size / 2, size - size / 2);
}

// A thread a plugin left behind crashes while the report is being written:
// its crash record comes after the report, never inside it.
TEST(WorkerProtocol, ACrashRecordNeverLandsInsideAReportBeingWritten) {
  written.clear();
  crash_waits = crash_wrote = half_out = false;
  report_writer = std::this_thread::get_id();
  host::SetCrashPause(NoteCrashWaits);
  host::RecordWriter writer(nullptr, HalfwayCapture);
  writer.Begin(5);
  writer.report().texts["irPlg_GetPluginName"] = std::string(200, 'n');
  std::thread crash([] {
    while (!half_out) std::this_thread::yield();
    host::fault_report::Facts facts;
    facts.other_thread = true;
    host::WriteCrashRecord(facts, "boom");
  });
  writer.Done();
  crash.join();
  host::SetCrashPause(host::PauseBriefly);
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

void CaptureOnCrashThread(const char* bytes, std::size_t size) {
  if (std::this_thread::get_id() != report_writer) written.append(bytes, size);
}

// A left thread crashes again and again while the examining thread moves
// from step to step: each crash writes one whole report as of some step,
// never one half swapped (the thread sanitizer's build sees the race too).
TEST(WorkerProtocol, ACrashWhileStepsMoveOnWritesAWholeReportOfOneStep) {
  written.clear();
  report_writer = std::this_thread::get_id();
  host::RecordWriter writer(nullptr, CaptureOnCrashThread);
  writer.Begin(3);
  std::atomic<bool> stepping{true};
  std::vector<std::string> crashes;  // what each crash wrote
  std::thread crash([&] {
    host::fault_report::Facts facts;
    facts.other_thread = true;
    for (int i = 0; i < 200 || stepping; ++i) {
      host::WriteCrashRecord(facts, "again");
      crashes.push_back(std::move(written));
      written.clear();
    }
  });
  for (int step = 0; step < 2000; ++step) {
    writer.report().texts["irPlg_GetPluginName"] = std::string(static_cast<std::size_t>(step % 97), 'a' + step % 26);
    writer.Stage("step " + std::to_string(step));
  }
  stepping = false;
  crash.join();
  for (std::size_t i = 0; i < crashes.size(); ++i) {
    host::RecordReader reader;
    reader.Feed(crashes[i]);
    const host::RecordReader::Unfinished seen = reader.TakeUnfinished();
    ASSERT_EQ("again", seen.crash) << "crash " << i << " came out torn";
    if (!seen.begun) continue;  // before the first step
    EXPECT_EQ(3u, seen.request);
    const std::string* name = seen.report.Text("irPlg_GetPluginName");
    ASSERT_NE(nullptr, name) << "crash " << i;
    if (!name->empty()) ASSERT_EQ(std::string(name->size(), (*name)[0]), *name) << "crash " << i;
  }
  EXPECT_GE(crashes.size(), 200u);
}
#endif

// Found by fuzzing: lengths that overflow when added, and headers that are
// no headers, are the bytes of no writer of ours; the reader goes on.
TEST(WorkerProtocol, ForgedHeadersAreSkippedNotTrusted) {
  host::RecordReader reader;
  reader.Feed("S 0 1\n2C 18446744073709551615 2\nxx\nT -1 2\nD 1 0\n2");
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
