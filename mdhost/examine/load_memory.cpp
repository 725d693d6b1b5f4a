// What a plugin keeps of the process's memory each time it is loaded and
// released. Inspecting a plugin loads it once per text, so a plugin that
// keeps memory per load makes scripts that inspect it in a loop grow the
// host's process.
#include <cstdio>

#include "mdhost/contract/rules.h"
#include "mdhost/examine/examination.h"
#include "mdhost/system/system.h"
#include "platform/platform.h"

namespace host {
namespace {

constexpr int kWarmUpCycles = 20;
constexpr double kNothing = 128;   // bytes per cycle within the measurement's own noise
constexpr double kTooMuch = 1024;  // bytes per cycle worth a warning

// Working set, or private bytes where the system reports them.
double Figure(const MemoryFigures& figures, bool use_private) {
  return static_cast<double>(use_private ? figures.private_bytes : figures.working_set);
}

std::string Describe(double bytes) {
  char text[64];
  if (bytes >= 1024)
    std::snprintf(text, sizeof text, "%.2f KiB", bytes / 1024);
  else
    std::snprintf(text, sizeof text, "%.0f bytes", bytes < 0 ? 0 : bytes);
  return text;
}

// Memory is compared between two quiet moments: the plugin's own threads have
// released it and ended, and the last thread to end is one of mdhost's. Wine
// frees an ended thread's stack only when the next thread ends, so without
// this the two moments could differ by one of the plugin's stacks (1 MiB).
void Settle(const ImageRange& image, int quiet_threads) {
  WaitForOwnReferences(image);
  for (int waited = 0; waited < 500 && OtherThreads() > quiet_threads; ++waited) PauseBriefly();
  RunOnThreads(1, [](int) {});
}

}  // namespace

void MeasureKeptPerLoad(ReportSink& sink, const std::string& path, int cycles) {
  sink.Stage("loading and releasing the module " + std::to_string(kWarmUpCycles + cycles) + " times");
  // The path is resolved once: only the plugin's own load and release cycle.
  md::FoundEntry entry;
  void* spelling = nullptr;
  if (md::Os().find_first(path.c_str(), &entry, &spelling) != md::Search::kFound) return;
  const int quiet_threads = OtherThreads();
  ImageRange last_image;
  auto cycle = [&] {
    sink.Progress();
    bool short_of_memory;
    void* module = md::Os().load_module(spelling, &short_of_memory, nullptr);
    if (module != nullptr) {
      last_image = ModuleImageRange(module);
      md::Os().release_module(module);
    }
    return module != nullptr;
  };
  bool loads = true;
  for (int i = 0; i < kWarmUpCycles && loads; ++i) loads = cycle();
  // The first load after a quiet moment does once what later loads do not
  // (it takes again what the quiet moment gave back): measured from the next.
  Settle(last_image, quiet_threads);
  if (loads) loads = cycle();
  Settle(last_image, quiet_threads);
  const MemoryFigures before = CurrentMemory();
  for (int i = 0; i < cycles && loads; ++i) cycle();
  Settle(last_image, quiet_threads);
  const MemoryFigures after = CurrentMemory();
  md::Os().release_memory(spelling);
  if (!loads) return;
  const bool use_private = before.private_bytes != 0 && after.private_bytes != 0;
  ReportKeptPerLoad(sink, (Figure(after, use_private) - Figure(before, use_private)) / cycles,
                    use_private ? "private bytes" : "working set", cycles);
}

void ReportKeptPerLoad(ReportSink& sink, double per_cycle, const std::string& measure, int cycles) {
  sink.report().figures["kept_per_load"] = per_cycle < 0 ? 0 : per_cycle;
  const std::string what = std::string("memory kept per load and release: ") + Describe(per_cycle) + " (" + measure +
                           ", " + std::to_string(cycles) + " cycles)";
  // The host loads a plugin once; scripts that inspect it in a loop load it
  // five times per GetInfo, and that is where memory kept per load adds up.
  if (per_cycle > kTooMuch)
    sink.Add(rule::kKeptPerLoad, what +
                                     "; a script that inspects it in a loop grows the host's process. "
                                     "Look for memory its start-up code (DllMain, static constructors) "
                                     "takes and its unloading does not give back. A statically linked "
                                     "libstdc++ keeps its emergency exception pool unless DLL_PROCESS_DETACH "
                                     "calls __gnu_cxx::__freeres() (see MD501 in CHECKS.md)");
  else if (per_cycle > kNothing)
    sink.Inform(rule::kKeptPerLoad, what);
  else
    sink.Pass(rule::kKeptPerLoad, what);
}

}  // namespace host
