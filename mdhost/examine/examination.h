// What mdhost does with one plugin module, in whichever process runs it (see
// mdhost/worker/examiner.h). Everything about the plugin is worked out here,
// once: its texts, its actions, its version resource and the findings.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "mdhost/contract/report_sink.h"

namespace host {

// The stages an examination names on the stage board around the load and
// the release. After the release none of the plugin's code should run: a
// crash then comes from a thread it left behind.
constexpr char kLoadStage[] = "loading the module (its start-up code, DllMain)";
constexpr char kReleaseStage[] = "releasing the module";
constexpr char kAfterReleaseStage[] = "after releasing the module";

constexpr char kStopThreads[] =
    "the host crashes once the module is gone. Finish the work before the call returns, or let the thread hold a "
    "reference to the module of its own and leave with FreeLibraryAndExitThread (pool work: "
    "FreeLibraryWhenCallbackReturns); never wait for it in DllMain, which deadlocks. A runtime that cannot stop its "
    "threads (Go's, some garbage-collected ones) pins its module at load instead (GetModuleHandleEx with "
    "GET_MODULE_HANDLE_EX_FLAG_PIN; see MD502 in CHECKS.md)";

constexpr char kStopPoolCallbacks[] =
    "cancel and close every timer and wait before DllMain returns from DLL_PROCESS_DETACH (SetThreadpoolTimer with "
    "NULL, WaitForThreadpoolTimerCallbacks, CloseThreadpoolTimer; DeleteTimerQueueTimer or UnregisterWaitEx with "
    "INVALID_HANDLE_VALUE)";

// MD502's text: `count` threads found running after the release, or (with
// `crash`) one that crashed the process once the module was gone.
std::string ThreadsLeftText(int count, const std::string& crash = "");
// MD503's text: `count` timers or waits due after the release, or (with
// `crash`) one whose callback crashed the process once the module was gone.
std::string PoolLeftText(int count, const std::string& crash = "");

enum class Examination {
  kRead,  // its five texts, SDK version and actions, as the host reads them
  kCheck  // besides, its conformance to the host's contract, finding by finding
};

// `load_cycles`: how many load-and-release cycles a check measures for the
// memory the plugin keeps per load (0: none).
void ExaminePlugin(Examination what, const std::string& path, int load_cycles, ReportSink& sink);

// An action document into the report: its actions and what it says against
// the host's vocabulary, or why it cannot be read (MD301), as a check says it.
void ReadDocumentInto(ReportSink& sink, const std::string& xml);

// Parts of a check, each telling `sink` what it finds.
class LoadedModule;
// The text as the host reads it (10,000 bytes, then the length stored), or
// none when it cannot be had: MD101, MD107, and MD009 for a getter that takes
// its arguments off the stack. info, scan and check all read a getter so.
std::optional<std::string> ReadGetter(ReportSink& sink, const LoadedModule& module, const char* getter);
// ReadGetter, then the getter held to the protocol at the sizes that tell
// how it answers too small a buffer and exactly its length (MD102-MD106).
std::optional<std::string> CheckGetter(ReportSink& sink, const LoadedModule& module, const char* getter);
// MD009: `what` (exports named) takes `bytes` of arguments off the stack
// itself; one finding per plugin, which names every such export.
void NotCdecl(ReportSink& sink, const std::string& what, int bytes);
// `actions`: the document's, held against what registration makes; none when
// the document could not be read (then nothing is said of each function).
void CheckRegistration(ReportSink& sink, const LoadedModule& module,
                       const std::optional<std::vector<std::string>>& actions);
void MeasureKeptPerLoad(ReportSink& sink, const std::string& path, int cycles);
// What MeasureKeptPerLoad says of a measured figure: bytes kept per cycle
// (below zero when the cycles gave memory back), by which measure.
void ReportKeptPerLoad(ReportSink& sink, double per_cycle, const std::string& measure, int cycles);

// A plugin's thread that holds a reference of its own keeps the module
// loaded after the host's release, until it ends with FreeLibraryAndExitThread
// (or a pool callback returns after FreeLibraryWhenCallbackReturns): the safe
// way to finish work in the background. Such work is given a few seconds to
// end before what is left behind is judged.
struct ImageRange;
void WaitForOwnReferences(const ImageRange& image);

}  // namespace host
