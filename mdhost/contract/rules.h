// Every rule mdhost holds a plugin to, by its stable ID. docs/checks.md
// explains each (a test keeps the two in step); an ID is never reused.
#pragma once

namespace host {
namespace rule {

// Reading the module at all (the report's error).
constexpr char kCannotLoad[] = "MD001";    // the loader refused the file
constexpr char kNotAPlugin[] = "MD002";    // no text getters exported
constexpr char kCrashed[] = "MD003";       // a crash in plugin code
constexpr char kHung[] = "MD004";          // no answer within the time allowed
constexpr char kEndedProcess[] = "MD005";  // the plugin ended the process
constexpr char kOverrun[] = "MD006";       // wrote or read past a buffer it was offered
constexpr char kNoWorker[] = "MD007";      // mdhost could not start or reach a worker
constexpr char kOwnShortage[] = "MD008";   // mdhost could not get the memory an examination needs

// The text getters.
constexpr char kGetterMissing[] = "MD101";  // a getter is not exported
constexpr char kSizeZero[] = "MD102";       // the answer to size 0, a call the host never makes
constexpr char kSizeMinusOne[] = "MD103";   // the answer to size -1, a call the host never makes
constexpr char kTooSmall[] = "MD104";       // the answer to a size one short of the text
constexpr char kExactSize[] = "MD105";      // the answer to exactly the text's size
constexpr char kProtocol[] = "MD106";       // the getter follows the protocol
constexpr char kReadText[] = "MD107";       // the text could not be read as the host reads it

// The SDK version.
constexpr char kSdk1[] = "MD201";             // no irPlg_GetSDKVersion: an SDK1 plugin
constexpr char kSdkVersion[] = "MD202";       // what irPlg_GetSDKVersion returns
constexpr char kVersionResource[] = "MD203";  // the version text against the version resource

// The action document.
constexpr char kNotWellFormed[] = "MD301";
constexpr char kWellFormed[] = "MD302";
constexpr char kRootElement[] = "MD303";
constexpr char kMissingElement[] = "MD304";
constexpr char kUnknownElement[] = "MD305";
constexpr char kActionName[] = "MD306";     // not of the form Table.Function
constexpr char kActionTwice[] = "MD307";    // two actions of one name
constexpr char kArgumentTwice[] = "MD308";  // two arguments of one name in an action
constexpr char kRequiredValue[] = "MD309";  // Required other than 0 or 1
constexpr char kTypeName[] = "MD310";       // a type the host's documents do not use

// Registering the actions.
constexpr char kNoRegistration[] = "MD401";  // irPlg_Action_RegisterActions not exported
constexpr char kNoLuaState[] = "MD402";
constexpr char kRegistrationRaised[] = "MD403";
constexpr char kStackBalance[] = "MD404";
constexpr char kActionRegistered[] = "MD405";
constexpr char kUndocumentedFunction[] = "MD406";  // registered but not in the document

// What a load and release leave behind.
constexpr char kKeptPerLoad[] = "MD501";  // memory kept per load and release
constexpr char kThreadsLeft[] = "MD502";  // threads still running after the release
constexpr char kPoolLeft[] = "MD503";     // thread-pool timers or waits still due after the release

// Plugins side by side (scan).
constexpr char kSameName[] = "MD601";   // two plugins of one name
constexpr char kSameTable[] = "MD602";  // two plugins' actions in one table

constexpr const char* kAll[] = {
    kCannotLoad,
    kNotAPlugin,
    kCrashed,
    kHung,
    kEndedProcess,
    kOverrun,
    kNoWorker,
    kOwnShortage,
    kGetterMissing,
    kSizeZero,
    kSizeMinusOne,
    kTooSmall,
    kExactSize,
    kProtocol,
    kReadText,
    kSdk1,
    kSdkVersion,
    kVersionResource,
    kNotWellFormed,
    kWellFormed,
    kRootElement,
    kMissingElement,
    kUnknownElement,
    kActionName,
    kActionTwice,
    kArgumentTwice,
    kRequiredValue,
    kTypeName,
    kNoRegistration,
    kNoLuaState,
    kRegistrationRaised,
    kStackBalance,
    kActionRegistered,
    kUndocumentedFunction,
    kKeptPerLoad,
    kThreadsLeft,
    kPoolLeft,
    kSameName,
    kSameTable,
};

}  // namespace rule
}  // namespace host
