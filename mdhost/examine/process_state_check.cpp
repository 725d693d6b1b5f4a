#include "mdhost/examine/process_state_check.h"

#include <cstdio>

#include "mdhost/contract/rules.h"
#include "mdhost/examine/examination.h"

namespace host {
namespace {

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(value));
  return text;
}

// Where a step ran the plugin's code, as its author knows it.
std::string Where(const std::string& what, const std::string& export_name) {
  if (!export_name.empty()) return "in " + export_name;
  if (what == kLoadStage) return "in its start-up code (DllMain)";
  if (what == kReleaseStage) return "in its release (DLL_PROCESS_DETACH)";
  if (what == kAfterReleaseStage) return "after its release, in work it left running";
  return "while " + what;
}

// The exceptions each mask bit keeps quiet, in the x87 control word's order
// (MXCSR has the same six, seven bits higher).
constexpr const char* kExceptions[] = {"invalid operation", "denormal operand", "division by zero",
                                       "overflow",          "underflow",        "inexact result"};

}  // namespace

std::string FloatingPointChangeText(bool sse, uint32_t before, uint32_t after, const std::string& where) {
  const int shift = sse ? 7 : 0;
  const uint32_t unmasked = (before >> shift) & ~(after >> shift) & 0x3F;
  std::string raised;
  for (int bit = 0; bit < 6; ++bit)
    if (unmasked & (1u << bit)) raised += std::string(raised.empty() ? "" : ", ") + kExceptions[bit];
  const std::string what = sse ? "SSE control register (MXCSR)" : "x87 floating-point control word";
  const std::string effect = !raised.empty() ? "arithmetic that meets " + raised +
                                                   " (a script's 1/0) now raises an exception that crashes the host"
                                             : "the host's and scripts' arithmetic now rounds differently";
  return "changed the " + what + " from " + Hex(before) + " to " + Hex(after) + " " + where +
         " and left it: " + effect + "; save it and put it back around your code (" +
         (sse ? "_mm_getcsr/_mm_setcsr" : "_control87, Set8087CW") + ")";
}

ProcessStateWatch::ProcessStateWatch(ReportSink& sink)
    : sink_(sink), before_(ReadProcessState()), handlers_before_(VectoredHandlersAdded()) {
  sink_.OnStepEnded([this](const std::string& what, const std::string& export_name) { StepEnded(what, export_name); });
}

ProcessStateWatch::~ProcessStateWatch() {
  try {
    sink_.EndStep();
  } catch (...) {  // mdhost short of memory: what the last step changed is put back unsaid
  }
  sink_.OnStepEnded(nullptr);
  PutBackProcessState(before_);
}

// A handler is the plugin's to keep while it is loaded: one still there
// after its release is said once, and taken out.
void ProcessStateWatch::HandlersLeft() {
  for (const VectoredHandler& now : VectoredHandlersAdded()) {
    bool before = false;
    for (const VectoredHandler& then : handlers_before_) before = before || then.handle == now.handle;
    if (before) continue;
    if (!handler_said_) {
      handler_said_ = true;
      const std::string kind = now.continues ? "Continue" : "Exception";
      sink_.Add(rule::kProcessWideChanged,
                "left a vectored " + std::string(now.continues ? "continue" : "exception") +
                    " handler in the process after its release: the host's every exception reaches it first, "
                    "and one that goes on after an access violation turns the host's crashes into hangs (code "
                    "that is gone crashes the host at its next exception); remove it (RemoveVectored" +
                    kind + "Handler) in DLL_PROCESS_DETACH");
    }
    RemoveVectoredHandler(now);
  }
}

void ProcessStateWatch::StepEnded(const std::string& what, const std::string& export_name) {
  if (what == kReleaseStage || what == kAfterReleaseStage) HandlersLeft();
  const ProcessState now = ReadProcessState();
  const std::string where = Where(what, export_name);
  if (now.fpu_control != before_.fpu_control && !fpu_said_) {
    fpu_said_ = true;
    sink_.Add(rule::kProcessWideChanged, FloatingPointChangeText(false, before_.fpu_control, now.fpu_control, where));
  }
  if (now.sse_control != before_.sse_control && !sse_said_) {
    sse_said_ = true;
    sink_.Add(rule::kProcessWideChanged, FloatingPointChangeText(true, before_.sse_control, now.sse_control, where));
  }
  if (now.exception_filter != before_.exception_filter && !filter_said_) {
    filter_said_ = true;
    sink_.Add(rule::kProcessWideChanged,
              "set the process's unhandled-exception filter " + where +
                  " and left it: every later crash in the host runs that filter (code that is gone once the "
                  "plugin is released) instead of the host's; put back the filter SetUnhandledExceptionFilter "
                  "returned before the call returns");
  }
  if (now.error_mode != before_.error_mode && !mode_said_) {
    mode_said_ = true;
    sink_.Add(rule::kProcessSettingsChanged,
              "changed the process's error mode from " + Hex(before_.error_mode) + " to " + Hex(now.error_mode) + " " +
                  where +
                  ": which system error boxes the host shows changes for every plugin and script; put back "
                  "the mode SetErrorMode returned, or use SetThreadErrorMode");
  }
  if (now.folder != before_.folder && !folder_said_) {
    folder_said_ = true;
    sink_.Add(rule::kProcessSettingsChanged,
              "changed the current folder " + where +
                  " and left it: scripts' relative paths now name other files; name files by full paths, or put "
                  "back the folder it was");
  }
  // Setting costs more than reading (a folder is opened anew): only what changed.
  if (now.fpu_control != before_.fpu_control || now.sse_control != before_.sse_control ||
      now.exception_filter != before_.exception_filter || now.error_mode != before_.error_mode ||
      now.folder != before_.folder)
    PutBackProcessState(before_);
}

}  // namespace host
