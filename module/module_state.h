// Module-wide state: made at process attach, alive until detach.
// The host calls every entry point one at a time on its own thread, so
// nothing here is locked.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace md {

// Role of each text getter; the slot order is fixed and shared by every user.
enum GetterSlot {
  kNameGetter,
  kActionXmlGetter,
  kLuaVersionGetter,
  kAuthorInfoGetter,
  kVersionGetter,
  kGetterCount
};

// A formatted script error longer than this (without terminator) is
// replaced by a fixed text, so the fixed buffer below always suffices.
constexpr std::size_t ErrorTextLimit = 1023;

struct ModuleState {
  // Formatted message of the most recent script error. A fixed array so that
  // setting it can never fail or leave memory behind when Lua jumps out.
  char ErrorText[ErrorTextLimit + 1];
  const char* GetterNames[kGetterCount];
  std::string ActionXml;
  std::vector<void*> LoadedModules;
  // Copies an action owns while it works. They live here rather than in the
  // action's frame: a Lua raise (out of memory while pushing a result) jumps
  // over the frame, and memory held there would be lost.
  std::string ActionPath;
  std::string ActionTexts[kGetterCount];
};

ModuleState& State();

// Entry-point logic. Both are noexcept: nothing may escape to the loader.
void OnProcessAttach() noexcept;
void OnProcessDetach() noexcept;

// Loaded-module registry. Recording fails only when memory is short.
bool RecordLoadedModule(void* module) noexcept;
void ForgetLoadedModule(void* module) noexcept;

// Frees the action copies above; called when an action has pushed its result.
void ReleaseActionCopies() noexcept;

}  // namespace md
