#include "mdhost/worker/examiner_pool.h"

#include <atomic>
#include <optional>

#include "mdhost/system/system.h"

namespace host {

void ExamineWithJobs(int jobs, const ExaminerMaker& make, Examination what, const std::vector<std::string>& paths,
                     const std::function<void(const PluginReport&)>& done, const LateCrash& late) {
  const std::size_t count = paths.size();
  if (jobs > 64) jobs = 64;
  if (jobs <= 1 || count <= 1) {
    const std::unique_ptr<Examiner> examiner = make();
    examiner->OnLateCrash(late);
    examiner->ExamineAll(what, paths, done);
    return;
  }
  if (static_cast<std::size_t>(jobs) > count) jobs = static_cast<int>(count);
  std::vector<std::optional<PluginReport>> reports(count);
  std::atomic<std::size_t> next{0};
  Gate gate;
  std::size_t delivered = 0;                                   // under the gate
  std::vector<std::pair<std::size_t, LeftWorkCrash>> crashes;  // late ones not yet handed on, under the gate
  // Late crashes go to `late` from the thread that hands reports on, or
  // from this one once every examiner is done.
  const auto hand_on_crashes = [&] {
    std::vector<std::pair<std::size_t, LeftWorkCrash>> taken;
    gate.Lock();
    taken.swap(crashes);
    gate.Unlock();
    for (const auto& [index, crash] : taken)
      if (late) late(index, crash);
  };
  // One thread hands the reports on in order, outside the gate; the others
  // examine, each with its own worker.
  RunOnThreads(jobs + 1, [&](int thread) {
    if (thread == jobs) {
      for (;;) {
        gate.Lock();
        while (delivered < count && !reports[delivered] && crashes.empty()) gate.Wait();
        std::optional<PluginReport> report;
        if (delivered < count && reports[delivered]) {
          report = std::move(reports[delivered]);
          reports[delivered].reset();  // being handed on: a crash now is a late one
        }
        gate.Unlock();
        bool all = false;
        if (report) {
          done(*report);
          gate.Lock();
          all = ++delivered == count;
          gate.Unlock();
        }
        hand_on_crashes();  // after the report they belong to
        if (all) return;
      }
    }
    const std::unique_ptr<Examiner> examiner = make();
    // A report still here takes the crash in; one handed on hears of it.
    examiner->OnLateCrash([&](std::size_t index, const LeftWorkCrash& crash) {
      gate.Lock();
      if (index >= delivered && reports[index])
        ChargeLeftWork(*reports[index], crash);
      else
        crashes.emplace_back(index, crash);
      gate.WakeAll();
      gate.Unlock();
    });
    for (std::size_t i; (i = next++) < count;) {
      PluginReport report = examiner->ExamineOne(what, paths[i], i);
      gate.Lock();
      reports[i] = std::move(report);
      gate.WakeAll();
      gate.Unlock();
    }
  });
  hand_on_crashes();
}

}  // namespace host
