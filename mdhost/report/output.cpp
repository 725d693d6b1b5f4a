#include "mdhost/report/output.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

#include <nlohmann/json.hpp>

#include "mdhost/system/system.h"

namespace host {

// Each piece goes out at once: a plugin that crashes mdhost's own process
// (--in-process) finds what was printed before it already printed.
namespace {
class OwnOutputWriter final : public Writer {
 public:
  void Write(const std::string& utf8) override {
    WriteUtf8(OwnOutput(), utf8);
    std::fflush(OwnOutput());
  }
};
}  // namespace

Writer& StandardOutput() {
  static OwnOutputWriter writer;
  return writer;
}

namespace {
class ErrorWriter final : public Writer {
 public:
  void Write(const std::string& utf8) override {
    std::fflush(OwnOutput());
    WriteUtf8(stderr, utf8);
  }
};
}  // namespace

Writer& StandardError() {
  static ErrorWriter writer;
  return writer;
}

void Print(const std::string& utf8) { StandardOutput().Write(utf8); }

std::string Escaped(const std::string& utf8, bool keep_lines) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    unsigned code = c;
    std::size_t width = 1;
    if (c == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) < 0xA0 &&
        static_cast<unsigned char>(utf8[i + 1]) >= 0x80) {
      code = static_cast<unsigned char>(utf8[i + 1]);  // U+0080..U+009F, the C1 controls
      width = 2;
    }
    const bool control = code < 0x20 || code == 0x7F || (width == 2);
    // Only LF and CR LF break a line: a lone CR would return to its start.
    const bool line_break = code == '\n' || (code == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n');
    if (!control || (keep_lines && (line_break || code == '\t'))) {
      out += utf8[i];
      continue;
    }
    out += "\\x";
    out += kDigits[code >> 4];
    out += kDigits[code & 15];
    i += width - 1;
  }
  return out;
}

std::string PercentEncoded(const std::string& utf8, const char* also_plain) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : utf8) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       (c != '\0' && std::strchr("-._~", c) != nullptr) || (c != '\0' && std::strchr(also_plain, c));
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kDigits[c >> 4];
      out += kDigits[c & 15];
    }
  }
  return out;
}

void PrintAnsi(const std::string& ansi) { Print(Escaped(AnsiToUtf8(ansi), true)); }

void Complain(const std::string& utf8) {
  std::fflush(OwnOutput());
  WriteUtf8(stderr, "mdhost: " + utf8 + "\n");
}

std::string FindingLine(const Finding& finding) {
  const Subject& s = finding.subject;
  const std::string place = s.file.empty() || s.place.line == 0
                                ? ""
                                : Escaped(AnsiToUtf8(s.file)) + ":" + std::to_string(s.place.line) + ":" +
                                      std::to_string(s.place.column) + ": ";
  return place + SeverityName(finding.severity) + "  " + finding.rule + " " + Escaped(FindingSentence(finding));
}

std::string PluginFindingLine(const std::string& path, const Finding& finding) {
  const bool placed = !finding.subject.file.empty() && finding.subject.place.line > 0;
  return (placed ? "" : Escaped(AnsiToUtf8(path)) + ": ") + FindingLine(finding);
}

std::string PrintedLines(const std::string& ansi, const std::string& indent) {
  if (ansi.empty()) return "";
  std::string out = indent + "the plugin printed:\n";
  std::size_t at = 0;
  while (at < ansi.size()) {
    std::size_t end = ansi.find('\n', at);
    if (end == std::string::npos) end = ansi.size();
    std::string line = ansi.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out += indent + "| " + Escaped(AnsiToUtf8(line)) + "\n";
    at = end + 1;
  }
  return out;
}

std::string ErrorLine(const PluginReport& report) {
  return FindingLine({report.error_rule, Severity::kFail, report.error});
}

std::string VerdictLine(const PluginReport& report, bool strict) {
  const int failures = report.Failures();
  const int warnings = report.Count(Severity::kWarn);
  std::string verdict = std::string(report.Passed(strict) ? "PASSED" : "FAILED") + ": " + std::to_string(failures) +
                        " problem" + (failures == 1 ? "" : "s");
  if (warnings) verdict += ", " + std::to_string(warnings) + " warning" + (warnings == 1 ? "" : "s");
  if (!report.suppressed.empty()) verdict += " (" + std::to_string(report.suppressed.size()) + " accepted)";
  return verdict;
}

