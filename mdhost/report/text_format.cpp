// The text people read: check's sections (a plugin, its findings, its
// verdict), scan's table, info's fields and the diff's lines, each shown as
// soon as it is complete, so that a plugin that ends mdhost's own process
// (--in-process) leaves what came before it printed.
#include <memory>

#include "mdhost/contract/plugin_texts.h"
#include "mdhost/report/emitter.h"
#include "mdhost/report/output.h"

namespace host {
namespace {

// ---- check ----------------------------------------------------------------

void CheckSection(Writer& out, const PluginReport& report, const OutputOptions& options) {
  out.Write("Checking " + Escaped(AnsiToUtf8(report.path)) + "\n" + PrintedLines(report.output, "  "));
  for (const Finding& finding : report.findings)
    if (!options.quiet || finding.IsProblem()) out.Write(FindingLine(finding) + "\n");
  if (!report.error.empty()) out.Write(ErrorLine(report) + "\n");
  out.Write(VerdictLine(report, options.strict) + "\n");
}

void CheckEnd(Writer& out, const ReportSet& set, const OutputOptions& options) {
  std::vector<PluginReport> examined;
  for (std::size_t place : set.examined) examined.push_back(set.reports[place]);
  if (examined.size() > 1) out.Write(SummaryLine(examined, options.strict) + "\n");
  if (const std::string explain = ExplainLine(examined); !explain.empty()) out.Write(explain + "\n");
}

// ---- scan -------------------------------------------------------------------

std::string Cell(const std::string& utf8, std::size_t width) {
  std::string cell = Escaped(utf8.substr(0, utf8.find_first_of("\r\n")));
  if (cell.size() > width) cell = cell.substr(0, width - 3) + "...";
  // Pad by characters, not bytes, so that UTF-8 texts line up.
  std::size_t characters = 0;
  for (unsigned char c : cell) characters += (c & 0xC0) != 0x80;
  return cell + std::string(characters < width ? width - characters : 0, ' ');
}

void Row(Writer& out, const std::string& name, const std::string& version, const std::string& lua,
         const std::string& sdk, const std::string& path) {
  out.Write(Cell(name, 28) + " " + Cell(version, 12) + " " + Cell(lua, 10) + " " + Cell(sdk, 4) + " " + path + "\n");
}

std::string TextOr(const PluginReport& report, const char* getter) {
  const std::string* text = report.Text(getter);
  return text ? AnsiToUtf8(*text) : "-";
}

std::string SdkCell(const PluginReport& report) {
  if (!report.sdk_known) return "?";
  return report.sdk_version ? "SDK" + std::to_string(*report.sdk_version) : "SDK1";
}

// One plugin's row, with its error and its WARN and FAIL findings below it.
void ScanRow(Writer& out, const PluginReport& report) {
  Row(out, TextOr(report, kNameGetter), TextOr(report, kVersionGetter), TextOr(report, kLuaVersionGetter),
      SdkCell(report), Escaped(AnsiToUtf8(report.path)));
  if (!report.error.empty()) out.Write("    " + ErrorLine(report) + "\n");
  for (const Finding& finding : report.findings)
    out.Write("    " + FindingLine(finding) + "\n");  // a read's: WARN, FAIL
  out.Write(PrintedLines(report.output, "    "));
}

void ScanEnd(Writer& out, const ReportSet& set, const OutputOptions& options) {
  // What plugins do to each other, each line naming the plugin it is about.
  for (std::size_t i = 0; i < set.reports.size(); ++i)
    for (std::size_t f = set.side_by_side_from[i]; f < set.reports[i].findings.size(); ++f)
      out.Write(Escaped(AnsiToUtf8(set.reports[i].path)) + ": " + FindingLine(set.reports[i].findings[f]) + "\n");
  for (const Skipped& s : set.skipped) out.Write("skipped " + Escaped(s.path) + ": " + s.reason + "\n");
  if (options.verbose)  // modules that are no plugins: the helpers plugins import
    for (const Skipped& s : set.helpers) out.Write("helper " + Escaped(s.path) + ": " + s.reason + "\n");
  if (set.reports.empty()) out.Write("no plugin modules below " + Escaped(set.folder) + "\n");
  int failed = 0;
  for (const PluginReport& report : set.reports) failed += !report.Passed(options.strict);
  const auto count = [](std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
  };
  out.Write(count(set.reports.size(), "plugin module", "plugin modules") + ", " + std::to_string(failed) +
            " could not be read or failed; " + std::to_string(set.skipped.size()) + " skipped, " +
            count(set.helpers.size(), "other module", "other modules") + ", " +
            count(set.other_files, "other file", "other files") + "\n");
  if (const std::string explain = ExplainLine(set.reports); !explain.empty()) out.Write(explain + "\n");
}

// ---- info -------------------------------------------------------------------

// Multi-line texts start on a line of their own, so they read as they are.
void Field(Writer& out, const char* label, const std::string& ansi) {
  const bool lines = ansi.find('\n') != std::string::npos;
  out.Write(std::string(label) + (lines ? ":\n" : ": "));
  out.Write(Escaped(AnsiToUtf8(ansi), true));
  out.Write("\n");
}

void InfoFields(Writer& out, const PluginReport& report) {
  out.Write(PrintedLines(report.output, ""));
  if (!report.error.empty()) {
    out.Write(Escaped(AnsiToUtf8(report.path)) + ": " + ErrorLine(report) + "\n");  // as check and diff say it
    return;
  }
  for (const PluginText& text : kPluginTexts) {
    if (const std::string* value = report.Text(text.getter))
      Field(out, text.label, *value);
    else
      out.Write(std::string(text.label) + ": (" + text.getter + " not exported or unreadable)\n");
  }
  if (!report.sdk_known)
    out.Write("SDK version: unknown\n");
  else if (report.sdk_version)
    out.Write("SDK version: " + std::to_string(*report.sdk_version) + "\n");
  else
    out.Write("SDK version: 1 (no irPlg_GetSDKVersion export: an SDK1 plugin)\n");
  if (report.actions) {
    out.Write("Actions: " + std::to_string(report.actions->size()) + "\n");
    for (const std::string& action : *report.actions)
      out.Write("  " + Escaped(action) + "\n");  // UTF-8 from the parser
  } else {
    out.Write("Actions: unknown (the action XML could not be read; the finding below says why)\n");
  }
  for (const Finding& finding : report.findings) out.Write(FindingLine(finding) + "\n");
}

// ---- diff -------------------------------------------------------------------

void DiffLines(Writer& out, const DiffResult& result) {
  if (!result.Compared()) {  // as check reports a plugin that cannot be read
    for (const PluginReport* side : {&result.old_side, &result.new_side})
      if (const std::optional<Finding> failure = side->WhyNoActions())
        out.Write(PluginFindingLine(side->path, *failure) + "\n");
    return;
  }
  out.Write("Comparing " + Escaped(AnsiToUtf8(result.old_side.path)) + " with " +
            Escaped(AnsiToUtf8(result.new_side.path)) + "\n");
  for (const Change& c : result.changes) {
    const std::string name = ChangeClassName(c.what);
    out.Write(PaddedTo(name, 12) + Escaped((c.action.empty() ? "" : c.action + ": ") + c.text) + "\n");
  }
  const int compatible = result.Count(ChangeClass::kCompatible), notes = result.Count(ChangeClass::kNote);
  out.Write(std::to_string(result.Count(ChangeClass::kBreaking)) + " breaking, " + std::to_string(compatible) +
            " compatible change" + (compatible == 1 ? "" : "s") +
            (notes ? ", " + std::to_string(notes) + " note" + (notes == 1 ? "" : "s") : "") + "\n");
  out.Write(VersionLine(result.versions) + "\n");
}

// What the author's own files hold that took nothing: a NOTE each, on its line.
void Notes(Writer& out, const ReportSet& set) {
  for (const Finding& note : set.notes) out.Write(FindingLine(note) + "\n");
}

class TextEmitter : public Emitter {
 public:
  explicit TextEmitter(const OutputOptions& options) : options_(options), out_(WriterOf(options)) {}

