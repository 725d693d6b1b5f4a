#include "examiner.h"

#include <chrono>
#include <cstdlib>
#include <iostream>

#include "worker_protocol.h"

namespace host {
namespace {

const char* Verb(Examination what) { return what == Examination::kCheck ? "check" : "read"; }

// Where the worker was when it stopped answering or died.
std::string While(const PluginReport& report) { return report.stage.empty() ? "" : " in " + report.stage; }

}  // namespace

PluginReport Examiner::Examine(Examination what, const std::string& path) {
  if (isolated_) return InWorker(what, path);
  PluginReport report;
  report.path = path;
  ReportBuilder builder(&report);
  host::Examine(what, path, load_cycles_, builder);
  return report;
}

PluginReport Examiner::InWorker(Examination what, const std::string& path) {
  PluginReport report;
  report.path = path;
  std::string error;
  if (worker_ == nullptr) worker_ = StartSelf({"--worker"}, &error);
  const std::string request = std::string(Verb(what)) + " " + std::to_string(load_cycles_) + " " + path + "\n";
  if (worker_ == nullptr || !worker_->Write(request)) {
    report.error = error.empty() ? "the worker process could not be reached" : error;
    worker_.reset();
    return report;
  }
  ReportBuilder builder(&report);
  RecordReader reader;
  std::string crash;
  using Clock = std::chrono::steady_clock;
  auto deadline = Clock::now() + std::chrono::seconds(timeout_seconds_);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      worker_.reset();  // kills it
      report.error = "no answer within " + std::to_string(timeout_seconds_) + " s" + While(report) +
                     " (hung); the worker was stopped";
      return report;
    }
    bool closed = false;
    const std::string bytes = worker_->Read(static_cast<int>(left), &closed);
    if (closed) {
      const ProcessEnd end = worker_->Wait();
      worker_.reset();
      if (crash.compare(0, 8, "overrun:") == 0)
        report.error = report.stage + ": " + crash;  // a fault of its own kind, not a crash
      else if (!crash.empty() || end.crashed)
        report.error = "crashed" + While(report) + ": " + (crash.empty() ? end.description : crash);
      else
        report.error = "ended the process" + While(report) + " (" + end.description + ")";
      return report;
    }
    if (bytes.empty()) continue;
    reader.Feed(bytes);
    deadline = Clock::now() + std::chrono::seconds(timeout_seconds_);  // it is making progress
    if (reader.Apply(builder, &crash)) return report;
  }
}

int RunWorker() {
  UseBinaryOutput();
  SetAsideOutput();
  InstallCrashReporter(WriteCrashRecord);
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // "<verb> <load cycles> <path>"
    const std::size_t space = line.find(' ');
    const std::size_t second = line.find(' ', space + 1);
    if (space == std::string::npos || second == std::string::npos) continue;
    const std::string verb = line.substr(0, space);
    const int cycles = std::atoi(line.substr(space + 1, second - space - 1).c_str());
    RecordWriter writer;
    Examine(verb == "check" ? Examination::kCheck : Examination::kRead, line.substr(second + 1), cycles, writer);
    writer.Done();
  }
  return 0;
}

}  // namespace host
