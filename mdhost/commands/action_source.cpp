// A plugin module or an action document, read for the commands that work
// on a plugin's actions (diff, doc).
#include <cctype>
#include <fstream>
#include <sstream>

#include "mdhost/commands/commands.h"
#include "mdhost/examine/examination.h"
#include "mdhost/worker/examiner.h"

namespace host {

std::string ExtensionOf(const std::string& path) {
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || path.find_first_of("\\/", dot) != std::string::npos) return "";
  std::string extension = path.substr(dot);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}

PluginReport ReadActionSource(const std::string& path, Examiner& examiner) {
  if (ExtensionOf(path) != ".xml") return examiner.ExamineOne(Examination::kRead, path);
  // A document alone is read here: only a plugin's code needs a worker.
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  PluginReport report;
  report.path = path;
  ReportSink sink(&report);
  ReadDocumentInto(sink, bytes.str());
  report.KeepProblemsOnly();
  return report;
}

}  // namespace host
