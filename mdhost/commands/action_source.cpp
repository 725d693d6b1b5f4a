// A plugin module or an action document, read for the commands that work
// on a plugin's actions (diff, doc).
#include <cctype>

#include "mdhost/commands/commands.h"
#include "mdhost/examine/document_file.h"
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
  // A document alone is read here: only a plugin's code needs a worker.
  if (IsActionDocumentFile(path)) return ExamineDocumentFile(path, Examination::kRead);
  return examiner.ExamineOne(Examination::kRead, path);
}

}  // namespace host