std::string SummaryLine(const std::vector<PluginReport>& reports, bool strict) {
  int passed = 0, warnings = 0;
  for (const PluginReport& report : reports) {
    passed += report.Passed(strict);
    warnings += report.Count(Severity::kWarn);
  }
  const auto count = [](int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
  };
  return count(static_cast<int>(reports.size()), "plugin", "plugins") + ": " + std::to_string(passed) + " passed, " +
         std::to_string(static_cast<int>(reports.size()) - passed) + " failed, " +
         count(warnings, "warning", "warnings");
}

std::string ExplainLine(const std::vector<PluginReport>& reports) {
  std::set<std::string> rules;
  for (const PluginReport& report : reports) {
    for (const Finding& finding : report.Listed())
      if (finding.IsProblem()) rules.insert(finding.rule);
  }
  if (rules.empty()) return "";
  std::string line = "Each rule's page: mdhost explain";
  for (const std::string& rule : rules) line += " " + rule;
  return line + " (CHECKS.md has every rule)";
}

// "Version 1.4 -> 1.5 (a minor release); scripts break, which needs a major
// release: raise the version's first number"
std::string VersionLine(const VersionVerdict& v) {
  std::string line;
  if (v.old_version && v.new_version) {
    line = "Version " + Escaped(*v.old_version) + " -> " + Escaped(*v.new_version);
    if (!v.release_stated)
      line += v.release.empty()     ? " (no dotted numbers: no release can be told)"
              : v.release == "none" ? " (no release)"
                                    : " (a " + v.release + " release)";
  } else {
    line = "No version text on a document side";
  }
  if (v.release_stated) line += ", stated a " + v.release + " release";
  if (v.required != "major") return line + "; nothing breaks";
  if (v.ok) return line + "; scripts break, which a major release allows";
  line += "; scripts break, which needs a major release";
  if (v.release_stated) return line;
  return line + (v.release.empty() ? " (state it: --release-type major)" : ": raise the version's first number");
}

std::string JsonText(const nlohmann::json& value) {
  return value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

// The file as the repository names it: relative to the root where it lies
// below it, absolute otherwise; forward slashes either way.
std::string PaddedTo(const std::string& text, std::size_t width) {
  return text + std::string(text.size() < width ? width - text.size() : 0, ' ');
}

std::string RepositoryName(const std::string& path, const std::string& root) {
  std::string name = RelativeTo(root, path);
  if (name.empty()) name = AbsolutePath(path);
  for (char& c : name)
    if (c == '\\') c = '/';
  return AnsiToUtf8(name);
}

namespace {

// A folder's absolute name as the file system compares names.
std::string Compared(const std::string& folder) {
  std::string name = AbsolutePath(folder);
  while (name.size() > 1 && IsPathSeparator(name.back())) name.pop_back();
  for (char& c : name) {
    if (c == '\\' && IsPathSeparator(c)) c = '/';
    if (NamesIgnoreCase() && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return name;
}

}  // namespace

std::string RepositoryRoot() {
  std::vector<std::string> ceilings;
  if (const char* listed = std::getenv("GIT_CEILING_DIRECTORIES")) {
    const char separator = IsPathSeparator('\\') ? ';' : ':';  // as git splits it on each system
    std::string list = listed;
    for (std::size_t at = 0; at <= list.size();) {
      const std::size_t end = std::min(list.find(separator, at), list.size());
      if (end > at) ceilings.push_back(list.substr(at, end - at));
      at = end + 1;
    }
  }
  for (std::string folder = AbsolutePath(".");;) {
    for (const std::string& ceiling : ceilings)
      if (Compared(folder) == Compared(ceiling)) return ".";  // git looks in no ceiling, nor above
    if (Exists(folder + (folder.back() == '/' || folder.back() == '\\' ? "" : "/") + ".git")) return folder;
    const std::string parent = FolderOf(folder);
    if (parent == folder || parent == "." || parent.empty()) return ".";
    folder = parent;
  }
}

void PrintJson(const nlohmann::json& value) { Print(JsonText(value)); }

}  // namespace host
