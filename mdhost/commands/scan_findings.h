// What scan finds beyond each plugin's own report: files named like plugin
// modules that are none, and what plugins below one folder do to each other
// in one host.
#pragma once

#include <string>
#include <vector>

#include "mdhost/contract/plugin_report.h"

namespace host {

// Why a file that is named like a plugin module is no module at all, or "".
std::string WhyNotAModule(const std::string& path);

// Two plugins of one name (MD601), or actions in one table (MD602), where
// the last registered wins: one WARN per clash, on the later plugin, naming
// those before it.
void CheckNeighbours(std::vector<PluginReport>& reports);

}  // namespace host
