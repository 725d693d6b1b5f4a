// Examines plugin modules in a worker process (this very program, started
// with --worker), so that a plugin that crashes, hangs or overruns a buffer
// costs only its own report. One worker serves plugin after plugin, with the
// next requests already queued. When a worker ends, the request it was
// executing (its stage board tells which) gets the crash or the hang; the
// requests queued behind it go to a fresh worker. Without isolation, the
// examination runs in this process.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "mdhost/contract/plugin_report.h"
#include "mdhost/examine/examination.h"
#include "mdhost/system/output_capture.h"
#include "mdhost/system/system.h"
#include "mdhost/worker/stage_board.h"
#include "mdhost/worker/worker_protocol.h"

namespace host {

// Starts a worker that shares `board` (its token names it to the worker) and
// has its plugins print into the file `capture` ("": nowhere). By default
// this very program with --worker; tests give fakes.
using WorkerStarter =
    std::function<std::unique_ptr<ChildProcess>(SharedMemory& board, const std::string& capture, std::string* error)>;

// A crash of work a plugin left behind: its description, and whether it
// came in the pool's thread, in a callback of a timer or wait the pool still
// held (MD503's cause) rather than in a thread (MD502's).
struct LeftWorkCrash {
  std::string description;
  bool pool_callback = false;
};

// A crash that work a plugin left behind caused, seen after that plugin's
// report went out: `number` names the plugin as ExamineAll numbered it.
using LateCrash = std::function<void(std::size_t number, const LeftWorkCrash& crash)>;

// Work a plugin left behind crashed the process: the MD502 or MD503 the
// count after its release found is that crash (one cause, one finding; the
// one of the crash's kind where both are), or the crash's kind tells of it
// now. Either way it is a crash, which no level lowers. `late`: the report
// went out before the crash was seen. Returns the finding that tells of it.
const Finding& ChargeLeftWork(PluginReport& report, const LeftWorkCrash& crash, bool late = false);

class Examiner {
 public:
  // `timeout_seconds`: how long one step of an examination may go without
  // word from the worker before it counts as hung. `load_cycles`: see Examine.
  Examiner(bool isolated, int timeout_seconds, int load_cycles = 0, WorkerStarter starter = nullptr)
      : isolated_(isolated),
        timeout_seconds_(timeout_seconds),
        load_cycles_(load_cycles),
        starter_(std::move(starter)) {}

  // Starts the worker now, so that its start-up overlaps this process's own
  // work (finding the plugins); otherwise the first examination starts it.
  void StartEarly();

  // What the command changes in each report before it is delivered (the
  // severities an author chose), so that a read's filter weighs them.
  void AdjustEach(std::function<void(PluginReport*)> adjust) { adjust_ = std::move(adjust); }

  // Where a crash charged to a plugin whose report is out goes (to no one
  // when unset: a command that examines one plugin sees none).
  void OnLateCrash(LateCrash late) { late_ = std::move(late); }

  // Examines each path and hands the reports to `done` in the order of
  // `paths`, each as soon as it and those before it are complete. The paths
  // are numbered from `first_number` for OnLateCrash.
  void ExamineAll(Examination what, const std::vector<std::string>& paths,
                  const std::function<void(const PluginReport&)>& done, std::size_t first_number = 0);
  PluginReport ExamineOne(Examination what, const std::string& path, std::size_t number = 0);

 private:
  struct Batch;
  bool StartWorker(std::string* error);
  void Fill(Batch& batch);
  void Collect(Batch& batch);
  bool TakeReports(Batch& batch);
  void WorkerEnded(Batch& batch, bool hung);
  StageBoard::Reading Board() const;

  bool isolated_;
  int timeout_seconds_;
  int load_cycles_;
  WorkerStarter starter_;
  std::function<void(PluginReport*)> adjust_;
  LateCrash late_;
  // The current worker's requests whose reports went out, with the number
  // of their plugin: a crash in an image one of them brought in is still
  // that plugin's.
  std::map<uint32_t, std::size_t> out_;
  std::unique_ptr<SharedMemory> board_;
  std::unique_ptr<ChildProcess> worker_;
  std::unique_ptr<CaptureFile> capture_;  // what the plugins print, read back with each report
  // What the plugins printed since the last report taken, up to `upto` where
  // the worker said where its report ended.
  std::string Printed(std::optional<std::uint64_t> upto = std::nullopt);
  RecordReader reader_;      // what the worker wrote and was not taken yet
  int answered_ = 0;         // reports the current worker completed
  std::string start_error_;  // why the last worker could not be started
};

}  // namespace host
