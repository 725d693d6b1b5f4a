// Module-wide state: made at process attach, alive until detach.
// The host calls every entry point one at a time on its own thread, so
// nothing here is locked.
#pragma once

#include <cstddef>

#include "plugin/module/owned_text.h"

namespace md {

// Role of each text getter; the slot order is fixed and shared by every user.
enum GetterSlot { kNameGetter, kActionXmlGetter, kLuaVersionGetter, kAuthorInfoGetter, kVersionGetter, kGetterCount };

// A formatted script error longer than this (without terminator) is
// replaced by a fixed text, so a fixed array always holds it.
constexpr std::size_t kErrorTextLimit = 1023;

struct ActionRecord;

// Handles of plugin modules loaded and not yet released.
struct ModuleList {
  void** handles;
  std::size_t count;
  std::size_t capacity;
};

struct ModuleState {
  // The most recent script error, formatted: module-wide state as the host's
  // plugins keep it, and what tests read. A raise pushes the copy held in its
  // own frame, never this one (a nested call may rewrite it meanwhile).
  char error_text[kErrorTextLimit + 1];
  const char* getter_names[kGetterCount];
  OwnedText action_xml;
  ModuleList loaded_modules;
  ActionRecord* action_records;  // see action_records.h
};

ModuleState& State();

// How the module leaves the process.
enum class Detach {
  kUnload,       // the host frees the plugin: release what it holds
  kProcessExit,  // the process ends: other modules may be gone already, so
                 // nothing is released; the system takes everything back
};

// Entry-point logic; nothing may escape to the loader.
void OnProcessAttach() noexcept;
void OnProcessDetach(Detach how = Detach::kUnload) noexcept;

// Loaded-module registry. Recording fails only when memory is short.
bool RecordLoadedModule(void* module) noexcept;
void ForgetLoadedModule(void* module) noexcept;

// What a text query holds while a getter runs: its buffer and the inspected
// module (recorded in the registry). It lives in the calling action's record,
// never in the query's frame, because a getter may leave by longjmp (an
// inspected plugin raising a Lua error on the host's state): whoever reclaims
// the record then frees the buffer and releases the module.
struct QueryHold {
  char* buffer;
  void* module;
};

// Frees the buffer, releases the module and forgets it; leaves the hold empty.
void ReleaseQueryHold(QueryHold* hold) noexcept;

}  // namespace md
