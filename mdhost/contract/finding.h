// One fact mdhost states about a plugin, with the rule it is held to, how
// much it matters in the host, and what it is about, as fields.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "mdhost/contract/severity.h"

namespace host {

// Where in the action document a finding is, 1-based; 0 where it has no
// place there.
struct Place {
  int line = 0;
  int column = 0;
};

// What a finding is about, so that nothing needs to read it out of the text:
// the exports it concerns ("irPlg_GetPluginName", or several, comma-separated,
// for one cause shared), the action and argument, and the element of the
// action document with its place. "" (and no place) where it is about none.
// `file` is the source document the place is in (the document checked alone,
// or the one a module was built from); "" for the module's own document.
struct Subject {
  std::string exports;
  std::string action;
  std::string argument;
  std::string element;  // "/ActionTemplates/Action[1]/Arguments/Arg[2]/Type"
  Place place;
  std::string file;
};

// What a finding is about when that is one export (or several that share a
// cause, comma-separated), and nothing in the action document.
inline Subject ExportSubject(std::string exports) {
  Subject subject;
  subject.exports = std::move(exports);
  return subject;
}

// What a finding in the action document is about: its element and place
// (the action and argument are named once the document is read).
inline Subject ElementSubject(std::string element, Place place) {
  Subject subject;
  subject.element = std::move(element);
  subject.place = place;
  return subject;
}

// How `check --fix` mends a finding in the bytes of the document it was read
// from: the bytes at [offset, offset + length) become `replacement`. Made
// only for the rules the list calls fixable; never sent over a worker's pipe
// (only a source file's findings have one to use).
struct Edit {
  std::size_t offset = 0, length = 0;
  std::string replacement;
  // False where the fix may change what the author meant (a lone word
  // quoted may have been a global of the project's): applied only when
  // asked (--unsafe-fixes).
  bool safe = true;
};

struct Finding {
  std::string rule;  // a stable ID, "MD001"...; see rules.h
  Severity severity;
  std::string text;  // UTF-8, the whole sentence people read
  Subject subject = {};
  // Its cause is a write past the buffer offered: a later overrun of the same
  // export is that cause again (one cause, one finding).
  bool wrote_past = false;
  // It tells of a crash that happened (work the plugin left behind crashed
  // the process): no level or suppression an author chooses lowers it.
  bool crashed = false;
  std::optional<Edit> fix = std::nullopt;
  // Where an author set the severity instead of the rule's own (mdhost's
  // side only, after the examination): "--deny" or "C:\\p\\mdhost.toml:4";
  // "" for the rule's own, which `rule_severity` then holds.
  std::string set_by = {};
  bool set_by_option = false;  // set_by is a command-line option, not a file's line
  Severity rule_severity = Severity::kPass;

  // What a read reports and what --strict and the verdicts weigh.
  bool IsProblem() const { return severity == Severity::kWarn || severity == Severity::kFail; }
};

// A finding of `rule` at the severity the rule list gives it.
Finding Found(const char* rule, std::string text, Subject subject = {});

// The sentence a finding says, its text after what it is about in an action
// document: "action XML /A/B (line 3): text" in the module's own document,
// "action XML: text at line 3, column 7" for a place without an element;
// "/A/B: text" in a source file, whose name and place go before the finding.
std::string FindingSentence(const Finding& finding);

}  // namespace host
