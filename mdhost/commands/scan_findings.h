// What scan finds beyond each plugin's own report: files named like plugin
// modules that are none, and what plugins below one folder do to each other
// in one host.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "mdhost/contract/plugin_report.h"
#include "mdhost/examine/pe_image.h"

namespace host {

// Why a file that is named like a plugin module is no module at all, or "".
std::string WhyNotAModule(const std::string& path);

// A file the host would take for a plugin but cannot use, as check reports
// it: a .lmd file that is no 32-bit plugin (MD001 for no module or another
// machine's, MD002 for one without the name getter), or a module that
// exports the getters' names decorated (MD002). None for anything else.
std::optional<PluginReport> UnusableAsPlugin(const std::string& path, const ModuleImage& image);

// Two plugins of one name (MD601), or actions in one table (MD602), where
// the last registered wins: one WARN per clash, on the later plugin, naming
// those before it.
void CheckNeighbours(std::vector<PluginReport>& reports);
// Plugins without relocations whose fixed bases overlap another plugin's
// preferred addresses (MD603), by the module files alone: one finding or
// none for each of `paths`. CheckNeighbours adds them to scan's reports;
// check, to those of the modules it is given.
std::vector<std::optional<Finding>> FixedBaseFindings(const std::vector<std::string>& paths);
void CheckFixedBases(std::vector<PluginReport>& reports);

}  // namespace host
