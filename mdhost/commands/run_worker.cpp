// mdhost run in a worker, as check examines plugins: the script runs in a
// child mdhost whose output is passed on as it comes, so that a plugin
// that crashes is MD003 with its place, and one that hangs past --timeout
// is MD004, never the end of mdhost itself.
#include <cstring>
#include <memory>

#include "mdhost/commands/command_line.h"
#include "mdhost/commands/commands.h"
#include "mdhost/contract/rules.h"
#include "mdhost/report/output.h"
#include "mdhost/system/child_watch.h"
#include "mdhost/system/system.h"

namespace host {
namespace {

// What the child's crash handler leaves for the parent: the fault and its
// place, written without allocating.
struct RunBoard {
  char crash[1024];
};

RunBoard* board = nullptr;

void KeepCrash(const fault_report::Facts&, const char* description) {
  if (board == nullptr) return;
  std::strncpy(board->crash, description, sizeof board->crash - 1);
  board->crash[sizeof board->crash - 1] = '\0';
}

void Fail(const char* rule, const std::string& text) {
  std::fflush(OwnOutput());
  WriteUtf8(stderr, FindingLine({rule, Severity::kFail, text}) + "\n");
}

}  // namespace

int RunIsolated(const Invocation& call) {
  const std::unique_ptr<SharedMemory> shared = SharedMemory::Make(sizeof(RunBoard));
  std::string error;
  std::vector<std::string> arguments = {"--run-worker", shared ? shared->token() : ""};
  for (const std::string& plugin : call.extra_plugins) arguments.insert(arguments.end(), {"--with", plugin});
  arguments.push_back("--");
  arguments.insert(arguments.end(), call.arguments.begin(), call.arguments.end());
  std::unique_ptr<ChildProcess> child = shared ? StartSelf(arguments, &error, shared.get()) : nullptr;
  if (child == nullptr) {
    Fail(rule::kNoWorker, shared ? error : "cannot share memory with a worker: " + LastErrorText());
    return kExitFailed;
  }
  child->CloseInput();  // a script reads no input here
  ChildWatch watch(*child, call.timeout_given ? call.timeout_seconds : 0, ChildWatch::Limit::kWholeRun, 100);
  for (ChildWatch::Seen what = ChildWatch::Seen::kOutput; what != ChildWatch::Seen::kClosed;) {
    std::string bytes;
    what = watch.Next(&bytes);
    WriteOutputRaw(bytes.data(), bytes.size());  // as it comes
    if (what == ChildWatch::Seen::kSilent) {
      child->Kill();
      Fail(rule::kHung, NoAnswerText(call.timeout_seconds, "while the script ran"));
      return kExitFailed;
    }
  }
  const ProcessEnd end = child->Wait();
  const RunBoard* kept = static_cast<const RunBoard*>(shared->data());
  if (kept->crash[0] != '\0' || end.crashed) {
    Fail(rule::kCrashed, "crashed while the script ran: " +
                             AnsiToUtf8(kept->crash[0] != '\0' ? std::string(kept->crash) : end.description));
    return kExitFailed;
  }
  return end.exit_code;
}

int RunScriptWorker(const std::vector<std::string>& arguments) {
  SetAsideOutput();  // what a plugin prints goes to standard error; print, to the parent
  const std::unique_ptr<SharedMemory> shared =
      arguments.empty() ? nullptr : SharedMemory::Open(arguments[0], sizeof(RunBoard));
  if (shared == nullptr) return WrongCommandLine("--run-worker takes the token of its parent's memory");
  board = static_cast<RunBoard*>(shared->data());
  InstallCrashReporter(KeepCrash);
  Invocation call;
  bool help = false;
  std::string error;
  const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
  if (!ParseOptions(rest, *FindCommand("run"), &call, &help, &error)) return WrongCommandLine(error);
  call.isolated = false;
  return RunCommand(call);
}

}  // namespace host
