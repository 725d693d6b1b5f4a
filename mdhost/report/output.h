// What the stand-in host prints: findings and texts on standard output,
// diagnostics on standard error. Plugin texts are ANSI; they are converted
// for the reader (UTF-8 into pipes and files, the console's encoding on a
// console). JSON output is UTF-8.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "mdhost/examine/pe_image.h"
#include "mdhost/system/system.h"
#include "mdhost/report/plugin_report.h"

namespace host {

void Print(const std::string& utf8);
void PrintAnsi(const std::string& ansi);
// "mdhost: <message>" on standard error.
void Complain(const std::string& utf8);

const char* SeverityName(Severity severity);  // "PASS", "FAIL", "NOTE"

// The report as JSON: path, the five texts (null where not exported), SDK
// version (null where not exported), actions, findings and figures where
// there are any, and error where the module could not be read.
nlohmann::json ReportJson(const PluginReport& report);
// The same with the version resource's strings.
nlohmann::json ModuleJson(const PluginReport& report, const ModuleImage& image);

void PrintJson(const nlohmann::json& value);

}  // namespace host
