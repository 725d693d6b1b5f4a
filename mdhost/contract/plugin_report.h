// What mdhost learns about one plugin module: one value per plugin, filled
// once by the examination (in the worker that examines it), sent to the
// parent through one codec (report_codec.h) and rendered by every command as
// text or JSON. A new fact is a member here and a row in the table of
// fields (report_fields.h), which the codec and the JSON go through, and a
// row in docs/json.md.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "mdhost/contract/actions.h"
#include "mdhost/contract/finding.h"

namespace host {

// A finding an author accepted ([[ignore]] in mdhost.toml, or a baseline):
// not counted, listed apart with why.
struct Suppression {
  Finding finding;
  std::string reason;        // as the author wrote it; "" for none
  std::string by;            // "C:\\p\\mdhost.toml:12", or the baseline's file
  bool by_baseline = false;  // the baseline accepted it (an [[ignore]] entry otherwise)
};

struct PluginReport {
  std::string path;
  std::string error;       // why the module could not be read or examined (UTF-8); "" when it could
  std::string error_rule;  // the rule the error is about
  // The texts by getter export name, as the plugin gave them (ANSI bytes); a
  // getter that is not exported or could not be read has no entry.
  std::map<std::string, std::string> texts;
  bool sdk_known = false;              // irPlg_GetSDKVersion was looked for
  std::optional<int32_t> sdk_version;  // its answer; none (when known) for an SDK1 plugin
  // The action names its document gives, and each action as the host shows
  // it; none when the document could not be read. Why the actions cannot be
  // compared or shown: the document unread, or of another kind.
  std::optional<std::vector<std::string>> actions;
  std::vector<ActionSpec> action_specs;
  // What the document's Extended section says of the plugin itself (Name,
  // Description, Version1..., Author, Email, Web, Copyright, Requirements),
  // in document order, texts as written (UTF-8).
  std::vector<EasyModeEntry> plugin_details;
  std::optional<Finding> actions_failure;
  std::string file_version, product_version;  // from the version resource; "" where absent
  std::vector<Finding> findings;
  std::vector<Suppression> suppressed;  // worked out where the report is read
  std::string output;                   // what the plugin printed (ANSI bytes), captured where the report is read
  // How far the worker's capture file reached when this report was done
  // (none: not said): the parent shows what was printed up to there, so a
  // worker that runs ahead does not hand the next plugin's output to this one.
  std::optional<std::uint64_t> printed_upto;
  std::map<std::string, double> figures;

  int Count(Severity severity) const;
  int Failures() const;  // FAIL findings, and the error
  bool Passed(bool strict) const { return Failures() == 0 && (!strict || Count(Severity::kWarn) == 0); }
  bool HasFinding(const char* rule) const;
  const std::string* Text(const std::string& getter) const;
  // Why its actions cannot be had (the error, or what stopped the document),
  // as check says it; none when they can.
  std::optional<Finding> WhyNoActions() const;
  // The findings as the outputs for programs list them: the error first, as
  // a FAIL, so that their lists agree with the counts (Failures()).
  std::vector<Finding> Listed() const;
  // A read tells only what fails or warns: PASS and NOTE findings go.
  void KeepProblemsOnly();
  // The findings with a place in the order an editor lists them (by file,
  // line and column), each in a slot a placed finding held: the others stay
  // where the steps that made them put them.
  void OrderByPlace();
};

}  // namespace host
