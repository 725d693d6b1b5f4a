// Which plugin a worker's end is charged to, with a scripted stand-in for
// the worker process: no plugin runs, no timing decides.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "mdhost/contract/rules.h"
#include "mdhost/system/crash_report.h"
#include "mdhost/system/system.h"
#include "mdhost/worker/examiner.h"
#include "mdhost/worker/examiner_pool.h"
#include "mdhost/worker/stage_board.h"

namespace {

std::string Record(char tag, const std::string& key, const std::string& value) {
  std::string out;
  host::AppendRecord(&out, tag, key, value);
  return out;
}

// What the scripted worker does with a request for a path.
enum class Act {
  kAnswer,
  kCrash,
  kHang,
  kAnswerAndClose,
  kAnswerThenOtherThreadCrash,
  kCountedThreadsThenCrash,
  kThreadCrashInRelease,      // a thread crashes while the module is being released
  kOnceCrashInPreviousImage,  // the first time: a crash in the image of the request before
  kCrashOnce,                 // the first time: a crash in code no examination brought in
  kForgeAndEnd,               // begins and ends a forged report for every request number, then ends
  kPrintAndAnswer,            // prints a line, then answers saying where its printing ended
  kCrashInFirstImage,         // a crash in the image of the first request this worker answered, if any
  kOverrunAfterWarnings       // writes past the buffer at sizes 0 of two getters, then overruns the first
};

struct Script {
  std::map<std::string, Act> acts;  // by path; kAnswer when not named
  std::atomic<int> workers_started{0};
  std::atomic<int> crashes_in_earlier_images{0};
  bool crashed_once = false;
  bool in_pool_callback = false;  // crashes in earlier images come in a callback the pool held
  host::Gate ids_lock;
  std::vector<uint32_t> ids;  // every request id any worker was sent
};

class FakeWorker : public host::ChildProcess {
 public:
  FakeWorker(Script* script, host::StageBoard* board, std::string capture = "")
      : script_(script), board_(board), capture_(std::move(capture)) {}

  void CloseInput() override {}
  bool Write(const std::string& bytes) override {
    for (char c : bytes) {
      if (c != '\n') {
        line_ += c;
        continue;
      }
      Handle(line_);
      line_.clear();
    }
    return !ending_;
  }
  std::string Read(int, bool* closed) override {
    std::string out;
    out.swap(output_);
    *closed = out.empty() && ending_;
    return out;
  }
  void Kill() override {}
  host::ProcessEnd Wait() override {
    host::ProcessEnd end;
    end.crashed = true;
    end.description = "segmentation fault";
    return end;
  }

