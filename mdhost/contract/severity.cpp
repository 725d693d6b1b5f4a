#include "mdhost/contract/severity.h"

namespace host {
namespace {

constexpr SeverityWords kWords[] = {
    {Severity::kPass, "PASS", 'P', "none", nullptr, "allow"},
    {Severity::kNote, "NOTE", 'N', "note", "notice", "allow"},
    {Severity::kWarn, "WARN", 'W', "warning", "warning", "warn"},
    {Severity::kFail, "FAIL", 'F', "error", "error", "deny"},
};

}  // namespace

const SeverityWords& WordsOf(Severity severity) { return kWords[static_cast<int>(severity)]; }

std::optional<Severity> SeverityNamed(const std::string& name) {
  for (const SeverityWords& words : kWords)
    if (name == words.name) return words.severity;
  return std::nullopt;
}

std::optional<Severity> SeverityTagged(char tag) {
  for (const SeverityWords& words : kWords)
    if (tag == words.tag) return words.severity;
  return std::nullopt;
}

}  // namespace host
