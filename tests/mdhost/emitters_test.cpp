// Every output format over one fixed set of reports, rendered in process
// and held to its accepted file in tests/mdhost/emitters/ (MD_ACCEPT=1
// writes them instead, for review, as tools/accept-outputs.sh does).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "mdhost/report/formats.h"
#include "support/test_paths.h"

namespace {

host::Finding Made(const char* rule, host::Severity severity, std::string text, host::Subject subject = {}) {
  host::Finding finding{rule, severity, std::move(text)};
  finding.subject = std::move(subject);
  finding.rule_severity = severity;
  return finding;
}

// One plugin read with findings of every severity, places, characters that
// each format must escape, a suppressed finding and what it printed; one
// that could not be read; one clean; and a note about the author's files.
host::ReportSet Reports() {
  host::ReportSet set;
  host::PluginReport busy;
  busy.path = "plugins/odd,name%.lmd";
  busy.texts = {{"irPlg_GetPluginName", "Busy\x1b[2J"}, {"irPlg_GetPluginVersion", "1.0"}};
  busy.sdk_known = true;
  busy.sdk_version = 2;
  busy.actions = std::vector<std::string>{"Busy.Go"};
  busy.findings.push_back(Made("MD106", host::Severity::kPass, "irPlg_GetPluginName: follows the protocol (4 bytes)",
                               host::ExportSubject("irPlg_GetPluginName")));
  busy.findings.push_back(Made("MD305", host::Severity::kNote, "unknown element <Colour>"));
  host::Subject place = host::ElementSubject("/ActionTemplates/Action[1]/Arguments/Arg[1]/Type", {3, 17});
  place.file = "src/actions.xml";
  place.action = "Busy.Go";
  place.argument = "Count";
  busy.findings.push_back(Made("MD310", host::Severity::kWarn, "\"numbr\": did you mean \"number\"?", place));
  host::Finding chosen = Made("MD313", host::Severity::kFail, "no Description, 100% sure, a,b");
  chosen.rule_severity = host::Severity::kWarn;
  chosen.set_by = "--deny";
  chosen.set_by_option = true;
  busy.findings.push_back(chosen);
  busy.findings.push_back(Made("MD105", host::Severity::kFail,
                               "a long text: " + std::string(300, 'x') + "\r\nwith a CR LF, a lone \r and a bell \a"));
  busy.suppressed.push_back(
      {Made("MD308", host::Severity::kWarn, "argument Count named twice"), "kept for 1.x", "mdhost.toml:7"});
  busy.output = "printed line\r\n::error::forged\n";
  host::PluginReport broken;
  broken.path = "plugins/broken.lmd";
  broken.error_rule = "MD001";
  broken.error = "cannot be loaded: helper.dll is missing";
  host::PluginReport clean;
  // A name a link or an editor could misread: a line break, a scheme-like
  // first segment, a backslash that is part of the name here.
  clean.path = "https:plugins/clean\\one\n:: forged.lmd";
  clean.texts = {{"irPlg_GetPluginName", "Clean"}};
  clean.findings.push_back(Made("MD106", host::Severity::kPass, "follows the protocol"));
  set.reports = {busy, broken, clean};
  set.examined = {0, 1, 2};
  set.side_by_side_from = {busy.findings.size(), broken.findings.size(), clean.findings.size()};
  host::Subject note_place;
  note_place.file = "mdhost.toml";
  note_place.place = {12, 1};
  set.notes.push_back(
      Made("MD310", host::Severity::kNote, "[[ignore]] entry matched no finding: remove it", note_place));
  return set;
}

// From a folder every machine has, so that the absolute paths SARIF writes
// (its root) read alike everywhere.
class InFixedFolder {
 public:
  InFixedFolder() {
    if (getcwd(before_, sizeof before_) == nullptr) before_[0] = '\0';
    EXPECT_EQ(0, chdir("/tmp"));
  }
  ~InFixedFolder() {
    if (before_[0] != '\0') EXPECT_EQ(0, chdir(before_));
  }

 private:
  char before_[4096];
};

std::string Rendered(const char* format, host::Listing listing, bool quiet = false, bool strict = false) {
  const InFixedFolder fixed;
  host::TextWriter writer;
  host::OutputOptions options;
  options.listing = listing;
  options.quiet = quiet;
  options.strict = strict;
  options.out = &writer;
  host::ReportSet set = Reports();
  const std::unique_ptr<host::Emitter> emitter = host::FindFormat(format, host::kForReports)->make(options);
  emitter->Begin();
  for (const host::PluginReport& report : set.reports) emitter->Report(report);
  // Work the first plugin left crashed the worker after its report went out.
  host::Finding late = host::Found("MD502", "leaves a thread running after it is released, which crashed the process");
  late.crashed = true;
  std::vector<host::Finding>& first = set.reports[0].findings;
  std::size_t at = first.size();  // before the findings scan compares plugins by, as scan has it
  if (!set.side_by_side_from.empty()) at = set.side_by_side_from[0]++;
  first.insert(first.begin() + static_cast<std::ptrdiff_t>(at), late);
  emitter->Late(set.reports[0], first[at]);
  emitter->Reports(set);
  return writer.text;
}

// The program's own folder (SARIF links the pages beside mdhost) as {bin}.
std::string Masked(std::string text) {
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return text;
  std::string folder(self, static_cast<std::size_t>(length));
  folder = "file://" + folder.substr(0, folder.rfind('/'));
  for (std::size_t at = text.find(folder); at != std::string::npos; at = text.find(folder, at))
    text.replace(at, folder.size(), "{bin}");
  return text;
}

void ExpectAccepted(const std::string& name, const std::string& rendered) {
  const std::string actual = Masked(rendered);
  const std::string path = testing_paths::SourcePath("tests/mdhost/emitters/" + name + ".txt");
  const char* accept = std::getenv("MD_ACCEPT");
  if (accept != nullptr && std::string(accept) == "1") {
    std::ofstream(path, std::ios::binary) << actual;
    return;
  }
  EXPECT_EQ(testing_paths::ReadFile(path), actual) << name << ": accept after review with MD_ACCEPT=1";
}

TEST(Emitters, EachFormatRendersTheFixedReportsAsAccepted) {
  ExpectAccepted("text_check", Rendered("text", host::Listing::kCheck));
  ExpectAccepted("text_check_quiet_strict", Rendered("text", host::Listing::kCheck, true, true));
  ExpectAccepted("text_scan", Rendered("text", host::Listing::kScan));
  ExpectAccepted("text_info", Rendered("text", host::Listing::kInfo));
  ExpectAccepted("json", Rendered("json", host::Listing::kCheck));
  ExpectAccepted("sarif", Rendered("sarif", host::Listing::kCheck));
  ExpectAccepted("github", Rendered("github", host::Listing::kCheck));
}

// Every format a command's --help names writes through the writer it is
// given, never around it.
TEST(Emitters, NothingIsWrittenAroundTheWriter) {
  for (const host::Format& format : host::Formats()) {
    if ((format.uses & host::kForReports) == 0) continue;
    EXPECT_FALSE(Rendered(format.name, host::Listing::kCheck).empty()) << format.name;
  }
}

}  // namespace
