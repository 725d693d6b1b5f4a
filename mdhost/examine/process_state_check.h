// What a plugin changes for the whole process, which the host shares with
// every other plugin and script: the floating-point control (MD504), the
// unhandled-exception filter and vectored handlers left after the release
// (MD504), the error mode and the current folder (MD505). Found at the end of the step that changed it, said once per
// kind, and put back, so that the rest of the examination, and the next plugin, run as if nothing happened.
#pragma once

#include <string>
#include <vector>

#include "mdhost/contract/report_sink.h"
#include "mdhost/system/system.h"

namespace host {

class ProcessStateWatch {
 public:
  // Notes the state now and watches the end of each of `sink`'s steps.
  explicit ProcessStateWatch(ReportSink& sink);
  // Ends the last step and puts everything back.
  ~ProcessStateWatch();
  ProcessStateWatch(const ProcessStateWatch&) = delete;
  ProcessStateWatch& operator=(const ProcessStateWatch&) = delete;

 private:
  void StepEnded(const std::string& what, const std::string& export_name);

  void HandlersLeft();

  ReportSink& sink_;
  ProcessState before_;
  std::vector<VectoredHandler> handlers_before_;
  bool handler_said_ = false, fpu_said_ = false, sse_said_ = false, filter_said_ = false, mode_said_ = false,
       folder_said_ = false;
};

// The sentence for a changed x87 control word or MXCSR (`sse`), `where` it
// was changed ("in its start-up code (DllMain)").
std::string FloatingPointChangeText(bool sse, uint32_t before, uint32_t after, const std::string& where);

}  // namespace host