  void Begin() override {
    if (options_.listing == Listing::kScan) Row(out_, "NAME", "VERSION", "LUA", "SDK", "PATH");
  }
  void Report(const PluginReport& report) override {
    switch (options_.listing) {
      case Listing::kCheck: CheckSection(out_, report, options_); break;
      case Listing::kScan: ScanRow(out_, report); break;
      case Listing::kInfo: InfoFields(out_, report); break;
    }
  }
  void Late(const PluginReport& report, const Finding& finding) override {
    out_.Write(Escaped(AnsiToUtf8(report.path)) + ": " + FindingLine(finding) + " (seen after its report)\n");
  }
  void Reports(const ReportSet& set) override {
    Notes(out_, set);
    switch (options_.listing) {
      case Listing::kCheck: CheckEnd(out_, set, options_); break;
      case Listing::kScan: ScanEnd(out_, set, options_); break;
      case Listing::kInfo:
        if (const std::string explain = ExplainLine(set.reports); !explain.empty()) out_.Write(explain + "\n");
        break;
    }
  }
  void Diff(const DiffResult& result) override { DiffLines(out_, result); }

 private:
  OutputOptions options_;
  Writer& out_;
};

}  // namespace

std::unique_ptr<Emitter> MakeTextEmitter(const OutputOptions& options) {
  return std::make_unique<TextEmitter>(options);
}

}  // namespace host
