// What mdhost prints: reports as text or JSON on standard output,
// diagnostics on standard error. Plugin texts are ANSI; they are converted
// for the reader (UTF-8 into pipes and files, the console's encoding on a
// console). JSON output is UTF-8; docs/json.md describes it.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "mdhost/contract/changes.h"
#include "mdhost/contract/plugin_report.h"
#include "mdhost/system/system.h"

namespace host {

// Where an emitter writes (UTF-8): mdhost's own standard output, or text
// kept, as tests render each format in process.
class Writer {
 public:
  virtual ~Writer() = default;
  virtual void Write(const std::string& utf8) = 0;
};
Writer& StandardOutput();  // each piece out at once
Writer& StandardError();
class TextWriter final : public Writer {
 public:
  void Write(const std::string& utf8) override { text += utf8; }
  std::string text;
};

void Print(const std::string& utf8);  // StandardOutput().Write
// A plugin's text (ANSI) on the terminal: its line breaks and tabs kept,
// every other control character shown as \xNN, so that no plugin can move
// the cursor, clear the screen or ring the bell through mdhost.
void PrintAnsi(const std::string& ansi);

// `utf8` with its control characters (C0, DEL, C1) shown as \xNN; line
// breaks (LF, CR LF) and tabs too unless `keep_lines`; a lone CR always.
std::string Escaped(const std::string& utf8, bool keep_lines = false);
// `utf8` with every byte but URIs' unreserved characters (letters, digits,
// "-._~") and those of `also_plain` written %XX.
std::string PercentEncoded(const std::string& utf8, const char* also_plain);
// "mdhost: <message>" on standard error.
void Complain(const std::string& utf8);

// "FAIL  MD105 <text>": one finding as a line; the report's error likewise.
std::string FindingLine(const Finding& finding);
std::string ErrorLine(const PluginReport& report);
// A finding of a plugin said where no section names the plugin: after its
// path ("x.lmd: FAIL  MD107 ..."), unless it is placed in a file already
// ("actions.xml:3:20: FAIL  MD301 ...").
std::string PluginFindingLine(const std::string& path, const Finding& finding);

// What a plugin printed, marked as its own and escaped, each line after
// `indent` and "| " (never at the start of a line of mdhost's); "" for
// nothing printed.
std::string PrintedLines(const std::string& ansi, const std::string& indent);

// A file that was looked at and left alone, and why.
struct Skipped {
  std::string path;  // UTF-8
  std::string reason;
};

// "FAILED: 1 problem, 2 warnings": one plugin's verdict.
std::string VerdictLine(const PluginReport& report, bool strict);

// "3 plugins: 2 passed, 1 failed, 4 warnings"
std::string SummaryLine(const std::vector<PluginReport>& reports, bool strict);

// "Each rule's page: mdhost explain MD104 MD405 (CHECKS.md has every rule)":
// where the rules of the problems found are explained; "" when none.
std::string ExplainLine(const std::vector<PluginReport>& reports);

// "Version 1.4 -> 1.5 (a minor release); scripts break, which needs a major
// release: raise the version's first number": a diff's verdict on the release.
std::string VersionLine(const VersionVerdict& verdict);

void PrintJson(const nlohmann::json& value);

// The file as the repository names it (UTF-8): relative to `root` where it
// lies below it, absolute otherwise; forward slashes either way.
std::string RepositoryName(const std::string& path, const std::string& root);
// `text` followed by spaces up to `width` columns (bytes); a longer text as
// it is, never cut.
std::string PaddedTo(const std::string& text, std::size_t width);
// The repository the working folder lies in, as git finds it: the nearest
// folder upward holding .git (a folder, or a worktree's file), below any
// folder GIT_CEILING_DIRECTORIES names; "." (the working folder) for none.
std::string RepositoryRoot();
// The JSON as mdhost writes it: two spaces' indent, invalid UTF-8 replaced.
std::string JsonText(const nlohmann::json& value);

}  // namespace host
