#include "mdhost/worker/examiner.h"

#include <chrono>
#include <cstdlib>
#include <iostream>

#include "mdhost/worker/worker_protocol.h"

namespace host {
namespace {

const char* Verb(Examination what) { return what == Examination::kCheck ? "check" : "read"; }

// Where the worker was when it stopped answering or died.
std::string While(const std::string& stage) { return stage.empty() ? "" : " in " + stage; }

// How long to wait for output before looking at the stage board again.
constexpr int kGlanceMs = 250;

}  // namespace

// Requests queued ahead of the one being collected: the worker goes on to
// the next plugin without waiting for this process to ask.
constexpr std::size_t kQueued = 4;

void Examiner::ExamineAll(Examination what, const std::vector<std::string>& paths,
                          const std::function<void(const PluginReport&)>& done) {
  std::size_t sent = 0;
  for (std::size_t next = 0; next < paths.size(); ++next) {
    if (!isolated_) {
      PluginReport report;
      report.path = paths[next];
      ReportBuilder builder(&report);
      host::Examine(what, paths[next], load_cycles_, builder);
      done(report);
      continue;
    }
    if (worker_ == nullptr) sent = next;  // a new worker has been asked nothing yet
    std::string error;
    while (sent < paths.size() && sent - next < kQueued && Send(what, paths[sent], &error)) ++sent;
    if (sent == next) {
      PluginReport report;
      report.path = paths[next];
      report.error = error.empty() ? "the worker process could not be reached" : error;
      worker_.reset();
      done(report);
      continue;
    }
    done(Collect(paths[next]));
  }
}

void Examiner::StartEarly() {
  std::string ignored;  // a failure shows again when the worker is first asked
  if (isolated_ && worker_ == nullptr) StartWorker(&ignored);
}

bool Examiner::StartWorker(std::string* error) {
  reader_ = RecordReader();
  board_ = SharedMemory::Make(sizeof(StageBoard));
  if (board_ == nullptr) {
    *error = "cannot share memory with a worker: " + LastErrorText();
    return false;
  }
  worker_ = StartSelf({"--worker", board_->token()}, error);
  return worker_ != nullptr;
}

std::string Examiner::BoardStage() const {
  std::string stage;
  uint32_t serial = 0;
  if (board_ != nullptr) static_cast<const StageBoard*>(board_->data())->Read(&stage, &serial);
  return stage;
}

PluginReport Examiner::Examine(Examination what, const std::string& path) {
  PluginReport result;
  ExamineAll(what, {path}, [&](const PluginReport& report) { result = report; });
  return result;
}

bool Examiner::Send(Examination what, const std::string& path, std::string* error) {
  if (worker_ == nullptr && !StartWorker(error)) return false;
  const std::string request = std::string(Verb(what)) + " " + std::to_string(load_cycles_) + " " + path + "\n";
  return worker_->Write(request);
}

PluginReport Examiner::Collect(const std::string& path) {
  PluginReport report;
  report.path = path;
  ReportBuilder builder(&report);
  std::string crash;
  using Clock = std::chrono::steady_clock;
  auto deadline = Clock::now() + std::chrono::seconds(timeout_seconds_);
  const auto* board = static_cast<const StageBoard*>(board_->data());
  std::string ignored;
  uint32_t seen = 0;
  board->Read(&ignored, &seen);
  while (!reader_.Apply(builder, &crash)) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      const std::string stage = BoardStage();
      worker_.reset();  // kills it
      report.error = "no answer within " + std::to_string(timeout_seconds_) + " s" + While(stage) +
                     " (hung); the worker was stopped";
      return report;
    }
    bool closed = false;
    const std::string bytes = worker_->Read(static_cast<int>(left < kGlanceMs ? left : kGlanceMs), &closed);
    if (closed) {
      const ProcessEnd end = worker_->Wait();
      const std::string stage = BoardStage();
      worker_.reset();
      if (crash.compare(0, 8, "overrun:") == 0)
        report.error = stage + ": " + crash;  // a fault of its own kind, not a crash
      else if (!crash.empty() || end.crashed)
        report.error = "crashed" + While(stage) + ": " + (crash.empty() ? end.description : crash);
      else
        report.error = "ended the process" + While(stage) + " (" + end.description + ")";
      return report;
    }
    // Output, or a new step on the board, shows the worker is making progress.
    uint32_t serial = seen;
    board->Read(&ignored, &serial);
    if (!bytes.empty() || serial != seen) deadline = Clock::now() + std::chrono::seconds(timeout_seconds_);
    seen = serial;
    reader_.Feed(bytes);
  }
  return report;
}

int RunWorker(const std::string& board_token) {
  UseBinaryOutput();
  SetAsideOutput();
  InstallCrashReporter(WriteCrashRecord);
  const std::unique_ptr<SharedMemory> board = SharedMemory::Open(board_token, sizeof(StageBoard));
  RecordWriter writer(board ? static_cast<StageBoard*>(board->data()) : nullptr);
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // "<verb> <load cycles> <path>"
    const std::size_t space = line.find(' ');
    const std::size_t second = line.find(' ', space + 1);
    if (space == std::string::npos || second == std::string::npos) continue;
    const std::string verb = line.substr(0, space);
    const int cycles = std::atoi(line.substr(space + 1, second - space - 1).c_str());
    Examine(verb == "check" ? Examination::kCheck : Examination::kRead, line.substr(second + 1), cycles, writer);
    writer.Done();
  }
  return 0;
}

}  // namespace host
