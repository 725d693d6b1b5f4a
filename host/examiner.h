// Examines plugin modules in a worker process (this very program, started
// with --worker), so that a plugin that crashes, hangs or overruns a buffer
// costs only its own report. One worker serves plugin after plugin and is
// replaced only after a crash or a hang. Without isolation, the examination
// runs in this process.
#pragma once

#include <memory>
#include <string>

#include "examination.h"
#include "platform/host_platform.h"
#include "plugin_report.h"

namespace host {

class Examiner {
 public:
  // `timeout_seconds`: how long one step of an examination may go without
  // word from the worker before it counts as hung.
  // `load_cycles`: see Examine.
  Examiner(bool isolated, int timeout_seconds, int load_cycles = 0)
      : isolated_(isolated), timeout_seconds_(timeout_seconds), load_cycles_(load_cycles) {}

  PluginReport Examine(Examination what, const std::string& path);

 private:
  PluginReport InWorker(Examination what, const std::string& path);

  bool isolated_;
  int timeout_seconds_;
  int load_cycles_;
  std::unique_ptr<ChildProcess> worker_;
};

// The worker's side: a request per line on standard input, records on
// standard output, until standard input ends.
int RunWorker();

}  // namespace host
