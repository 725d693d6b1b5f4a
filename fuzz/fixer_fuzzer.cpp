// check --fix over any document an author might have: it never crashes,
// every edit stays inside the text, a document that parsed still parses
// after the fixes (safe and unsafe alike), and fixing it again changes
// nothing once the rounds settled. Its diff is made too.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "mdhost/commands/source_fixes.h"
#include "mdhost/examine/action_document.h"
#include "mdhost/report/unified_diff.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  host::FixChoices choices;
  choices.unsafe = size > 0 && (data[0] & 1);
  host::SourceFixes fixes;
  const std::string fixed = host::FixText(text, choices, &fixes);
  if (host::ReadActionDocument(text).well_formed && !host::ReadActionDocument(fixed).well_formed) std::abort();
  if (fixes.settled) {
    host::SourceFixes again;
    if (host::FixText(fixed, choices, &again) != fixed || !again.fixed.empty()) std::abort();
  }
  (void)host::UnifiedDiff("actions.xml", text, fixed);
  return 0;
}
