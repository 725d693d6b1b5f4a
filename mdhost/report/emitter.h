// One output format, each in a file of its own: whatever a command has to
// show (reports as they come and all of them at the end, a diff, or doc's
// page) goes to the emitter the command line chose (formats.h). A format
// writes what it can and leaves the rest: text shows each report as it
// comes, the formats for programs write one document at the end.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "mdhost/contract/changes.h"
#include "mdhost/contract/plugin_report.h"
#include "mdhost/report/doc_page.h"
#include "mdhost/report/output.h"

namespace host {

// How a command lays its reports out as text.
enum class Listing { kCheck, kScan, kInfo };

struct OutputOptions {
  Listing listing = Listing::kCheck;
  bool strict = false;   // WARN fails as FAIL does
  bool quiet = false;    // check: only WARN and FAIL lines and the verdicts
  bool verbose = false;  // scan: the other modules listed too
  // The repository's folder (--root, or the working folder): SARIF's and
  // GitHub's paths are relative to it where they lie below it.
  std::string root = ".";
  Writer* out = nullptr;  // where it writes; null: mdhost's standard output
};

inline Writer& WriterOf(const OutputOptions& options) {
  return options.out != nullptr ? *options.out : StandardOutput();
}

// Everything a command found, once all is in.
struct ReportSet {
  std::vector<PluginReport> reports;  // in the order named or found
  // check: the reports of plugins examined (the others are files that could
  // not be used, which the command has complained of already).
  std::vector<std::size_t> examined;
  // scan: the files left alone and the modules that are no plugins, each
  // with why; how many other files; the folder (UTF-8); and where each
  // report's findings that compare it with other plugins begin.
  std::vector<Skipped> skipped, helpers;
  std::size_t other_files = 0;
  std::string folder;
  std::vector<std::size_t> side_by_side_from;
  // About the author's own files, not a plugin: [[ignore]] entries that
  // matched nothing, baseline entries no longer found (NOTEs, placed there).
  std::vector<Finding> notes;
};

class Emitter {
 public:
  virtual ~Emitter() = default;
  virtual void Begin() {}
  // Each report once it and those before it are complete.
  virtual void Report(const PluginReport& report) { (void)report; }
  // A finding that came after its report went out (work the plugin left
  // behind crashed the process later): `report` holds it now.
  virtual void Late(const PluginReport& report, const Finding& finding) {
    (void)report;
    (void)finding;
  }
  virtual void Reports(const ReportSet& set) { (void)set; }
  virtual void Diff(const DiffResult& result) { (void)result; }
  // doc's page, whole.
  virtual std::string Page(const PluginPage& page) {
    (void)page;
    return "";
  }
};

}  // namespace host
