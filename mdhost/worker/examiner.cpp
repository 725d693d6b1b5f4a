#include "mdhost/worker/examiner.h"

#include <algorithm>
#include <optional>

#include "mdhost/contract/rules.h"
#include "mdhost/system/child_watch.h"
#include "mdhost/system/crash_report.h"
#include "mdhost/worker/worker_protocol.h"

namespace host {
namespace {

// Where the worker was when it stopped answering or died: "in <stage>", or
// "" where it was at none.
std::string InStage(const std::string& stage) { return stage.empty() ? "" : "in " + stage; }
std::string Spaced(const std::string& words) { return words.empty() ? "" : " " + words; }

// How long to wait for output before looking at the stage board again.
constexpr int kGlanceMs = 250;

// Requests in a worker at once: the one it executes and those queued behind
// it, so that it never waits for the next.
constexpr std::size_t kQueued = 4;

// Work a plugin left behind crashed the process: the MD502 or MD503 the
// count after its release found is that crash (one cause, one finding), or
// MD502 tells of it now. Either way it is a crash, which no level lowers.
void ChargeLeftWork(PluginReport& report, const std::string& crash) {
  for (Finding& finding : report.findings)
    if (finding.rule == rule::kThreadsLeft || finding.rule == rule::kPoolLeft) {
      finding.crashed = true;
      return;
    }
  Finding crashed = Found(rule::kThreadsLeft, ThreadsLeftText(1, crash));
  crashed.crashed = true;
  report.findings.push_back(std::move(crashed));
}

}  // namespace

struct Examiner::Batch {
  Examination what;
  const std::vector<std::string>& paths;
  std::deque<std::size_t> waiting;    // not yet sent to the current worker
  std::deque<std::size_t> in_flight;  // sent to it, not yet reported, in order
  std::map<std::size_t, PluginReport> finished;
  // The report the current worker finished last is held back: a thread that
  // plugin left behind may still crash the worker, and the blame is its.
  std::optional<std::size_t> held;

