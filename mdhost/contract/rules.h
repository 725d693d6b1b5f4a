// Every rule mdhost holds a plugin to, declared once: its stable ID, what the
// mistake does in the host (its severity; PASS for a rule that only tells a
// call went right), its title, and whether `check --fix` mends it in the
// source document. Findings take their severity from here unless an author
// chooses another; explain, SARIF's rule table and mdhost.toml's template
// read the list; a test holds docs/checks.md's headings to it. An ID is never
// reused.
#pragma once

#include <string>

#include "mdhost/contract/severity.h"

// clang-format off
#define MD_RULES(X) \
  /* Reading the module at all (the report's error). */ \
  X(kCannotLoad, "MD001", kFail, "cannot be loaded", false) \
  X(kNotAPlugin, "MD002", kFail, "not a plugin", false) \
  X(kCrashed, "MD003", kFail, "crashed", false) \
  X(kHung, "MD004", kFail, "hung", false) \
  X(kEndedProcess, "MD005", kFail, "ended the process", false) \
  X(kOverrun, "MD006", kFail, "overrun", false) \
  X(kNoWorker, "MD007", kFail, "no worker", false) \
  X(kOwnShortage, "MD008", kFail, "mdhost short of memory", false) \
  X(kNotCdecl, "MD009", kFail, "exports not cdecl", false) \
  /* The text getters. */ \
  X(kGetterMissing, "MD101", kFail, "getter not exported", false) \
  X(kSizeZero, "MD102", kWarn, "size 0", false) \
  X(kSizeMinusOne, "MD103", kWarn, "size -1", false) \
  X(kTooSmall, "MD104", kFail, "one byte too small", false) \
  X(kExactSize, "MD105", kFail, "exactly its length", false) \
  X(kProtocol, "MD106", kPass, "follows the protocol", false) \
  X(kReadText, "MD107", kFail, "text cannot be read", false) \
  /* The SDK version. */ \
  X(kSdk1, "MD201", kNote, "SDK1 plugin", false) \
  X(kSdkVersion, "MD202", kFail, "SDK version", false) \
  X(kVersionResource, "MD203", kWarn, "version text and version resource", false) \
  /* The action document. */ \
  X(kNotWellFormed, "MD301", kFail, "not well-formed", true) \
  X(kWellFormed, "MD302", kPass, "well-formed", false) \
  X(kRootElement, "MD303", kFail, "root element", false) \
  X(kMissingElement, "MD304", kFail, "missing element", false) \
  X(kUnknownElement, "MD305", kNote, "unknown element", false) \
  X(kActionName, "MD306", kFail, "action name", false) \
  X(kActionTwice, "MD307", kFail, "action named twice", false) \
  X(kArgumentTwice, "MD308", kWarn, "argument named twice", false) \
  X(kRequiredValue, "MD309", kWarn, "Required value", false) \
  X(kTypeName, "MD310", kWarn, "type name", true) \
  X(kDefaultType, "MD311", kWarn, "a Default of another type", true) \
  X(kRequiredAfterOptional, "MD312", kWarn, "required after optional", false) \
  X(kEmptyDescription, "MD313", kWarn, "no Description", false) \
  X(kExtendedUnpaired, "MD314", kWarn, "Extended entry without its action", false) \
  X(kOtherSource, "MD315", kWarn, "module built from another document", false) \
  /* Registering the actions. */ \
  X(kNoRegistration, "MD401", kNote, "no registration", false) \
  X(kNoLuaState, "MD402", kFail, "no Lua state", false) \
  X(kRegistrationRaised, "MD403", kFail, "registration raised", false) \
  X(kStackBalance, "MD404", kFail, "stack balance", false) \
  X(kActionRegistered, "MD405", kFail, "action registered", false) \
  X(kUndocumentedFunction, "MD406", kWarn, "function not documented", false) \
  X(kReplacesGlobal, "MD407", kFail, "a global table replaced", false) \
  /* What a load and release leave behind. */ \
  X(kKeptPerLoad, "MD501", kWarn, "memory kept per load", false) \
  X(kThreadsLeft, "MD502", kFail, "threads left running", false) \
  X(kPoolLeft, "MD503", kFail, "thread-pool timers or waits left due", false) \
  X(kProcessWideChanged, "MD504", kFail, "floating point or exception handling changed", false) \
  X(kProcessSettingsChanged, "MD505", kWarn, "error mode or current folder changed", false) \
  /* Plugins side by side (scan). */ \
  X(kSameName, "MD601", kWarn, "same name", false) \
  X(kSameTable, "MD602", kWarn, "same action table", false) \
  X(kFixedBasesOverlap, "MD603", kWarn, "fixed bases overlap", false)
// clang-format on

namespace host {

struct Rule {
  const char* id;  // "MD104"
  Severity severity;
  const char* title;  // "one byte too small", its page's heading
  bool fixable;       // check --fix mends it in the source document
};

namespace rule {

#define MD_RULE_CONSTANT(name, id, severity, title, fixable) constexpr char name[] = id;
MD_RULES(MD_RULE_CONSTANT)
#undef MD_RULE_CONSTANT

#define MD_RULE_ENTRY(name, id, severity, title, fixable) {id, Severity::severity, title, fixable},
constexpr Rule kAll[] = {MD_RULES(MD_RULE_ENTRY)};
#undef MD_RULE_ENTRY

}  // namespace rule

// The rule of that ID; null for an ID no rule has.
const Rule* FindRule(const std::string& id);
// Its severity; FAIL for an ID no rule has (a worker's report could say one).
Severity RuleSeverity(const std::string& id);
// A rule whose finding says the plugin could not be read or examined to the
// end (MD001-MD008: not loaded, no plugin, a crash, hang, exit or overrun,
// mdhost's own means; MD301: its document unread): no level lowers it and
// no [[ignore]] entry or baseline accepts it.
bool NeverAccepted(const std::string& id);

}  // namespace host
