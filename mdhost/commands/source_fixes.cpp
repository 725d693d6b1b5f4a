#include "mdhost/commands/source_fixes.h"

#include <algorithm>

#include "mdhost/contract/rules.h"
#include "mdhost/examine/action_document.h"
#include "mdhost/report/output.h"
#include "mdhost/system/system.h"

namespace host {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    end = end == std::string::npos ? text.size() : end + 1;
    lines.push_back(text.substr(at, end - at));
    at = end;
  }
  return lines;
}

// A line as the diff shows it: without its line end, control characters
// as \xNN.
std::string Shown(std::string line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return Escaped(AnsiToUtf8(line), true);  // tabs kept: indentation reads as it is
}

// One hunk from the first line that differs to the last.
std::string UnifiedDiff(const std::string& name, const std::string& before, const std::string& after) {
  if (before == after) return "";
  const std::vector<std::string> a = Lines(before), b = Lines(after);
  std::size_t head = 0, tail = 0;
  while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
  while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) ++tail;
  const std::size_t removed = a.size() - head - tail, added = b.size() - head - tail;
  std::string diff = "--- " + name + "\n+++ " + name + " (fixed)\n@@ -" + std::to_string(head + 1) + "," +
                     std::to_string(removed) + " +" + std::to_string(head + 1) + "," + std::to_string(added) + " @@\n";
  for (std::size_t i = head; i < head + removed; ++i) diff += "-" + Shown(a[i]) + "\n";
  for (std::size_t i = head; i < head + added; ++i) diff += "+" + Shown(b[i]) + "\n";
  return diff;
}

}  // namespace

bool FixSource(const std::string& source, bool write, SourceFixes* out, std::string* error) {
  std::string text;
  if (!ReadWholeFile(source, &text)) {
    *error = AnsiToUtf8(source) + ": cannot be read";
    return false;
  }
  // A fix may make another one possible (a Type mended to "string" lets a
  // Default get its quotes): the document is read again after each round.
  std::string fixed = text;
  for (int round = 0; round < 4; ++round) {
    std::vector<Finding> found;
    for (const Finding& finding : ReadActionDocument(fixed).findings) {
      const Rule* rule = FindRule(finding.rule);
      if (rule != nullptr && rule->fixable && finding.fix) found.push_back(finding);
    }
    if (found.empty()) break;
    for (const Finding& f : found) {
      out->fixed.push_back(f);
      out->before.push_back(fixed.substr(f.fix->offset, f.fix->length));
    }
    // From the end, so that each edit's offsets still hold; edits never
    // overlap (each is one element's own text).
    std::vector<Edit> edits;
    for (const Finding& f : found) edits.push_back(*f.fix);
    std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.offset > b.offset; });
    for (const Edit& edit : edits) fixed.replace(edit.offset, edit.length, edit.replacement);
  }
  const std::string name = AnsiToUtf8(source);
  out->diff = UnifiedDiff(name, text, fixed);
  if (!write || fixed == text) return true;
  // Beside it, then renamed over it: a write that stops leaves it whole.
  if (std::string why; !WriteWholeFile(source, fixed, &why)) {
    *error = name + ": cannot be written (left as it was): " + why;
    return false;
  }
  return true;
}

std::string FixedLine(const std::string& source, const Finding& fixed, const std::string& before) {
  return Escaped(AnsiToUtf8(source)) + ":" + std::to_string(fixed.subject.place.line) + ":" +
         std::to_string(fixed.subject.place.column) + ": fixed " + fixed.rule + " " + Escaped(AnsiToUtf8(before)) +
         " -> " + Escaped(AnsiToUtf8(fixed.fix->replacement));
}

}  // namespace host
