// The report's fields, declared once: each with the member of PluginReport
// it carries, its tag on the worker's pipe (report_codec.h), the keys it
// gives a plugin's JSON record (docs/json.md has a row for each, which a
// test holds to this table), and how it is written and read each way. A new
// fact about a plugin is a member, a row here, and the place it is learned.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "mdhost/contract/plugin_report.h"
#include "mdhost/contract/report_codec.h"

namespace host {

// What a JSON writer needs beyond the report: how a plugin's text (ANSI)
// becomes UTF-8, and whether WARN fails.
struct JsonContext {
  std::string (*utf8)(const std::string& ansi);
  bool strict;
};

struct ReportField {
  const char* member;     // "sdk_known, sdk_version", as PluginReport names them
  char tag;               // of its records on the pipe; 0: worked out where the report is read
  const char* json_keys;  // the keys it gives a plugin's JSON record, space-separated; "" for none
  // Writes its records (none for a field not set); reads one of them (false
  // for a malformed one).
  void (*encode)(const PluginReport& report, std::string* out);
  bool (*decode)(PluginReport* report, const Record& record);
  void (*json)(const PluginReport& report, const JsonContext& context, nlohmann::json* record);
};

const std::vector<ReportField>& ReportFields();

// A finding as JSON: rule, severity, its sentence; its subject (exports,
// action, argument, element) where it has one; file, line and column where
// it has a place; where an author chose its severity, the rule's own and who
// chose.
nlohmann::json FindingJson(const Finding& finding, std::string (*utf8)(const std::string& ansi));

}  // namespace host