 private:
  // "<request> <verb> <cycles> <path>"
  void Handle(const std::string& line) {
    if (ending_ || hung_) return;
    const std::size_t a = line.find(' '), b = line.find(' ', a + 1), c = line.find(' ', b + 1);
    const std::string request = line.substr(0, a), path = line.substr(c + 1);
    const auto found = script_->acts.find(path);
    const Act act = found == script_->acts.end() ? Act::kAnswer : found->second;
    const uint32_t serial = static_cast<uint32_t>(std::stoul(request));
    script_->ids_lock.Lock();
    script_->ids.push_back(serial);
    script_->ids_lock.Unlock();
    board_->Write(serial + 1, "irPlg_GetPluginName");
    output_ += host::BeginRecord(serial);  // as the worker begins each request
    host::PluginReport report;
    report.texts["irPlg_GetPluginName"] = "Name of " + path;
    if (act == Act::kHang) {  // the report so far stays in the worker
      hung_ = true;
      return;
    }
    if (act == Act::kThreadCrashInRelease) {
      board_->Write(serial + 1, host::kReleaseStage);
      output_ += host::BeginRecord(serial) + host::ReportRecord('P', serial, report) +
                 Record('C', "other_thread ", std::string(host::fault_report::kOtherThread) + "access violation");
      ending_ = true;
      return;
    }
    if (act == Act::kOnceCrashInPreviousImage && !script_->crashed_once) {
      script_->crashed_once = true;
      // Same file name as the plugin before, in another folder: only the
      // request's number tells them apart.
      const std::string name = path.substr(path.find_last_of('\\') + 1);
      output_ += host::BeginRecord(serial) +
                 Record('C',
                        std::string("other_thread released ") + (script_->in_pool_callback ? "pool_callback " : "") +
                            std::to_string(serial - 1) + " image=" + name,
                        std::string(host::fault_report::kOtherThread) + "access violation");
      ending_ = true;
      return;
    }
    if (act == Act::kCrash || (act == Act::kCrashOnce && !script_->crashed_once)) {
      script_->crashed_once = true;
      output_ += host::BeginRecord(serial) + host::ReportRecord('P', serial, report) +
                 Record('C', "", "access violation at 0x10");
      ending_ = true;
      return;
    }
    if (act == Act::kCrashInFirstImage && first_answered_) {
      ++script_->crashes_in_earlier_images;
      output_ += host::BeginRecord(serial) +
                 Record('C', "other_thread released " + std::to_string(*first_answered_) + " image=" + *first_path_,
                        std::string(host::fault_report::kOtherThread) + "access violation");
      ending_ = true;
      return;
    }
    if (act == Act::kOverrunAfterWarnings) {
      for (const char* getter : {"irPlg_GetPluginName", "irPlg_GetPluginVersion"}) {
        host::Finding past{host::rule::kSizeZero, host::Severity::kWarn, std::string(getter) + " wrote past"};
        past.wrote_past = true;
        past.subject.exports = getter;
        report.findings.push_back(past);
      }
      board_->Write(serial + 1, "irPlg_GetPluginName with size 62", "irPlg_GetPluginName");
      output_ += host::ReportRecord('P', serial, report) + Record('C', "overrun ", "wrote past the end of 63 bytes");
      ending_ = true;
      return;
    }
    if (act == Act::kForgeAndEnd) {
      host::PluginReport forged;
      forged.texts["irPlg_GetPluginName"] = "forged";
      for (uint32_t n = 0; n <= serial + 8; ++n) output_ += host::BeginRecord(n) + host::ReportRecord('D', n, forged);
      ending_ = true;
      return;
    }
    // As the worker does: each report says where the printing ended.
    if (act == Act::kPrintAndAnswer)
      std::ofstream(capture_, std::ios::binary | std::ios::app) << "printed by " << path << "\n";
    if (!capture_.empty()) report.printed_upto = host::CaptureFile::SizeOf(capture_);
    if (act == Act::kCountedThreadsThenCrash)
      report.findings.push_back({host::rule::kThreadsLeft, host::Severity::kFail, "leaves 1 thread running"});
    board_->Write(0, "waiting for a request");  // the board moves on first
    output_ += host::ReportRecord('D', serial, report);
    if (!first_answered_) {
      first_answered_ = serial;
      first_path_ = path;
    }
    if (act == Act::kAnswerAndClose) ending_ = true;
    if (act == Act::kAnswerThenOtherThreadCrash || act == Act::kCountedThreadsThenCrash) {
      output_ += Record(
          'C', "other_thread released " + request + " image=" + path,
          std::string(host::fault_report::kOtherThread) + "access violation at 0x20 (" + path + "+0x20, released)");
      ending_ = true;
    }
  }