  void Finish(std::size_t index, PluginReport report) {
    report.path = paths[index];
    finished[index] = std::move(report);
    for (auto it = in_flight.begin(); it != in_flight.end(); ++it) {
      if (*it == index) {
        in_flight.erase(it);
        break;
      }
    }
  }
  // The requests the worker will never answer go to the next one.
  void Requeue() {
    while (!in_flight.empty()) {
      waiting.push_front(in_flight.back());
      in_flight.pop_back();
    }
  }
};

void Examiner::ExamineAll(Examination what, const std::vector<std::string>& paths,
                          const std::function<void(const PluginReport&)>& done) {
  // A read tells what fails or warns, a check everything.
  const auto deliver = [&](PluginReport& report) {
    if (adjust_) adjust_(&report);
    if (what == Examination::kRead) report.KeepProblemsOnly();
    done(report);
  };
  if (!isolated_) {
    for (const std::string& path : paths) {
      PluginReport report;
      ReportSink sink(&report);
      ExaminePlugin(what, path, load_cycles_, sink);
      report.path = path;
      deliver(report);
    }
    return;
  }
  Batch batch{what, paths, {}, {}, {}, {}};
  for (std::size_t i = 0; i < paths.size(); ++i) batch.waiting.push_back(i);
  std::size_t next = 0;
  while (next < paths.size()) {
    // Nothing more to ask: the last report need wait no longer.
    if (batch.waiting.empty() && batch.in_flight.empty()) batch.held.reset();
    for (auto it = batch.finished.find(next); it != batch.finished.end() && batch.held != next;
         it = batch.finished.find(next)) {
      deliver(it->second);
      batch.finished.erase(it);
      ++next;
    }
    if (next == paths.size()) break;
    if (batch.waiting.empty() && batch.in_flight.empty()) break;  // every report was delivered above
    Fill(batch);
    if (batch.in_flight.empty()) {  // no worker could be had: say so for the next plugin
      PluginReport report;
      ReportSink(&report).Error(rule::kNoWorker, "the worker process could not be started: " + start_error_);
      batch.Finish(batch.waiting.front(), report);
      batch.waiting.pop_front();
      continue;
    }
    Collect(batch);
  }
}

PluginReport Examiner::ExamineOne(Examination what, const std::string& path) {
  PluginReport result;
  ExamineAll(what, {path}, [&](const PluginReport& report) { result = report; });
  return result;
}

void Examiner::StartEarly() {
  std::string ignored;  // a failure shows again when the worker is first asked
  if (isolated_ && worker_ == nullptr) StartWorker(&ignored);
}

bool Examiner::StartWorker(std::string* error) {
  reader_ = RecordReader();
  answered_ = 0;
  board_ = SharedMemory::Make(sizeof(StageBoard));
  if (board_ == nullptr) {
    *error = "cannot share memory with a worker: " + LastErrorText();
    return false;
  }
  worker_ = starter_ ? starter_(*board_, error) : StartSelf({"--worker", board_->token()}, error);
  return worker_ != nullptr;
}

StageBoard::Reading Examiner::Board() const {
  StageBoard::Reading reading;
  if (board_ != nullptr) static_cast<const StageBoard*>(board_->data())->Read(&reading);
  return reading;
}

// Sends requests until kQueued are in the worker; a write that fails is the
// worker's end, which the next read reports.
void Examiner::Fill(Batch& batch) {
  if (worker_ == nullptr && !StartWorker(&start_error_)) return;
  while (batch.in_flight.size() < kQueued && !batch.waiting.empty()) {
    const std::size_t index = batch.waiting.front();
    const std::string request =
        EncodeRequest({static_cast<uint32_t>(index), batch.what, load_cycles_, batch.paths[index]});
    batch.waiting.pop_front();
    batch.in_flight.push_back(index);  // even when the write fails: the worker's end will tell
    if (!worker_->Write(request)) break;
  }
}

// Takes the reports the worker completed; false when there was none.
bool Examiner::TakeReports(Batch& batch) {
  uint32_t request = 0;
  PluginReport report;
  bool any = false;
  while (reader_.NextReport(&request, &report)) {
    if (request >= batch.paths.size()) continue;  // not a request of ours
    batch.Finish(request, std::move(report));
    batch.held = request;
    ++answered_;
    any = true;
  }
  return any;
}

// Reads until a report completes or the worker ends.
void Examiner::Collect(Batch& batch) {
  ChildWatch watch(*worker_, timeout_seconds_, ChildWatch::Limit::kEachStep, kGlanceMs);
  uint32_t seen = Board().serial;
  for (;;) {
    if (TakeReports(batch)) return;
    std::string bytes;
    const ChildWatch::Seen what = watch.Next(&bytes);
    reader_.Feed(bytes);
    if (what == ChildWatch::Seen::kSilent) {
      WorkerEnded(batch, true);
      return;
    }
    if (what == ChildWatch::Seen::kClosed) {
      TakeReports(batch);
      WorkerEnded(batch, false);
      return;
    }
    // A new step on the board shows the worker is making progress too.
    const uint32_t serial = Board().serial;
    if (serial != seen) watch.SignOfLife();
    seen = serial;
  }
}

// The worker stopped answering or ended. Only the request it was executing
// is charged; the others are asked of the next worker. A worker that ends
// between requests (one retires after a plugin left threads behind) charges
// nobody, unless it answered nothing at all: then the oldest request is
// charged, so that no plugin is asked of workers for ever.
void Examiner::WorkerEnded(Batch& batch, bool hung) {
  const StageBoard::Reading board = Board();
  if (hung) worker_->Kill();
  const ProcessEnd end = worker_->Wait();
  RecordReader::Unfinished unfinished = reader_.TakeUnfinished();
  worker_.reset();
  const std::optional<std::size_t> held = batch.held;
  batch.held.reset();
  const std::string& crash = unfinished.crash;
  const CrashFacts& facts = unfinished.facts;
  // The fault lay in the released image of another request than the one
  // under way (a thread or timer that plugin left): the blame is that
  // plugin's where its report is still held, and nobody's once it is out;
  // never the plugin under way, which is asked again of the next worker.
  // Requests are told apart by number, never by file name.
  const bool under_way = board.request != 0;
  if (facts.released && facts.image_request != 0 && (!under_way || facts.image_request != board.request)) {
    const std::size_t owner = facts.image_request - 1;
    if (held && *held == owner) {
      // One report however the race went: the crash confirms threads the
      // count after the release may have found already.
      ChargeLeftWork(batch.finished[*held], crash);
    }
    batch.Requeue();
    return;
  }
  std::size_t index = 0;
  bool charged = false;
  if (board.request != 0) {
    index = board.request - 1;
    charged = true;
  } else if (unfinished.begun) {
    index = unfinished.request;
    charged = true;
  } else if (answered_ == 0 && !batch.in_flight.empty()) {
    index = batch.in_flight.front();
    charged = true;
  }
  bool known = false;
  for (std::size_t i : batch.in_flight) known = known || i == index;
  if (!charged || !known) {
    batch.Requeue();
    return;
  }
  PluginReport report = unfinished.begun && unfinished.request == index ? std::move(unfinished.report) : PluginReport();
  ReportSink sink(&report);
  if (hung)
    sink.Error(rule::kHung, NoAnswerText(timeout_seconds_, InStage(board.stage)) + "; the worker was stopped");
  else if (facts.overrun) {
    sink.Error(rule::kOverrun, board.stage + ": " + crash);  // a fault of its own kind, not a crash
    // The same getter's writes past the sizes the host never offers are
    // this overrun again: one cause, one finding.
    auto& findings = report.findings;
    findings.erase(std::remove_if(findings.begin(), findings.end(),
                                  [&](const Finding& f) {
                                    return f.wrote_past && !board.export_name.empty() &&
                                           f.subject.exports == board.export_name;
                                  }),
                   findings.end());
  } else if (facts.other_thread && (board.stage == kAfterReleaseStage || board.stage == kReleaseStage)) {
    // The plugin was read; what it left behind is a finding, as when the
    // count after the release finds the thread first.
    ChargeLeftWork(report, crash);
  } else if (!crash.empty() || end.crashed)
    sink.Error(rule::kCrashed,
               "crashed" + Spaced(InStage(board.stage)) + ": " + (crash.empty() ? end.description : crash));
  else
    sink.Error(rule::kEndedProcess, "ended the process" + Spaced(InStage(board.stage)) + " (" + end.description + ")");
  batch.Finish(index, std::move(report));
  batch.Requeue();
}

}  // namespace host
