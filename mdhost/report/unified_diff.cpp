#include "mdhost/report/unified_diff.h"

#include <algorithm>
#include <vector>

namespace host {
namespace {

// Lines with their ends (LF, CR LF, or none for the last).
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    end = end == std::string::npos ? text.size() : end + 1;
    lines.push_back(text.substr(at, end - at));
    at = end;
  }
  return lines;
}

enum class Op { kSame, kRemoved, kAdded };
struct Step {
  Op op;
  std::size_t line;  // in `a` for kSame and kRemoved, in `b` for kAdded
};

// Myers' shortest edit script: O((N + M) D), and a fix changes few lines.
std::vector<Step> EditScript(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  const long n = static_cast<long>(a.size()), m = static_cast<long>(b.size()), max = n + m;
  std::vector<long> v(2 * static_cast<std::size_t>(max) + 2, 0);
  std::vector<std::vector<long>> trace;
  const auto at = [&](long k) -> long& { return v[static_cast<std::size_t>(k + max + 1)]; };
  long found = -1;
  for (long d = 0; d <= max && found < 0; ++d) {
    trace.push_back(v);
    for (long k = -d; k <= d; k += 2) {
      long x = (k == -d || (k != d && at(k - 1) < at(k + 1))) ? at(k + 1) : at(k - 1) + 1;
      long y = x - k;
      while (x < n && y < m && a[static_cast<std::size_t>(x)] == b[static_cast<std::size_t>(y)]) ++x, ++y;
      at(k) = x;
      if (x >= n && y >= m) {
        found = d;
        break;
      }
    }
  }
  // Back from the end through the saved rounds.
  std::vector<Step> steps;
  long x = n, y = m;
  for (long d = found; d > 0; --d) {
    v = trace[static_cast<std::size_t>(d)];
    const long k = x - y;
    const bool down = k == -d || (k != d && at(k - 1) < at(k + 1));
    const long previous_k = down ? k + 1 : k - 1;
    const long previous_x = at(previous_k), previous_y = previous_x - previous_k;
    while (x > previous_x && y > previous_y) steps.push_back({Op::kSame, static_cast<std::size_t>(--x)}), --y;
    if (down)
      steps.push_back({Op::kAdded, static_cast<std::size_t>(--y)});
    else
      steps.push_back({Op::kRemoved, static_cast<std::size_t>(--x)});
  }
  while (x > 0) steps.push_back({Op::kSame, static_cast<std::size_t>(--x)}), --y;
  std::reverse(steps.begin(), steps.end());
  return steps;
}

// A line as the diff carries it: its bytes, and the word patch needs where
// the file ends without a line end.
std::string Carried(char mark, const std::string& line) {
  std::string out = mark + line;
  if (line.empty() || line.back() != '\n') out += "\n\\ No newline at end of file\n";
  return out;
}

// "-3,2" / "+3,0": where a hunk's side starts and how many lines it has
// (an empty side names the line before it, as diff does).
std::string Range(char sign, std::size_t start, std::size_t count) {
  return std::string(1, sign) + std::to_string(count == 0 ? start : start + 1) + "," + std::to_string(count);
}

}  // namespace

std::string UnifiedDiff(const std::string& name, const std::string& before, const std::string& after, int context) {
  if (before == after) return "";
  const std::vector<std::string> a = Lines(before), b = Lines(after);
  const std::vector<Step> steps = EditScript(a, b);
  const std::size_t reach = static_cast<std::size_t>(std::max(context, 0));
  std::string diff = "--- a/" + name + "\n+++ b/" + name + "\n";
  std::size_t i = 0;
  while (i < steps.size()) {
    if (steps[i].op == Op::kSame) {
      ++i;
      continue;
    }
    // A hunk: `reach` lines of context before this change and after the
    // last one that follows with at most 2 * reach unchanged lines between.
    const std::size_t first = i >= reach ? i - reach : 0;
    std::size_t last = i;
    for (std::size_t j = i + 1; j < steps.size(); ++j) {
      if (steps[j].op == Op::kSame) continue;
      if (j - last - 1 > 2 * reach) break;
      last = j;
    }
    const std::size_t end = std::min(steps.size(), last + reach + 1);
    // Where each side starts: lines of a and b before the hunk.
    std::size_t old_start = 0, new_start = 0;
    for (std::size_t j = 0; j < first; ++j) {
      if (steps[j].op != Op::kAdded) ++old_start;
      if (steps[j].op != Op::kRemoved) ++new_start;
    }
    std::size_t old_count = 0, new_count = 0;
    std::string body;
    for (std::size_t j = first; j < end; ++j) {
      const Step& s = steps[j];
      if (s.op == Op::kSame) {
        body += Carried(' ', a[s.line]);
        ++old_count, ++new_count;
      } else if (s.op == Op::kRemoved) {
        body += Carried('-', a[s.line]);
        ++old_count;
      } else {
        body += Carried('+', b[s.line]);
        ++new_count;
      }
    }
    diff += "@@ " + Range('-', old_start, old_count) + " " + Range('+', new_start, new_count) + " @@\n" + body;
    i = end;
  }
  return diff;
}

}  // namespace host
