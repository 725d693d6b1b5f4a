// How much a finding matters in the host, and every word for it, named once:
// its name in the outputs, its letter on the worker's pipe, its level in
// SARIF, its command in GitHub's annotations, the level in mdhost.toml that
// keeps a rule at it.
#pragma once

#include <optional>
#include <string>

namespace host {

// PASS and NOTE inform; WARN works in the host but harms or is fragile; FAIL
// breaks in the host.
enum class Severity { kPass, kNote, kWarn, kFail };

struct SeverityWords {
  Severity severity;
  const char* name;            // "FAIL"
  char tag;                    // 'F', on the worker's pipe
  const char* sarif_level;     // "error"
  const char* github_command;  // "error"; null: no annotation (a pass)
  const char* rule_level;      // "deny", as mdhost.toml sets a rule to it
};

const SeverityWords& WordsOf(Severity severity);
inline const char* SeverityName(Severity severity) { return WordsOf(severity).name; }
// The severity of a name ("WARN") or a pipe's letter ('W'); none for another.
std::optional<Severity> SeverityNamed(const std::string& name);
std::optional<Severity> SeverityTagged(char tag);

}  // namespace host
