// One watch for every worker: a step's time begins again with each sign of
// life, a whole run's does not, and a close is told with the last bytes.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "mdhost/system/child_watch.h"

namespace {

// A child that answers at once: "x" at each read, or its close.
class Chatty : public host::ChildProcess {
 public:
  bool Write(const std::string&) override { return true; }
  void CloseInput() override {}
  std::string Read(int, bool* closed) override {
    *closed = reads_left_ == 0;
    if (reads_left_ > 0) --reads_left_;
    return *closed ? "last" : "x";
  }
  void Kill() override {}
  host::ProcessEnd Wait() override { return {}; }
  int reads_left_ = -1;  // -1: for ever
};

using Seen = host::ChildWatch::Seen;
using Limit = host::ChildWatch::Limit;

// Reads for `seconds` or until the watch says otherwise than output.
Seen WatchFor(host::ChildWatch& watch, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  std::string bytes;
  Seen seen = Seen::kOutput;
  while (seen == Seen::kOutput && std::chrono::steady_clock::now() < end) seen = watch.Next(&bytes);
  return seen;
}

TEST(ChildWatch, OutputKeepsAStepAliveButNotAWholeRun) {
  Chatty step_child, run_child;
  host::ChildWatch step(step_child, 1, Limit::kEachStep, 10), run(run_child, 1, Limit::kWholeRun, 10);
  EXPECT_EQ(Seen::kOutput, WatchFor(step, 1.5));
  EXPECT_EQ(Seen::kSilent, WatchFor(run, 3));
}

TEST(ChildWatch, ACloseComesWithItsLastBytes) {
  Chatty child;
  child.reads_left_ = 2;
  host::ChildWatch watch(child, 0, Limit::kWholeRun, 10);
  std::string bytes;
  EXPECT_EQ(Seen::kOutput, watch.Next(&bytes));
  EXPECT_EQ(Seen::kOutput, watch.Next(&bytes));
  EXPECT_EQ(Seen::kClosed, watch.Next(&bytes));
  EXPECT_EQ("last", bytes);
  EXPECT_EQ("no answer within 3 s while the script ran (hung)", host::NoAnswerText(3, "while the script ran"));
  EXPECT_EQ("no answer within 3 s (hung)", host::NoAnswerText(3, ""));
}

}  // namespace
