// Examines plugin modules in a worker process (this very program, started
// with --worker), so that a plugin that crashes, hangs or overruns a buffer
// costs only its own report. One worker serves plugin after plugin, with the
// next requests already queued, and is replaced only after a crash or a
// hang. Without isolation, the examination runs in this process.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mdhost/examine/examination.h"
#include "mdhost/system/system.h"
#include "mdhost/report/plugin_report.h"
#include "mdhost/worker/stage_board.h"
#include "mdhost/worker/worker_protocol.h"

namespace host {

class Examiner {
 public:
  // `timeout_seconds`: how long one step of an examination may go without
  // word from the worker before it counts as hung. `load_cycles`: see Examine.
  Examiner(bool isolated, int timeout_seconds, int load_cycles = 0)
      : isolated_(isolated), timeout_seconds_(timeout_seconds), load_cycles_(load_cycles) {}

  // Starts the worker now, so that its start-up overlaps this process's own
  // work (finding the plugins); otherwise the first examination starts it.
  void StartEarly();

  // Examines each path in turn and hands each report to `done` as soon as
  // it is complete.
  void ExamineAll(Examination what, const std::vector<std::string>& paths,
                  const std::function<void(const PluginReport&)>& done);
  PluginReport Examine(Examination what, const std::string& path);

 private:
  bool Send(Examination what, const std::string& path, std::string* error);
  PluginReport Collect(const std::string& path);

  bool StartWorker(std::string* error);
  // The step the worker is at, from its stage board.
  std::string BoardStage() const;

  bool isolated_;
  int timeout_seconds_;
  int load_cycles_;
  std::unique_ptr<SharedMemory> board_;
  std::unique_ptr<ChildProcess> worker_;
  RecordReader reader_;  // what the worker wrote and was not applied yet
};

// The worker's side: a request per line on standard input, records on
// standard output, until standard input ends. `board` names the stage board
// its parent shares with it.
int RunWorker(const std::string& board);

}  // namespace host
