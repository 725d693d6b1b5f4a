#include "mdhost/examine/document_file.h"

#include <fstream>
#include <sstream>

#include "mdhost/contract/plugin_texts.h"
#include "mdhost/contract/report_sink.h"
#include "mdhost/examine/pe_image.h"
#include "mdhost/system/system.h"

namespace host {
namespace {

std::optional<std::string> Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// XML's end-of-line handling: CR LF and a lone CR read as LF. Line ends
// after the last line are nothing to the parser, and a build may keep them
// or not: they go.
std::string Normalised(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

bool InDocument(const Finding& finding) { return finding.subject.place.line > 0 || !finding.subject.element.empty(); }

}  // namespace

bool IsActionDocumentFile(const std::string& path) {
  if (ReadModuleFile(path).kind != ModuleKind::kNotAModule) return false;
  std::ifstream in(path, std::ios::binary);
  char head[512];
  in.read(head, sizeof head);
  const std::string start(head, static_cast<std::size_t>(in.gcount()));
  std::size_t at = start.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  at = start.find_first_not_of(" \t\r\n", at);
  if (at != std::string::npos && start[at] == '<') return true;
  const std::size_t dot = path.find_last_of('.');
  std::string extension = dot == std::string::npos ? "" : path.substr(dot);
  for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return extension == ".xml" && path.find_first_of("\\/", dot) == std::string::npos;
}

PluginReport ExamineDocumentFile(const std::string& path, Examination what) {
  PluginReport report;
  report.path = path;
  ReportSink sink(&report);
  ReadDocumentInto(sink, Contents(path).value_or(""));
  for (Finding& finding : report.findings)
    if (InDocument(finding)) finding.subject.file = path;
  if (report.actions_failure && InDocument(*report.actions_failure)) report.actions_failure->subject.file = path;
  if (what == Examination::kRead) report.KeepProblemsOnly();
  return report;
}

std::optional<int> FirstDifferingLine(const std::string& a, const std::string& b) {
  const std::string x = Normalised(a), y = Normalised(b);
  if (x == y) return std::nullopt;
  int line = 1;
  for (std::size_t i = 0; i < x.size() && i < y.size() && x[i] == y[i]; ++i) line += x[i] == '\n';
  return line;
}

void PlaceOnSource(PluginReport* report, const std::string& source) {
  const std::string* built = report->Text(kActionXmlGetter);
  if (built == nullptr) return;  // no document read: nothing to place
  const Subject subject = ExportSubject(kActionXmlGetter);
  const std::optional<std::string> written = IsFile(source) ? Contents(source) : std::nullopt;
  if (!written) {
    ReportSink(report).Add(rule::kOtherSource,
                           "the source document " + AnsiToUtf8(source) +
                               " cannot be read; the findings are placed in the module's own document",
                           subject);
    return;
  }
  if (const std::optional<int> line = FirstDifferingLine(*built, *written)) {
    ReportSink(report).Add(rule::kOtherSource,
                           "the module's action document is not " + AnsiToUtf8(source) + ": they differ from line " +
                               std::to_string(*line) + " on, so the module was built from another document (build " +
                               "it again); its findings are placed in the module's own document",
                           subject);
    return;
  }
  for (Finding& finding : report->findings)
    if (InDocument(finding)) finding.subject.file = source;
  if (report->actions_failure && InDocument(*report->actions_failure)) report->actions_failure->subject.file = source;
}

}  // namespace host
