#include "mdhost/worker/examiner.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <set>

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

// Every request of a run, in every worker, has an id of its own: a fault in
// an image one examination brought in names that examination, and no other
// worker's request can be taken for it.
std::atomic<uint32_t> next_request{1};

}  // namespace

const Finding& ChargeLeftWork(PluginReport& report, const LeftWorkCrash& crash, bool late) {
  const std::string own = crash.pool_callback ? rule::kPoolLeft : rule::kThreadsLeft;
  auto& findings = report.findings;
  // The count's finding of the crash's kind, else of the other kind: the
  // count saw this work, only took it for the other.
  auto counted = std::find_if(findings.begin(), findings.end(), [&](const Finding& f) { return f.rule == own; });
  if (counted == findings.end())
    counted = std::find_if(findings.begin(), findings.end(),
                           [](const Finding& f) { return f.rule == rule::kThreadsLeft || f.rule == rule::kPoolLeft; });
  if (counted != findings.end()) {
    counted->crashed = true;
    if (!counted->set_by.empty()) {  // a level chosen lowers no crash
      counted->severity = counted->rule_severity;
      counted->set_by.clear();
      counted->set_by_option = false;
    }
    if (late) counted->text += "; it crashed the process after its report (" + crash.description + ")";
    return *counted;
  }
  Finding crashed = crash.pool_callback ? Found(rule::kPoolLeft, PoolLeftText(1, crash.description))
                                        : Found(rule::kThreadsLeft, ThreadsLeftText(1, crash.description));
  crashed.crashed = true;
  report.findings.push_back(std::move(crashed));
  return report.findings.back();
}

struct Examiner::Batch {
  Examination what;
  const std::vector<std::string>& paths;
  std::size_t first_number;
  std::size_t next = 0;               // the first report not handed over yet
  std::deque<std::size_t> waiting;    // not yet sent to the current worker
  std::deque<std::size_t> in_flight;  // sent to it, not yet reported, in order
  std::map<std::size_t, PluginReport> finished;
  // The report the current worker finished last is held back: a thread that
  // plugin left behind may still crash the worker, and the blame is its.
  std::optional<std::size_t> held;
  std::map<uint32_t, std::size_t> index_of;  // each request sent, by its id
  std::map<std::size_t, uint32_t> sent_as;   // each plugin's latest request
  std::set<std::size_t> asked_again;         // after a crash in no noted image

