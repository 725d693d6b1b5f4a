// Every rule mdhost holds a plugin to, by its stable ID. docs/checks.md
// explains each (a test keeps the two in step); an ID is never reused. The
// rules are one list, so that kAll cannot leave one out.
#pragma once

// clang-format off
#define MD_RULES(X) \
  /* Reading the module at all (the report's error). */ \
  X(kCannotLoad, "MD001") /* the loader refused the file */ \
  X(kNotAPlugin, "MD002") /* no text getters exported */ \
  X(kCrashed, "MD003") /* a crash in plugin code */ \
  X(kHung, "MD004") /* no answer within the time allowed */ \
  X(kEndedProcess, "MD005") /* the plugin ended the process */ \
  X(kOverrun, "MD006") /* wrote or read past a buffer it was offered */ \
  X(kNoWorker, "MD007") /* mdhost could not start or reach a worker */ \
  X(kOwnShortage, "MD008") /* mdhost could not get the memory an examination needs */ \
  X(kNotCdecl, "MD009") /* exports that take their arguments off the stack (__stdcall) */ \
  /* The text getters. */ \
  X(kGetterMissing, "MD101") /* a getter is not exported */ \
  X(kSizeZero, "MD102") /* the answer to size 0, a call the host never makes */ \
  X(kSizeMinusOne, "MD103") /* the answer to size -1, a call the host never makes */ \
  X(kTooSmall, "MD104") /* the answer to a size one short of the text */ \
  X(kExactSize, "MD105") /* the answer to exactly the text's size */ \
  X(kProtocol, "MD106") /* the getter follows the protocol */ \
  X(kReadText, "MD107") /* the text could not be read as the host reads it */ \
  /* The SDK version. */ \
  X(kSdk1, "MD201") /* no irPlg_GetSDKVersion: an SDK1 plugin */ \
  X(kSdkVersion, "MD202") /* what irPlg_GetSDKVersion returns */ \
  X(kVersionResource, "MD203") /* the version text against the version resource */ \
  /* The action document. */ \
  X(kNotWellFormed, "MD301") \
  X(kWellFormed, "MD302") \
  X(kRootElement, "MD303") \
  X(kMissingElement, "MD304") \
  X(kUnknownElement, "MD305") \
  X(kActionName, "MD306") /* not of the form Table.Function */ \
  X(kActionTwice, "MD307") /* two actions of one name */ \
  X(kArgumentTwice, "MD308") /* two arguments of one name in an action */ \
  X(kRequiredValue, "MD309") /* Required other than 0 or 1 */ \
  X(kTypeName, "MD310") /* a type the host's documents do not use */ \
  X(kDefaultType, "MD311") /* a Default that is no value of its Type */ \
  X(kRequiredAfterOptional, "MD312") /* a required argument after an optional one */ \
  X(kEmptyDescription, "MD313") /* an action or argument without a Description */ \
  X(kExtendedUnpaired, "MD314") /* an Extended entry that cannot be paired with its action */ \
  /* Registering the actions. */ \
  X(kNoRegistration, "MD401") /* irPlg_Action_RegisterActions not exported */ \
  X(kNoLuaState, "MD402") \
  X(kRegistrationRaised, "MD403") \
  X(kStackBalance, "MD404") \
  X(kActionRegistered, "MD405") \
  X(kUndocumentedFunction, "MD406") /* registered but not in the document */ \
  X(kReplacesGlobal, "MD407") /* registration replaced a global table scripts have */ \
  /* What a load and release leave behind. */ \
  X(kKeptPerLoad, "MD501") /* memory kept per load and release */ \
  X(kThreadsLeft, "MD502") /* threads still running after the release */ \
  X(kPoolLeft, "MD503") /* thread-pool timers or waits still due after the release */ \
  /* Plugins side by side (scan). */ \
  X(kSameName, "MD601") /* two plugins of one name */ \
  X(kSameTable, "MD602") /* two plugins' actions in one table */
// clang-format on

namespace host {
namespace rule {

#define MD_RULE_CONSTANT(name, id) constexpr char name[] = id;
MD_RULES(MD_RULE_CONSTANT)
#undef MD_RULE_CONSTANT

#define MD_RULE_ENTRY(name, id) name,
constexpr const char* kAll[] = {MD_RULES(MD_RULE_ENTRY)};
#undef MD_RULE_ENTRY

}  // namespace rule
}  // namespace host
