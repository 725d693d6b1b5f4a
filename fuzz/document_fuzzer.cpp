// A plugin's action document, whatever it holds: read and held against the
// host's vocabulary, every finding naming a rule and a line.
#include <cstdint>
#include <string>

#include "mdhost/examine/action_document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const host::ActionDocument document =
      host::ReadActionDocument(std::string(reinterpret_cast<const char*>(data), size));
  if (!document.well_formed && (!document.specs.empty() || !document.findings.empty())) __builtin_trap();
  for (const host::Finding& finding : document.findings)
    if (finding.rule.size() != 5 || finding.rule.compare(0, 2, "MD") != 0) __builtin_trap();
  if (document.specs.size() > document.actions.size() + 1000000) __builtin_trap();
  return 0;
}
