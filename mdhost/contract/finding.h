// One fact mdhost states about a plugin, with the rule it is held to, how
// much it matters in the host, and what it is about, as fields.
#pragma once

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
struct Subject {
  std::string exports;
  std::string action;
  std::string argument;
  std::string element;  // "/ActionTemplates/Action[1]/Arguments/Arg[2]/Type"
  Place place;
};

struct Finding {
  std::string rule;  // a stable ID, "MD001"...; see rules.h
  Severity severity;
  std::string text;  // UTF-8, the whole sentence people read
  Subject subject = {};
  // Its cause is a write past the buffer offered: a later overrun of the same
  // export is that cause again (one cause, one finding).
  bool wrote_past = false;
  // Where an author set the severity instead of the rule's own (mdhost's
  // side only, after the examination): "--deny" or "C:\\p\\mdhost.toml:4";
  // "" for the rule's own, which `rule_severity` then holds.
  std::string set_by = {};
  Severity rule_severity = Severity::kPass;

  // What a read reports and what --strict and the verdicts weigh.
  bool IsProblem() const { return severity == Severity::kWarn || severity == Severity::kFail; }
};

// A finding of `rule` at the severity the rule list gives it.
Finding Found(const char* rule, std::string text, Subject subject = {});

}  // namespace host
