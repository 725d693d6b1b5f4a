// What changed between two versions of a plugin's action document, told as a
// script author meets it: a change that can make a script written for the
// old version fail is breaking; one that cannot is compatible; changes of
// the plugin's own texts are notes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mdhost/contract/changes.h"
#include "mdhost/contract/plugin_report.h"

namespace host {

// The changes, breaking first, then compatible, then notes; within each,
// by action in the documents' order. Each side is a report whose actions
// could be had.
std::vector<Change> CompareActions(const PluginReport& old_side, const PluginReport& new_side);

// A getter's text in UTF-8, where the report has it.
std::optional<std::string> Utf8Text(const PluginReport& report, const char* getter);
// The SDK version the host sees: 1 for an SDK1 plugin; none where unknown.
std::optional<int32_t> SdkOf(const PluginReport& report);

// The release the new side is (stated, or judged from the version texts)
// against the one the changes need.
VersionVerdict JudgeVersions(const PluginReport& old_side, const PluginReport& new_side, bool breaks,
                             const std::string& stated_release);

}  // namespace host
