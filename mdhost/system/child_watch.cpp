#include "mdhost/system/child_watch.h"

namespace host {

ChildWatch::Seen ChildWatch::Next(std::string* bytes) {
  int wait = glance_ms_;
  if (timeout_seconds_ > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()).count();
    if (left <= 0) return Seen::kSilent;
    if (left < wait) wait = static_cast<int>(left);
  }
  bool closed = false;
  *bytes = child_.Read(wait, &closed);  // the last bytes before a close count too
  if (closed) return Seen::kClosed;
  if (!bytes->empty()) SignOfLife();
  return Seen::kOutput;
}

std::string NoAnswerText(int timeout_seconds, const std::string& where) {
  return "no answer within " + std::to_string(timeout_seconds) + " s" + (where.empty() ? "" : " " + where) + " (hung)";
}

}  // namespace host
