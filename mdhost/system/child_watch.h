// One way to watch a child process, for every worker mdhost starts (the
// examiner's, run's): its output taken as it comes, in glances, and its end
// or its time running out told. A step's time (kEachStep) begins again at
// each sign of life: output, or what the caller says is one (the stage board
// moving); a whole run's time (kWholeRun) does not.
#pragma once

#include <chrono>
#include <string>

#include "mdhost/system/system.h"

namespace host {

class ChildWatch {
 public:
  enum class Limit { kEachStep, kWholeRun };
  // `timeout_seconds` 0: no limit.
  ChildWatch(ChildProcess& child, int timeout_seconds, Limit limit, int glance_ms)
      : child_(child), timeout_seconds_(timeout_seconds), limit_(limit), glance_ms_(glance_ms) {
    deadline_ = Clock::now() + std::chrono::seconds(timeout_seconds_);
  }

  enum class Seen {
    kOutput,  // `*bytes` holds what came (perhaps nothing, after a glance)
    kClosed,  // the child closed its output; `*bytes` holds its last
    kSilent   // its time ran out
  };
  Seen Next(std::string* bytes);
  // The child shows it is still at work: its time begins again.
  void SignOfLife() {
    if (limit_ == Limit::kEachStep) deadline_ = Clock::now() + std::chrono::seconds(timeout_seconds_);
  }

 private:
  using Clock = std::chrono::steady_clock;
  ChildProcess& child_;
  int timeout_seconds_;
  Limit limit_;
  int glance_ms_;
  Clock::time_point deadline_;
};

// MD004's words: "no answer within 10 s <where> (hung)", where is "in
// irPlg_GetPluginName with size 10000", "while the script ran" or "".
std::string NoAnswerText(int timeout_seconds, const std::string& where);

}  // namespace host
