// One fact mdhost states about a plugin, with the rule it is held to and
// how much it matters in the host.
#pragma once

#include <string>

namespace host {

// PASS and NOTE inform; WARN works in the host but harms or is fragile; FAIL
// breaks in the host.
enum class Severity { kPass, kNote, kWarn, kFail };

// Where in the action document a finding is, 1-based; 0 where it has no
// place there.
struct Place {
  int line = 0;
  int column = 0;
};

struct Finding {
  std::string rule;  // a stable ID, "MD001"...; see docs/checks.md
  Severity severity;
  std::string text;  // UTF-8
  Place place = {};
  // Where an author set the severity instead of the rule's own (mdhost's
  // side only, after the examination): "--deny" or "C:\\p\\mdhost.toml:4";
  // "" for the rule's own, which `rule_severity` then holds.
  std::string set_by = {};
  Severity rule_severity = Severity::kPass;

  // What a read reports and what --strict and the verdicts weigh.
  bool IsProblem() const { return severity == Severity::kWarn || severity == Severity::kFail; }
};

}  // namespace host
