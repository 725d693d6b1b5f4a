#include "mdhost/commands/source_fixes.h"

#include <algorithm>

#include "mdhost/contract/rules.h"
#include "mdhost/examine/action_document.h"
#include "mdhost/report/output.h"
#include "mdhost/report/unified_diff.h"
#include "mdhost/system/system.h"

namespace host {

namespace {

// A document's findings that carry a fix, what stopped its reading among them.
std::vector<Finding> WithFixes(const ActionDocument& document) {
  std::vector<Finding> found;
  if (document.problem_fix) {
    found.push_back({rule::kNotWellFormed, Severity::kFail, NotWellFormedText(document),
                     ElementSubject("", document.problem_place)});
    found.back().fix = document.problem_fix;
  }
  for (const Finding& finding : document.findings) {
    const Rule* rule = FindRule(finding.rule);
    if (rule != nullptr && rule->fixable && finding.fix) found.push_back(finding);
  }
  return found;
}

}  // namespace

std::string FixText(const std::string& text, const FixChoices& choices, SourceFixes* out) {
  // A fix may make another one possible (a Type mended to "string" lets a
  // Default get its quotes): the document is read again after each round,
  // until a round finds nothing to fix.
  std::string fixed = text;
  out->settled = false;
  for (int round = 0; round < kFixRounds && !out->settled; ++round) {
    const ActionDocument document = ReadActionDocument(fixed);
    std::vector<Finding> found;
    out->unsafe_left = 0;
    for (const Finding& finding : WithFixes(document)) {
      if (choices.wanted && !choices.wanted(finding, document.specs)) continue;
      if (finding.fix->safe || choices.unsafe)
        found.push_back(finding);
      else
        ++out->unsafe_left;
    }
    out->settled = found.empty();
    // From the end, so that each edit's offsets still hold; edits never
    // overlap (each is one element's own text).
    std::vector<std::pair<std::size_t, std::size_t>> order;  // offset, finding
    for (std::size_t i = 0; i < found.size(); ++i) {
      order.emplace_back(found[i].fix->offset, i);
      out->fixed.push_back({found[i], fixed.substr(found[i].fix->offset, found[i].fix->length)});
    }
    std::sort(order.rbegin(), order.rend());
    for (const auto& [offset, i] : order) fixed.replace(offset, found[i].fix->length, found[i].fix->replacement);
  }
  return fixed;
}

bool FixSource(const std::string& source, const std::string& diff_name, const FixChoices& choices, SourceFixes* out,
               std::string* error) {
  std::string text;
  if (!ReadWholeFile(source, &text)) {
    *error = AnsiToUtf8(source) + ": cannot be read";
    return false;
  }
  const std::string fixed = FixText(text, choices, out);
  out->diff = UnifiedDiff(diff_name, text, fixed);
  if (!choices.write || fixed == text) return true;
  // Beside it, then renamed over it: a write that stops leaves it whole.
  if (std::string why; !WriteWholeFile(source, fixed, &why)) {
    *error = AnsiToUtf8(source) + ": cannot be written (left as it was): " + why;
    return false;
  }
  return true;
}

std::string FixedLine(const std::string& source, const SourceFix& fix) {
  const Finding& f = fix.finding;
  const std::string at = Escaped(AnsiToUtf8(source)) + ":" + std::to_string(f.subject.place.line) + ":" +
                         std::to_string(f.subject.place.column) + ": fixed " + f.rule + " ";
  if (fix.before == "\xEF\xBB\xBF" && f.fix->replacement.empty()) return at + "removed the UTF-8 byte order mark";
  return at + Escaped(AnsiToUtf8(fix.before)) + " -> " + Escaped(AnsiToUtf8(f.fix->replacement)) +
         (f.fix->safe ? "" : " (unsafe fix)");
}

}  // namespace host
