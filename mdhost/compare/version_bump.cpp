#include "mdhost/compare/version_bump.h"

#include <vector>

namespace host {
namespace {

constexpr const char* kNames[] = {"none", "patch", "minor", "major"};

// "1.10.2" as {1, 10, 2}; false for anything but digits between single dots.
bool DottedNumbers(const std::string& text, std::vector<unsigned long long>* parts) {
  std::size_t at = 0;
  for (;;) {
    std::size_t end = at;
    unsigned long long part = 0;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9' && end - at < 18)
      part = part * 10 + static_cast<unsigned long long>(text[end++] - '0');
    if (end == at) return false;
    parts->push_back(part);
    if (end == text.size()) return true;
    if (text[end] != '.') return false;
    at = end + 1;
  }
}

}  // namespace

const char* BumpName(Bump bump) { return kNames[static_cast<int>(bump)]; }

std::optional<Bump> BumpNamed(const std::string& name) {
  for (int i = 0; i < 4; ++i)
    if (name == kNames[i]) return static_cast<Bump>(i);
  return std::nullopt;
}

std::optional<Bump> BumpBetween(const std::string& old_version, const std::string& new_version) {
  std::vector<unsigned long long> was, now;
  if (!DottedNumbers(old_version, &was) || !DottedNumbers(new_version, &now)) return std::nullopt;
  const std::size_t parts = was.size() > now.size() ? was.size() : now.size();
  was.resize(parts), now.resize(parts);  // "1.0" is "1.0.0"
  for (std::size_t i = 0; i < parts; ++i) {
    if (now[i] < was[i]) return Bump::kNone;
    if (now[i] > was[i]) return i == 0 ? Bump::kMajor : i == 1 ? Bump::kMinor : Bump::kPatch;
  }
  return Bump::kNone;
}

}  // namespace host
