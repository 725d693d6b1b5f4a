// Plugins examined by up to `jobs` examiners at once, each with a worker of
// its own, so that a plugin's crash, hang or threads are charged to it
// alone, as with one examiner. The reports reach `done` in the order of
// `paths`, on one thread, each as soon as it and those before it are
// complete. `make` is called from several threads at once. A crash charged
// to a plugin whose report went out reaches `late` on the same thread as
// `done`, by the plugin's place in `paths`; one charged before its report
// went out is in that report.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mdhost/worker/examiner.h"

namespace host {

using ExaminerMaker = std::function<std::unique_ptr<Examiner>()>;

void ExamineWithJobs(int jobs, const ExaminerMaker& make, Examination what, const std::vector<std::string>& paths,
                     const std::function<void(const PluginReport&)>& done, const LateCrash& late = nullptr);

}  // namespace host