  Script* script_;
  host::StageBoard* board_;
  std::string capture_;
  std::string line_, output_;
  bool ending_ = false, hung_ = false;
  std::optional<uint32_t> first_answered_;
  std::optional<std::string> first_path_;
};

std::unique_ptr<host::Examiner> FakeExaminer(Script& script, int timeout = 5) {
  return std::make_unique<host::Examiner>(
      true, timeout, 0, [&](host::SharedMemory& board, const std::string& capture, std::string*) {
        ++script.workers_started;
        return std::unique_ptr<host::ChildProcess>(
            new FakeWorker(&script, static_cast<host::StageBoard*>(board.data()), capture));
      });
}

std::string Line(const host::PluginReport& report) {
  std::string line = report.path + ": ";
  if (!report.error.empty()) line += "error " + report.error_rule;
  for (const host::Finding& f : report.findings) line += "finding " + f.rule + " ";
  if (const std::string* name = report.Text("irPlg_GetPluginName")) line += *name;
  if (!report.output.empty()) line += " printed: " + report.output;
  return line;
}

// The reports in the order handed over, as "path: error rule" or "path: Name",
// and a crash charged after its report as "late: path".
std::vector<std::string> ExamineWith(Script& script, const std::vector<std::string>& paths, int timeout = 5) {
  const std::unique_ptr<host::Examiner> examiner = FakeExaminer(script, timeout);
  std::vector<std::string> seen;
  examiner->OnLateCrash(
      [&](std::size_t number, const host::LeftWorkCrash&) { seen.push_back("late: " + paths.at(number)); });
  examiner->ExamineAll(host::Examination::kRead, paths,
                       [&](const host::PluginReport& report) { seen.push_back(Line(report)); });
  return seen;
}

// A crash in code no examination brought in is charged to the request under
// way only when it repeats in a fresh worker; the rest go to a fresh worker.
TEST(Examiner, ACrashIsChargedToTheRequestUnderWayWhenItRepeatsAndTheRestGoToAFreshWorker) {
  Script script;
  script.acts["p3"] = Act::kCrash;
  EXPECT_EQ((std::vector<std::string>{"p1: Name of p1", "p2: Name of p2", "p3: error MD003Name of p3", "p4: Name of p4",
                                      "p5: Name of p5"}),
            ExamineWith(script, {"p1", "p2", "p3", "p4", "p5"}));
  EXPECT_EQ(3, script.workers_started);
  Script once;
  once.acts["p2"] = Act::kCrashOnce;
  EXPECT_EQ((std::vector<std::string>{"p1: Name of p1", "p2: Name of p2", "p3: Name of p3"}),
            ExamineWith(once, {"p1", "p2", "p3"}));
}

TEST(Examiner, AHangIsChargedToTheRequestUnderWayAlone) {
  Script script;
  script.acts["p2"] = Act::kHang;
  EXPECT_EQ((std::vector<std::string>{"p1: Name of p1", "p2: error MD004", "p3: Name of p3"}),
            ExamineWith(script, {"p1", "p2", "p3"}, 1));
}

TEST(Examiner, AReportCompleteBeforeTheCloseIsKeptAndNobodyIsCharged) {
  Script script;
  script.acts["p1"] = Act::kAnswerAndClose;
  EXPECT_EQ((std::vector<std::string>{"p1: Name of p1", "p2: Name of p2", "p3: Name of p3"}),
            ExamineWith(script, {"p1", "p2", "p3"}));
  EXPECT_EQ(2, script.workers_started);
}

TEST(Examiner, AThreadsCrashAfterAHeldReportIsThatPluginsOnceAndTheNextIsAskedAgain) {
  Script script;
  script.acts["p1.dll"] = Act::kAnswerThenOtherThreadCrash;
  EXPECT_EQ((std::vector<std::string>{"p1.dll: finding MD502 Name of p1.dll", "p2.dll: Name of p2.dll"}),
            ExamineWith(script, {"p1.dll", "p2.dll"}));
  // The count after the release found the thread before it crashed: still
  // one finding, whichever came first.
  script.acts["p1.dll"] = Act::kCountedThreadsThenCrash;
  EXPECT_EQ((std::vector<std::string>{"p1.dll: finding MD502 Name of p1.dll", "p2.dll: Name of p2.dll"}),
            ExamineWith(script, {"p1.dll", "p2.dll"}));
}

// The worker runs ahead of the parent (every request answered before the
// first report is read): each report still shows what its own plugin
// printed, and only that.
TEST(Examiner, EachReportShowsWhatItsOwnPluginPrintedWhenTheWorkerRunsAhead) {
  Script script;
  script.acts["p1"] = Act::kPrintAndAnswer;
  script.acts["p3"] = Act::kPrintAndAnswer;
  EXPECT_EQ((std::vector<std::string>{"p1: Name of p1 printed: printed by p1\n", "p2: Name of p2",
                                      "p3: Name of p3 printed: printed by p3\n"}),
            ExamineWith(script, {"p1", "p2", "p3"}));
}

// A worker that cannot be started is mdhost's own failure, MD007, and says
// why (the system's reason), for each plugin it was to examine.
TEST(Examiner, AWorkerThatCannotBeStartedSaysWhy) {
  host::Examiner examiner(true, 5, 0, [](host::SharedMemory&, const std::string&, std::string* error) {
    *error = "no such program";
    return std::unique_ptr<host::ChildProcess>();
  });
  std::vector<host::PluginReport> reports;
  examiner.ExamineAll(host::Examination::kCheck, {"p1", "p2"},
                      [&](const host::PluginReport& report) { reports.push_back(report); });
  ASSERT_EQ(2u, reports.size());
  for (const host::PluginReport& report : reports) {
    EXPECT_EQ("MD007", report.error_rule);
    EXPECT_EQ("the worker process could not be started: no such program", report.error);
  }
}

// A thread crashing while the module is released was left by the plugin
// being released: its MD502, not a crash of its examination (MD003).
TEST(Examiner, AThreadCrashInTheReleaseIsThePluginsLeftThread) {
  Script script;
  script.acts["p1"] = Act::kThreadCrashInRelease;
  EXPECT_EQ((std::vector<std::string>{"p1: finding MD502 Name of p1", "p2: Name of p2"}),
            ExamineWith(script, {"p1", "p2"}));
}

// Two plugins of one file name in different folders: a crash in the
// released image of the first, while the second is under way, is the
// first's; the second is asked again and passes.
TEST(Examiner, ACrashInAReleasedImageIsChargedToItsRequestNotItsName) {
  Script script;
  script.acts["b\\p.dll"] = Act::kOnceCrashInPreviousImage;
  EXPECT_EQ((std::vector<std::string>{"a\\p.dll: finding MD502 Name of a\\p.dll", "b\\p.dll: Name of b\\p.dll"}),
            ExamineWith(script, {"a\\p.dll", "b\\p.dll"}));
}

// A crash in a callback the pool held for the plugin before is its timer's
// or wait's doing: MD503, not a thread left.
TEST(Examiner, ACrashInACallbackThePoolHeldIsThePoolsFinding) {
  Script script;
  script.acts["b\\p.dll"] = Act::kOnceCrashInPreviousImage;
  script.in_pool_callback = true;
  EXPECT_EQ((std::vector<std::string>{"a\\p.dll: finding MD503 Name of a\\p.dll", "b\\p.dll: Name of b\\p.dll"}),
            ExamineWith(script, {"a\\p.dll", "b\\p.dll"}));
}

// A crash in the image of a plugin whose report went out (its timer fired
// two plugins later) is still that plugin's: charged after its report, never
// to the plugin under way, which is asked again.
TEST(Examiner, ACrashInTheImageOfAPluginWhoseReportWentOutIsChargedToItLate) {
  Script script;
  script.acts["p3"] = Act::kCrashInFirstImage;
  EXPECT_EQ((std::vector<std::string>{"p1: Name of p1", "late: p1", "p2: Name of p2", "p3: Name of p3"}),
            ExamineWith(script, {"p1", "p2", "p3"}));
}

// With several examiners, each with its worker, a crash in the image of a
// plugin that worker answered before is charged to that plugin, in its
// report or after it, whichever way the threads went; no crash is lost and
// no plugin under way is charged.
TEST(Examiner, LateCrashesAreChargedUnderSeveralJobsToo) {
  for (int round = 0; round < 20; ++round) {
    Script script;
    const std::vector<std::string> paths = {"p1", "p2", "p3", "p4"};
    script.acts["p3"] = script.acts["p4"] = Act::kCrashInFirstImage;
    std::vector<host::PluginReport> reports;
    int late = 0;
    host::ExamineWithJobs(
        2, [&] { return FakeExaminer(script); }, host::Examination::kCheck, paths,
        [&](const host::PluginReport& report) { reports.push_back(report); },
        [&](std::size_t number, const host::LeftWorkCrash& crash) {
          ASSERT_LT(number, reports.size()) << "a late crash before its report";
          host::ChargeLeftWork(reports[number], crash, true);
          ++late;
        });
    ASSERT_EQ(4u, reports.size());
    int charged = 0;
    for (std::size_t i = 0; i < paths.size(); ++i) {
      EXPECT_EQ(paths[i], reports[i].path);
      EXPECT_EQ("Name of " + paths[i], *reports[i].Text("irPlg_GetPluginName"));
      for (const host::Finding& f : reports[i].findings) charged += f.rule == "MD502" && f.crashed;
    }
    EXPECT_EQ(script.crashes_in_earlier_images, charged) << "round " << round << ", " << late << " late";
    EXPECT_TRUE(reports[3].findings.empty());
  }
}

// More jobs than plugins start no idle workers: one examiner per plugin at
// most, each plugin reported once, in order.
TEST(Examiner, NoMoreWorkersThanPlugins) {
  Script script;
  std::atomic<int> made{0};
  std::vector<std::string> reported;
  host::ExamineWithJobs(
      8,
      [&] {
        ++made;
        return FakeExaminer(script);
      },
      host::Examination::kCheck, {"p1", "p2"},
      [&](const host::PluginReport& report) { reported.push_back(report.path); });
  EXPECT_LE(made.load(), 2);
  EXPECT_EQ((std::vector<std::string>{"p1", "p2"}), reported);
}

// A crash record names a request by its id: no two requests of a run, in
// any worker of any examiner, fresh ones after a crash included, share one.
TEST(Examiner, NoTwoRequestsOfARunShareAnId) {
  Script script;
  script.acts["p2"] = script.acts["p5"] = Act::kCrash;
  const std::vector<std::string> paths = {"p1", "p2", "p3", "p4", "p5", "p6"};
  host::ExamineWithJobs(
      3, [&] { return FakeExaminer(script); }, host::Examination::kCheck, paths, [](const host::PluginReport&) {});
  const std::unique_ptr<host::Examiner> another = FakeExaminer(script);
  another->ExamineAll(host::Examination::kCheck, paths, [](const host::PluginReport&) {});
  EXPECT_GE(script.workers_started.load(), 6);
  EXPECT_EQ(script.ids.size(), std::set<uint32_t>(script.ids.begin(), script.ids.end()).size());
}

// A plugin that writes records of its own (begun, finished, for every
// request number, those of an earlier worker's requests among them) and ends
// the process fails itself; no forged report is taken, for it or another.
TEST(Examiner, ForgedRecordsAreNoReportAndTheForgerIsCharged) {
  Script script;
  script.acts["a.dll"] = Act::kHang;  // its worker is stopped with the others' requests sent
  script.acts["forger.dll"] = Act::kForgeAndEnd;
  EXPECT_EQ((std::vector<std::string>{"a.dll: error MD004", "c.dll: Name of c.dll", "forger.dll: error MD003"}),
            ExamineWith(script, {"a.dll", "c.dll", "forger.dll"}, 1));
}

// An overrun is one cause with the same getter's writes past the sizes the
// host never offers: those go; another getter's stay, a cause of their own.
TEST(Examiner, AnOverrunTakesInItsOwnGettersWritesPastAndNoOthers) {
  Script script;
  script.acts["o.dll"] = Act::kOverrunAfterWarnings;
  const std::unique_ptr<host::Examiner> examiner = FakeExaminer(script);
  std::vector<host::PluginReport> reports;
  examiner->ExamineAll(host::Examination::kRead, {"o.dll"},
                       [&](const host::PluginReport& report) { reports.push_back(report); });
  ASSERT_EQ(1u, reports.size());
  EXPECT_EQ(host::rule::kOverrun, reports[0].error_rule);
  std::vector<std::string> left;
  for (const host::Finding& f : reports[0].findings) left.push_back(f.rule + " " + f.text);
  EXPECT_EQ((std::vector<std::string>{"MD102 irPlg_GetPluginVersion wrote past"}), left);
}

// A crash of work a plugin left is charged to the finding that counted that
// work (threads or pool; the crash's own kind where both are), which no level
// lowers then; a second one would be the same cause twice. Without such a
// finding, the crash's kind says it: MD503 for a callback the pool held.
TEST(Examiner, ALeftWorkCrashJoinsTheFindingThatCountedTheWork) {
  host::PluginReport pool;
  pool.findings.push_back({host::rule::kPoolLeft, host::Severity::kWarn, "leaves a timer due"});
  pool.findings.back().set_by = "--warn";
  pool.findings.back().rule_severity = host::Severity::kFail;
  host::ChargeLeftWork(pool, {"access violation"}, true);
  ASSERT_EQ(1u, pool.findings.size());
  EXPECT_TRUE(pool.findings[0].crashed);
  EXPECT_EQ(host::Severity::kFail, pool.findings[0].severity);
  EXPECT_EQ("leaves a timer due; it crashed the process after its report (access violation)", pool.findings[0].text);

  host::PluginReport none;
  host::ChargeLeftWork(none, {"access violation"});
  ASSERT_EQ(1u, none.findings.size());
  EXPECT_EQ(host::rule::kThreadsLeft, none.findings[0].rule);
  EXPECT_TRUE(none.findings[0].crashed);

  host::PluginReport callback;
  host::ChargeLeftWork(callback, {"access violation", true});
  ASSERT_EQ(1u, callback.findings.size());
  EXPECT_EQ(host::rule::kPoolLeft, callback.findings[0].rule);
  EXPECT_EQ(host::PoolLeftText(1, "access violation"), callback.findings[0].text);

  // Every mix of what the count found, crash kind and lateness: one finding
  // tells of the crash, of the crash's kind where the count found that kind.
  for (int mix = 0; mix < 16; ++mix) {
    const bool threads = mix & 1, timers = mix & 2, in_callback = mix & 4, late = mix & 8;
    host::PluginReport report;
    if (threads)
      report.findings.push_back({host::rule::kThreadsLeft, host::Severity::kFail, "leaves 1 thread running"});
    if (timers) report.findings.push_back({host::rule::kPoolLeft, host::Severity::kFail, "leaves a timer due"});
    const std::size_t before = report.findings.size();
    const std::string rule = host::ChargeLeftWork(report, {"access violation", in_callback}, late).rule;
    const bool own_found = in_callback ? timers : threads;
    EXPECT_EQ(own_found || before == 0 ? (in_callback ? host::rule::kPoolLeft : host::rule::kThreadsLeft)
                                       : report.findings[0].rule,
              rule)
        << "mix " << mix;
    EXPECT_EQ(before == 0 ? 1u : before, report.findings.size()) << "mix " << mix;
    int crashed = 0;
    for (const host::Finding& f : report.findings) crashed += f.crashed;
    EXPECT_EQ(1, crashed) << "mix " << mix;
  }
}

}  // namespace

namespace {

// What a plugin printed past the limit is said, not shown: the report names
// how many bytes more there were, and the next report starts after them.
TEST(CaptureFiles, PastTheLimitTheRestIsCountedAndTheNextStartsAfterIt) {
  const std::unique_ptr<host::CaptureFile> capture = host::CaptureFile::Make();
  ASSERT_NE(nullptr, capture);
  std::ofstream(capture->path(), std::ios::binary | std::ios::app) << std::string(100, 'a');
  EXPECT_EQ(std::string(10, 'a') + "\n... (90 bytes more)", capture->TakeNew(std::nullopt, 10));
  std::ofstream(capture->path(), std::ios::binary | std::ios::app) << "next";
  EXPECT_EQ("ne", capture->TakeNew(102));  // up to where its report said
  EXPECT_EQ("xt", capture->TakeNew());
}

}  // namespace