  // The plugin a request id was sent for, while that is its latest: the ids
  // a plugin had in a worker that ended name nothing (a plugin that writes
  // records can write those too).
  std::optional<std::size_t> IndexOf(uint32_t request) const {
    const auto it = index_of.find(request);
    if (it == index_of.end() || sent_as.at(it->second) != request) return std::nullopt;
    return it->second;
  }

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
                          const std::function<void(const PluginReport&)>& done, std::size_t first_number) {
  // A read tells what fails or warns, a check everything.
  const auto deliver = [&](PluginReport& report) {
    if (adjust_) adjust_(&report);
    if (what == Examination::kRead) report.KeepProblemsOnly();
    done(report);
  };
  if (!isolated_) {
    if (capture_ == nullptr) capture_ = CaptureFile::Make();
    for (const std::string& path : paths) {
      PluginReport report;
      ReportSink sink(&report);
      {
        std::unique_ptr<PrintingInto> printing;
        if (capture_ != nullptr) printing = std::make_unique<PrintingInto>(capture_->path());
        ExaminePlugin(what, path, load_cycles_, sink);
      }
      report.path = path;
      report.output = Printed();
      deliver(report);
    }
    return;
  }
  Batch batch{what, paths, first_number, 0, {}, {}, {}, {}, {}, {}, {}};
  for (std::size_t i = 0; i < paths.size(); ++i) batch.waiting.push_back(i);
  std::size_t& next = batch.next;
  while (next < paths.size()) {
    // Nothing more to ask: the last report need wait no longer.
    if (batch.waiting.empty() && batch.in_flight.empty()) batch.held.reset();
    for (auto it = batch.finished.find(next); it != batch.finished.end() && batch.held != next;
         it = batch.finished.find(next)) {
      if (const auto sent = batch.sent_as.find(next); sent != batch.sent_as.end())
        out_[sent->second] = first_number + next;
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

PluginReport Examiner::ExamineOne(Examination what, const std::string& path, std::size_t number) {
  PluginReport result;
  ExamineAll(
      what, {path}, [&](const PluginReport& report) { result = report; }, number);
  return result;
}

void Examiner::StartEarly() {
  std::string ignored;  // a failure shows again when the worker is first asked
  if (isolated_ && worker_ == nullptr) StartWorker(&ignored);
}

bool Examiner::StartWorker(std::string* error) {
  reader_ = RecordReader();
  answered_ = 0;
  out_.clear();
  board_ = SharedMemory::Make(sizeof(StageBoard));
  if (board_ == nullptr) {
    *error = "cannot share memory with a worker: " + LastErrorText();
    return false;
  }
  if (capture_ == nullptr) capture_ = CaptureFile::Make();
  std::vector<std::string> arguments = {"--worker", board_->token()};
  if (capture_ != nullptr) arguments.push_back(capture_->path());
  worker_ = starter_ ? starter_(*board_, capture_ != nullptr ? capture_->path() : "", error)
                     : StartSelf(arguments, error, board_.get());
  return worker_ != nullptr;
}

std::string Examiner::Printed(std::optional<std::uint64_t> upto) {
  return capture_ != nullptr ? capture_->TakeNew(upto) : "";
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
    const uint32_t id = next_request++;
    batch.index_of[id] = index;
    batch.sent_as[index] = id;
    const std::string request = EncodeRequest({id, batch.what, load_cycles_, batch.paths[index]});
    batch.waiting.pop_front();
    batch.in_flight.push_back(index);  // even when the write fails: the worker's end will tell
    if (!worker_->Write(request)) break;
  }
}

// Takes the reports the worker completed; false when there was none. A
// report is taken only for the request the worker executes (the first one
// in flight), and only once the board shows it has moved past it: the bytes
// of a plugin that writes records of its own are not.
bool Examiner::TakeReports(Batch& batch) {
  uint32_t request = 0;
  PluginReport report;
  bool any = false;
  while (reader_.NextReport(&request, &report)) {
    const std::optional<std::size_t> index = batch.IndexOf(request);
    if (!index || batch.in_flight.empty() || batch.in_flight.front() != *index || Board().request == request + 1)
      continue;  // not the report of the request under way
    report.output = Printed(report.printed_upto);
    batch.Finish(*index, std::move(report));
    batch.held = *index;
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
  const std::map<uint32_t, std::size_t> reported = std::move(out_);  // the worker's, now ended
  out_.clear();
  const std::optional<std::size_t> held = batch.held;
  batch.held.reset();
  const std::string& crash = unfinished.crash;
  const CrashFacts& facts = unfinished.facts;
  const bool faulted = !crash.empty() || end.crashed;
  // The fault lay in an image another request brought in (a thread or timer
  // that plugin left): the blame is that plugin's, in its report while that
  // is still here, after it once it is out; never the plugin under way,
  // which is asked again of the next worker. Requests are told apart by
  // their ids, one space for every worker of the run, never by file name.
  const std::optional<std::size_t> owner =
      facts.image_request != 0 ? batch.IndexOf(facts.image_request - 1) : std::nullopt;
  const bool under_way = board.request != 0;
  if (faulted && facts.image_request != 0 && (!under_way || facts.image_request != board.request)) {
    if (const auto gone = reported.find(facts.image_request - 1); gone != reported.end()) {
      if (late_) late_(gone->second, {crash, facts.pool_callback});
    } else if (owner && batch.finished.count(*owner)) {
      ChargeLeftWork(batch.finished[*owner], {crash, facts.pool_callback});  // one report however the race went
    }
    batch.Requeue();
    return;
  }
  // The request the worker was at: the board's, or the one begun.
  std::optional<std::size_t> index;
  if (under_way)
    index = batch.IndexOf(board.request - 1);
  else if (unfinished.begun)
    index = batch.IndexOf(unfinished.request);
  else if (answered_ == 0 && !batch.in_flight.empty())
    index = batch.in_flight.front();  // so that no plugin is asked of workers for ever
  // A report taken for the request the board still shows was none of the
  // worker's own (it writes the board first): the request failed after all.
  if (index && held && *held == *index && under_way) {
    batch.in_flight.push_front(*index);
    batch.finished.erase(*index);
  }
  bool known = false;
  for (std::size_t i : batch.in_flight) known = known || (index && i == *index);
  if (!known) {
    batch.Requeue();
    return;
  }
  // A crash in code no examination brought in (the system's, a runtime's)
  // proves nothing by itself: the plugin is asked again in a fresh worker,
  // and only a repeat charges it.
  if (faulted && !hung && !facts.overrun && facts.image.empty() && !batch.asked_again.count(*index)) {
    batch.asked_again.insert(*index);
    batch.Requeue();
    return;
  }
  const bool begun_here = unfinished.begun && batch.IndexOf(unfinished.request) == index;
  PluginReport report = begun_here ? std::move(unfinished.report) : PluginReport();
  report.output = Printed();
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
    ChargeLeftWork(report, {crash, facts.pool_callback});
  } else if (!crash.empty() || end.crashed)
    sink.Error(rule::kCrashed,
               "crashed" + Spaced(InStage(board.stage)) + ": " + (crash.empty() ? end.description : crash));
  else
    sink.Error(rule::kEndedProcess, "ended the process" + Spaced(InStage(board.stage)) + " (" + end.description + ")");
  batch.Finish(*index, std::move(report));
  batch.Requeue();
}

}  // namespace host
