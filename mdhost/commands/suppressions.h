// The findings an author accepted, each by an entry that says why: an
// [[ignore]] entry of mdhost.toml, or a baseline (--baseline FILE) of the
// findings a project had when it began to hold to --strict. An accepted
// finding is not counted; it is listed apart (JSON's suppressed, SARIF's
// suppressions). A crash is never accepted.
#pragma once

#include <string>
#include <vector>

#include <map>
#include <optional>

#include "mdhost/commands/rule_config.h"
#include "mdhost/contract/plugin_report.h"
#include "mdhost/report/emitter.h"

namespace host {

// Whether `path` (forward slashes) matches `glob`: * any characters but '/',
// ** any characters, ? one; names compared as the system compares them.
bool GlobMatches(const std::string& glob, const std::string& path);

// Moves each finding `entry` matches from the report's findings to its
// suppressed; how many it moved.
int Ignore(const IgnoreEntry& entry, PluginReport* report);

// An element's path without positions ("/ActionTemplates/Action/Arguments/
// Arg/Type" of ".../Action[2]/Arguments/Arg[1]/Type"): what a baseline keeps,
// so that actions moved or reordered are still the same.
std::string ElementKind(const std::string& element);

// A finding as a baseline holds it: its rule, its plugin's file (relative
// to the baseline's folder, forward slashes) and its subject by name (the
// action, the argument, the element's kind); no line nor position, so that
// a finding whose line moved, or whose action moved, is still the same.
// Entries alike are counted: two accept two findings, not a third.
struct BaselineEntry {
  std::string rule, plugin, exports, action, argument, element;
  bool operator<(const BaselineEntry& other) const;
  bool operator==(const BaselineEntry& other) const { return !(*this < other) && !(other < *this); }
};

// The findings of `reports` that are problems (WARN, FAIL; no crash, no
// error) as the text of a baseline file in `folder` (JSON, one entry per
// finding, sorted; plugins named relative to the file's folder).
std::string BaselineText(const std::vector<PluginReport>& reports, const std::string& folder);

class Baseline {
 public:
  // Whether an entry not taken yet holds `finding` of `plugin`.
  bool Holds(const std::string& plugin, const Finding& finding) const;
  // False, and why, for a file that cannot be read or is no baseline.
  bool Read(const std::string& path, std::string* error);
  // Each finding the baseline holds (entry by entry: two alike take two) goes
  // to the report's suppressed.
  void Apply(PluginReport* report);
  // A NOTE for each entry no finding took: no longer found, so it can go.
  std::vector<Finding> Unused() const;

 private:
  // The first entry not taken yet that holds `finding` of `plugin`.
  std::optional<std::size_t> Untaken(const std::string& plugin, const Finding& finding) const;
  std::string path_;
  std::vector<BaselineEntry> entries_;
  std::vector<bool> taken_;
};

// What the author accepted, applied to each report as it is delivered
// (from one thread): the [[ignore]] entries of its project file, then the
// baseline (--baseline); and at the end, the baseline to write
// (--write-baseline, of what was found but ignored entries) and the NOTEs
// on entries that took nothing.
class Acceptance {
 public:
  Acceptance(const Invocation& call, RuleChoices& choices) : call_(call), choices_(choices) {}
  // Reads the baseline; false, and why, when it cannot be used.
  bool Ready(std::string* error);
  void Accept(PluginReport* report);
  // Whether the author's choices leave `finding` of `plugin` alone (a level
  // of allow, a global the project declares, an [[ignore]] entry, the
  // baseline), as Accept would, without counting it as taken. `specs`: the
  // actions of the document it is in.
  bool WouldAccept(const std::string& plugin, const Finding& finding, const std::vector<ActionSpec>& specs) const;
  // Writes the baseline asked for and adds the NOTEs to `set`; false, and
  // why, when the baseline cannot be written.
  bool Finish(ReportSet* set, std::string* error);

 private:
  const Invocation& call_;
  RuleChoices& choices_;
  std::optional<Baseline> baseline_;
  // For the baseline to write, by plugin: its findings but those ignored (a
  // report may come again, with the findings of plugins side by side).
  std::map<std::string, PluginReport> found_;
};

}  // namespace host
