// One fact mdhost states about a plugin, with the rule it is held to and
// how much it matters in the host.
#pragma once

#include <string>

namespace host {

// PASS and NOTE inform; WARN works in the host but harms or is fragile; FAIL
// breaks in the host.
enum class Severity { kPass, kNote, kWarn, kFail };

struct Finding {
  std::string rule;  // a stable ID, "MD001"...; see docs/checks.md
  Severity severity;
  std::string text;  // UTF-8

  // What a read reports and what --strict and the verdicts weigh.
  bool IsProblem() const { return severity == Severity::kWarn || severity == Severity::kFail; }
};

}  // namespace host
