// What the stand-in host does with one plugin module, in whichever process
// runs it (see examiner.h).
#pragma once

#include <string>

#include "mdhost/report/plugin_report.h"

namespace host {

enum class Examination {
  kRead,  // its five texts and its SDK version, as the host reads them
  kCheck  // its conformance to the host's contract, finding by finding
};

// `load_cycles`: how many load-and-release cycles a check measures for the
// memory the plugin keeps per load (0: none).
void Examine(Examination what, const std::string& path, int load_cycles, ReportSink& sink);

// Parts of a check, each telling `sink` what it finds.
class LoadedModule;
std::string CheckGetter(ReportSink& sink, const LoadedModule& module, const char* getter);
void CheckRegistration(ReportSink& sink, const LoadedModule& module, const std::vector<std::string>& actions);
void MeasureKeptPerLoad(ReportSink& sink, const std::string& path, int cycles);

}  // namespace host
