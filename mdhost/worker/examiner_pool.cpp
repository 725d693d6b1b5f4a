#include "mdhost/worker/examiner_pool.h"

#include <atomic>
#include <optional>

#include "mdhost/system/system.h"

namespace host {

void ExamineWithJobs(int jobs, const ExaminerMaker& make, Examination what, const std::vector<std::string>& paths,
                     const std::function<void(const PluginReport&)>& done) {
  const std::size_t count = paths.size();
  if (jobs > 64) jobs = 64;
  if (jobs <= 1 || count <= 1) {
    make()->ExamineAll(what, paths, done);
    return;
  }
  if (static_cast<std::size_t>(jobs) > count) jobs = static_cast<int>(count);
  std::vector<std::optional<PluginReport>> reports(count);
  std::atomic<std::size_t> next{0};
  Gate gate;
  std::size_t delivered = 0;
  // One thread hands the reports on in order, outside the gate; the others
  // examine, each with its own worker.
  RunOnThreads(jobs + 1, [&](int thread) {
    if (thread == jobs) {
      for (; delivered < count; ++delivered) {
        gate.Lock();
        while (!reports[delivered]) gate.Wait();
        PluginReport report = std::move(*reports[delivered]);
        gate.Unlock();
        done(report);
      }
      return;
    }
    const std::unique_ptr<Examiner> examiner = make();
    for (std::size_t i; (i = next++) < count;) {
      PluginReport report = examiner->ExamineOne(what, paths[i]);
      gate.Lock();
      reports[i] = std::move(report);
      gate.WakeAll();
      gate.Unlock();
    }
  });
}

}  // namespace host
